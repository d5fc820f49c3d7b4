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
  const VF two = hn::Set(d, 2.0);
  const VF half = hn::Set(d, 0.5);
  const VF six = hn::Set(d, 6.0);
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

// Mirrors, lane by lane, the step of the depth solve after its third trial
// (AcceptLaneTrial, NextLaneTrial): F = phi * F, converged when
// |P - F| < 0.0001, the high side when !(F < P), the stall guard after
// an interpolation step, the step guard, then halving (odd steps) or
// interpolation. Lanes that do not step keep everything; the
// interpolation of a lane that halves divides by 1.
void StepDepth(DepthLaneSteps& st, SectionLanes& lanes, long maxSteps) {
  const DF d;
  const hn::RebindToSigned<DF> di;
  const VF zero = hn::Zero(d);
  const VF one = hn::Set(d, 1.0);
  const auto plain = hn::Gt(hn::Load(d, st.plain), zero);
  const VF P = hn::Load(d, st.P);
  const VF depth = hn::Load(d, lanes.c);
  const VF F = hn::Mul(hn::Load(d, st.phi), hn::Load(d, lanes.F));
  const auto converged = hn::And(plain, hn::Lt(hn::Abs(hn::Sub(P, F)), hn::Set(d, 0.0001)));
  const auto go = hn::AndNot(converged, plain);
  const auto hi = hn::Not(hn::Lt(F, P));
  const VF cLo = hn::Load(d, st.cLo);
  const VF fLo = hn::Load(d, st.fLo);
  const VF cHi = hn::Load(d, st.cHi);
  const VF fHi = hn::Load(d, st.fHi);
  const VF nCLo = hn::IfThenElse(hi, cLo, depth);
  const VF nFLo = hn::IfThenElse(hi, fLo, F);
  const VF nCHi = hn::IfThenElse(hi, depth, cHi);
  const VF nFHi = hn::IfThenElse(hi, F, fHi);
  const auto t = hn::Load(di, st.t);
  const auto ione = hn::Set(di, 1);
  const auto even = hn::RebindMask(d, hn::Eq(hn::And(t, ione), hn::Zero(di)));
  const auto same = hn::RebindMask(
      d, hn::And(hn::And(hn::Eq(hn::BitCast(di, nCLo), hn::BitCast(di, hn::Load(d, st.beforeCLo))),
                         hn::Eq(hn::BitCast(di, nFLo), hn::BitCast(di, hn::Load(d, st.beforeFLo)))),
                 hn::And(hn::Eq(hn::BitCast(di, nCHi), hn::BitCast(di, hn::Load(d, st.beforeCHi))),
                         hn::Eq(hn::BitCast(di, nFHi), hn::BitCast(di, hn::Load(d, st.beforeFHi))))));
  const auto stall = hn::And(go, hn::And(even, same));
  const auto t1 = hn::Add(t, ione);
  const auto n = hn::Sub(t1, hn::Set(di, 2));
  const auto over = hn::AndNot(stall, hn::And(go, hn::RebindMask(d, hn::Gt(n, hn::Set(di, maxSteps)))));
  const auto cont = hn::AndNot(over, hn::AndNot(stall, go));
  const auto odd = hn::RebindMask(d, hn::Eq(hn::And(n, ione), ione));
  const auto halve = hn::And(cont, odd);
  const auto interpolate = hn::AndNot(odd, cont);
  const VF mid = hn::Mul(hn::Add(nCHi, nCLo), hn::Set(d, 0.5));
  const VF line = hn::Div(hn::Add(hn::Mul(hn::Sub(nFHi, P), nCLo), hn::Mul(hn::Sub(P, nFLo), nCHi)),
                          hn::IfThenElse(interpolate, hn::Sub(nFHi, nFLo), one));
  hn::Store(hn::IfThenElse(cont, hn::IfThenElse(halve, mid, line), depth), d, lanes.c);
  hn::Store(hn::IfThenElse(go, nCLo, cLo), d, st.cLo);
  hn::Store(hn::IfThenElse(go, nFLo, fLo), d, st.fLo);
  hn::Store(hn::IfThenElse(go, nCHi, cHi), d, st.cHi);
  hn::Store(hn::IfThenElse(go, nFHi, fHi), d, st.fHi);
  hn::Store(hn::IfThenElse(halve, nCLo, hn::Load(d, st.beforeCLo)), d, st.beforeCLo);
  hn::Store(hn::IfThenElse(halve, nFLo, hn::Load(d, st.beforeFLo)), d, st.beforeFLo);
  hn::Store(hn::IfThenElse(halve, nCHi, hn::Load(d, st.beforeCHi)), d, st.beforeCHi);
  hn::Store(hn::IfThenElse(halve, nFHi, hn::Load(d, st.beforeFHi)), d, st.beforeFHi);
  hn::Store(hn::IfThenElse(hn::RebindMask(di, cont), t1, t), di, st.t);
  hn::Store(hn::IfThenElseZero(converged, one), d, st.converged);
  hn::Store(hn::IfThenElseZero(hn::Or(stall, over), one), d, st.guard);
}

}  // namespace HWY_NAMESPACE
}  // namespace ostrel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ostrel {

HWY_EXPORT(LaneCount);
HWY_EXPORT(Evaluate);
HWY_EXPORT(StepDepth);

void StepDepthLanes(DepthLaneSteps& steps, SectionLanes& lanes, long maxSteps) {
  HWY_DYNAMIC_DISPATCH(StepDepth)(steps, lanes, maxSteps);
}

int SectionLaneCount() { return HWY_DYNAMIC_DISPATCH(LaneCount)(); }

void EvaluateSectionLanes(const SectionLaneConstants& k, SectionLanes& lanes, bool moments) {
  HWY_DYNAMIC_DISPATCH(Evaluate)(k, lanes, moments);
}

long SectionLaneFlops(const SectionLaneConstants& k, bool moments) {
  // Per edge: the clip (7), the ends from the axis (2), the force (6), and
  // the two moments (22); per bar: the force (7) and its moments (4); once:
  // the axis and block line (3), the in-block depth (2), the sums (2, and 6
  // with moments).
  const long edges = k.numVertices + (k.flanges ? 2 * kFlangeVertices : 0);
  const long perEdge = moments ? 15 + 22 : 15;
  const long perBar = moments ? 7 + 4 : 7;
  return edges * perEdge + k.numBars * perBar + 5 + (moments ? 8 : 2);
}

}  // namespace ostrel
#endif  // HWY_ONCE

#endif  // OSTREL_LANES
