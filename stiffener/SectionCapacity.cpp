// Bending resistance of a stiffener section under a factored axial force, by
// strain compatibility with the equivalent rectangular stress block: the
// section kernel, the neutral-axis depth solver, the eight fixed capacity
// points and the capacity along a demand direction.
#include <bit>
#include <cmath>
#include <cstdint>

#include "component/CheckedMath.h"
#include "run/modDesign.h"
#include "stiffener/StiffenerFlexure.h"
#include "stiffener/modBeamDesignCSA94.h"

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

// Steps 1 to 3 of the kernel; kMoments selects the moment sums. Returns the
// largest bar strain.
template <bool kMoments>
inline double Integrate(const modBeamDesignCSA94& s, double& F, double& Ma, double& Mb,
                        double c) {
  const SectionGeometry& g = s.geo;
  const FlexureWork& x = s.flex;
  const double wNa = x.d_FrameTop - c;
  const double wBlk = x.d_FrameTop - s.d_Beta1 * c;
  const double stress = s.d_BlockStress;
  F = 0;
  Ma = 0;
  Mb = 0;

  IntegratePolygon<kMoments>(x.d_FrameVertexU, x.d_FrameVertexW, g.numVertices, wNa, wBlk,
                             stress, F, Ma, Mb);
  // Without flanges the two rectangles sit at the origin and every one of
  // their edges adds an exact 0.
  if (s.bt_HasFlanges != 0) {
    IntegratePolygon<kMoments>(x.d_FrameLeftFlangeU, x.d_FrameLeftFlangeW, kFlangeVertices, wNa,
                               wBlk, stress, F, Ma, Mb);
    IntegratePolygon<kMoments>(x.d_FrameRightFlangeU, x.d_FrameRightFlangeW, kFlangeVertices,
                               wNa, wBlk, stress, F, Ma, Mb);
  }
  if constexpr (kMoments) {
    Ma = Ma + wNa * F;  // concrete moment from the neutral axis to the origin
  }

  const double epsCu = x.eps_cu;
  const double epsY = s.d_EpsYield;
  const double epsYc = s.d_EpsYieldComp;
  const double phiEs = s.d_PhiEs;
  const double inBlock = (1 - s.d_Beta1) * c;
  double largest = -epsCu;
  double sumF = 0;
  double sumFw = 0;
  double sumFu = 0;
  for (int j = 1; j <= g.numBars; ++j) {
    const double wj = x.d_FrameBarW[j];
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
      sumFu = sumFu + f * x.d_FrameBarU[j];
    }
  }
  F = F + x.d_BarArea * sumF;
  if constexpr (kMoments) {
    Ma = Ma + x.d_BarArea * sumFw;
    Mb = Mb - x.d_BarArea * sumFu;
  }
  return largest;
}

// Depth ratios and axial resistances for the current yield strains and steel.
// k_c: a compressive yield strain equal to -eps_cu makes its denominator zero;
// that is left to the checked arithmetic as a division-by-zero run-time error
// (tested right here), and a negative k_c (yield strain beyond eps_cu) is used
// as computed: the lower end of the bracket then rests on h / beta1.
void SetDepthRatios(modBeamDesignCSA94& s) {
  FlexureWork& x = s.flex;
  x.d_Kb = x.eps_cu / (x.eps_cu + s.d_EpsYield);
  x.d_Kc = x.eps_cu / (x.eps_cu + s.d_EpsYieldComp);
  x.d_Kt = x.eps_cu / (x.eps_cu + x.eps_t);
  x.d_Pt = x.k_Ptens * s.d_As * s.d_PhiFy;
  x.d_Po = x.k_Pcomp * ((s.d_PhiFyComp - s.d_BlockStress) * s.d_As +
                        s.geo.d_AreaGross * s.d_BlockStress);
  CheckFloatFaults();
}

