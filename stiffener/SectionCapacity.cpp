// Bending resistance of a stiffener section under a factored axial force, by
// strain compatibility with the equivalent rectangular stress block: the
// section kernel, the neutral-axis depth solver, the eight fixed capacity
// points and the capacity along a demand direction.
#include <bit>
#include <cmath>
#include <cstdint>

#include "model/CheckedMath.h"
#include "model/CrMath.h"
#include "model/modDesign.h"
#include "stiffener/StiffenerFlexure.h"

#ifdef OSTREL_LANES
#include <algorithm>
#include <array>
#include <vector>

#include "stiffener/SectionLaneKernel.h"
#endif

namespace ostrel {

namespace {

// Both open-ended searches (depth and angle) stop with a run-time error after
// this many steps. A converged search on any real section needs a few dozen;
// the guard only ends searches that would otherwise never stop.
constexpr long kMaxSearchSteps = 100000;

// Stress block over one closed polygon (vertices 1..n) of the current frame.
// Only the part above the lower edge of the block (w > wBlk) counts: an edge
// end below it is moved along the edge onto the block line, so the edge that
// closes the clipped polygon along the block line adds nothing. The sums are
// the area and first moments of that part, measured from the neutral axis.
template <bool kMoments, std::size_t N>
inline void IntegratePolygon(const std::array<double, N>& u, const std::array<double, N>& w,
                             int n, double wNa, double wBlk, double stress, double& F,
                             double& Ma, double& Mb) {
  for (int j = 1; j <= n; ++j) {
    const int next = j == n ? 1 : j + 1;
    double u1 = u[j];
    double w1 = w[j];
    double u2 = u[next];
    double w2 = w[next];
    if (!(w1 > wNa || w2 > wNa)) {
      continue;
    }
    if (!(w1 > wBlk || w2 > wBlk)) {
      continue;
    }
    if (w1 < wBlk) {
      u1 = (u1 * (w2 - wBlk) + u2 * (wBlk - w1)) / (w2 - w1);
      w1 = wBlk;
    } else if (w2 < wBlk) {
      u2 = (u1 * (w2 - wBlk) + u2 * (wBlk - w1)) / (w2 - w1);
      w2 = wBlk;
    }
    const double r1 = w1 - wNa;
    const double r2 = w2 - wNa;
    F = F - stress * (u1 + u2) / 2 * (r2 - r1);
    if constexpr (kMoments) {
      Ma = Ma - stress * (r2 - r1) * (u1 * (2 * r1 + r2) + u2 * (r1 + 2 * r2)) / 6;
      Mb = Mb + stress * (r2 - r1) * (u1 * u1 + u1 * u2 + u2 * u2) / 6;
    }
  }
}

// The bars of the frame for the neutral axis at wNa (depth c): their strains
// limited to the yield strains, the concrete each bar inside the block
// displaces, and the sums added to F (and to the moments with kMoments).
// Returns the largest bar strain.
template <bool kMoments>
inline double IntegrateBars(const StiffenerSection& s, const FlexureWork& x, double wNa, double c,
                            double& F, double& Ma, double& Mb) {
  const double epsCu = x.epsCu;
  const double epsY = x.epsYield;
  const double epsYc = x.epsYieldComp;
  const double phiEs = s.phiEs;
  const double stress = s.blockStress;
  const double inBlock = (1 - s.beta1) * c;
  double largest = -epsCu;
  double sumF = 0;
  double sumFw = 0;
  double sumFu = 0;
  for (int j = 1; j <= s.geo.numBars; ++j) {
    const double wj = x.frameBarW[j];
    double e = (wNa - wj) * epsCu / c;
    if (e > largest) {
      largest = e;
    }
    if (e < epsYc) {
      e = epsYc;
    } else if (e > epsY) {
      e = epsY;
    }
    double f = phiEs * e;
    if (wj - wNa > inBlock) {
      f = f + stress;  // the concrete this bar displaces was counted above
    }
    sumF = sumF + f;
    if constexpr (kMoments) {
      sumFw = sumFw + f * wj;
      sumFu = sumFu + f * x.frameBarU[j];
    }
  }
  F = F + x.barArea * sumF;
  if constexpr (kMoments) {
    Ma = Ma + x.barArea * sumFw;
    Mb = Mb - x.barArea * sumFu;
  }
  return largest;
}

// The kernel: the stress block over the outline and the flanges, then the
// bars; kMoments selects the moment sums. Returns the largest bar strain.
template <bool kMoments>
inline double Integrate(const StiffenerSection& s, const FlexureWork& x, double& F, double& Ma,
                        double& Mb, double c) {
  const double wNa = x.frameTop - c;
  const double wBlk = x.frameTop - s.beta1 * c;
  const double stress = s.blockStress;
  F = 0;
  Ma = 0;
  Mb = 0;

  IntegratePolygon<kMoments>(x.frameVertexU, x.frameVertexW, s.geo.numVertices, wNa, wBlk,
                             stress, F, Ma, Mb);
  // Without flanges the two rectangles sit at the origin and every one of
  // their edges adds an exact 0.
  if (s.hasFlanges != 0) {
    IntegratePolygon<kMoments>(x.frameLeftFlangeU, x.frameLeftFlangeW, kFlangeVertices, wNa,
                               wBlk, stress, F, Ma, Mb);
    IntegratePolygon<kMoments>(x.frameRightFlangeU, x.frameRightFlangeW, kFlangeVertices,
                               wNa, wBlk, stress, F, Ma, Mb);
  }
  if constexpr (kMoments) {
    Ma = Ma + wNa * F;  // concrete moment from the neutral axis to the origin
  }
  return IntegrateBars<kMoments>(s, x, wNa, c, F, Ma, Mb);
}

// Depth ratios and axial resistances for the current yield strains and steel.
// k_c: a compressive yield strain equal to -epsCu makes its denominator zero;
// that is left to the checked arithmetic as a division-by-zero run-time error
// (tested right here), and a negative k_c (yield strain beyond epsCu) is used
// as computed: the lower end of the bracket then rests on h / beta1.
void SetDepthRatios(const StiffenerSection& s, FlexureWork& x) {
  x.kb = x.epsCu / (x.epsCu + x.epsYield);
  x.kc = x.epsCu / (x.epsCu + x.epsYieldComp);
  x.kt = x.epsCu / (x.epsCu + x.epsT);
  x.Pt = x.kPtens * x.As * s.phiFy;
  x.Po = x.kPcomp * ((s.phiFyComp - s.blockStress) * x.As +
                        s.geo.areaGross * s.blockStress);
  CheckFloatFaults();
}

// Near the tensile resistance the section is solved at 0.95 Pt and its
// moments tapered linearly to 0 at Pt.
void AxialForceForSolve(const FlexureWork& x, double P, double& solveP, double& taper) {
  if (0.95 * x.Pt < P) {
    solveP = 0.95 * x.Pt;
    taper = (1 - P / x.Pt) * 20;
  } else {
    solveP = P;
    taper = 1;
  }
}

// Copies the first n points of one part into the frame.
template <std::size_t N>
inline void CopyPoints(const std::array<double, N>& from, int n, std::array<double, N>& to) {
  for (int v = 1; v <= n; ++v) {
    to[v] = from[v];
  }
}

// Makes direction d the current frame. Only the points in use are copied
// (the kernel reads no others), and the flange rectangles only where the
// kernel integrates them.
void LoadDirection(const StiffenerSection& s, FlexureWork& x, int d) {
  const SectionGeometry& g = s.geo;
  CopyPoints(g.rotVertexU[d], g.numVertices, x.frameVertexU);
  CopyPoints(g.rotVertexW[d], g.numVertices, x.frameVertexW);
  if (s.hasFlanges != 0) {
    CopyPoints(g.rotLeftFlangeU[d], kFlangeVertices, x.frameLeftFlangeU);
    CopyPoints(g.rotLeftFlangeW[d], kFlangeVertices, x.frameLeftFlangeW);
    CopyPoints(g.rotRightFlangeU[d], kFlangeVertices, x.frameRightFlangeU);
    CopyPoints(g.rotRightFlangeW[d], kFlangeVertices, x.frameRightFlangeW);
  }
  CopyPoints(g.rotBarU[d], g.numBars, x.frameBarU);
  CopyPoints(g.rotBarW[d], g.numBars, x.frameBarW);
  x.frameTop = g.topFibre[d];
  x.frameBottomBar = g.bottomBar[d];
}

// Both ends of a bracket, compared bit for bit by the stall guards.
struct Bracket {
  double a;
  double b;
  double c;
  double d;
  bool SameAs(const Bracket& o) const {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(o.a) &&
           std::bit_cast<uint64_t>(b) == std::bit_cast<uint64_t>(o.b) &&
           std::bit_cast<uint64_t>(c) == std::bit_cast<uint64_t>(o.c) &&
           std::bit_cast<uint64_t>(d) == std::bit_cast<uint64_t>(o.d);
  }
};

[[noreturn]] void SearchStalled(const char* what) {
  CheckFloatFaults();  // a fault that stalled the search is reported as such
  throw RunTimeError(what);
}

// What the bracket of a depth solve is set up from after its first trial:
// the axial resistances, and the values of its deepest end (used only when
// the first trial's force is too large).
struct SolveStart {
  double Pt;
  double Po;
  double d;
  double Kc;
  double h;
  double beta1;
};

// Narrows the bracket b {cLo, fLo, cHi, fHi} after trial number t (depth c,
// factored force F) on side hi; the first trial sets the bracket up.
inline void NarrowBracket(int t, bool hi, double c, double F, const SolveStart& start,
                          Bracket& b) {
  if (t == 1) {
    if (!hi) {
      b = {c, F, 0, start.Pt};
    } else {
      const double yieldDepth = start.d * start.Kc;
      const double fullBlock = start.h / start.beta1;
      b = {yieldDepth < fullBlock ? fullBlock : yieldDepth, -start.Po, c, F};
    }
  } else if (hi) {
    b.c = c;
    b.d = F;
  } else {
    b.a = c;
    b.b = F;
  }
}

// The side of the bracket a trial's force P belongs to: the second trial
// takes the high end when above P, the others the low end when below P.
inline bool HighSide(int t, double F, double P) { return t == 2 ? F > P : !(F < P); }

// Whether trial number t with force F has converged on P.
inline bool DepthConverged(int t, double F, double P) {
  return t <= 2 ? std::fabs(F - P) < 0.0001 : std::fabs(P - F) < 0.0001;
}

// Where a depth solve stands after the trials its tree knew: the trials
// taken, the last of them in the tree, and the side its force fell on.
struct SolveProgress {
  int t = 0;
  int last = DepthTrialTree::kNone;
  bool hi = false;
};

// Replays the trials the tree knows, each taken as the solve would take it;
// true, with the depth c, its phi and its index, when one of them converged.
bool ReplayDepthTrials(const DepthTrialTree& tree, double P, SolveProgress& at, double& c,
                       double& phi, int& found) {
  int index = 0;
  double F = tree.RootValue();
  do {
    ++at.t;
    at.last = index;
    if (DepthConverged(at.t, F, P)) {
      const DepthTrial& known = tree.TrialAt(index);
      phi = known.phi;
      found = index;
      c = known.c;
      return true;
    }
    at.hi = HighSide(at.t, F, P);
    const DepthTrialTree::Link& link = tree.LinkAt(index);
    index = link.next[at.hi ? 1 : 0];
    F = link.nextValue[at.hi ? 1 : 0];
  } while (index != DepthTrialTree::kNone);
  return false;
}

// Trial number t of a solve for P from the bracket b (effective depth d):
// returns its depth with its factored force F and resistance factor phi. A
// halving step keeps the bracket before it in `before`.
inline double TakeDepthTrial(const StiffenerSection& s, const FlexureWork& x, int t, double d,
                             double P, const Bracket& b, Bracket& before, double& F,
                             double& phi) {
  double unused = 0;
  double c = 0;
  if (t == 1) {
    c = d * x.kb;
    Integrate<false>(s, x, F, unused, unused, c);
    F = x.kPcomp * F;
    phi = x.kPcomp;
    return c;
  }
  if (t == 2) {
    c = d * x.kt;
    Integrate<false>(s, x, F, unused, unused, c);
    F = x.kPtens * F;
    phi = x.kPtens;
    return c;
  }
  const long n = t - 2;  // step of the alternating search
  if (n > kMaxSearchSteps) {
    SearchStalled("neutral-axis depth search does not converge");
  }
  if (n % 2 == 1) {
    before = b;
    c = (b.c + b.a) * 0.5;
  } else {
    c = ((b.d - P) * b.a + (P - b.b) * b.c) / (b.d - b.b);
  }
  const double strain = Integrate<false>(s, x, F, unused, unused, c);
  phi = ResistanceFactorForStrain(strain);
  F = phi * F;
  return c;
}

// Two trials at the balanced and the tension-limit depths, then alternating
// halving and straight-line steps of the bracket, the first a halving step.
// With a tree, the trials it knows are replayed and the new ones kept;
// `found` receives the index of the trial the solve ended on (kNone without
// a tree or when it was not kept).
double SolveDepthUnchecked(const StiffenerSection& s, const FlexureWork& x, double P, double h,
                           double& phi, DepthTrialTree* tree, int& found) {
  const double d = x.frameTop - x.frameBottomBar;
  constexpr int kNone = DepthTrialTree::kNone;
  found = kNone;
  SolveProgress at;
  if (tree != nullptr && !tree->Empty()) {
    double c = 0;
    if (ReplayDepthTrials(*tree, P, at, c, phi, found)) {
      return c;
    }
  }

  const SolveStart start{x.Pt, x.Po, d, x.kc, h, s.beta1};
  // Then the section itself, from the bracket after the last known trial.
  Bracket b{};
  // Guard: a pair of steps that leaves the bracket bit-identical would repeat
  // forever, and no solve runs more than kMaxSearchSteps steps.
  Bracket before{};
  int t = at.t;
  int last = at.last;
  bool hi = at.hi;
  if (last != kNone) {
    const DepthTrial& known = tree->TrialAt(last);
    b = {known.arrival[0], known.arrival[1], known.arrival[2], known.arrival[3]};
    if (t >= 3 && (t - 2) % 2 == 1) {
      before = b;
    }
    NarrowBracket(t, hi, known.c, known.F, start, b);
  }
  bool keep = tree != nullptr;
  for (;;) {
    ++t;
    const Bracket arrival = b;
    double F = 0;
    double trialPhi = 0;
    const double c = TakeDepthTrial(s, x, t, d, P, b, before, F, trialPhi);
    phi = trialPhi;
    keep = keep && t <= DepthTrialTree::kSharedTrials;
    // A trial is kept once its step has passed every check.
    const int parentSide = hi ? 1 : 0;
    const DepthTrial kept{
        c, F, trialPhi, {arrival.a, arrival.b, arrival.c, arrival.d}, false, 0, 0};
    if (DepthConverged(t, F, P)) {
      found = keep ? tree->Add(last, parentSide, kept, kept.F) : kNone;
      return c;
    }
    hi = HighSide(t, F, P);
    NarrowBracket(t, hi, c, F, start, b);
    if (t >= 3 && (t - 2) % 2 == 0 && before.SameAs(b)) {
      SearchStalled("neutral-axis depth search does not converge");
    }
    if (keep) {
      last = tree->Add(last, parentSide, kept, kept.F);
      keep = last != kNone;
    }
  }
}

// Moments of the depth c a solve ended on: those kept with its trial when the
// tree has them, else the kernel's, then kept with the trial.
void MomentsAtDepth(const StiffenerSection& s, const FlexureWork& x, double c,
                    DepthTrialTree* tree, int found, double& Ma, double& Mb) {
  if (found != DepthTrialTree::kNone && tree->TrialAt(found).hasMoments) {
    const DepthTrial& known = tree->TrialAt(found);
    Ma = known.Ma;
    Mb = known.Mb;
    return;
  }
  double F = 0;
  Integrate<true>(s, x, F, Ma, Mb, c);
  if (found != DepthTrialTree::kNone) {
    DepthTrial& known = tree->TrialAt(found);
    known.hasMoments = true;
    known.Ma = Ma;
    known.Mb = Mb;
  }
}

inline bool Suspended(const FlexureWork& x) { return *x.suspendFlag == 1; }

// The eight capacity points for the axial force P; with `replay`, the depth
// solves replay and keep the trials of the current check (checkTrials).
void CapacityPoints(const StiffenerSection& s, FlexureWork& x, double P, bool replay) {
  const SectionGeometry& g = s.geo;
  x.epsYield = s.phiFy / s.phiEs;
  x.epsYieldComp = -s.phiFyComp / s.phiEs;
  SetDepthRatios(s, x);
  double solveP = 0;
  double taper = 0;
  AxialForceForSolve(x, P, solveP, taper);

  for (int i = 1; i <= kNumDirections; ++i) {
    if (Suspended(x)) {
      WaitWhileSuspended();
    }
    LoadDirection(s, x, i);
    DepthTrialTree* tree = replay ? &x.checkTrials[static_cast<size_t>(i)] : nullptr;
    double phi = 0;
    int found = DepthTrialTree::kNone;
    const double c = SolveDepthUnchecked(s, x, solveP, g.sectionDepth[i], phi, tree, found);
    CheckFloatFaults();
    double Ma = 0, Mb = 0;
    MomentsAtDepth(s, x, c, tree, found, Ma, Mb);
    Ma = Ma * taper;
    Mb = Mb * taper;
    x.capMuz[i] = (Ma * g.dirCos[i] - Mb * g.dirSin[i]) * phi;
    x.capMuy[i] = (Mb * g.dirCos[i] + Ma * g.dirSin[i]) * phi;
  }
  CheckFloatFaults();
}

// Makes the outline and the bars turned to the neutral-axis angle (cosine
// ca, sine sa) the frame; the flange rectangles keep what the frame holds
// (the angle search serves only sections whose flange rectangles are empty).
// Returns the concrete depth of the frame.
double LoadAngleFrame(const SectionGeometry& g, FlexureWork& x, double ca, double sa) {
  double top = 0;
  double lowest = 0;
  for (int v = 1; v <= g.numVertices; ++v) {
    if (Suspended(x)) {
      WaitWhileSuspended();
    }
    const double u = g.vertexZ[v] * ca + g.vertexY[v] * sa;
    const double w = -g.vertexZ[v] * sa + g.vertexY[v] * ca;
    x.frameVertexU[v] = u;
    x.frameVertexW[v] = w;
    if (w > top) {
      top = w;
    }
    if (w < lowest) {
      lowest = w;
    }
  }
  double bottomBar = 0;
  for (int b = 1; b <= g.numBars; ++b) {
    const double u = g.barZ[b] * ca + g.barY[b] * sa;
    const double w = -g.barZ[b] * sa + g.barY[b] * ca;
    x.frameBarU[b] = u;
    x.frameBarW[b] = w;
    if (w < bottomBar) {
      bottomBar = w;
    }
  }
  x.frameTop = top;
  x.frameBottomBar = bottomBar;
  return top - lowest;
}

// Yield strains and depth ratios of the angle search: the compressive yield
// strain is kept below the crushing strain, for this and every later kernel
// call until the next set of capacity points.
void SetAngleSearchStrains(const StiffenerSection& s, FlexureWork& x) {
  const double yieldComp = s.phiFyComp / s.phiEs;
  const double crushLimit = x.epsCu - 0.0001;
  x.epsYieldComp = -(yieldComp < crushLimit ? yieldComp : crushLimit);
  x.epsYield = s.phiFy / s.phiEs;
  SetDepthRatios(s, x);
}

// Capacity moments (|Muy|, |Muz| floored at 0.0001) with the neutral axis at
// angle a, for the axial force solveP and the taper of its moments.
void CapacityAtAngle(const StiffenerSection& s, FlexureWork& x, double a, double solveP,
                     double taper, double& capMuy, double& capMuz) {
  const double ca = DesignCos(a);
  const double sa = DesignSin(a);
  const double h = LoadAngleFrame(s.geo, x, ca, sa);
  double phi = 0;
  const double c = SolveNeutralAxisDepth(s, x, solveP, h, phi);
  double F = 0, Ma = 0, Mb = 0;
  Integrate<true>(s, x, F, Ma, Mb, c);
  Ma = Ma * taper;
  Mb = Mb * taper;
  capMuz = std::fabs((Ma * ca - Mb * sa) * phi);
  if (capMuz < 0.0001) {
    capMuz = 0.0001;
  }
  capMuy = std::fabs((Ma * sa + Mb * ca) * phi);
}

}  // namespace

#ifdef OSTREL_LANES
namespace {

// What a lane asks of the next kernel evaluation, or why it asks nothing.
enum class LaneNeed { kIdle, kForce, kMoments, kDone, kGuard };

// A depth solve advanced one trial per kernel evaluation of its lane: the
// steps of SolveDepthUnchecked, split where it calls the kernel.
struct LaneSolve {
  double P = 0;
  double h = 0;
  double d = 0;
  DepthTrialTree* tree = nullptr;
  SolveStart start{};
  Bracket b{};
  Bracket before{};
  Bracket arrival{};
  int t = 0;
  int last = DepthTrialTree::kNone;
  bool hi = false;
  bool keep = false;
  double c = 0;
  double phi = 0;
  int found = DepthTrialTree::kNone;
};

// The depth of the next trial (TakeDepthTrial before its kernel call).
LaneNeed NextLaneTrial(const FlexureWork& x, LaneSolve& L) {
  ++L.t;
  if (L.keep && L.t <= DepthTrialTree::kSharedTrials) {
    L.arrival = L.b;  // only a trial that may be kept needs it
  }
  if (L.t == 1) {
    L.c = L.d * x.kb;
  } else if (L.t == 2) {
    L.c = L.d * x.kt;
  } else {
    const long n = L.t - 2;
    if (n > kMaxSearchSteps) {
      return LaneNeed::kGuard;
    }
    if (n % 2 == 1) {
      L.before = L.b;
      L.c = (L.b.c + L.b.a) * 0.5;
    } else {
      L.c = ((L.b.d - L.P) * L.b.a + (L.P - L.b.b) * L.b.c) / (L.b.d - L.b.b);
    }
  }
  return LaneNeed::kForce;
}

// The start of a solve in the frame whose extreme fibres are top and
// bottomBar: the replay of the known trials, then the first new trial;
// kDone when a known trial converged.
LaneNeed BeginLaneSolve(const StiffenerSection& s, const FlexureWork& x, double top,
                        double bottomBar, LaneSolve& L) {
  constexpr int kNone = DepthTrialTree::kNone;
  L.d = top - bottomBar;
  L.found = kNone;
  SolveProgress at;
  if (L.tree != nullptr && !L.tree->Empty()) {
    double c = 0;
    if (ReplayDepthTrials(*L.tree, L.P, at, c, L.phi, L.found)) {
      L.c = c;
      return LaneNeed::kDone;
    }
  }
  L.start = {x.Pt, x.Po, L.d, x.kc, L.h, s.beta1};
  L.b = {};
  L.before = {};
  L.t = at.t;
  L.last = at.last;
  L.hi = at.hi;
  if (L.last != kNone) {
    const DepthTrial& known = L.tree->TrialAt(L.last);
    L.b = {known.arrival[0], known.arrival[1], known.arrival[2], known.arrival[3]};
    if (L.t >= 3 && (L.t - 2) % 2 == 1) {
      L.before = L.b;
    }
    NarrowBracket(L.t, L.hi, known.c, known.F, L.start, L.b);
  }
  L.keep = L.tree != nullptr;
  return NextLaneTrial(x, L);
}

// The kernel's force Fk (largest bar strain `strain`) at the trial depth:
// the rest of the step of SolveDepthUnchecked.
LaneNeed AcceptLaneTrial(const FlexureWork& x, double Fk, double strain, LaneSolve& L) {
  double F = 0;
  double trialPhi = 0;
  if (L.t == 1) {
    F = x.kPcomp * Fk;
    trialPhi = x.kPcomp;
  } else if (L.t == 2) {
    F = x.kPtens * Fk;
    trialPhi = x.kPtens;
  } else {
    trialPhi = ResistanceFactorForStrain(strain);
    F = trialPhi * Fk;
  }
  L.phi = trialPhi;
  L.keep = L.keep && L.t <= DepthTrialTree::kSharedTrials;
  const int parentSide = L.hi ? 1 : 0;
  auto kept = [&] {
    const Bracket& a = L.arrival;
    return DepthTrial{L.c, F, trialPhi, {a.a, a.b, a.c, a.d}, false, 0, 0};
  };
  if (DepthConverged(L.t, F, L.P)) {
    L.found = L.keep ? L.tree->Add(L.last, parentSide, kept(), F) : DepthTrialTree::kNone;
    return LaneNeed::kDone;
  }
  L.hi = HighSide(L.t, F, L.P);
  NarrowBracket(L.t, L.hi, L.c, F, L.start, L.b);
  if (L.t >= 3 && (L.t - 2) % 2 == 0 && L.before.SameAs(L.b)) {
    return LaneNeed::kGuard;
  }
  if (L.keep) {
    L.last = L.tree->Add(L.last, parentSide, kept(), F);
    L.keep = L.last != DepthTrialTree::kNone;
  }
  return NextLaneTrial(x, L);
}

// Fixed direction d as lane L's frame (LoadDirection); its lowest bar.
double LoadDirectionLane(const StiffenerSection& s, int d, SectionLanes& lanes, int L) {
  const SectionGeometry& g = s.geo;
  constexpr int W = kMaxSectionLanes;
  for (int v = 1; v <= g.numVertices; ++v) {
    lanes.vertexU[v * W + L] = g.rotVertexU[d][v];
    lanes.vertexW[v * W + L] = g.rotVertexW[d][v];
  }
  if (s.hasFlanges != 0) {
    for (int v = 1; v <= kFlangeVertices; ++v) {
      lanes.leftFlangeU[v * W + L] = g.rotLeftFlangeU[d][v];
      lanes.leftFlangeW[v * W + L] = g.rotLeftFlangeW[d][v];
      lanes.rightFlangeU[v * W + L] = g.rotRightFlangeU[d][v];
      lanes.rightFlangeW[v * W + L] = g.rotRightFlangeW[d][v];
    }
  }
  for (int b = 1; b <= g.numBars; ++b) {
    lanes.barU[b * W + L] = g.rotBarU[d][b];
    lanes.barW[b * W + L] = g.rotBarW[d][b];
  }
  lanes.top[L] = g.topFibre[d];
  return g.bottomBar[d];
}

// The outline and bars turned to the neutral-axis angle (ca, sa) as lane
// L's frame (LoadAngleFrame); returns the concrete depth, and the lowest bar
// in bottomBar.
double LoadAngleLane(const SectionGeometry& g, double ca, double sa, SectionLanes& lanes, int L,
                     double& bottomBar) {
  double top = 0;
  double lowest = 0;
  TurnPointsIntoLane(g.vertexZ.data(), g.vertexY.data(), g.numVertices, ca, sa, lanes.vertexU,
                     lanes.vertexW, L, top, lowest);
  double barTop = 0;
  TurnPointsIntoLane(g.barZ.data(), g.barY.data(), g.numBars, ca, sa, lanes.barU, lanes.barW, L,
                     barTop, bottomBar);
  lanes.top[L] = top;
  return top - lowest;
}

// Lane `from`'s frame and depth copied to lane `to`: a lane without a
// search repeats an evaluation another lane makes, so it cannot fault where
// the searches do not.
void CopyLane(const SectionLaneConstants& k, SectionLanes& lanes, int from, int to) {
  constexpr int W = kMaxSectionLanes;
  for (int v = 1; v <= k.numVertices; ++v) {
    lanes.vertexU[v * W + to] = lanes.vertexU[v * W + from];
    lanes.vertexW[v * W + to] = lanes.vertexW[v * W + from];
  }
  for (int v = 1; v <= kFlangeVertices; ++v) {
    lanes.leftFlangeU[v * W + to] = lanes.leftFlangeU[v * W + from];
    lanes.leftFlangeW[v * W + to] = lanes.leftFlangeW[v * W + from];
    lanes.rightFlangeU[v * W + to] = lanes.rightFlangeU[v * W + from];
    lanes.rightFlangeW[v * W + to] = lanes.rightFlangeW[v * W + from];
  }
  for (int b = 1; b <= k.numBars; ++b) {
    lanes.barU[b * W + to] = lanes.barU[b * W + from];
    lanes.barW[b * W + to] = lanes.barW[b * W + from];
  }
  lanes.top[to] = lanes.top[from];
  lanes.c[to] = lanes.c[from];
}

// The lanes' frames and depth steps of the calling thread (one batch at a
// time).
SectionLanes& ThreadLanes() {
  thread_local SectionLanes lanes{};
  return lanes;
}
DepthLaneSteps& ThreadSteps() {
  thread_local DepthLaneSteps steps{};
  return steps;
}

SectionLaneConstants LaneConstants(const StiffenerSection& s, const FlexureWork& x) {
  return {s.geo.numVertices, s.geo.numBars, s.hasFlanges != 0, s.beta1, s.blockStress, s.phiEs,
          x.epsCu, x.epsYield, x.epsYieldComp, x.barArea};
}

// Whether lane solve L's trial steps on the vector lanes: any trial that
// is not kept in a tree.
inline bool PlainTrial(const LaneSolve& v) {
  return !(v.keep && v.t <= DepthTrialTree::kSharedTrials);
}

// Lane L's solve handed to the vector steps.
void ToSteps(const LaneSolve& v, DepthLaneSteps& st, int L) {
  st.plain[L] = 1;
  st.P[L] = v.P;
  st.d[L] = v.d;
  st.h[L] = v.h;
  st.cLo[L] = v.b.a;
  st.fLo[L] = v.b.b;
  st.cHi[L] = v.b.c;
  st.fHi[L] = v.b.d;
  st.beforeCLo[L] = v.before.a;
  st.beforeFLo[L] = v.before.b;
  st.beforeCHi[L] = v.before.c;
  st.beforeFHi[L] = v.before.d;
  st.t[L] = v.t;
}

// Lane L's solve back from the vector steps after its last trial (depth c).
void FromSteps(const DepthLaneSteps& st, double c, LaneSolve& v, int L) {
  v.b = {st.cLo[L], st.fLo[L], st.cHi[L], st.fHi[L]};
  v.before = {st.beforeCLo[L], st.beforeFLo[L], st.beforeCHi[L], st.beforeFHi[L]};
  v.t = static_cast<int>(st.t[L]);
  v.phi = st.phi[L];
  v.c = c;
  v.found = DepthTrialTree::kNone;
}

// Runs the searches of `search` on the lanes, one kernel evaluation of every
// lane per step: Next(L) gives lane L its next search (or kIdle), Result(L)
// takes the lane's evaluation of what it asked for, Converged(L) ends a
// depth solve the vector steps finished, Solve(L) is the lane's depth solve.
// The trials of a solve that are not kept in a tree step on the vector
// lanes. A
// lane without a search keeps the frame and depth it last evaluated. False
// on a guard or a raised fault flag.
template <class Search>
bool RunLanes(const StiffenerSection& s, const FlexureWork& x, int width, Search& search) {
  const SectionLaneConstants k = LaneConstants(s, x);
  const DepthLaneConstants steps{x.kt,  x.kc,  x.kPcomp, x.kPtens,
                                 x.Pt,  x.Po,  s.beta1,  kMaxSearchSteps};
  SectionLanes& lanes = search.lanes;
  std::array<LaneNeed, kMaxSectionLanes> need{};
  DepthLaneSteps& st = ThreadSteps();
  // Lanes (bit L) with a search, those asking for moments, and those whose
  // trial steps on the vector lanes.
  unsigned busy = 0;
  unsigned moments = 0;
  unsigned plain = 0;
  auto track = [&](int L) {
    const unsigned bit = 1u << L;
    const LaneNeed n = need[static_cast<size_t>(L)];
    busy = n == LaneNeed::kIdle ? busy & ~bit : busy | bit;
    moments = n == LaneNeed::kMoments ? moments | bit : moments & ~bit;
    if (n == LaneNeed::kForce && PlainTrial(search.Solve(L))) {
      ToSteps(search.Solve(L), st, L);
      plain |= bit;
    } else {
      st.plain[L] = 0;
      plain &= ~bit;
    }
  };
  for (int L = 0; L < width; ++L) {
    need[static_cast<size_t>(L)] = search.Next(L);
    if (need[static_cast<size_t>(L)] == LaneNeed::kGuard) {
      return false;
    }
    track(L);
  }
  if (busy == 0) {
    return RaisedFloatFaults() == 0;
  }
  const int first = std::countr_zero(busy);
  for (int L = 0; L < width; ++L) {
    if ((busy & (1u << L)) == 0) {
      CopyLane(k, lanes, first, L);
    }
  }
  while (busy != 0) {
    if (Suspended(x)) {
      WaitWhileSuspended();
    }
    const unsigned stepped =
        EvaluateAndStepLanes(k, steps, lanes, st, moments != 0, plain != 0);
    if (RaisedFloatFaults() != 0) {
      return false;
    }
    // Lanes whose vector step ended, and lanes stepping one at a time.
    for (unsigned todo = stepped | (busy & ~plain); todo != 0; todo &= todo - 1) {
      const int L = std::countr_zero(todo);
      LaneNeed& n = need[static_cast<size_t>(L)];
      if ((plain & (1u << L)) != 0) {
        if (st.guard[L] != 0) {
          return false;
        }
        FromSteps(st, lanes.c[L], search.Solve(L), L);
        n = search.Converged(L);
      } else {
        n = search.Result(L, n);
      }
      if (n == LaneNeed::kGuard) {
        return false;
      }
      track(L);
    }
  }
  return RaisedFloatFaults() == 0;
}

// The capacity points of several axial forces: lane L solves the
// directions L + 1, L + 1 + width, ... of every force in turn, so each
// direction's trial tree sees its solves in the order CapacityPoints makes
// them. The moments of the depths the solves end on are evaluated after
// all of a lane's solves, all lanes together (a trial's moments kept in
// the tree later than one at a time only makes a later solve evaluate the
// same moments again).
struct PointSearch {
  // A solve that ended on depth c of direction d, awaiting its moments.
  struct Ended {
    int job;
    int d;
    double c;
    double phi;
    int found;
  };

