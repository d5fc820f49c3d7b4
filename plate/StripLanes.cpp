// The neutral-axis searches of one combination check on vector lanes,
// compiled for every instruction set of the machine family and dispatched at
// run time to the widest one the processor has.
//
// The searches run in batches of one vector, all lanes in step: every lane
// enters with its two balanced trials taken, so every lane takes its k-th
// step with the same k, and the halving (k odd) and the straight
// interpolation (k even) are the same operation across the batch. A lane
// whose search converged keeps its depth, its trial and its step count;
// the operands it no longer needs are replaced before every division by
// values that cannot fault, and it re-evaluates its own last trial, which
// already went through without a fault. A short last batch is filled with
// copies of its first search.
#ifdef OSTREL_LANES

#include <cstddef>
#include <cstdint>

#include "model/CheckedMath.h"
#include "plate/StripLanes.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "plate/StripLanes.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace ostrel {
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;

// Room for the widest vector of doubles of any target.
constexpr std::size_t kMaxLanes = 32;
// How often (in steps) a batch looks at the fault flags, so that a search
// gone to NaN does not run to its step limit before the check is repeated.
constexpr int kFlagPeriod = 32;

// Input and output columns of one batch.
enum Column { kTarget, kD1, kD2, kPlo, kPhi, kCPlo, kCPhi, kInputs };
enum Result { kC, kA, kCc, kT1, kT2, kP, kK, kResults };

