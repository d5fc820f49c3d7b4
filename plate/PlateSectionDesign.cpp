// Section design of a wall strip of unit width: set-up and checks, the steel
// bounds from pure axial load, the search of the steel ratio, and the
// strain-compatibility capacity of the strip under (Pu, Mu).
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "component/CheckedMath.h"
#include "component/SearchTrialTree.h"
#include "component/modGlobal.h"
#include "plate/modPlateDesignCSA94.h"

namespace ostrel {

modPlateDesignCSA94& PlateState() {
  thread_local modPlateDesignCSA94 state;
  return state;
}

namespace {

// Slots of the N+- and M+- tables.
constexpr int kPositive = 1;
constexpr int kNegative = 2;

// Convergence of the neutral-axis search on the axial force, N/mm.
constexpr double kAxialTolerance = 0.0001;
// The bisection on the steel ratio stops below this bracket width.
constexpr double kRatioTolerance = 5e-5;
// A converging ratio bisection halves its bracket every step. The ratios
// come from 32-bit inputs (at most about 3.4e36 as fractions), so halving
// such a bracket down to 5e-5 takes at most about 140 steps. A bracket that
// still has not closed after this many steps has stopped shrinking (its ends
// are adjacent doubles wider than 5e-5).
constexpr int kMaxRatioSteps = 4096;

double Converted(double value, float factor) {
  return CheckedValue(value * static_cast<double>(factor));
}

// A strength limited for the design: the 32-bit rounding of the strength is
// compared with the limit, and the limit replaces it when it is larger.
double Limited(double strength, float limit) {
  return static_cast<float>(strength) > limit ? static_cast<double>(limit) : strength;
}

void PrepareElement(const modGlobal& g, const typPlateElement& in, int16_t e, PlateStrip& s) {
  const double phiS = g.phi_s;
  s.t = Converted(in.f_Thickness(e), g.f_LengthFactor);
  s.fc = Converted(in.f_fc(e), g.f_StressFactor);
  s.n = in.bt_NumCurtains(e);

  const double fy = Converted(in.f_fy(e), g.f_StressFactor);
  const double fyT = Limited(fy, g.fy_max);
  const double fyC = Limited(fy, g.fyc_max);
  s.phiFyT = phiS * fyT;
  s.phiFyC = phiS * fyC;
  s.phiEs = CheckedValue(phiS * in.f_Es(e) * static_cast<double>(g.f_StressFactor));
  s.epsYt = s.phiFyT / s.phiEs;
  s.epsYc = s.phiFyC / s.phiEs;

  s.beta1 = 0.97 - 0.0025 * s.fc;
  if (s.beta1 < 0.67) {
    s.beta1 = 0.67;
  }
  // alpha1 is held as a 32-bit value, floored at 0.67 in 32 bits.
  float alpha1 = static_cast<float>(0.85 - 0.0015 * s.fc);
  if (alpha1 < 0.67) {
    alpha1 = 0.67f;
  }
  s.alpha1PhiFc = static_cast<double>(alpha1) * static_cast<double>(g.phi_c) * s.fc;
  CheckFloatFaults();
}

void PrepareDirection(const modGlobal& g, const typPlateElement& in, int16_t e,
                      PlateDirection direction, PlateStrip& s) {
  const bool x = direction == kPlateX;
  s.status = DESIGN_PASS;

  s.cover = Converted(in.f_CoverToRFT(e)[x ? 1 : 2], g.f_LengthFactor);
  if (s.cover < 1.0) {
    s.cover = 1.0;
  }

  if (s.n == 2) {
    s.e2 = s.cover;
    if (s.t - 0.0001 < 2 * s.cover) {
      s.status = Fail_CoverTooLarge;
    }
  } else {
    s.e2 = s.t - s.cover;
    if (static_cast<double>(g.t_max_one_curtain) + 0.0001 < s.t) {
      s.status = Fail_MustUseTwoCurtains;
    }
  }

  if (!(s.t - 0.0001 > s.cover && s.t - 0.0001 > s.e2)) {
    s.status = Fail_RFTOutOfSection;
  }

  s.rhoMin = CheckedValue(x ? in.f_MinRatioOfRFT(e) : in.f_MinRatioOfRFT_v(e)) / 100;
  const float floor = x ? g.rho_min_floor : g.rho_min_floor_v;
  if (static_cast<float>(s.rhoMin) < floor) {
    s.rhoMin = floor;
  }
  s.rhoMax = CheckedValue(x ? in.f_MaxRatioOfRFT(e) : in.f_MaxRatioOfRFT_v(e)) / 100;
  if (s.rhoMin > s.rhoMax) {
    s.status = Fail_MinRFTExceedMaximum;
  }
  CheckFloatFaults();
}

// Force in one layer of bars at depth d for neutral-axis depth c and stress
// block depth a.
inline double LayerForce(const PlateStrip& s, double epsCu, double A1, double c, double a,
                         double d) {
  double eps = (d - c) * epsCu / c;
  if (eps < -s.epsYc) {
    eps = -s.epsYc;
  }
  if (eps > s.epsYt) {
    eps = s.epsYt;
  }
  double T = A1 * eps * s.phiEs;
  if (d < a) {
    T += A1 * s.alpha1PhiFc;  // concrete displaced by the bar
  }
  return T;
}

inline double BlockDepth(const PlateStrip& s, double c) {
  const double a = s.beta1 * c;
  return a > s.t ? s.t : a;
}

// One trial depth c of the neutral-axis search with the stress-block depth,
// the concrete force, the two layer forces and the axial force they sum to.
struct AxialTrial {
  double c;
  double a;
  double Cc;
  double T1;
  double T2;
  double P;
};

// Forces of the strip for neutral-axis depth c (layers from the strip's
// current check).
inline AxialTrial EvaluateTrial(const PlateStrip& s, double epsCu, double A1, double c) {
  AxialTrial r;
  r.c = c;
  r.a = BlockDepth(s, c);
  r.Cc = s.alpha1PhiFc * r.a;
  r.T1 = LayerForce(s, epsCu, A1, c, r.a, s.d1);
  r.T2 = s.n == 2 ? LayerForce(s, epsCu, A1, c, r.a, s.d2) : 0.0;
  r.P = r.T1 + r.T2 - r.Cc;
  return r;
}

// Moment of a trial's forces about the strip's moment reference.
inline double TrialMoment(const PlateStrip& s, const AxialTrial& r) {
  return r.Cc * (s.yref - r.a / 2) - r.T1 * (s.yref - s.d1) - r.T2 * (s.yref - s.d2);
}

// Force and moment of the strip for neutral-axis depth c (layers and moment
// reference from the strip's current check).
inline void SectionResultants(const PlateStrip& s, double epsCu, double A1, double c, double& P,
                              double& M) {
  const AxialTrial r = EvaluateTrial(s, epsCu, A1, c);
  P = r.P;
  M = TrialMoment(s, r);
}

// The bracket of the neutral-axis search: the axial forces at its two ends
// and their depths.
struct AxialBracket {
  double Plo;
  double Phi;
  double cPlo;
  double cPhi;
};

// The trial the strip's neutral-axis search keeps: its forces and the
// bracket the search held on reaching it.
struct StripTrial {
  AxialTrial forces;
  AxialBracket arrival;
};

// The first trials of the neutral-axis searches of one combination check
// with one sense of the moment (every search of it starts from the same
// bracket and the same two balanced depths), and the last search of the
// sense: a search for the same target, bit for bit, takes the same trials
// and ends on the same one.
class StripTrialTree : public SearchTrialTree<StripTrial> {
 public:
  void Clear() {
    SearchTrialTree<StripTrial>::Clear();
    hasLast = false;
  }
  bool hasLast = false;
  uint64_t lastTarget = 0;
  AxialTrial lastTrial{};
  int16_t lastSteps = 0;
};

inline bool BracketStep(double target, double P, double c, double& Plo, double& Phi, double& cPlo,
                        double& cPhi) {
  const double miss = target - P;
  if ((miss < 0 ? -miss : miss) <= kAxialTolerance) {
    return true;
  }
  if (P <= target) {
    Plo = P;
    cPlo = c;
  } else {
    Phi = P;
    cPhi = c;
  }
  return false;
}

// Sets the layer depths and the moment reference for a moment that
// compresses face B (Mu >= 0) or face A; returns the moment made positive.
inline double OrientForMoment(PlateStrip& s, double Mu, double e) {
  if (Mu >= 0) {
    s.d1 = s.e2;
    s.d2 = s.t - s.cover;
    s.yref = s.t / 2 - e;
    return Mu;
  }
  s.d1 = s.cover;
  s.d2 = s.t - s.e2;
  s.yref = s.t / 2 + e;
  return -Mu;
}

double PlasticCentroidOffset(const PlateStrip& s, double Pu) {
  if (s.n == 2) {
    return 0;
  }
  const double e0 = s.t / 2 - s.e2;
  if (Pu > 0) {
    return e0;
  }
  const double steel = s.phiFyC - s.alpha1PhiFc;
  return e0 * s.As * steel / (steel * s.As + s.alpha1PhiFc * s.t);
}

// Whether an axial force is within the search tolerance of the target.
inline bool AxialConverged(double target, double P) {
  const double miss = target - P;
  return (miss < 0 ? -miss : miss) <= kAxialTolerance;
}

// The resistances of the strip's current steel and layers for the axial
// force Pu; `steps` receives the number of search steps taken. `tree` (may be
// null) holds the trials of earlier searches of the same check and sense.
StripResistance Resistance(PlateStrip& s, double epsCu, double epsT, double Pu, int16_t& steps,
                           StripTrialTree* tree) {
  // The compression yield strain stays below the crushing strain.
  if (epsCu - 0.0001 < s.epsYc) {
    s.epsYc = epsCu - 0.0001;
  }

  const double P0 = -((s.phiFyC - s.alpha1PhiFc) * s.As + s.alpha1PhiFc * s.t);
  double chi = s.t / s.beta1;
  const double chiSteel = epsCu * s.d2 / (epsCu - s.epsYc);
  if (chiSteel > chi) {
    chi = chiSteel;
  }
  const double Tr = s.phiFyT * s.As;

  // Near pure tension the moment resistance is taken at 0.95 Tr and tapered.
  const bool capped = !(Pu <= 0.95 * Tr);
  const double target = capped ? 0.95 * Tr : Pu;
  const double A1 = s.As / s.n;

  // Two trials at the balanced depths, then alternate halving and straight
  // interpolation of the bracket. Only the axial force is needed while
  // searching; the moment is that of the last trial.
  //
  // First the trials the tree knows, each taken as the search would take it.
  int trials = 0;           // trials taken
  int last = StripTrialTree::kNone;  // the last of them in the tree
  int side = 0;             // the side of the target its force fell on
  bool converged = false;
  const uint64_t targetBits = std::bit_cast<uint64_t>(target);
  if (tree != nullptr && tree->hasLast && tree->lastTarget == targetBits) {
    converged = true;
    trials = tree->lastSteps + 2;
  } else if (tree != nullptr && !tree->Empty()) {
    int at = 0;
    double P = tree->RootValue();
    do {
      ++trials;
      last = at;
      if (AxialConverged(target, P)) {
        converged = true;
        break;
      }
      side = P <= target ? 0 : 1;
      const StripTrialTree::Link& link = tree->LinkAt(at);
      at = link.next[side];
      P = link.nextValue[side];
    } while (at != StripTrialTree::kNone);
  }

  AxialTrial trial{};
  int16_t k = static_cast<int16_t>(trials > 2 ? trials - 2 : 0);
  if (converged) {
    trial = last != StripTrialTree::kNone ? tree->TrialAt(last).forces : tree->lastTrial;
  } else {
    // Then the section itself, from the bracket after the last known trial.
    AxialBracket b{P0, Tr, chi, 0};
    if (last != StripTrialTree::kNone) {
      const StripTrial& known = tree->TrialAt(last);
      b = known.arrival;
      BracketStep(target, known.forces.P, known.forces.c, b.Plo, b.Phi, b.cPlo, b.cPhi);
    }
    bool keep = tree != nullptr;
    // The 16-bit step counter is the search's only limit: the step after
    // 32767 is an overflow error.
    while (!converged) {
      ++trials;
      double c = 0;
      if (trials == 1) {
        c = epsCu * s.d2 / (epsCu + s.epsYt);
      } else if (trials == 2) {
        c = epsCu * s.d2 / (epsT + epsCu);
      } else {
        k = ToInt16(static_cast<long long>(k) + 1);
        if (k % 2 == 1) {
          c = (b.cPhi + b.cPlo) / 2;
        } else {
          c = (b.cPlo * (b.Phi - target) + b.cPhi * (target - b.Plo)) / (b.Phi - b.Plo);
        }
      }
      trial = EvaluateTrial(s, epsCu, A1, c);
      keep = keep && trials <= StripTrialTree::kSharedTrials;
      if (keep) {
        last = tree->Add(last, side, StripTrial{trial, b}, trial.P);
        keep = last != StripTrialTree::kNone;
      }
      converged = BracketStep(target, trial.P, trial.c, b.Plo, b.Phi, b.cPlo, b.cPhi);
      side = trial.P <= target ? 0 : 1;
    }
  }
  steps = k;
  double Mr = TrialMoment(s, trial);
  CheckFloatFaults();
  if (tree != nullptr) {
    tree->hasLast = true;
    tree->lastTarget = targetBits;
    tree->lastTrial = trial;
    tree->lastSteps = k;
  }

  if (capped) {
    Mr = (20 - 19 * Pu / target) * Mr;
  }
  if (Mr < 0.0001) {
    Mr = 0.0001;
  }
  return {P0, Tr, Mr};
}

// The capacity ratio of one (Pu, Mu) pair, the larger of the moment and the
// axial ratio.
double CapacityRatio(PlateStrip& s, double epsCu, double epsT, double Pu, double Mu,
                     int16_t& steps, StripTrialTree* tree) {
  const StripResistance r = Resistance(s, epsCu, epsT, Pu, steps, tree);
  const double rM = Mu / r.Mr;
  const double rP = Pu <= 0 ? Pu / r.P0 : Pu / r.Tr;
  return rP > rM ? rP : rM;
}

// The ratio of one design pair (Pu, M as stored) of the combination check:
// the moment about the plastic centroid (offset e), the layers of its sense.
double PairRatio(PlateStrip& s, double epsCu, double epsT, double Pu, double e, double M,
                 int16_t& steps, std::array<StripTrialTree, 2>* trees) {
  const double moment = M + Pu * e;
  StripTrialTree* tree = trees != nullptr ? &(*trees)[moment >= 0 ? 0 : 1] : nullptr;
  const double Mu = OrientForMoment(s, moment, e);
  return CapacityRatio(s, epsCu, epsT, Pu, Mu, steps, tree);
}

// The largest ratio of the four design pairs of one combination (N+- by
// M+-, in slot order; the first of equal ratios counts).
StripComboRatio ComboRatio(PlateStrip& s, double epsCu, double epsT,
                           const std::array<double, 3>& N, const std::array<double, 3>& M,
                           int16_t& steps, std::array<StripTrialTree, 2>* trees) {
  StripComboRatio worst{-0.0001, kPositive, kPositive};
  for (int i = kPositive; i <= kNegative; ++i) {
    const double Pu = N[i];
    const double e = PlasticCentroidOffset(s, Pu);
    for (int j = kPositive; j <= kNegative; ++j) {
      const double r = PairRatio(s, epsCu, epsT, Pu, e, M[j], steps, trees);
      if (r > worst.r) {
        worst = {r, i, j};
      }
    }
  }
  return worst;
}

// The trial trees of the calling thread's combination checks, one per sense
// of the moment (face B compressed, face A compressed).
std::array<StripTrialTree, 2>& CheckTrialTrees() {
  thread_local std::array<StripTrialTree, 2> trees;
  return trees;
}

// Raises the minimum steel to the ratio that an axial force of combination
// `combo` needs; false, with the direction failed on that force, when the
// ratio exceeds the maximum.
bool ApplyAxialBound(PlateStrip& s, double rho, int16_t combo, double P) {
  if (rho > s.rhoMax) {
    s.status = Fail_RequiredRFTExceedMaximum;
    s.govCombo = combo;
    s.Pu = P;
    return false;
  }
  if (rho * s.t > s.AsMin) {
    s.rhoMin = rho;
    s.AsMin = rho * s.t;
  }
  return true;
}

}  // namespace

void PreparePlateStrip(int16_t element, PlateDirection direction) {
  PreparePlateStrip(Global(), element, direction, PlateState().strip);
}

void PreparePlateStrip(const modGlobal& g, int16_t element, PlateDirection direction,
                       PlateStrip& s) {
  if (direction == kPlateElement) {
    PrepareElement(g, g.PlateElement, element, s);
  } else {
    PrepareDirection(g, g.PlateElement, element, direction, s);
  }
}

void StartPlateTables(int combos) {
  modPlateDesignCSA94& p = PlateState();
  p.NPlusMinus.Create(combos);
  p.MPlusMinus.Create(combos);
  p.ultimateCombos.clear();
  p.ultimateCombos.reserve(combos > 0 ? static_cast<size_t>(combos) : 0);
}

void CollectUltimateCombos() {
  const modGlobal& g = Global();
  std::vector<int16_t>& list = PlateState().ultimateCombos;
  list.clear();
  for (int c = 1; c <= g.i_NumLoadCombos; ++c) {
    if (g.LoadCombo.bt_ComboType(c) == 1) {
      list.push_back(static_cast<int16_t>(c));
    }
  }
}

void DesignStripAxialBounds() {
  const modGlobal& g = Global();
  modPlateDesignCSA94& p = PlateState();
  PlateStrip& s = p.strip;

  s.AsMin = s.rhoMin * s.t;
  s.AsMax = s.rhoMax * s.t;
  s.As = 0;
  s.rho = 0;
  s.Mu = 0;
  s.Pu = 0;
  s.govCombo = 0;

  // Largest tension and largest compression over the ultimate combinations;
  // the first of equal values wins.
  double Nt = 0;
  double Nc = 0;
  int16_t ct = 0;
  int16_t cc = 0;
  for (const int16_t c : p.ultimateCombos) {
    const std::array<double, 3>& N = p.NPlusMinus(c);
    if (N[kPositive] > Nt) {
      Nt = N[kPositive];
      ct = c;
    }
    if (N[kNegative] < Nc) {
      Nc = N[kNegative];
      cc = c;
    }
  }
  Nt = 1.0001 * Nt;
  Nc = 1.0001 * Nc;

  const double kComp = static_cast<double>(g.k_Pmax) * static_cast<double>(g.k_Pcomp);
  const double rhoC = ((-Nc) / (kComp * s.t) - s.alpha1PhiFc) / (s.phiFyC - s.alpha1PhiFc);
  CheckFloatFaults();
  if (!ApplyAxialBound(s, rhoC, cc, Nc)) {
    return;
  }
  const double rhoT = 1.01 * Nt / (s.phiFyT * s.t);
  CheckFloatFaults();
  ApplyAxialBound(s, rhoT, ct, Nt);
}

void DesignStripSteel() {
  PlateStrip& s = PlateState().strip;

  s.As = s.AsMin;
  s.rho = s.rhoMin;
  CheckStripForCombos();
  if (s.status == DESIGN_PASS) {
    return;
  }

  s.As = s.AsMax;
  s.rho = s.rhoMax;
  CheckStripForCombos();
  if (s.status == Fail_RequiredRFTExceedMaximum) {
    return;
  }

  // The maximum passes: bisect on the ratio, keeping the governing pair of
  // the last passing check (the maximum's until a step passes).
  int16_t govCombo = s.govCombo;
  double Mu = s.Mu;
  double Pu = s.Pu;
  double lo = s.AsMin / s.t;
  double hi = s.AsMax / s.t;
  int steps = 0;
  do {
    if (++steps > kMaxRatioSteps) {
      throw RunTimeError("steel ratio search does not converge");
    }
    const double mid = (lo + hi) / 2;
    s.As = mid * s.t;
    CheckStripForCombos();
    if (s.status != DESIGN_PASS) {
      lo = mid;
    } else {
      hi = mid;
      govCombo = s.govCombo;
      Mu = s.Mu;
      Pu = s.Pu;
    }
  } while (!(hi - lo < kRatioTolerance));
  CheckFloatFaults();

  s.status = DESIGN_PASS;
  s.rho = hi;
  s.As = hi * s.t;
  s.govCombo = govCombo;
  s.Mu = Mu;
  s.Pu = Pu;
}

void CheckStripForCombos() {
  modPlateDesignCSA94& p = PlateState();
  PlateStrip& s = p.strip;
  const double epsCu = Global().eps_cu;
  const double epsT = Global().eps_t;
  s.status = DESIGN_PASS;
  double rmax = -0.0001;

  // The steel and the layers of each sense stay fixed for the whole check.
  std::array<StripTrialTree, 2>& trees = CheckTrialTrees();
  trees[0].Clear();
  trees[1].Clear();

  for (const int16_t c : p.ultimateCombos) {
    const std::array<double, 3>& N = p.NPlusMinus(c);
    const std::array<double, 3>& M = p.MPlusMinus(c);
    const StripComboRatio worst = ComboRatio(s, epsCu, epsT, N, M, p.lastSearchSteps, &trees);
    if (worst.r > rmax) {
      rmax = worst.r;
      s.govCombo = c;
      s.Pu = N[worst.i];
      s.Mu = M[worst.j];
    }
  }

  if (rmax > 1.0) {
    s.status = Fail_RequiredRFTExceedMaximum;
  }
}

void StripSectionResultants(const double& c, double& P, double& M) {
  const PlateStrip& s = PlateState().strip;
  SectionResultants(s, Global().eps_cu, s.As / s.n, c, P, M);
}

double StripCapacityRatio(const double& Pu, const double& Mu) {
  modPlateDesignCSA94& p = PlateState();
  const modGlobal& g = Global();
  return CapacityRatio(p.strip, g.eps_cu, g.eps_t, Pu, Mu, p.lastSearchSteps, nullptr);
}

double StripPlasticCentroidOffset(const double& Pu) {
  return PlasticCentroidOffset(PlateState().strip, Pu);
}

StripComboRatio StripCombinationRatio(PlateStrip& s, double epsCu, double epsT,
                                      const std::array<double, 3>& N,
                                      const std::array<double, 3>& M) {
  int16_t steps = 0;
  return ComboRatio(s, epsCu, epsT, N, M, steps, nullptr);
}

StripResistance StripMomentResistance(PlateStrip& s, double epsCu, double epsT, double Pu,
                                      bool faceB) {
  int16_t steps = 0;
  const double e = PlasticCentroidOffset(s, Pu);
  OrientForMoment(s, faceB ? 0.0 : -1.0, e);
  return Resistance(s, epsCu, epsT, Pu, steps, nullptr);
}

double StripPlasticCentroidOffset(const PlateStrip& s, double Pu) {
  return PlasticCentroidOffset(s, Pu);
}

bool UpdateAxialBracket(const double& target, const double& P, const double& c, double& Plo,
                        double& Phi, double& cPlo, double& cPhi) {
  return BracketStep(target, P, c, Plo, Phi, cPlo, cPhi);
}

}  // namespace ostrel
