// The section kernel on vector lanes, compiled once for every vector width
// of the machine family and dispatched at run time to the widest the
// machine has. Each lane mirrors the one-at-a-time kernel (SectionCapacity):
// the same operations in the same order, its branches taken per lane by
// masks and blends. A lane whose edge the one-at-a-time kernel skips keeps
// its sums untouched (a blend, never an added zero, so signed zeros stay),
// and the clip division of a lane that does not clip divides by 1.
#ifdef OSTREL_LANES

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "stiffener/SectionLaneKernel.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "stiffener/SectionLaneKernel.h"
#include "stiffener/StiffenerFlexure.h"

HWY_BEFORE_NAMESPACE();
namespace ostrel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DF = hn::CappedTag<double, kMaxSectionLanes>;
using VF = hn::Vec<DF>;

int LaneCount() { return static_cast<int>(hn::Lanes(DF())); }

// The stress block over one closed polygon of n points (see the
// one-at-a-time IntegratePolygon).
template <bool kMoments>
HWY_INLINE void PolygonLanes(const double* pu, const double* pw, int n, VF wNa, VF wBlk,
                             VF stress, VF& F, VF& Ma, VF& Mb) {
  const DF d;
  const VF one = hn::Set(d, 1.0);
  const VF half = hn::Set(d, 0.5);
  for (int j = 1; j <= n; ++j) {
    const int next = j == n ? 1 : j + 1;
    const VF u1 = hn::Load(d, pu + j * kMaxSectionLanes);
    const VF w1 = hn::Load(d, pw + j * kMaxSectionLanes);
    const VF u2 = hn::Load(d, pu + next * kMaxSectionLanes);
    const VF w2 = hn::Load(d, pw + next * kMaxSectionLanes);
    const auto taken = hn::And(hn::Or(hn::Gt(w1, wNa), hn::Gt(w2, wNa)),
                               hn::Or(hn::Gt(w1, wBlk), hn::Gt(w2, wBlk)));
    if (hn::AllFalse(d, taken)) {
      continue;
    }
    const auto clip1 = hn::Lt(w1, wBlk);
    const auto clip2 = hn::AndNot(clip1, hn::Lt(w2, wBlk));
    const auto clips = hn::And(taken, hn::Or(clip1, clip2));
    VF cu1 = u1;
    VF cw1 = w1;
    VF cu2 = u2;
    VF cw2 = w2;
    // Only the edges that cross the block line in some lane are clipped.
    if (!hn::AllFalse(d, clips)) {
      const VF onLine =
          hn::Div(hn::Add(hn::Mul(u1, hn::Sub(w2, wBlk)), hn::Mul(u2, hn::Sub(wBlk, w1))),
                  hn::IfThenElse(clips, hn::Sub(w2, w1), one));
      cu1 = hn::IfThenElse(clip1, onLine, u1);
      cw1 = hn::IfThenElse(clip1, wBlk, w1);
      cu2 = hn::IfThenElse(clip2, onLine, u2);
      cw2 = hn::IfThenElse(clip2, wBlk, w2);
    }
    const VF r1 = hn::Sub(cw1, wNa);
    const VF r2 = hn::Sub(cw2, wNa);
    // Halving by a multiply: x * 0.5 and x / 2 are the same correctly
    // rounded value for every x.
    const VF dF = hn::Mul(hn::Mul(hn::Mul(stress, hn::Add(cu1, cu2)), half), hn::Sub(r2, r1));
    F = hn::IfThenElse(taken, hn::Sub(F, dF), F);
    if constexpr (kMoments) {
      const VF two = hn::Set(d, 2.0);
      const VF six = hn::Set(d, 6.0);
      const VF a = hn::Add(hn::Mul(cu1, hn::Add(hn::Mul(two, r1), r2)),
                           hn::Mul(cu2, hn::Add(r1, hn::Mul(two, r2))));
      const VF dMa = hn::Div(hn::Mul(hn::Mul(stress, hn::Sub(r2, r1)), a), six);
      const VF b = hn::Add(hn::Add(hn::Mul(cu1, cu1), hn::Mul(cu1, cu2)), hn::Mul(cu2, cu2));
      const VF dMb = hn::Div(hn::Mul(hn::Mul(stress, hn::Sub(r2, r1)), b), six);
      Ma = hn::IfThenElse(taken, hn::Sub(Ma, dMa), Ma);
      Mb = hn::IfThenElse(taken, hn::Add(Mb, dMb), Mb);
    }
  }
}