  const StiffenerSection& s;
  FlexureWork& x;
  const double* solveP;
  const double* taper;
  int count;
  DirectionArray* capMuy;
  DirectionArray* capMuz;
  int dirsPerLane;
  int width;
  SectionLanes& lanes;
  std::array<int, kMaxSectionLanes> job{};
  std::array<int, kMaxSectionLanes> dir{};
  std::array<LaneSolve, kMaxSectionLanes> solve{};
  std::array<std::vector<Ended>, kMaxSectionLanes> ended{};
  std::array<size_t, kMaxSectionLanes> nextEnded{};

  int Direction(int L, int j) const { return L + 1 + (j % dirsPerLane) * width; }
  LaneSolve& Solve(int L) { return solve[static_cast<size_t>(L)]; }

  // Ends solve number j (direction d, factor phi) with the moments Ma, Mb
  // of its depth.
  void Finish(int j, int d, double phi, double Ma, double Mb) {
    const int i = j / dirsPerLane;
    Ma = Ma * taper[i];
    Mb = Mb * taper[i];
    capMuz[i][d] = (Ma * s.geo.dirCos[d] - Mb * s.geo.dirSin[d]) * phi;
    capMuy[i][d] = (Mb * s.geo.dirCos[d] + Ma * s.geo.dirSin[d]) * phi;
  }

