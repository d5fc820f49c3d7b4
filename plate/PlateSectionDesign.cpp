// Section design of a wall strip of unit width: the steel bounds from pure
// axial load, the search of the steel ratio, and the strain-compatibility
// capacity of the strip under (Pu, Mu).
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "model/CheckedMath.h"
#include "plate/modPlateDesignCSA94.h"

namespace ostrel {

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

inline bool BracketStep(double target, double P, double c, AxialBracket& b) {
  const double miss = target - P;
  if ((miss < 0 ? -miss : miss) <= kAxialTolerance) {
    return true;
  }
  if (P <= target) {
    b.Plo = P;
    b.cPlo = c;
  } else {
    b.Phi = P;
    b.cPhi = c;
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

// Whether an axial force is within the search tolerance of the target.
inline bool AxialConverged(double target, double P) {
  const double miss = target - P;
  return (miss < 0 ? -miss : miss) <= kAxialTolerance;
}

// The axial resistances of the strip's current steel and the deepest end
// of the neutral-axis bracket.
struct StripResistances {
  double P0;   // compression resistance (negative)
  double Tr;   // tension resistance
  double chi;  // depth at the compression end of the bracket
};

StripResistances Resistances(const PlateStrip& s, double epsCu) {
  StripResistances r;
  r.P0 = -((s.phiFyC - s.alpha1PhiFc) * s.As + s.alpha1PhiFc * s.t);
  r.chi = s.t / s.beta1;
  const double chiSteel = epsCu * s.d2 / (epsCu - s.epsYc);
  if (chiSteel > r.chi) {
    r.chi = chiSteel;
  }
  r.Tr = s.phiFyT * s.As;
  return r;
}

// Where a neutral-axis search stands after the trials its tree knew: the
// trials taken, the last of them in the tree, the side of the target its
// force fell on, and whether one of them (or the tree's last search)
// converged.
struct StripProgress {
  int trials = 0;
  int last = StripTrialTree::kNone;
  int side = 0;
  bool converged = false;
};

// Replays what the tree knows of a search for `target`, each trial taken as
// the search would take it.
StripProgress ReplayStripTrials(const StripTrialTree* tree, double target, uint64_t targetBits) {
  StripProgress at;
  if (tree != nullptr && tree->hasLast && tree->lastTarget == targetBits) {
    at.converged = true;
    at.trials = tree->lastSteps + 2;
  } else if (tree != nullptr && !tree->Empty()) {
    int index = 0;
    double P = tree->RootValue();
    do {
      ++at.trials;
      at.last = index;
      if (AxialConverged(target, P)) {
        at.converged = true;
        break;
      }
      at.side = P <= target ? 0 : 1;
      const StripTrialTree::Link& link = tree->LinkAt(index);
      index = link.next[at.side];
      P = link.nextValue[at.side];
    } while (index != StripTrialTree::kNone);
  }
  return at;
}

// The section itself from where the replay left the search: two trials at
// the balanced depths, then alternate halving and straight interpolation of
// the bracket. Only the axial force is needed while searching. The 16-bit
// step counter k is the search's only limit: the step after 32767 is an
// overflow error. Returns the trial it converged on.
AxialTrial SearchStripDepth(const PlateStrip& s, double epsCu, double epsT, double A1,
                            double target, const StripResistances& res, StripTrialTree* tree,
                            StripProgress& at, int16_t& k) {
  AxialBracket b{res.P0, res.Tr, res.chi, 0};
  if (at.last != StripTrialTree::kNone) {
    const StripTrial& known = tree->TrialAt(at.last);
    b = known.arrival;
    BracketStep(target, known.forces.P, known.forces.c, b);
  }
  bool keep = tree != nullptr;
  AxialTrial trial{};
  while (!at.converged) {
    ++at.trials;
    double c = 0;
    if (at.trials == 1) {
      c = epsCu * s.d2 / (epsCu + s.epsYt);
    } else if (at.trials == 2) {
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
    keep = keep && at.trials <= StripTrialTree::kSharedTrials;
    if (keep) {
      at.last = tree->Add(at.last, at.side, StripTrial{trial, b}, trial.P);
      keep = at.last != StripTrialTree::kNone;
    }
    at.converged = BracketStep(target, trial.P, trial.c, b);
    at.side = trial.P <= target ? 0 : 1;
  }
  return trial;
}

// The capacity ratio of one (Pu, Mu) pair for the strip's current steel and
// layers; `steps` receives the number of search steps taken. `tree` (may be
// null) holds the trials of earlier searches of the same check and sense.
double CapacityRatio(PlateStrip& s, const PlateSettings& settings, double Pu, double Mu,
                     int16_t& steps, StripTrialTree* tree) {
  const double epsCu = settings.epsCu;
  // The compression yield strain stays below the crushing strain.
  if (epsCu - 0.0001 < s.epsYc) {
    s.epsYc = epsCu - 0.0001;
  }
  const StripResistances res = Resistances(s, epsCu);

  // Near pure tension the moment resistance is taken at 0.95 Tr and tapered.
  const bool capped = !(Pu <= 0.95 * res.Tr);
  const double target = capped ? 0.95 * res.Tr : Pu;
  const double A1 = s.As / s.n;

  // First the trials the tree knows, then the section itself; the moment is
  // that of the last trial.
  const uint64_t targetBits = std::bit_cast<uint64_t>(target);
  StripProgress at = ReplayStripTrials(tree, target, targetBits);
  int16_t k = static_cast<int16_t>(at.trials > 2 ? at.trials - 2 : 0);
  AxialTrial trial{};
  if (at.converged) {
    trial = at.last != StripTrialTree::kNone ? tree->TrialAt(at.last).forces : tree->lastTrial;
  } else {
    trial = SearchStripDepth(s, epsCu, settings.epsT, A1, target, res, tree, at, k);
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
  const double rM = Mu / Mr;
  const double rP = Pu <= 0 ? Pu / res.P0 : Pu / res.Tr;
  return rP > rM ? rP : rM;
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

// Largest tension Nt and largest compression Nc over the ultimate
// combinations, with their combinations; the first of equal values wins.
void ExtremeAxialForces(const PlateDesignValues& v, double& Nt, int16_t& ct, double& Nc,
                        int16_t& cc) {
  for (const int16_t c : v.ultimateCombos) {
    const std::array<double, 3>& N = v.NPlusMinus(c);
    if (N[kPositive] > Nt) {
      Nt = N[kPositive];
      ct = c;
    }
    if (N[kNegative] < Nc) {
      Nc = N[kNegative];
      cc = c;
    }
  }
}

// Bisection on the ratio between lo (failing) and hi (passing), keeping the
// governing pair of the last passing check (the maximum's until a step
// passes); leaves the final hi in the strip.
void BisectStripRatio(PlateStrip& s, const PlateDesignValues& v, const PlateSettings& settings,
                      PlateStripWork& work) {
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
    CheckStripForCombos(s, v, settings, work);
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

}  // namespace

void StartPlateTables(PlateDesignValues& v, int combos) {
  v.NPlusMinus.Create(combos);
  v.MPlusMinus.Create(combos);
  v.ultimateCombos.clear();
  v.ultimateCombos.reserve(combos > 0 ? static_cast<size_t>(combos) : 0);
}

void DesignStripAxialBounds(PlateStrip& s, const PlateDesignValues& v,
                            const PlateSettings& settings) {
  s.AsMin = s.rhoMin * s.t;
  s.AsMax = s.rhoMax * s.t;
  s.As = 0;
  s.rho = 0;
  s.Mu = 0;
  s.Pu = 0;
  s.govCombo = 0;

  double Nt = 0;
  double Nc = 0;
  int16_t ct = 0;
  int16_t cc = 0;
  ExtremeAxialForces(v, Nt, ct, Nc, cc);
  Nt = 1.0001 * Nt;
  Nc = 1.0001 * Nc;

  const double kComp = settings.kPmax * settings.kPcomp;
  const double rhoC = ((-Nc) / (kComp * s.t) - s.alpha1PhiFc) / (s.phiFyC - s.alpha1PhiFc);
  CheckFloatFaults();
  if (!ApplyAxialBound(s, rhoC, cc, Nc)) {
    return;
  }
  const double rhoT = 1.01 * Nt / (s.phiFyT * s.t);
  CheckFloatFaults();
  ApplyAxialBound(s, rhoT, ct, Nt);
}

void DesignStripSteel(PlateStrip& s, const PlateDesignValues& v, const PlateSettings& settings,
                      PlateStripWork& work) {
  s.As = s.AsMin;
  s.rho = s.rhoMin;
  CheckStripForCombos(s, v, settings, work);
  if (s.status == DESIGN_PASS) {
    return;
  }

  s.As = s.AsMax;
  s.rho = s.rhoMax;
  CheckStripForCombos(s, v, settings, work);
  if (s.status == Fail_RequiredRFTExceedMaximum) {
    return;
  }
  // The maximum passes.
  BisectStripRatio(s, v, settings, work);
}

void CheckStripForCombos(PlateStrip& s, const PlateDesignValues& v, const PlateSettings& settings,
                         PlateStripWork& work) {
  s.status = DESIGN_PASS;
  double rmax = -0.0001;

  // The steel and the layers of each sense stay fixed for the whole check.
  work.trees[0].Clear();
  work.trees[1].Clear();

  for (const int16_t c : v.ultimateCombos) {
    const std::array<double, 3>& N = v.NPlusMinus(c);
    const std::array<double, 3>& M = v.MPlusMinus(c);
    for (int i = kPositive; i <= kNegative; ++i) {
      const double Pu = N[i];
      const double e = StripPlasticCentroidOffset(s, Pu);
      for (int j = kPositive; j <= kNegative; ++j) {
        const double moment = M[j] + Pu * e;
        StripTrialTree& tree = work.trees[moment >= 0 ? 0 : 1];
        const double Mu = OrientForMoment(s, moment, e);
        const double r = CapacityRatio(s, settings, Pu, Mu, work.lastSearchSteps, &tree);
        if (r > rmax) {
          rmax = r;
          s.govCombo = c;
          s.Pu = N[i];
          s.Mu = M[j];
        }
      }
    }
  }

  if (rmax > 1.0) {
    s.status = Fail_RequiredRFTExceedMaximum;
  }
}

double StripCapacityRatio(PlateStrip& s, const PlateSettings& settings, double Pu, double Mu,
                          int16_t& steps) {
  return CapacityRatio(s, settings, Pu, Mu, steps, nullptr);
}

void StripResultants(const PlateStrip& s, const PlateSettings& settings, double c, double& P,
                     double& M) {
  const AxialTrial r = EvaluateTrial(s, settings.epsCu, s.As / s.n, c);
  P = r.P;
  M = TrialMoment(s, r);
}

double StripPlasticCentroidOffset(const PlateStrip& s, double Pu) {
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

bool UpdateAxialBracket(double target, double P, double c, AxialBracket& bracket) {
  return BracketStep(target, P, c, bracket);
}

}  // namespace ostrel
