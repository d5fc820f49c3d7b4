// The neutral-axis searches of one combination check on vector lanes,
// compiled for every instruction set of the machine family and dispatched at
// run time to the widest one the processor has.
//
// The searches run in batches of one vector, all lanes in step: every lane
// enters with its two balanced trials taken, so every lane takes its k-th
// step with the same k, and the halving (k odd) and the straight
// interpolation (k even) are the same operation across the batch. A lane
// whose search converged keeps its depth and its step count; the operands it
// no longer needs are replaced before every division by values that cannot
// fault, and it re-evaluates its own last trial, which already went through
// without a fault (and gives the trial's forces when the batch is stored).
// A short last batch is filled with copies of its first search. Two batches
// are in flight at a time, and a batch whose lanes have all converged makes
// room for the next.
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

// The strip's values as vectors.
template <class D>
struct Section {
  using V = hn::Vec<D>;
  explicit Section(D d, const StripLaneSection& s)
      : zero(hn::Zero(d)),
        one(hn::Set(d, 1.0)),
        half(hn::Set(d, 0.5)),
        tol(hn::Set(d, 0.0001)),
        t(hn::Set(d, s.t)),
        beta1(hn::Set(d, s.beta1)),
        alpha(hn::Set(d, s.alpha1PhiFc)),
        epsCu(hn::Set(d, s.epsCu)),
        minEps(hn::Set(d, -s.epsYc)),
        maxEps(hn::Set(d, s.epsYt)),
        phiEs(hn::Set(d, s.phiEs)),
        A1(hn::Set(d, s.A1)),
        displaced(hn::Mul(A1, alpha)),
        twoLayers(s.n == 2) {}
  V zero, one, half, tol, t, beta1, alpha, epsCu, minEps, maxEps, phiEs, A1;
  V displaced;  // concrete displaced by one layer's bars
  bool twoLayers;
};

// One batch of searches in step: the bracket, the current trial and the
// step count of every lane, the lanes still searching, and the searches the
// lanes hold.
template <class D>
struct Batch {
  using V = hn::Vec<D>;
  V target, d1, d2, Plo, Phi, cPlo, cPhi, c, k;
  hn::Mask<D> active;
  int steps = 0;
  std::size_t first = 0;
  std::size_t used = 0;
};

template <class D>
HWY_INLINE void Load(D d, const StripLaneSearches& q, std::size_t first, Batch<D>& b) {
  const std::size_t lanes = hn::Lanes(d);
  const double* const inputs[kInputs] = {q.target, q.d1, q.d2, q.Plo, q.Phi, q.cPlo, q.cPhi};
  HWY_ALIGN double in[kInputs][kMaxLanes];
  b.first = first;
  b.used = q.count - first < lanes ? q.count - first : lanes;
  for (int col = 0; col < kInputs; ++col) {
    for (std::size_t l = 0; l < lanes; ++l) {
      in[col][l] = inputs[col][first + (l < b.used ? l : 0)];
    }
  }
  b.target = hn::Load(d, in[kTarget]);
  b.d1 = hn::Load(d, in[kD1]);
  b.d2 = hn::Load(d, in[kD2]);
  b.Plo = hn::Load(d, in[kPlo]);
  b.Phi = hn::Load(d, in[kPhi]);
  b.cPlo = hn::Load(d, in[kCPlo]);
  b.cPhi = hn::Load(d, in[kCPhi]);
  b.c = b.k = hn::Zero(d);
  b.active = hn::FirstN(d, lanes);
  b.steps = 0;
}

// Force in the layer at depth dl for the depth c and block depth a.
template <class D>
HWY_INLINE hn::Vec<D> Layer(const Section<D>& s, hn::Vec<D> dl, hn::Vec<D> c, hn::Vec<D> a) {
  using V = hn::Vec<D>;
  V eps = hn::Div(hn::Mul(hn::Sub(dl, c), s.epsCu), c);
  eps = hn::IfThenElse(hn::Lt(eps, s.minEps), s.minEps, eps);
  eps = hn::IfThenElse(hn::Gt(eps, s.maxEps), s.maxEps, eps);
  const V T = hn::Mul(hn::Mul(s.A1, eps), s.phiEs);
  return hn::IfThenElse(hn::Lt(dl, a), hn::Add(T, s.displaced), T);
}

// The forces of the trial at depth c: block depth, concrete force, layer
// forces and the axial force they sum to.
template <class D>
struct Forces {
  hn::Vec<D> a, Cc, T1, T2, P;
};

template <class D>
HWY_INLINE Forces<D> Evaluate(const Section<D>& s, const Batch<D>& b, hn::Vec<D> c) {
  Forces<D> f;
  f.a = hn::Mul(s.beta1, c);
  f.a = hn::IfThenElse(hn::Gt(f.a, s.t), s.t, f.a);
  f.Cc = hn::Mul(s.alpha, f.a);
  f.T1 = Layer(s, b.d1, c, f.a);
  f.T2 = s.twoLayers ? Layer(s, b.d2, c, f.a) : s.zero;
  f.P = hn::Sub(hn::Add(f.T1, f.T2), f.Cc);
  return f;
}