  // Makes direction d lane L's frame unless it is already.
  void Frame(int L, int d) {
    if (dir[static_cast<size_t>(L)] != d) {
      dir[static_cast<size_t>(L)] = d;
      LoadDirectionLane(s, d, lanes, L);
    }
  }

  // The moments of a converged solve: kept with its trial, or the kernel's
  // later.
  LaneNeed Converged(int L) {
    const LaneSolve& v = solve[static_cast<size_t>(L)];
    const int j = job[static_cast<size_t>(L)];
    const int d = dir[static_cast<size_t>(L)];
    if (v.found != DepthTrialTree::kNone && v.tree->TrialAt(v.found).hasMoments) {
      const DepthTrial& known = v.tree->TrialAt(v.found);
      Finish(j, d, v.phi, known.Ma, known.Mb);
    } else {
      ended[static_cast<size_t>(L)].push_back({j, d, v.c, v.phi, v.found});
    }
    ++job[static_cast<size_t>(L)];
    return Next(L);
  }

  LaneNeed Next(int L) {
    for (;;) {
      const int j = job[static_cast<size_t>(L)];
      if (j >= count * dirsPerLane) {
        // Past the last force: the moments of the solves that ended.
        const std::vector<Ended>& e = ended[static_cast<size_t>(L)];
        const size_t at = nextEnded[static_cast<size_t>(L)];
        if (at == e.size()) {
          return LaneNeed::kIdle;
        }
        Frame(L, e[at].d);
        lanes.c[L] = e[at].c;
        return LaneNeed::kMoments;
      }
      const int d = Direction(L, j);
      if (d > kNumDirections) {
        // A lane with fewer directions than the others skips the missing
        // ones.
        ++job[static_cast<size_t>(L)];
        continue;
      }
      LaneSolve& v = solve[static_cast<size_t>(L)];
      // A lane keeps its frame while its direction stays (always, with a
      // lane for each direction).
      Frame(L, d);
      v = LaneSolve{};
      v.P = solveP[j / dirsPerLane];
      v.h = s.geo.sectionDepth[d];
      v.tree = &x.checkTrials[static_cast<size_t>(d)];
      const LaneNeed n = BeginLaneSolve(s, x, lanes.top[L], s.geo.bottomBar[d], v);
      if (n == LaneNeed::kDone) {
        return Converged(L);
      }
      lanes.c[L] = v.c;
      return n;
    }
  }

