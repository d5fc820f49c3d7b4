// Section design of a wall strip of unit width: the steel bounds from pure
// axial load, the search of the steel ratio, and the strain-compatibility
// capacity of the strip under (Pu, Mu).
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#include "model/CheckedMath.h"
#include "model/SearchLanes.h"
#include "plate/StripLanes.h"
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

// The resistances of the strip's current steel and layers for the axial
// force Pu; `steps` receives the number of search steps taken. `tree` (may be
// null) holds the trials of earlier searches of the same check and sense.
StripResistance Resistance(PlateStrip& s, const PlateSettings& settings, double Pu,
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
  return {res.P0, res.Tr, Mr};
}

// The capacity ratio of one (Pu, Mu) pair, the larger of the moment and the
// axial ratio.
double CapacityRatio(PlateStrip& s, const PlateSettings& settings, double Pu, double Mu,
                     int16_t& steps, StripTrialTree* tree) {
  const StripResistance r = Resistance(s, settings, Pu, steps, tree);
  const double rM = Mu / r.Mr;
  const double rP = Pu <= 0 ? Pu / r.P0 : Pu / r.Tr;
  return rP > rM ? rP : rM;
}

// The largest ratio of the four design pairs of one combination (N+- by
// M+-, in slot order, each moment about the plastic centroid with the layers
// of its sense; the first of equal ratios counts).
StripComboRatio ComboRatio(PlateStrip& s, const PlateSettings& settings,
                           const std::array<double, 3>& N, const std::array<double, 3>& M,
                           int16_t& steps, std::array<StripTrialTree, 2>* trees) {
  StripComboRatio worst{-0.0001, kPositive, kPositive};
  for (int i = kPositive; i <= kNegative; ++i) {
    const double Pu = N[i];
    const double e = StripPlasticCentroidOffset(s, Pu);
    for (int j = kPositive; j <= kNegative; ++j) {
      const double moment = M[j] + Pu * e;
      StripTrialTree* tree = trees != nullptr ? &(*trees)[moment >= 0 ? 0 : 1] : nullptr;
      const double Mu = OrientForMoment(s, moment, e);
      const double r = CapacityRatio(s, settings, Pu, Mu, steps, tree);
      if (r > worst.r) {
        worst = {r, i, j};
      }
    }
  }
  return worst;
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

#ifdef OSTREL_LANES

// The combination check with its neutral-axis searches on vector lanes.
//
// Within one check the steel and the layers of each sense of the moment are
// fixed, so a search is fully defined by its sense and its target: its trials,
// its step count and its faults are those of a search made afresh, whatever
// the trial tree of the one-at-a-time check lends it. The check below takes
// the two balanced trials once per sense, runs every distinct search that
// goes past them on the lanes, then combines the ratios pair by pair in the
// order of the one-at-a-time check. It computes every operation that check
// computes (and a few more), so a fault flag or a step counter at its limit
// here means the one-at-a-time check may fail: then the flags are put back
// and false returned, for the check to be made one search at a time.
class LaneCheck {
 public:
  bool Run(PlateStrip& s, const PlateDesignValues& v, const PlateSettings& settings,
           PlateStripWork& work);

 private:
  // One sense of the moment: the strip with its layers, the resistances, the
  // two balanced trials, the last search of the sense and its target (a
  // repeat of which is the same search), and the search of the capped target
  // 0.95 Tr.
  struct Sense {
    PlateStrip strip;
    StripResistances res;
    double cap;
    AxialTrial balanced[2];
    int last;
    uint64_t lastTarget;
    int capped;
  };
  // One design pair of a combination.
  struct Pair {
    double Pu;
    double Mu;
    double yref;
    double target;
    int sense;
    bool capped;
    int search;
  };
  // One distinct search: the trial it ends on and its steps, or its place on
  // the lanes (-1 when a balanced trial converged).
  struct Search {
    AxialTrial trial;
    int16_t steps;
    int lane;
  };

  int AddSearch(Sense& sense, double target);

  Sense senses_[2];
  std::vector<Pair> pairs_;
  std::vector<Search> searches_;
  int searchCount_ = 0;
  // The searches that go on the lanes, one column per input and result.
  std::size_t lanes_ = 0;
  std::vector<double> target_, d1_, d2_, Plo_, Phi_, cPlo_, cPhi_;
  std::vector<double> c_, a_, Cc_, T1_, T2_, P_;
  std::vector<int16_t> steps_;
};

// The search for `target` in `sense`: a repeat of the sense's last one, one
// that converges on a balanced trial, or one more on the lanes.
inline int LaneCheck::AddSearch(Sense& sense, double target) {
  const uint64_t bits = std::bit_cast<uint64_t>(target);
  if (sense.last >= 0 && sense.lastTarget == bits) {
    return sense.last;
  }
  const int index = searchCount_++;
  sense.last = index;
  sense.lastTarget = bits;
  Search& search = searches_[static_cast<std::size_t>(index)];
  AxialBracket b{sense.res.P0, sense.res.Tr, sense.res.chi, 0};
  for (const AxialTrial& trial : sense.balanced) {
    if (BracketStep(target, trial.P, trial.c, b)) {
      search.trial = trial;
      search.steps = 0;
      search.lane = -1;
      return index;
    }
  }
  const std::size_t lane = lanes_++;
  search.lane = static_cast<int>(lane);
  target_[lane] = target;
  d1_[lane] = sense.strip.d1;
  d2_[lane] = sense.strip.d2;
  Plo_[lane] = b.Plo;
  Phi_[lane] = b.Phi;
  cPlo_[lane] = b.cPlo;
  cPhi_[lane] = b.cPhi;
  return index;
}

bool LaneCheck::Run(PlateStrip& s, const PlateDesignValues& v, const PlateSettings& settings,
                    PlateStripWork& work) {
  if (v.ultimateCombos.empty() || RaisedFloatFaults() != 0) {
    return false;
  }
  const double epsCu = settings.epsCu;
  if (epsCu - 0.0001 < s.epsYc) {
    s.epsYc = epsCu - 0.0001;
  }
  const double A1 = s.As / s.n;
  for (int which = 0; which < 2; ++which) {
    Sense& sense = senses_[which];
    sense.strip = s;
    OrientForMoment(sense.strip, which == 0 ? 0.0 : -1.0, 0);
    sense.res = Resistances(sense.strip, epsCu);
    sense.cap = 0.95 * sense.res.Tr;
    const PlateStrip& layers = sense.strip;
    const double c1 = epsCu * layers.d2 / (epsCu + layers.epsYt);
    const double c2 = epsCu * layers.d2 / (settings.epsT + epsCu);
    sense.balanced[0] = EvaluateTrial(layers, epsCu, A1, c1);
    sense.balanced[1] = EvaluateTrial(layers, epsCu, A1, c2);
    sense.last = sense.capped = -1;
  }
  const std::size_t most = 4 * v.ultimateCombos.size();
  if (pairs_.size() < most) {
    pairs_.resize(most);
    searches_.resize(most);
    for (std::vector<double>* column : {&target_, &d1_, &d2_, &Plo_, &Phi_, &cPlo_, &cPhi_, &c_,
                                        &a_, &Cc_, &T1_, &T2_, &P_}) {
      column->resize(most);
    }
    steps_.resize(most);
  }
  searchCount_ = 0;
  lanes_ = 0;

  // The pairs in the order of the one-at-a-time check, with their searches.
  const double halfT = s.t / 2;
  Pair* pair = pairs_.data();
  for (const int16_t combo : v.ultimateCombos) {
    const std::array<double, 3>& N = v.NPlusMinus(combo);
    const std::array<double, 3>& M = v.MPlusMinus(combo);
    for (int i = kPositive; i <= kNegative; ++i) {
      const double Pu = N[i];
      const double e = StripPlasticCentroidOffset(s, Pu);
      for (int j = kPositive; j <= kNegative; ++j, ++pair) {
        const double moment = M[j] + Pu * e;
        const bool faceB = moment >= 0;
        Sense& sense = senses_[faceB ? 0 : 1];
        pair->Pu = Pu;
        pair->sense = faceB ? 0 : 1;
        pair->Mu = faceB ? moment : -moment;
        pair->yref = faceB ? halfT - e : halfT + e;
        pair->capped = !(Pu <= sense.cap);
        if (pair->capped) {
          pair->target = sense.cap;
          if (sense.capped < 0) {
            sense.capped = AddSearch(sense, sense.cap);
          }
          pair->search = sense.capped;
        } else {
          pair->target = Pu;
          pair->search = AddSearch(sense, Pu);
        }
      }
    }
  }

  const StripLaneSection section{s.t,     s.beta1, s.alpha1PhiFc, s.phiEs, s.epsYt,
                                 s.epsYc, epsCu,   A1,            s.n};
  const StripLaneSearches lanes{lanes_,      target_.data(), d1_.data(),   d2_.data(), Plo_.data(),
                                Phi_.data(), cPlo_.data(),   cPhi_.data(), c_.data(),  a_.data(),
                                Cc_.data(),  T1_.data(),     T2_.data(),   P_.data(), steps_.data()};
  if (lanes_ > 0 && !SearchStripDepthsOnLanes(section, lanes)) {
    ClearFloatFaults();
    return false;
  }

  // The ratios, combined as the one-at-a-time check combines them.
  double rmax = -0.0001;
  int16_t govCombo = s.govCombo;
  double govPu = s.Pu;
  double govMu = s.Mu;
  int16_t steps = 0;
  // The two pairs of one axial force share the axial ratio, and, with the
  // same sense of the moment, the search and the moment resistance too: the
  // same operations on the same values, taken once.
  const StripResistances& res = senses_[0].res;
  pair = pairs_.data();
  for (const int16_t combo : v.ultimateCombos) {
    StripComboRatio worst{-0.0001, kPositive, kPositive};
    for (int i = kPositive; i <= kNegative; ++i) {
      const double Pu = pair->Pu;
      const double rP = Pu <= 0 ? Pu / res.P0 : Pu / res.Tr;
      double Mr = 0;
      for (int j = kPositive; j <= kNegative; ++j, ++pair) {
        Search& search = searches_[static_cast<std::size_t>(pair->search)];
        if (j == kPositive || pair->search != (pair - 1)->search ||
            pair->sense != (pair - 1)->sense) {
          if (search.lane >= 0) {
            const std::size_t l = static_cast<std::size_t>(search.lane);
            search.trial = {c_[l], a_[l], Cc_[l], T1_[l], T2_[l], P_[l]};
            search.steps = steps_[l];
            search.lane = -1;
          }
          const PlateStrip& layers = senses_[pair->sense].strip;
          const AxialTrial& trial = search.trial;
          const double yref = pair->yref;
          Mr = trial.Cc * (yref - trial.a / 2) - trial.T1 * (yref - layers.d1) -
               trial.T2 * (yref - layers.d2);
          if (pair->capped) {
            Mr = (20 - 19 * Pu / pair->target) * Mr;
          }
          if (Mr < 0.0001) {
            Mr = 0.0001;
          }
        }
        const double rM = pair->Mu / Mr;
        const double r = rP > rM ? rP : rM;
        steps = search.steps;
        if (r > worst.r) {
          worst = {r, i, j};
        }
      }
    }
    if (worst.r > rmax) {
      rmax = worst.r;
      govCombo = combo;
      govPu = v.NPlusMinus(combo)[worst.i];
      govMu = v.MPlusMinus(combo)[worst.j];
    }
  }
  if (RaisedFloatFaults() != 0) {
    ClearFloatFaults();
    return false;
  }

  // What the one-at-a-time check leaves: the layers of the last pair, the
  // governing values, the steps of the last search. Its trial trees are read
  // only inside a check, which starts by clearing them.
  const Pair& lastPair = *(pair - 1);
  const PlateStrip& lastSense = senses_[lastPair.sense].strip;
  s.d1 = lastSense.d1;
  s.d2 = lastSense.d2;
  s.yref = lastPair.yref;
  s.status = rmax > 1.0 ? Fail_RequiredRFTExceedMaximum : DESIGN_PASS;
  s.govCombo = govCombo;
  s.Pu = govPu;
  s.Mu = govMu;
  work.lastSearchSteps = steps;
  work.trees[0].Clear();
  work.trees[1].Clear();
  return true;
}

bool CheckStripOnLanes(PlateStrip& s, const PlateDesignValues& v, const PlateSettings& settings,
                       PlateStripWork& work) {
  thread_local LaneCheck check;
  return check.Run(s, v, settings, work);
}

#endif  // OSTREL_LANES

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
#ifdef OSTREL_LANES
  if (UseVectorLanes() && CheckStripOnLanes(s, v, settings, work)) {
    return;
  }
#endif
  s.status = DESIGN_PASS;
  double rmax = -0.0001;

  // The steel and the layers of each sense stay fixed for the whole check.
  work.trees[0].Clear();
  work.trees[1].Clear();

  for (const int16_t c : v.ultimateCombos) {
    const std::array<double, 3>& N = v.NPlusMinus(c);
    const std::array<double, 3>& M = v.MPlusMinus(c);
    const StripComboRatio worst =
        ComboRatio(s, settings, N, M, work.lastSearchSteps, &work.trees);
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

StripComboRatio StripCombinationRatio(PlateStrip& s, const PlateSettings& settings,
                                      const std::array<double, 3>& N,
                                      const std::array<double, 3>& M) {
  int16_t steps = 0;
  return ComboRatio(s, settings, N, M, steps, nullptr);
}

StripResistance StripMomentResistance(PlateStrip& s, const PlateSettings& settings, double Pu,
                                      bool faceB) {
  int16_t steps = 0;
  OrientForMoment(s, faceB ? 0.0 : -1.0, StripPlasticCentroidOffset(s, Pu));
  return Resistance(s, settings, Pu, steps, nullptr);
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