bool SearchBatches(const StripLaneSection& s, const StripLaneSearches& q) {
  const hn::ScalableTag<double> d;
  using V = hn::Vec<decltype(d)>;
  const std::size_t lanes = hn::Lanes(d);
  if (lanes > kMaxLanes) {
    return false;
  }
  const V zero = hn::Zero(d);
  const V one = hn::Set(d, 1.0);
  const V half = hn::Set(d, 0.5);
  const V tol = hn::Set(d, 0.0001);
  const V t = hn::Set(d, s.t);
  const V beta1 = hn::Set(d, s.beta1);
  const V alpha = hn::Set(d, s.alpha1PhiFc);
  const V epsCu = hn::Set(d, s.epsCu);
  const V minEps = hn::Set(d, -s.epsYc);
  const V maxEps = hn::Set(d, s.epsYt);
  const V phiEs = hn::Set(d, s.phiEs);
  const V A1 = hn::Set(d, s.A1);
  const V displaced = hn::Mul(A1, alpha);  // concrete displaced by one layer's bars
  const bool twoLayers = s.n == 2;

  const double* const inputs[kInputs] = {q.target, q.d1, q.d2, q.Plo, q.Phi, q.cPlo, q.cPhi};
  double* const results[kResults - 1] = {q.c, q.a, q.Cc, q.T1, q.T2, q.P};
  HWY_ALIGN double in[kInputs][kMaxLanes];
  HWY_ALIGN double out[kResults][kMaxLanes];

  for (std::size_t first = 0; first < q.count; first += lanes) {
    const std::size_t used = q.count - first < lanes ? q.count - first : lanes;
    for (int col = 0; col < kInputs; ++col) {
      for (std::size_t l = 0; l < lanes; ++l) {
        in[col][l] = inputs[col][first + (l < used ? l : 0)];
      }
    }
    const V target = hn::Load(d, in[kTarget]);
    const V d1 = hn::Load(d, in[kD1]);
    const V d2 = hn::Load(d, in[kD2]);
    V Plo = hn::Load(d, in[kPlo]);
    V Phi = hn::Load(d, in[kPhi]);
    V cPlo = hn::Load(d, in[kCPlo]);
    V cPhi = hn::Load(d, in[kCPhi]);

    // Force in the layer at depth dl for the depth c and block depth a.
    auto layer = [&](V dl, V c, V a) {
      V eps = hn::Div(hn::Mul(hn::Sub(dl, c), epsCu), c);
      eps = hn::IfThenElse(hn::Lt(eps, minEps), minEps, eps);
      eps = hn::IfThenElse(hn::Gt(eps, maxEps), maxEps, eps);
      const V T = hn::Mul(hn::Mul(A1, eps), phiEs);
      return hn::IfThenElse(hn::Lt(dl, a), hn::Add(T, displaced), T);
    };

    auto active = hn::Eq(zero, zero);
    V c = zero, a = zero, Cc = zero, T1 = zero, T2 = zero, P = zero, k = zero;
    int steps = 0;
    while (!hn::AllFalse(d, active)) {
      if (steps == INT16_MAX) {
        return false;  // the next step overflows the 16-bit counter
      }
      ++steps;
      V next;
      if (steps % 2 == 1) {
        // (cPhi + cPlo) / 2: halving by a power of two is exact, so the
        // product by 0.5 rounds the same value the quotient does.
        next = hn::Mul(hn::Add(hn::IfThenElseZero(active, cPhi), hn::IfThenElseZero(active, cPlo)),
                       half);
      } else {
        const V hiP = hn::IfThenElse(active, Phi, one);
        const V loP = hn::IfThenElseZero(active, Plo);
        const V aim = hn::IfThenElseZero(active, target);
        const V num = hn::Add(hn::Mul(hn::IfThenElseZero(active, cPlo), hn::Sub(hiP, aim)),
                              hn::Mul(hn::IfThenElseZero(active, cPhi), hn::Sub(aim, loP)));
        next = hn::Div(num, hn::Sub(hiP, loP));
      }
      c = hn::IfThenElse(active, next, c);

      a = hn::Mul(beta1, c);
      a = hn::IfThenElse(hn::Gt(a, t), t, a);
      Cc = hn::Mul(alpha, a);
      T1 = layer(d1, c, a);
      T2 = twoLayers ? layer(d2, c, a) : zero;
      P = hn::Sub(hn::Add(T1, T2), Cc);

      const auto done = hn::And(active, hn::Le(hn::Abs(hn::Sub(target, P)), tol));
      const auto open = hn::AndNot(done, active);
      const auto low = hn::Le(P, target);
      const auto toLow = hn::And(open, low);
      const auto toHigh = hn::AndNot(low, open);
      Plo = hn::IfThenElse(toLow, P, Plo);
      cPlo = hn::IfThenElse(toLow, c, cPlo);
      Phi = hn::IfThenElse(toHigh, P, Phi);
      cPhi = hn::IfThenElse(toHigh, c, cPhi);
      k = hn::IfThenElse(done, hn::Set(d, static_cast<double>(steps)), k);
      active = open;
      if (steps % kFlagPeriod == 0 && RaisedFloatFaults() != 0) {
        return false;
      }
    }

    hn::Store(c, d, out[kC]);
    hn::Store(a, d, out[kA]);
    hn::Store(Cc, d, out[kCc]);
    hn::Store(T1, d, out[kT1]);
    hn::Store(T2, d, out[kT2]);
    hn::Store(P, d, out[kP]);
    hn::Store(k, d, out[kK]);
    for (std::size_t l = 0; l < used; ++l) {
      for (int col = 0; col < kK; ++col) {
        results[col][first + l] = out[col][l];
      }
      q.steps[first + l] = static_cast<int16_t>(out[kK][l]);
    }
  }
  return true;
}

}  // namespace

bool SearchStripDepthsImpl(const StripLaneSection& section, const StripLaneSearches& searches) {
  return SearchBatches(section, searches);
}

const char* StripLaneTargetImpl() { return hwy::TargetName(HWY_TARGET); }

std::size_t StripLaneCountImpl() { return hn::Lanes(hn::ScalableTag<double>()); }

}  // namespace HWY_NAMESPACE
}  // namespace ostrel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ostrel {

HWY_EXPORT(SearchStripDepthsImpl);
HWY_EXPORT(StripLaneTargetImpl);
HWY_EXPORT(StripLaneCountImpl);

bool SearchStripDepthsOnLanes(const StripLaneSection& section,
                              const StripLaneSearches& searches) {
  return HWY_DYNAMIC_DISPATCH(SearchStripDepthsImpl)(section, searches);
}

const char* StripLaneTarget() { return HWY_DYNAMIC_DISPATCH(StripLaneTargetImpl)(); }

std::size_t StripLaneCount() { return HWY_DYNAMIC_DISPATCH(StripLaneCountImpl)(); }

}  // namespace ostrel
#endif  // HWY_ONCE

#endif  // OSTREL_LANES