  LaneNeed Result(int L, LaneNeed asked) {
    LaneSolve& v = solve[static_cast<size_t>(L)];
    if (asked == LaneNeed::kMoments) {
      const Ended& e = ended[static_cast<size_t>(L)][nextEnded[static_cast<size_t>(L)]++];
      if (e.found != DepthTrialTree::kNone) {
        DepthTrial& known = x.checkTrials[static_cast<size_t>(e.d)].TrialAt(e.found);
        known.hasMoments = true;
        known.Ma = lanes.Ma[L];
        known.Mb = lanes.Mb[L];
      }
      Finish(e.job, e.d, e.phi, lanes.Ma[L], lanes.Mb[L]);
      return Next(L);
    }
    const LaneNeed n = AcceptLaneTrial(x, lanes.F[L], lanes.strain[L], v);
    if (n == LaneNeed::kDone) {
      return Converged(L);
    }
    lanes.c[L] = v.c;
    return n;
  }
};

// Angle searches of several demands: each lane runs one search at a time
// (ComputeCapacityAtDemandAngle), the next demand going to the first lane
// free.
struct AngleSearch {
  const StiffenerSection& s;
  const FlexureWork& x;
  const AngleDemand* demands;
  int count;
  double* ratios;
  SectionLanes& lanes;
  int nextDemand = 0;

