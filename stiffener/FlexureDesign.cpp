// Longitudinal steel of a stiffener for biaxial (or, with flanges, uniaxial)
// bending with axial load: the axial bounds of the steel ratio, the check of
// one steel area against every ultimate combination, and the bisection of the
// ratio between the element's minimum and maximum.
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "model/CheckedMath.h"
#include "model/CrMath.h"
#include "model/modGlobal.h"
#include "model/modDesign.h"
#include "model/SearchLanes.h"
#include "stiffener/StiffenerFlexure.h"

namespace ostrel {

namespace {

// The ratio search stops once the bracket is narrower than this ratio
// (0.005 percentage points).
constexpr double kRatioTolerance = 0.00005;

// Interaction contour of directions 1..7 (neutral axis at 0..90 degrees) in
// the quadrant of |Muz| and |Muy|, with the angle of each capacity vector.
struct Contour {
  std::array<double, 8> my{};
  std::array<double, 8> mz{};
  std::array<double, 8> t{};
};

Contour BuildContour(const DirectionArray& capMuy, const DirectionArray& capMuz) {
  Contour c;
  for (int j = 1; j <= 7; ++j) {
    c.my[j] = std::fabs(capMuy[j]);
    const double mz = std::fabs(capMuz[j]);
    c.mz[j] = mz < 0.0001 ? 0.0001 : mz;
    c.t[j] = DesignAtan(c.my[j] / c.mz[j]);
  }
  return c;
}

// Where the demand of one end meets the contour: on no segment (has
// false), on a contour point (the ratio r), or between two points (search,
// with the bracket of the angle search).
struct ContourDemand {
  bool has = false;
  bool search = false;
  double r = 0;
  double muy = 0;
  double muz = 0;
  AngleBracket bracket{};
};

ContourDemand DemandOnContour(const StiffenerSection& s, const StiffenerForces& f,
                              const Contour& ct, int k, int end) {
  ContourDemand out;
  const double step = (s.geo.pi * 0.5) / 6;  // 15 degrees
  double theta = f.momentAngle(k, end);
  const double muy = std::fabs(f.Muy(k, end));
  const double muz = std::fabs(f.Muz(k, end));
  if (theta > ct.t[7]) {
    theta = ct.t[7];
  } else if (theta < ct.t[1]) {
    theta = ct.t[1];
  }
  int j = 1;
  while (j <= 6 && !(ct.t[j] <= theta && theta <= ct.t[j + 1])) {
    ++j;
  }
  if (j > 6) {
    return out;
  }
  out.has = true;
  if (std::fabs(theta - ct.t[j]) < 0.0001) {
    out.r = (muz + muy) / (ct.mz[j] + ct.my[j]);
  } else if (std::fabs(theta - ct.t[j + 1]) < 0.0001) {
    out.r = (muz + muy) / (ct.mz[j + 1] + ct.my[j + 1]);
  } else {
    out.search = true;
    out.muy = muy;
    out.muz = muz;
    out.bracket = {j * step, (j - 1) * step, ct.t[j + 1], ct.t[j]};
  }
  return out;
}

// Demand/capacity ratio of one end against the contour; false when no
// segment holds the demand angle (the end then gives no ratio).
bool BiaxialRatio(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                  const Contour& ct, double P, int k, int end, double& r) {
  const ContourDemand d = DemandOnContour(s, f, ct, k, end);
  if (!d.has) {
    return false;
  }
  r = d.search ? ComputeCapacityAtDemandAngle(s, x, P, d.muy, d.muz, d.bracket) : d.r;
  r = std::fabs(r);
  return true;
}

// Flanged section: Muy only, against the resistances in its two senses
// (directions 7 and 8, capacities cap7 and cap8), about the plastic
// centroid.
EndRatios FlangedRatios(const StiffenerSection& s, const StiffenerForces& f, double as,
                        double cap7, double cap8, double P, int k) {
  EndRatios out;
  double ePc = 0;
  double eC = 0;
  FlangeEccentricities(s, as, P, ePc, eC);
  double lower = P * ePc + cap7;
  double upper = P * ePc + cap8;
  if (lower > upper) {
    std::swap(lower, upper);
  }
  for (int end = 1; end <= 2; ++end) {
    const double m = f.Muy(k, end) + (ePc - eC) * P;
    out.r[end] = std::fabs(m > 0 ? m / upper : m / lower);
    out.has[end] = true;
  }
  return out;
}

void SetGoverning(const StiffenerForces& f, int k, double muy, double muz, StiffenerRecord& r) {
  r.govCombo = static_cast<int16_t>(k);
  r.govPu = f.Pu(k, 1);
  r.govMuy = muy;
  r.govMuz = muz;
}

// Makes the end of combination k with a ratio above `best` the record's
// governing demand (the first of equal ratios counts) and raises `best`.
void TakeGoverningEnd(const StiffenerSection& s, const StiffenerForces& f, int k,
                      const EndRatios& e, double& best, StiffenerRecord& r) {
  for (int end = 1; end <= 2; ++end) {
    if (e.has[end] && e.r[end] > best) {
      best = e.r[end];
      SetGoverning(f, k, f.Muy(k, end), s.hasFlanges == 0 ? f.Muz(k, end) : 0, r);
    }
  }
}

void TakeSnapshot(const StiffenerRecord& r, FlexureWork& x) {
  x.snapGovCombo = r.govCombo;
  x.snapGovMuy = r.govMuy;
  x.snapGovMuz = r.govMuz;
  x.snapGovPu = r.govPu;
}

void CheckTrial(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x, double as,
                StiffenerRecord& r) {
  x.As = as;
  x.barArea = x.As / s.geo.numBars;
  CheckSectionForCombos(s, f, x, r);
}

// Raises the minimum steel to the ratio that an axial force of combination
// `combo` needs; false, with the element failed on that force alone, when
// the ratio exceeds the maximum.
bool ApplyAxialBound(const StiffenerSection& s, double rho, int combo, double P, FlexureWork& x,
                     StiffenerRecord& r) {
  if (rho > s.rhoMax) {
    r.status = Fail_RequiredRFTExceedMaximum;
    r.govCombo = static_cast<int16_t>(combo);
    r.govMuy = 0;
    r.govMuz = 0;
    r.govPu = P;
    CheckFloatFaults();
    return false;
  }
  const double areaWeb = s.geo.areaWeb;
  if (rho * areaWeb > x.AsMin) {
    x.AsMin = rho * areaWeb;
    x.rhoMin = rho;
  }
  return true;
}

// Most compressive (pc) and most tensile (pt) axial force at end 1 over the
// ultimate combinations, with their combinations; the first of equals.
void ExtremeAxialForces(const StiffenerForces& f, double& pc, int& pcCombo, double& pt,
                        int& ptCombo) {
  for (const int16_t k : f.ultimateCombos) {
    const double p = f.Pu(k, 1);
    if (p < pc) {
      pc = p;
      pcCombo = k;
    }
    if (p > pt) {
      pt = p;
      ptCombo = k;
    }
  }
}

// Bisection of the ratio between lo (failing) and hi (passing); hi only ever
// takes passing ratios, and the snapshot holds the record of the last
// passing trial. Returns the final hi. Guard: a midpoint that is not
// strictly inside a bracket still wider than the tolerance means the bracket
// can no longer shrink (ratios beyond about 1e11), which would loop forever.
// A bracket already narrower than the tolerance gets its one trial and
// stops. Each step halves the bracket, so the guard ends any search within
// about 2100 steps (the span of the double exponent range).
double BisectSectionRatio(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                        double lo, double hi, StiffenerRecord& r) {
  const double areaWeb = s.geo.areaWeb;
  do {
    WaitWhileSuspended();
    const double mid = (lo + hi) * 0.5;
    if (!(lo < mid && mid < hi) && !(hi - lo < kRatioTolerance)) {
      CheckFloatFaults();
      throw RunTimeError("steel ratio search does not converge");
    }
    CheckTrial(s, f, x, mid * areaWeb, r);
    if (r.status == DESIGN_PASS) {
      TakeSnapshot(r, x);
      hi = mid;
    } else {
      lo = mid;
    }
  } while (!(hi - lo < kRatioTolerance));
  return hi;
}

#ifdef OSTREL_LANES
// CheckSectionForCombos with the searches of all combinations on vector
// lanes: first the capacity points of every combination, then the angle
// searches of every end that needs one; the same results, record and work
// as the one-at-a-time check. False, with the fault flags as they were and
// the record untouched, when a search met a fault or a guard: the check is
// then done one at a time, which reports it.
bool CheckCombosOnLanes(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                        StiffenerRecord& r) {
  const int n = static_cast<int>(f.ultimateCombos.size());
  if (n == 0 || RaisedFloatFaults() != 0) {
    return false;
  }
  std::vector<double> P(static_cast<size_t>(n));
  std::vector<DirectionArray> capMuy(static_cast<size_t>(n));
  std::vector<DirectionArray> capMuz(static_cast<size_t>(n));
  std::vector<EndRatios> ratios(static_cast<size_t>(n));
  try {
    StartCapacityCheck(x);
    for (int i = 0; i < n; ++i) {
      P[static_cast<size_t>(i)] = f.Pu(f.ultimateCombos[static_cast<size_t>(i)], 1);
    }
    if (!ComputeCheckCapacityPointsOnLanes(s, x, P.data(), n, capMuy.data(), capMuz.data())) {
      ClearFloatFaults();
      return false;
    }
    if (s.hasFlanges != 0) {
      for (int i = 0; i < n; ++i) {
        const size_t at = static_cast<size_t>(i);
        ratios[at] = FlangedRatios(s, f, x.As, capMuy[at][7], capMuy[at][8], P[at],
                                   f.ultimateCombos[at]);
      }
    } else {
      std::vector<AngleDemand> demands;
      std::vector<double*> into;
      int lastSearching = -1;
      for (int i = 0; i < n; ++i) {
        const size_t at = static_cast<size_t>(i);
        const int k = f.ultimateCombos[at];
        const Contour ct = BuildContour(capMuy[at], capMuz[at]);
        for (int end = 1; end <= 2; ++end) {
          const ContourDemand d = DemandOnContour(s, f, ct, k, end);
          ratios[at].has[end] = d.has;
          ratios[at].r[end] = d.r;
          if (d.search) {
            demands.push_back({P[at], d.muy, d.muz, d.bracket});
            into.push_back(&ratios[at].r[end]);
            lastSearching = i;
          }
        }
      }
      // The work ends as the last combination's last search leaves it, if
      // that combination searched at all.
      const bool lastSearched = lastSearching == n - 1;
      std::vector<double> found(demands.size());
      if (!CapacitiesAtDemandAnglesOnLanes(s, x, demands.data(), static_cast<int>(demands.size()),
                                           found.data(), lastSearched)) {
        ClearFloatFaults();
        return false;
      }
      for (size_t q = 0; q < demands.size(); ++q) {
        *into[q] = found[q];
      }
      for (EndRatios& e : ratios) {
        for (int end = 1; end <= 2; ++end) {
          if (e.has[end]) {
            e.r[end] = std::fabs(e.r[end]);
          }
        }
      }
    }
  } catch (const RunTimeError&) {
    ClearFloatFaults();
    return false;
  }
  if (RaisedFloatFaults() != 0) {
    ClearFloatFaults();
    return false;
  }
  r.status = DESIGN_PASS;
  double best = -0.0001;
  for (int i = 0; i < n; ++i) {
    TakeGoverningEnd(s, f, f.ultimateCombos[static_cast<size_t>(i)],
                     ratios[static_cast<size_t>(i)], best, r);
  }
  if (best > 1.0) {
    r.status = Fail_RequiredRFTExceedMaximum;
  }
  return true;
}
#endif

}  // namespace

void FlangeEccentricities(const StiffenerSection& s, double as, double P, double& e_pc,
                          double& e_c) {
  double S = 0;  // first moment of the flange rectangles about the web mid-plane
  if (s.projection != 1) {
    for (int f = 1; f <= 2; ++f) {
      S = S + s.flangeWidth[f] * s.flangeThickness[f] * 0.5 * (s.width - s.flangeThickness[f]);
    }
  }
  if (P >= 0) {
    e_pc = 0;
  } else {
    e_pc = S * s.blockStress /
           ((s.phiFyComp - s.blockStress) * as + s.geo.areaGross * s.blockStress);
  }
  e_c = S / s.geo.areaGross;
  if (s.projection == 2) {
    e_pc = -e_pc;
    e_c = -e_c;
  }
}

EndRatios CombinationRatios(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                            int k) {
  EndRatios out;
  // The resistance for the axial force at end 1 serves both ends.
  const double P = f.Pu(k, 1);
  ComputeCheckCapacityPoints(s, x, P);
  if (s.hasFlanges == 0) {
    const Contour ct = BuildContour(x.capMuy, x.capMuz);
    for (int end = 1; end <= 2; ++end) {
      out.has[end] = BiaxialRatio(s, f, x, ct, P, k, end, out.r[end]);
    }
    return out;
  }
  return FlangedRatios(s, f, x.As, x.capMuy[7], x.capMuy[8], P, k);
}

void CheckSectionForCombos(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                           StiffenerRecord& r) {
#ifdef OSTREL_LANES
  if (UseVectorLanes() && CheckCombosOnLanes(s, f, x, r)) {
    return;
  }
#endif
  r.status = DESIGN_PASS;
  double best = -0.0001;
  // The steel stays fixed for the whole check.
  StartCapacityCheck(x);
  for (const int16_t combo : f.ultimateCombos) {
    TakeGoverningEnd(s, f, combo, CombinationRatios(s, f, x, combo), best, r);
  }
  if (best > 1.0) {
    r.status = Fail_RequiredRFTExceedMaximum;
  }
  CheckFloatFaults();
}

void DesignSectionAxialBounds(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                       StiffenerRecord& r) {
  const SectionGeometry& g = s.geo;
  r.status = DESIGN_PASS;
  x.rhoMin = s.rhoMin;
  x.AsMin = s.rhoMin * g.areaWeb;
  x.AsMax = g.areaWeb * s.rhoMax;

  double pc = 0;
  int pcCombo = 0;
  double pt = 0;
  int ptCombo = 0;
  ExtremeAxialForces(f, pc, pcCombo, pt, ptCombo);
  pc = pc * 1.0001;
  pt = pt * 1.0001;

  // Compression: the tied-section cap 0.8 Po solved for the ratio.
  const double rhoC = ((-pc) / (x.kPmax * x.kPcomp) - g.areaGross * s.blockStress) /
                      ((s.phiFyComp - s.blockStress) * g.areaWeb);
  if (!ApplyAxialBound(s, rhoC, pcCombo, pc, x, r)) {
    return;
  }
  // Tension, with 1 % to spare.
  const double rhoT = (pt * 1.01) / (x.kPtens * g.areaWeb * s.phiFy);
  if (!ApplyAxialBound(s, rhoT, ptCombo, pt, x, r)) {
    return;
  }
  CheckFloatFaults();
}

void DesignSectionSteel(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                        StiffenerRecord& r) {
  // The minimum steel first: most elements need no more.
  r.rho = x.rhoMin;
  CheckTrial(s, f, x, x.AsMin, r);
  if (r.status == DESIGN_PASS) {
    r.As = x.As;
    return;
  }
  // The maximum steel must pass, or the element fails.
  r.rho = s.rhoMax;
  CheckTrial(s, f, x, x.AsMax, r);
  if (r.status != DESIGN_PASS) {
    r.As = 0;
    r.rho = 0;
    return;
  }
  TakeSnapshot(r, x);
  const double hi = BisectSectionRatio(s, f, x, x.rhoMin, s.rhoMax, r);

  r.status = DESIGN_PASS;
  r.govCombo = x.snapGovCombo;
  r.govMuy = x.snapGovMuy;
  r.govMuz = x.snapGovMuz;
  r.govPu = x.snapGovPu;
  r.rho = hi;
  r.As = hi * s.geo.areaWeb;
  CheckFloatFaults();
}

}  // namespace ostrel