// The whole kernel (see the one-at-a-time Integrate and IntegrateBars).
template <bool kMoments>
HWY_INLINE void EvaluateAll(const SectionLaneConstants& k, SectionLanes& s) {
  const DF d;
  const VF c = hn::Load(d, s.c);
  const VF top = hn::Load(d, s.top);
  const VF beta1 = hn::Set(d, k.beta1);
  const VF stress = hn::Set(d, k.blockStress);
  const VF wNa = hn::Sub(top, c);
  const VF wBlk = hn::Sub(top, hn::Mul(beta1, c));
  VF F = hn::Zero(d);
  VF Ma = hn::Zero(d);
  VF Mb = hn::Zero(d);
  PolygonLanes<kMoments>(s.vertexU, s.vertexW, k.numVertices, wNa, wBlk, stress, F, Ma, Mb);
  if (k.flanges) {
    PolygonLanes<kMoments>(s.leftFlangeU, s.leftFlangeW, kFlangeVertices, wNa, wBlk, stress, F,
                           Ma, Mb);
    PolygonLanes<kMoments>(s.rightFlangeU, s.rightFlangeW, kFlangeVertices, wNa, wBlk, stress, F,
                           Ma, Mb);
  }
  if constexpr (kMoments) {
    Ma = hn::Add(Ma, hn::Mul(wNa, F));
  }
  const VF epsCu = hn::Set(d, k.epsCu);
  const VF epsY = hn::Set(d, k.epsYield);
  const VF epsYc = hn::Set(d, k.epsYieldComp);
  const VF phiEs = hn::Set(d, k.phiEs);
  const VF inBlock = hn::Mul(hn::Sub(hn::Set(d, 1.0), beta1), c);
  VF largest = hn::Set(d, -k.epsCu);
  VF sumF = hn::Zero(d);
  VF sumFw = hn::Zero(d);
  VF sumFu = hn::Zero(d);
  for (int j = 1; j <= k.numBars; ++j) {
    const VF wj = hn::Load(d, s.barW + j * kMaxSectionLanes);
    VF e = hn::Div(hn::Mul(hn::Sub(wNa, wj), epsCu), c);
    largest = hn::IfThenElse(hn::Gt(e, largest), e, largest);
    e = hn::IfThenElse(hn::Lt(e, epsYc), epsYc, hn::IfThenElse(hn::Gt(e, epsY), epsY, e));
    VF f = hn::Mul(phiEs, e);
    f = hn::IfThenElse(hn::Gt(hn::Sub(wj, wNa), inBlock), hn::Add(f, stress), f);
    sumF = hn::Add(sumF, f);
    if constexpr (kMoments) {
      sumFw = hn::Add(sumFw, hn::Mul(f, wj));
      sumFu = hn::Add(sumFu, hn::Mul(f, hn::Load(d, s.barU + j * kMaxSectionLanes)));
    }
  }
  const VF barArea = hn::Set(d, k.barArea);
  hn::Store(hn::Add(F, hn::Mul(barArea, sumF)), d, s.F);
  hn::Store(largest, d, s.strain);
  if constexpr (kMoments) {
    hn::Store(hn::Add(Ma, hn::Mul(barArea, sumFw)), d, s.Ma);
    hn::Store(hn::Sub(Mb, hn::Mul(barArea, sumFu)), d, s.Mb);
  }
}

void Evaluate(const SectionLaneConstants& k, SectionLanes& lanes, bool moments) {
  if (moments) {
    EvaluateAll<true>(k, lanes);
  } else {
    EvaluateAll<false>(k, lanes);
  }
}