  struct Lane {
    int demand = -1;
    double demandMuy = 0;
    double demandMuz = 0;
    double tD = 0;
    double solveP = 0;
    double taper = 0;
    AngleBracket br{};
    Bracket before{};
    long m = 0;
    double a = 0;
    double ca = 0;
    double sa = 0;
    LaneSolve solve;
  };
  std::array<Lane, kMaxSectionLanes> lane{};

  LaneSolve& Solve(int L) { return lane[static_cast<size_t>(L)].solve; }

  // A converged depth solve: the moments of its depth next.
  LaneNeed Converged(int L) {
    lanes.c[L] = Solve(L).c;
    return LaneNeed::kMoments;
  }

  // The next angle of lane L's search and the first trial of its depth
  // solve.
  LaneNeed Step(int L) {
    Lane& n = lane[static_cast<size_t>(L)];
    ++n.m;
    if (n.m > kMaxSearchSteps) {
      return LaneNeed::kGuard;
    }
    AngleBracket& br = n.br;
    if (n.m % 2 == 1) {
      n.before = {br.aHi, br.aLo, br.tHi, br.tLo};
      n.a = (br.aHi + br.aLo) * 0.5;
    } else {
      n.a = ((n.tD - br.tLo) * br.aHi + (br.tHi - n.tD) * br.aLo) / (br.tHi - br.tLo);
    }
    n.ca = DesignCos(n.a);
    n.sa = DesignSin(n.a);
    double bottomBar = 0;
    const double h = LoadAngleLane(s.geo, n.ca, n.sa, lanes, L, bottomBar);
    n.solve = LaneSolve{};
    n.solve.P = n.solveP;
    n.solve.h = h;
    const LaneNeed need = BeginLaneSolve(s, x, lanes.top[L], bottomBar, n.solve);
    lanes.c[L] = n.solve.c;
    return need;
  }