// Near the tensile resistance the section is solved at 0.95 Pt and its
// moments tapered linearly to 0 at Pt.
void AxialForceForSolve(const FlexureWork& x, double P, double& solveP, double& taper) {
  if (0.95 * x.d_Pt < P) {
    solveP = 0.95 * x.d_Pt;
    taper = (1 - P / x.d_Pt) * 20;
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
void LoadDirection(modBeamDesignCSA94& s, int d) {
  const SectionGeometry& g = s.geo;
  FlexureWork& x = s.flex;
  CopyPoints(g.d_RotVertexU[d], g.numVertices, x.d_FrameVertexU);
  CopyPoints(g.d_RotVertexW[d], g.numVertices, x.d_FrameVertexW);
  if (s.bt_HasFlanges != 0) {
    CopyPoints(g.d_RotLeftFlangeU[d], kFlangeVertices, x.d_FrameLeftFlangeU);
    CopyPoints(g.d_RotLeftFlangeW[d], kFlangeVertices, x.d_FrameLeftFlangeW);
    CopyPoints(g.d_RotRightFlangeU[d], kFlangeVertices, x.d_FrameRightFlangeU);
    CopyPoints(g.d_RotRightFlangeW[d], kFlangeVertices, x.d_FrameRightFlangeW);
  }
  CopyPoints(g.d_RotBarU[d], g.numBars, x.d_FrameBarU);
  CopyPoints(g.d_RotBarW[d], g.numBars, x.d_FrameBarW);
  x.d_FrameTop = g.d_TopFibre[d];
  x.d_FrameBottomBar = g.d_BottomBar[d];
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

// Two trials at the balanced and the tension-limit depths, then alternating
// halving and straight-line steps of the bracket, the first a halving step.
// With a tree, the trials it knows are replayed and the new ones kept;
// `found` receives the index of the trial the solve ended on (kNone without
// a tree or when it was not kept).
double SolveDepthUnchecked(modBeamDesignCSA94& s, double P, double h, double& phi,
                           DepthTrialTree* tree, int& found) {
  const FlexureWork& x = s.flex;
  const double d = x.d_FrameTop - x.d_FrameBottomBar;
  constexpr int kNone = DepthTrialTree::kNone;
  found = kNone;

  // The trials the tree knows, each taken as the solve would take it.
  int t = 0;          // trials taken
  int last = kNone;   // the last of them in the tree
  bool hi = false;    // the side its force fell on
  if (tree != nullptr && !tree->Empty()) {
    int at = 0;
    double F = tree->RootValue();
    do {
      ++t;
      last = at;
      if (DepthConverged(t, F, P)) {
        const DepthTrial& known = tree->TrialAt(at);
        phi = known.phi;
        found = at;
        return known.c;
      }
      hi = HighSide(t, F, P);
      const DepthTrialTree::Link& link = tree->LinkAt(at);
      at = link.next[hi ? 1 : 0];
      F = link.nextValue[hi ? 1 : 0];
    } while (at != kNone);
  }

  const SolveStart start{x.d_Pt, x.d_Po, d, x.d_Kc, h, s.d_Beta1};
  // Then the section itself, from the bracket after the last known trial.
  Bracket b{};
  // Guard: a pair of steps that leaves the bracket bit-identical would repeat
  // forever, and no solve runs more than kMaxSearchSteps steps.
  Bracket before{};
  if (last != kNone) {
    const DepthTrial& known = tree->TrialAt(last);
    b = {known.arrival[0], known.arrival[1], known.arrival[2], known.arrival[3]};
    if (t >= 3 && (t - 2) % 2 == 1) {
      before = b;
    }
    NarrowBracket(t, hi, known.c, known.F, start, b);
  }
  bool keep = tree != nullptr;
  double F = 0;
  double unused = 0;
  for (;;) {
    ++t;
    const long n = t - 2;  // step of the alternating search
    double c = 0;
    double trialPhi = 0;
    const Bracket arrival = b;
    if (t == 1) {
      c = d * x.d_Kb;
      Integrate<false>(s, F, unused, unused, c);
      F = x.k_Pcomp * F;
      trialPhi = x.k_Pcomp;
    } else if (t == 2) {
      c = d * x.d_Kt;
      Integrate<false>(s, F, unused, unused, c);
      F = x.k_Ptens * F;
      trialPhi = x.k_Ptens;
    } else {
      if (n > kMaxSearchSteps) {
        SearchStalled("neutral-axis depth search does not converge");
      }
      if (n % 2 == 1) {
        before = b;
        c = (b.c + b.a) * 0.5;
      } else {
        c = ((b.d - P) * b.a + (P - b.b) * b.c) / (b.d - b.b);
      }
      const double strain = Integrate<false>(s, F, unused, unused, c);
      trialPhi = ResistanceFactorForStrain(strain);
      F = trialPhi * F;
    }
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
    if (t >= 3 && n % 2 == 0 && before.SameAs(b)) {
      SearchStalled("neutral-axis depth search does not converge");
    }
    if (keep) {
      last = tree->Add(last, parentSide, kept, kept.F);
      keep = last != kNone;
    }
  }
}

}  // namespace

void ComputeSectionResultants(modBeamDesignCSA94& s, double& F, double& Ma, double& Mb,
                              const double& c) {
  Integrate<true>(s, F, Ma, Mb, c);
}

void LoadCapacityDirection(modBeamDesignCSA94& s, int d) { LoadDirection(s, d); }

void ComputeSectionResultants(double& F, double& Ma, double& Mb, const double& c) {
  Integrate<true>(BeamState(), F, Ma, Mb, c);
}

double ComputeSectionForce(modBeamDesignCSA94& s, double& F, const double& c) {
  double unused = 0;
  return Integrate<false>(s, F, unused, unused, c);
}

double ComputeSectionForce(double& F, const double& c) {
  return ComputeSectionForce(BeamState(), F, c);
}

double SolveNeutralAxisDepth(modBeamDesignCSA94& s, const double& P, const double& h,
                             double& phi) {
  int found = DepthTrialTree::kNone;
  const double c = SolveDepthUnchecked(s, P, h, phi, nullptr, found);
  CheckFloatFaults();
  return c;
}

double SolveNeutralAxisDepth(const double& P, const double& h, double& phi) {
  return SolveNeutralAxisDepth(BeamState(), P, h, phi);
}

double ResistanceFactorForStrain(const double& /*strain*/) { return 1.0; }

namespace {

// The eight capacity points for the axial force P; with `replay`, the depth
// solves replay and keep the trials of the current check (checkTrials).
void CapacityPoints(modBeamDesignCSA94& s, double P, bool replay) {
  FlexureWork& x = s.flex;
  const SectionGeometry& g = s.geo;
  s.d_EpsYield = s.d_PhiFy / s.d_PhiEs;
  s.d_EpsYieldComp = -s.d_PhiFyComp / s.d_PhiEs;
  SetDepthRatios(s);
  double solveP = 0;
  double taper = 0;
  AxialForceForSolve(x, P, solveP, taper);

  const int16_t& suspended = Design().i_SuspendFlag;
  for (int i = 1; i <= kNumDirections; ++i) {
    if (suspended == 1) {
      WaitWhileSuspended();
    }
    LoadDirection(s, i);
    DepthTrialTree* tree = replay ? &x.checkTrials[static_cast<size_t>(i)] : nullptr;
    double phi = 0;
    int found = DepthTrialTree::kNone;
    const double c = SolveDepthUnchecked(s, solveP, g.d_SectionDepth[i], phi, tree, found);
    CheckFloatFaults();
    double Ma = 0, Mb = 0;
    if (found != DepthTrialTree::kNone && tree->TrialAt(found).hasMoments) {
      const DepthTrial& known = tree->TrialAt(found);
      Ma = known.Ma;
      Mb = known.Mb;
    } else {
      double F = 0;
      ComputeSectionResultants(s, F, Ma, Mb, c);
      if (found != DepthTrialTree::kNone) {
        DepthTrial& known = tree->TrialAt(found);
        known.hasMoments = true;
        known.Ma = Ma;
        known.Mb = Mb;
      }
    }
    Ma = Ma * taper;
    Mb = Mb * taper;
    x.d_CapMuz[i] = (Ma * g.d_DirCos[i] - Mb * g.d_DirSin[i]) * phi;
    x.d_CapMuy[i] = (Mb * g.d_DirCos[i] + Ma * g.d_DirSin[i]) * phi;
  }
  CheckFloatFaults();
}

}  // namespace

void ComputeCapacityPoints(modBeamDesignCSA94& s, const double& P) { CapacityPoints(s, P, false); }

void StartCapacityCheck(modBeamDesignCSA94& s) {
  for (DepthTrialTree& tree : s.flex.checkTrials) {
    tree.Clear();
  }
}

void ComputeCheckCapacityPoints(modBeamDesignCSA94& s, const double& P) {
  CapacityPoints(s, P, true);
}

void ComputeCapacityPoints(const double& P) { ComputeCapacityPoints(BeamState(), P); }

double ComputeCapacityAtDemandAngle(modBeamDesignCSA94& s, const double& P, const double& Muy,
                                    double& Muz, double& aHi, double& aLo, double& tHi,
                                    double& tLo) {
  FlexureWork& x = s.flex;
  const SectionGeometry& g = s.geo;
  if (std::fabs(Muz) < 0.0001) {
    Muz = 0.0001;
  }
  const double demandMuy = std::fabs(Muy);
  const double demandMuz = std::fabs(Muz);
  const double tD = std::atan(demandMuy / demandMuz);

  // The compressive yield strain is kept below the crushing strain here, for
  // this and every later kernel call until the next set of capacity points.
  const double yieldComp = s.d_PhiFyComp / s.d_PhiEs;
  const double crushLimit = x.eps_cu - 0.0001;
  s.d_EpsYieldComp = -(yieldComp < crushLimit ? yieldComp : crushLimit);
  s.d_EpsYield = s.d_PhiFy / s.d_PhiEs;
  SetDepthRatios(s);
  double solveP = 0;
  double taper = 0;
  AxialForceForSolve(x, P, solveP, taper);

  const int16_t& suspended = Design().i_SuspendFlag;
  // Same guard as the depth search: a pair of steps that leaves the bracket
  // bit-identical, or more than kMaxSearchSteps steps, ends the search.
  Bracket before{};
  for (long m = 1;; ++m) {
    if (m > kMaxSearchSteps) {
      SearchStalled("neutral-axis angle search does not converge");
    }
    double a = 0;
    if (m % 2 == 1) {
      before = {aHi, aLo, tHi, tLo};
      a = (aHi + aLo) * 0.5;
    } else {
      a = ((tD - tLo) * aHi + (tHi - tD) * aLo) / (tHi - tLo);
    }

    // Turn the outline and the bars into the frame of angle a; the flange
    // rectangles keep what the frame holds (this search serves only sections
    // whose flange rectangles are empty).
    const double ca = std::cos(a);
    const double sa = std::sin(a);
    double top = 0;
    double lowest = 0;
    for (int v = 1; v <= g.numVertices; ++v) {
      if (suspended == 1) {
        WaitWhileSuspended();
      }
      const double u = g.d_VertexZ[v] * ca + g.d_VertexY[v] * sa;
      const double w = -g.d_VertexZ[v] * sa + g.d_VertexY[v] * ca;
      x.d_FrameVertexU[v] = u;
      x.d_FrameVertexW[v] = w;
      if (w > top) {
        top = w;
      }
      if (w < lowest) {
        lowest = w;
      }
    }
    double bottomBar = 0;
    for (int b = 1; b <= g.numBars; ++b) {
      const double u = g.d_BarZ[b] * ca + g.d_BarY[b] * sa;
      const double w = -g.d_BarZ[b] * sa + g.d_BarY[b] * ca;
      x.d_FrameBarU[b] = u;
      x.d_FrameBarW[b] = w;
      if (w < bottomBar) {
        bottomBar = w;
      }
    }
    x.d_FrameTop = top;
    x.d_FrameBottomBar = bottomBar;
    const double h = top - lowest;

    double phi = 0;
    const double c = SolveNeutralAxisDepth(s, solveP, h, phi);
    double F = 0, Ma = 0, Mb = 0;
    ComputeSectionResultants(s, F, Ma, Mb, c);
    Ma = Ma * taper;
    Mb = Mb * taper;
    double capMuz = std::fabs((Ma * ca - Mb * sa) * phi);
    if (capMuz < 0.0001) {
      capMuz = 0.0001;
    }
    const double capMuy = std::fabs((Ma * sa + Mb * ca) * phi);
    const double tC = std::atan(capMuy / capMuz);
    if (std::fabs(tC - tD) <= 0.0001) {
      const double ratio = (demandMuy + demandMuz) / (capMuz + capMuy);
      CheckFloatFaults();
      return ratio;
    }
    if (tC > tD) {
      tHi = tC;
      aHi = a;
    } else {
      tLo = tC;
      aLo = a;
    }
    if (m % 2 == 0 && before.SameAs({aHi, aLo, tHi, tLo})) {
      SearchStalled("neutral-axis angle search does not converge");
    }
  }
}

double ComputeCapacityAtDemandAngle(const double& P, const double& Muy, double& Muz,
                                    double& aHi, double& aLo, double& tHi, double& tLo) {
  return ComputeCapacityAtDemandAngle(BeamState(), P, Muy, Muz, aHi, aLo, tHi, tLo);
}

}  // namespace ostrel