// Mirrors, lane by lane, one step of the depth solve (AcceptLaneTrial,
// NarrowBracket, NextLaneTrial): the trial's factor (kPcomp for trial 1,
// kPtens for trial 2, the strain's after), its factored force, converged
// when |F - P| (|P - F| from trial 3) < 0.0001, the high side (F > P for
// trial 2, else !(F < P)), the bracket set up by trial 1 or narrowed, the
// stall guard after an interpolation step, the step guard, then the next
// depth: d kt for trial 2, halving on odd steps, interpolation on even
// ones. Lanes that do not step keep everything; a division a lane does
// not make divides by 1. Returns the lanes (bit L) that converged or met a
// guard.
unsigned StepDepth(const DepthLaneConstants& k, DepthLaneSteps& st, SectionLanes& lanes) {
  const DF d;
  const hn::RebindToSigned<DF> di;
  using M = hn::Mask<DF>;
  const VF zero = hn::Zero(d);
  const VF one = hn::Set(d, 1.0);
  const M plain = hn::Gt(hn::Load(d, st.plain), zero);
  const auto t = hn::Load(di, st.t);
  const auto ione = hn::Set(di, 1);
  const auto itwo = hn::Set(di, 2);
  const M first = hn::RebindMask(d, hn::Eq(t, ione));
  const M second = hn::RebindMask(d, hn::Eq(t, itwo));
  const M fixed = hn::Or(first, second);
  const VF P = hn::Load(d, st.P);
  const VF depth = hn::Load(d, lanes.c);
  const VF phi = hn::IfThenElse(first, hn::Set(d, k.kPcomp),
                                hn::IfThenElse(second, hn::Set(d, k.kPtens), hn::Load(d, st.phi)));
  const VF F = hn::Mul(phi, hn::Load(d, lanes.F));
  const VF miss = hn::IfThenElse(fixed, hn::Sub(F, P), hn::Sub(P, F));
  const M converged = hn::And(plain, hn::Lt(hn::Abs(miss), hn::Set(d, 0.0001)));
  const M go = hn::AndNot(converged, plain);
  const M hi = hn::Or(hn::And(second, hn::Gt(F, P)), hn::AndNot(second, hn::Not(hn::Lt(F, P))));
  const VF cLo = hn::Load(d, st.cLo);
  const VF fLo = hn::Load(d, st.fLo);
  const VF cHi = hn::Load(d, st.cHi);
  const VF fHi = hn::Load(d, st.fHi);
  VF nCLo = hn::IfThenElse(hi, cLo, depth);
  VF nFLo = hn::IfThenElse(hi, fLo, F);
  VF nCHi = hn::IfThenElse(hi, depth, cHi);
  VF nFHi = hn::IfThenElse(hi, F, fHi);
  const VF dEff = hn::Load(d, st.d);
  if (!hn::AllFalse(d, hn::And(go, first))) {
    // Trial 1 sets the bracket up: below P, from it to zero depth at Pt;
    // above, from the deeper of the compression-yield depth and the full
    // block (at -Po) to it.
    const VF yieldDepth = hn::Mul(dEff, hn::Set(d, k.kc));
    const VF fullBlock = hn::Div(hn::Load(d, st.h), hn::Set(d, k.beta1));
    const VF deep = hn::IfThenElse(hn::Lt(yieldDepth, fullBlock), fullBlock, yieldDepth);
    nCLo = hn::IfThenElse(first, hn::IfThenElse(hi, deep, depth), nCLo);
    nFLo = hn::IfThenElse(first, hn::IfThenElse(hi, hn::Neg(hn::Set(d, k.Po)), F), nFLo);
    nCHi = hn::IfThenElse(first, hn::IfThenElse(hi, depth, zero), nCHi);
    nFHi = hn::IfThenElse(first, hn::IfThenElse(hi, F, hn::Set(d, k.Pt)), nFHi);
  }
  const M even = hn::RebindMask(d, hn::Eq(hn::And(t, ione), hn::Zero(di)));
  const M same = hn::RebindMask(
      d, hn::And(hn::And(hn::Eq(hn::BitCast(di, nCLo), hn::BitCast(di, hn::Load(d, st.beforeCLo))),
                         hn::Eq(hn::BitCast(di, nFLo), hn::BitCast(di, hn::Load(d, st.beforeFLo)))),
                 hn::And(hn::Eq(hn::BitCast(di, nCHi), hn::BitCast(di, hn::Load(d, st.beforeCHi))),
                         hn::Eq(hn::BitCast(di, nFHi), hn::BitCast(di, hn::Load(d, st.beforeFHi))))));
  const M stall = hn::And(hn::AndNot(fixed, go), hn::And(even, same));
  const auto t1 = hn::Add(t, ione);
  const auto n = hn::Sub(t1, itwo);
  const M over = hn::AndNot(stall, hn::And(go, hn::RebindMask(d, hn::Gt(n, hn::Set(di, k.maxSteps)))));
  const M cont = hn::AndNot(over, hn::AndNot(stall, go));
  const M odd = hn::RebindMask(d, hn::Eq(hn::And(n, ione), ione));
  const M toSecond = hn::And(cont, first);
  const M halve = hn::AndNot(toSecond, hn::And(cont, odd));
  const M interpolate = hn::AndNot(toSecond, hn::AndNot(odd, cont));
  const VF mid = hn::Mul(hn::Add(nCHi, nCLo), hn::Set(d, 0.5));
  const VF line = hn::Div(hn::Add(hn::Mul(hn::Sub(nFHi, P), nCLo), hn::Mul(hn::Sub(P, nFLo), nCHi)),
                          hn::IfThenElse(interpolate, hn::Sub(nFHi, nFLo), one));
  const VF next = hn::IfThenElse(toSecond, hn::Mul(dEff, hn::Set(d, k.kt)),
                                 hn::IfThenElse(halve, mid, line));
  hn::Store(hn::IfThenElse(cont, next, depth), d, lanes.c);
  hn::Store(hn::IfThenElse(go, nCLo, cLo), d, st.cLo);
  hn::Store(hn::IfThenElse(go, nFLo, fLo), d, st.fLo);
  hn::Store(hn::IfThenElse(go, nCHi, cHi), d, st.cHi);
  hn::Store(hn::IfThenElse(go, nFHi, fHi), d, st.fHi);
  hn::Store(hn::IfThenElse(halve, nCLo, hn::Load(d, st.beforeCLo)), d, st.beforeCLo);
  hn::Store(hn::IfThenElse(halve, nFLo, hn::Load(d, st.beforeFLo)), d, st.beforeFLo);
  hn::Store(hn::IfThenElse(halve, nCHi, hn::Load(d, st.beforeCHi)), d, st.beforeCHi);
  hn::Store(hn::IfThenElse(halve, nFHi, hn::Load(d, st.beforeFHi)), d, st.beforeFHi);
  hn::Store(hn::IfThenElse(hn::RebindMask(di, cont), t1, t), di, st.t);
  hn::Store(phi, d, st.phi);
  hn::Store(hn::IfThenElseZero(converged, one), d, st.converged);
  const M guard = hn::Or(stall, over);
  hn::Store(hn::IfThenElseZero(guard, one), d, st.guard);
  uint8_t ended[8] = {};
  hn::StoreMaskBits(d, hn::Or(converged, guard), ended);
  return ended[0];
}