  LaneNeed Next(int L) {
    if (nextDemand >= count) {
      return LaneNeed::kIdle;
    }
    Lane& n = lane[static_cast<size_t>(L)];
    n = Lane{};
    n.demand = nextDemand++;
    const AngleDemand& q = demands[n.demand];
    double Muz = q.Muz;
    if (std::fabs(Muz) < 0.0001) {
      Muz = 0.0001;
    }
    n.demandMuy = std::fabs(q.Muy);
    n.demandMuz = std::fabs(Muz);
    n.tD = DesignAtan(n.demandMuy / n.demandMuz);
    AxialForceForSolve(x, q.P, n.solveP, n.taper);
    n.br = q.bracket;
    return Step(L);
  }

  LaneNeed Result(int L, LaneNeed asked) {
    Lane& n = lane[static_cast<size_t>(L)];
    if (asked == LaneNeed::kForce) {
      const LaneNeed need = AcceptLaneTrial(x, lanes.F[L], lanes.strain[L], n.solve);
      lanes.c[L] = n.solve.c;
      return need == LaneNeed::kDone ? LaneNeed::kMoments : need;
    }
    // CapacityAtAngle with the moments of the converged depth.
    const double Ma = lanes.Ma[L] * n.taper;
    const double Mb = lanes.Mb[L] * n.taper;
    const double phi = n.solve.phi;
    double capMuz = std::fabs((Ma * n.ca - Mb * n.sa) * phi);
    if (capMuz < 0.0001) {
      capMuz = 0.0001;
    }
    const double capMuy = std::fabs((Ma * n.sa + Mb * n.ca) * phi);
    const double tC = DesignAtan(capMuy / capMuz);
    if (std::fabs(tC - n.tD) <= 0.0001) {
      ratios[n.demand] = (n.demandMuy + n.demandMuz) / (capMuz + capMuy);
      return Next(L);
    }
    AngleBracket& br = n.br;
    if (tC > n.tD) {
      br.tHi = tC;
      br.aHi = n.a;
    } else {
      br.tLo = tC;
      br.aLo = n.a;
    }
    if (n.m % 2 == 0 && n.before.SameAs({br.aHi, br.aLo, br.tHi, br.tLo})) {
      return LaneNeed::kGuard;
    }
    return Step(L);
  }
};

}  // namespace
#endif  // OSTREL_LANES

void LoadCapacityDirection(const StiffenerSection& section, FlexureWork& work, int d) {
  LoadDirection(section, work, d);
}

void SectionResultants(const StiffenerSection& s, const FlexureWork& x, double c, double& F,
                       double& Ma, double& Mb) {
  Integrate<true>(s, x, F, Ma, Mb, c);
}

double SectionForce(const StiffenerSection& s, const FlexureWork& x, double c, double& F) {
  double unused = 0;
  return Integrate<false>(s, x, F, unused, unused, c);
}

double SolveNeutralAxisDepth(const StiffenerSection& s, const FlexureWork& x, double P, double h,
                             double& phi) {
  int found = DepthTrialTree::kNone;
  const double c = SolveDepthUnchecked(s, x, P, h, phi, nullptr, found);
  CheckFloatFaults();
  return c;
}

void ComputeCapacityPoints(const StiffenerSection& s, FlexureWork& x, double P) {
  CapacityPoints(s, x, P, false);
}

void StartCapacityCheck(FlexureWork& x) {
  for (DepthTrialTree& tree : x.checkTrials) {
    tree.Clear();
  }
}

void ComputeCheckCapacityPoints(const StiffenerSection& s, FlexureWork& x, double P) {
  CapacityPoints(s, x, P, true);
}

double ComputeCapacityAtDemandAngle(const StiffenerSection& s, FlexureWork& x, double P,
                                    double Muy, double Muz, AngleBracket br) {
  if (std::fabs(Muz) < 0.0001) {
    Muz = 0.0001;
  }
  const double demandMuy = std::fabs(Muy);
  const double demandMuz = std::fabs(Muz);
  const double tD = DesignAtan(demandMuy / demandMuz);
  SetAngleSearchStrains(s, x);
  double solveP = 0;
  double taper = 0;
  AxialForceForSolve(x, P, solveP, taper);

  // Same guard as the depth search: a pair of steps that leaves the bracket
  // bit-identical, or more than kMaxSearchSteps steps, ends the search.
  Bracket before{};
  for (long m = 1;; ++m) {
    if (m > kMaxSearchSteps) {
      SearchStalled("neutral-axis angle search does not converge");
    }
    double a = 0;
    if (m % 2 == 1) {
      before = {br.aHi, br.aLo, br.tHi, br.tLo};
      a = (br.aHi + br.aLo) * 0.5;
    } else {
      a = ((tD - br.tLo) * br.aHi + (br.tHi - tD) * br.aLo) / (br.tHi - br.tLo);
    }
    double capMuy = 0;
    double capMuz = 0;
    CapacityAtAngle(s, x, a, solveP, taper, capMuy, capMuz);
    const double tC = DesignAtan(capMuy / capMuz);
    if (std::fabs(tC - tD) <= 0.0001) {
      const double ratio = (demandMuy + demandMuz) / (capMuz + capMuy);
      CheckFloatFaults();
      return ratio;
    }
    if (tC > tD) {
      br.tHi = tC;
      br.aHi = a;
    } else {
      br.tLo = tC;
      br.aLo = a;
    }
    if (m % 2 == 0 && before.SameAs({br.aHi, br.aLo, br.tHi, br.tLo})) {
      SearchStalled("neutral-axis angle search does not converge");
    }
  }
}

#ifdef OSTREL_LANES
bool ComputeCheckCapacityPointsOnLanes(const StiffenerSection& s, FlexureWork& x, const double* P,
                                       int count, DirectionArray* capMuy,
                                       DirectionArray* capMuz) {
  x.epsYield = s.phiFy / s.phiEs;
  x.epsYieldComp = -s.phiFyComp / s.phiEs;
  SetDepthRatios(s, x);
  std::vector<double> solveP(static_cast<size_t>(count));
  std::vector<double> taper(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    AxialForceForSolve(x, P[i], solveP[static_cast<size_t>(i)], taper[static_cast<size_t>(i)]);
  }
  const int width = std::min(SectionLaneCount(), kMaxSectionLanes);
  PointSearch search{s,      x,       solveP.data(), taper.data(), count, capMuy, capMuz,
                     (kNumDirections + width - 1) / width, width, ThreadLanes(), {}, {}, {},
                     {}, {}};
  if (!RunLanes(s, x, width, search)) {
    return false;
  }
  // What CapacityPoints leaves: the last direction's frame and the points
  // of the last force.
  LoadDirection(s, x, kNumDirections);
  x.capMuy = capMuy[count - 1];
  x.capMuz = capMuz[count - 1];
  return true;
}

bool CapacitiesAtDemandAnglesOnLanes(const StiffenerSection& s, FlexureWork& x,
                                     const AngleDemand* demands, int count, double* ratios,
                                     bool leaveFrame) {
  const double kept[] = {x.epsYield, x.epsYieldComp, x.kb, x.kc, x.kt, x.Pt, x.Po};
  SetAngleSearchStrains(s, x);
  const int width = std::min(SectionLaneCount(), kMaxSectionLanes);
  AngleSearch search{s, x, demands, count, ratios, ThreadLanes(), 0, {}};
  if (!RunLanes(s, x, width, search)) {
    return false;
  }
  if (leaveFrame && count > 0) {
    // The frame of the last search's last angle, as its last step left it
    // (the lane of the last demand took no other after it).
    for (const AngleSearch::Lane& n : search.lane) {
      if (n.demand == count - 1) {
        LoadAngleFrame(s.geo, x, DesignCos(n.a), DesignSin(n.a));
      }
    }
  } else {
    x.epsYield = kept[0];
    x.epsYieldComp = kept[1];
    x.kb = kept[2];
    x.kc = kept[3];
    x.kt = kept[4];
    x.Pt = kept[5];
    x.Po = kept[6];
  }
  return true;
}
#endif  // OSTREL_LANES

}  // namespace ostrel