// The results of a batch whose lanes have all converged: the trial of every
// lane evaluated again at the depth it converged on (the same operations on
// the same values, so the same forces and no new fault).
template <class D>
HWY_INLINE void Store(D d, const Section<D>& s, const StripLaneSearches& q, const Batch<D>& b) {
  double* const results[kK] = {q.c, q.a, q.Cc, q.T1, q.T2, q.P};
  HWY_ALIGN double out[kResults][kMaxLanes];
  const Forces<D> f = Evaluate(s, b, b.c);
  hn::Store(b.c, d, out[kC]);
  hn::Store(f.a, d, out[kA]);
  hn::Store(f.Cc, d, out[kCc]);
  hn::Store(f.T1, d, out[kT1]);
  hn::Store(f.T2, d, out[kT2]);
  hn::Store(f.P, d, out[kP]);
  hn::Store(b.k, d, out[kK]);
  for (std::size_t l = 0; l < b.used; ++l) {
    for (int col = 0; col < kK; ++col) {
      results[col][b.first + l] = out[col][l];
    }
    q.steps[b.first + l] = static_cast<int16_t>(out[kK][l]);
  }
}

// One step of every lane still searching (the caller has checked that the
// step count does not overflow).
template <class D>
HWY_INLINE void Step(D d, const Section<D>& s, Batch<D>& b) {
  using V = hn::Vec<D>;
  ++b.steps;
  V next;
  if (b.steps % 2 == 1) {
    // (cPhi + cPlo) / 2: halving by a power of two is exact, so the product
    // by 0.5 rounds the same value the quotient does.
    next = hn::Mul(hn::Add(hn::IfThenElseZero(b.active, b.cPhi),
                           hn::IfThenElseZero(b.active, b.cPlo)),
                   s.half);
  } else {
    const V hiP = hn::IfThenElse(b.active, b.Phi, s.one);
    const V loP = hn::IfThenElseZero(b.active, b.Plo);
    const V aim = hn::IfThenElseZero(b.active, b.target);
    const V num = hn::Add(hn::Mul(hn::IfThenElseZero(b.active, b.cPlo), hn::Sub(hiP, aim)),
                          hn::Mul(hn::IfThenElseZero(b.active, b.cPhi), hn::Sub(aim, loP)));
    next = hn::Div(num, hn::Sub(hiP, loP));
  }
  const V c = hn::IfThenElse(b.active, next, b.c);
  const V P = Evaluate(s, b, c).P;

  const auto done = hn::And(b.active, hn::Le(hn::Abs(hn::Sub(b.target, P)), s.tol));
  const auto open = hn::AndNot(done, b.active);
  const auto low = hn::Le(P, b.target);
  const auto toLow = hn::And(open, low);
  const auto toHigh = hn::AndNot(low, open);
  b.Plo = hn::IfThenElse(toLow, P, b.Plo);
  b.cPlo = hn::IfThenElse(toLow, c, b.cPlo);
  b.Phi = hn::IfThenElse(toHigh, P, b.Phi);
  b.cPhi = hn::IfThenElse(toHigh, c, b.cPhi);
  b.c = c;
  b.k = hn::IfThenElse(done, hn::Set(d, static_cast<double>(b.steps)), b.k);
  b.active = open;
}

// Two batches in flight, so that the steps of one fill the time the other
// waits for its divisions; a batch whose lanes have all converged is stored
// and replaced by the next.
bool SearchBatches(const StripLaneSection& section, const StripLaneSearches& q) {
  using D = hn::ScalableTag<double>;
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  if (lanes > kMaxLanes) {
    return false;
  }
  const Section<D> s(d, section);
  Batch<D> first, second;
  std::size_t next = 0;
  // Takes the next batch into b; false when none is left.
  auto take = [&](Batch<D>& b) {
    if (next >= q.count) {
      return false;
    }
    Load(d, q, next, b);
    next += lanes;
    return true;
  };
  // One step of b, or its results stored and the next batch taken; false
  // when b has nothing left to search or a lane would overflow its 16-bit
  // step counter.
  bool overflow = false;
  auto advance = [&](Batch<D>& b) {
    if (hn::AllFalse(d, b.active)) {
      Store(d, s, q, b);
      return take(b);
    }
    if (b.steps == INT16_MAX) {
      overflow = true;
      return false;
    }
    Step(d, s, b);
    return true;
  };
  bool live[2] = {take(first), take(second)};
  int sinceFlags = 0;
  while (live[0] || live[1]) {
    if (live[0]) {
      live[0] = advance(first);
    }
    if (live[1]) {
      live[1] = advance(second);
    }
    if (overflow) {
      return false;
    }
    if (++sinceFlags == kFlagPeriod) {
      if (RaisedFloatFaults() != 0) {
        return false;
      }
      sinceFlags = 0;
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