unsigned EvaluateStep(const SectionLaneConstants& k, const DepthLaneConstants& kd,
                      SectionLanes& lanes, DepthLaneSteps& st, bool moments, bool step) {
  Evaluate(k, lanes, moments);
  if (!step) {
    return 0;
  }
  const DF d;
  const int width = static_cast<int>(hn::Lanes(d));
  for (int L = 0; L < width; ++L) {
    st.phi[L] = ResistanceFactorForStrain(lanes.strain[L]);
  }
  return StepDepth(kd, st, lanes);
}

// The points (z, y) 1..n turned to the angle (ca, sa) into lane L's points
// (u, w), whole vectors of points at a time with the one-at-a-time
// operations. The highest and lowest w (each against 0) go to extremes[0]
// and [1]: a running "greater than" keeps +0 over -0 and the first of
// equal values, and equal values other than zeros have the same bits, so
// taking the extremes per vector lane and then across gives the bits of
// the one-at-a-time scan.
void TurnPoints(const double* z, const double* y, int n, double ca, double sa, double* u,
                double* w, int L, double* extremes) {
  const DF d;
  const int width = static_cast<int>(hn::Lanes(d));
  const VF vca = hn::Set(d, ca);
  const VF vsa = hn::Set(d, sa);
  VF high = hn::Zero(d);
  VF low = hn::Zero(d);
  HWY_ALIGN double turnedU[kMaxSectionLanes];
  HWY_ALIGN double turnedW[kMaxSectionLanes];
  int v = 1;
  for (; v + width - 1 <= n; v += width) {
    const VF pz = hn::LoadU(d, z + v);
    const VF py = hn::LoadU(d, y + v);
    const VF pw = hn::Add(hn::Mul(hn::Neg(pz), vsa), hn::Mul(py, vca));
    high = hn::IfThenElse(hn::Gt(pw, high), pw, high);
    low = hn::IfThenElse(hn::Lt(pw, low), pw, low);
    hn::Store(hn::Add(hn::Mul(pz, vca), hn::Mul(py, vsa)), d, turnedU);
    hn::Store(pw, d, turnedW);
    for (int i = 0; i < width; ++i) {
      u[(v + i) * kMaxSectionLanes + L] = turnedU[i];
      w[(v + i) * kMaxSectionLanes + L] = turnedW[i];
    }
  }
  hn::Store(high, d, turnedU);
  hn::Store(low, d, turnedW);
  double top = 0;
  double lowest = 0;
  for (int i = 0; i < width; ++i) {
    top = turnedU[i] > top ? turnedU[i] : top;
    lowest = turnedW[i] < lowest ? turnedW[i] : lowest;
  }
  for (; v <= n; ++v) {
    const double pu = z[v] * ca + y[v] * sa;
    const double pw = -z[v] * sa + y[v] * ca;
    u[v * kMaxSectionLanes + L] = pu;
    w[v * kMaxSectionLanes + L] = pw;
    top = pw > top ? pw : top;
    lowest = pw < lowest ? pw : lowest;
  }
  extremes[0] = top;
  extremes[1] = lowest;
}

}  // namespace HWY_NAMESPACE
}  // namespace ostrel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ostrel {

HWY_EXPORT(LaneCount);
HWY_EXPORT(Evaluate);
HWY_EXPORT(StepDepth);
HWY_EXPORT(EvaluateStep);
HWY_EXPORT(TurnPoints);

unsigned EvaluateAndStepLanes(const SectionLaneConstants& k, const DepthLaneConstants& kd,
                              SectionLanes& lanes, DepthLaneSteps& steps, bool moments,
                              bool step) {
  return HWY_DYNAMIC_DISPATCH(EvaluateStep)(k, kd, lanes, steps, moments, step);
}

void StepDepthLanes(const DepthLaneConstants& k, DepthLaneSteps& steps, SectionLanes& lanes) {
  HWY_DYNAMIC_DISPATCH(StepDepth)(k, steps, lanes);
}

void TurnPointsIntoLane(const double* z, const double* y, int n, double ca, double sa,
                        double* u, double* w, int L, double& top, double& lowest) {
  double extremes[2];
  HWY_DYNAMIC_DISPATCH(TurnPoints)(z, y, n, ca, sa, u, w, L, extremes);
  top = extremes[0];
  lowest = extremes[1];
}

int SectionLaneCount() { return HWY_DYNAMIC_DISPATCH(LaneCount)(); }

void EvaluateSectionLanes(const SectionLaneConstants& k, SectionLanes& lanes, bool moments) {
  HWY_DYNAMIC_DISPATCH(Evaluate)(k, lanes, moments);
}

long SectionLaneFlops(const SectionLaneConstants& k, bool moments) {
  // Per edge: the ends from the axis (2) and the force (6), the two moments
  // (22); per polygon two edges crossing the block line, clipped (7); per
  // bar: the force (7) and its moments (4); once: the axis and block line
  // (3), the in-block depth (2), the sums (2, and 6 more with moments). An
  // upper bound: an edge below the block line in every lane costs nothing.
  const long polygons = k.flanges ? 3 : 1;
  const long edges = k.numVertices + (k.flanges ? 2 * kFlangeVertices : 0);
  const long perEdge = moments ? 8 + 22 : 8;
  const long perBar = moments ? 7 + 4 : 7;
  return edges * perEdge + polygons * 2 * 7 + k.numBars * perBar + 5 + (moments ? 8 : 2);
}

}  // namespace ostrel
#endif  // HWY_ONCE

#endif  // OSTREL_LANES
