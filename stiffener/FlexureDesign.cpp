// Longitudinal steel of a stiffener for biaxial (or, with flanges, uniaxial)
// bending with axial load: the axial bounds of the steel ratio, the check of
// one steel area against every ultimate combination, and the bisection of the
// ratio between the element's minimum and maximum.
#include <array>
#include <cmath>
#include <utility>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "run/modDesign.h"
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

Contour BuildContour(const FlexureWork& x) {
  Contour c;
  for (int j = 1; j <= 7; ++j) {
    c.my[j] = std::fabs(x.d_CapMuy[j]);
    const double mz = std::fabs(x.d_CapMuz[j]);
    c.mz[j] = mz < 0.0001 ? 0.0001 : mz;
    c.t[j] = std::atan(c.my[j] / c.mz[j]);
  }
  return c;
}

// Demand/capacity ratio of one end against the contour; false when no
// segment holds the demand angle (the end then gives no ratio).
bool BiaxialRatio(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                  const Contour& ct, double P, int k, int end, double& r) {
  const double step = (s.geo.d_PI * 0.5) / 6;  // 15 degrees
  double theta = f.d_ComboMomentAngle(k, end);
  const double muy = std::fabs(f.d_ComboMuy(k, end));
  const double muz = std::fabs(f.d_ComboMuz(k, end));
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
    return false;
  }
  if (std::fabs(theta - ct.t[j]) < 0.0001) {
    r = (muz + muy) / (ct.mz[j] + ct.my[j]);
  } else if (std::fabs(theta - ct.t[j + 1]) < 0.0001) {
    r = (muz + muy) / (ct.mz[j + 1] + ct.my[j + 1]);
  } else {
    const AngleBracket bracket{j * step, (j - 1) * step, ct.t[j + 1], ct.t[j]};
    r = ComputeCapacityAtDemandAngle(s, x, P, muy, muz, bracket);
  }
  r = std::fabs(r);
  return true;
}

void SetGoverning(const StiffenerForces& f, int k, double muy, double muz, StiffenerRecord& r) {
  r.i_GovCombo = static_cast<int16_t>(k);
  r.d_GovPu = f.d_ComboPu(k, 1);
  r.d_GovMuy = muy;
  r.d_GovMuz = muz;
}

// Both ends of combination k against the biaxial contour of the capacity
// points of its axial force P; `best` is the largest ratio so far.
void CheckBiaxialEnds(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x, int k,
                      double P, double& best, StiffenerRecord& r) {
  const Contour ct = BuildContour(x);
  for (int end = 1; end <= 2; ++end) {
    double ratio = 0;
    if (BiaxialRatio(s, f, x, ct, P, k, end, ratio) && ratio > best) {
      best = ratio;
      SetGoverning(f, k, f.d_ComboMuy(k, end), f.d_ComboMuz(k, end), r);
    }
  }
}

// Flanged section: Muy only, against the resistances in its two senses
// (directions 7 and 8), about the plastic centroid.
void CheckFlangedEnds(const StiffenerSection& s, const StiffenerForces& f, const FlexureWork& x,
                      int k, double P, double& best, StiffenerRecord& r) {
  double ePc = 0;
  double eC = 0;
  FlangeEccentricities(s, x.d_As, P, ePc, eC);
  double lower = P * ePc + x.d_CapMuy[7];
  double upper = P * ePc + x.d_CapMuy[8];
  if (lower > upper) {
    std::swap(lower, upper);
  }
  for (int end = 1; end <= 2; ++end) {
    const double m = f.d_ComboMuy(k, end) + (ePc - eC) * P;
    const double ratio = std::fabs(m > 0 ? m / upper : m / lower);
    if (ratio > best) {
      best = ratio;
      SetGoverning(f, k, f.d_ComboMuy(k, end), 0, r);
    }
  }
}

void TakeSnapshot(const StiffenerRecord& r, FlexureWork& x) {
  x.snapGovCombo = r.i_GovCombo;
  x.snapGovMuy = r.d_GovMuy;
  x.snapGovMuz = r.d_GovMuz;
  x.snapGovPu = r.d_GovPu;
}

void CheckTrial(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x, double as,
                StiffenerRecord& r) {
  x.d_As = as;
  x.d_BarArea = x.d_As / s.geo.d_NumBars;
  CheckSectionForCombos(s, f, x, r);
}

// Raises the minimum steel to the ratio that an axial force of combination
// `combo` needs; false, with the element failed on that force alone, when
// the ratio exceeds the maximum.
bool ApplyAxialBound(const StiffenerSection& s, double rho, int combo, double P, FlexureWork& x,
                     StiffenerRecord& r) {
  if (rho > s.d_RatioMax) {
    r.i_ElementStatus = Fail_RequiredRFTExceedMaximum;
    r.i_GovCombo = static_cast<int16_t>(combo);
    r.d_GovMuy = 0;
    r.d_GovMuz = 0;
    r.d_GovPu = P;
    CheckFloatFaults();
    return false;
  }
  const double areaWeb = s.geo.d_AreaWeb;
  if (rho * areaWeb > x.d_AsMin) {
    x.d_AsMin = rho * areaWeb;
    x.d_RatioMin = rho;
  }
  return true;
}

// Most compressive (pc) and most tensile (pt) axial force at end 1 over the
// ultimate combinations, with their combinations; the first of equals.
void ExtremeAxialForces(const StiffenerForces& f, double& pc, int& pcCombo, double& pt,
                        int& ptCombo) {
  for (const int16_t k : f.ultimateCombos) {
    const double p = f.d_ComboPu(k, 1);
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
double BisectSteelRatio(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                        double lo, double hi, StiffenerRecord& r) {
  const double areaWeb = s.geo.d_AreaWeb;
  do {
    WaitWhileSuspended();
    const double mid = (lo + hi) * 0.5;
    if (!(lo < mid && mid < hi) && !(hi - lo < kRatioTolerance)) {
      CheckFloatFaults();
      throw RunTimeError("steel ratio search does not converge");
    }
    CheckTrial(s, f, x, mid * areaWeb, r);
    if (r.i_ElementStatus == DESIGN_PASS) {
      TakeSnapshot(r, x);
      hi = mid;
    } else {
      lo = mid;
    }
  } while (!(hi - lo < kRatioTolerance));
  return hi;
}

}  // namespace

void FlangeEccentricities(const StiffenerSection& s, double as, double P, double& e_pc,
                          double& e_c) {
  double S = 0;  // first moment of the flange rectangles about the web mid-plane
  if (s.bt_Projection != 1) {
    for (int f = 1; f <= 2; ++f) {
      S = S + s.d_FlangeWidth[f] * s.d_FlangeThickness[f] * 0.5 * (s.d_Width - s.d_FlangeThickness[f]);
    }
  }
  if (P >= 0) {
    e_pc = 0;
  } else {
    e_pc = S * s.d_BlockStress /
           ((s.d_PhiFyComp - s.d_BlockStress) * as + s.geo.d_AreaGross * s.d_BlockStress);
  }
  e_c = S / s.geo.d_AreaGross;
  if (s.bt_Projection == 2) {
    e_pc = -e_pc;
    e_c = -e_c;
  }
}

void CheckSectionForCombos(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                           StiffenerRecord& r) {
  r.i_ElementStatus = DESIGN_PASS;
  double best = -0.0001;
  // The steel stays fixed for the whole check.
  StartCapacityCheck(x);
  for (const int16_t combo : f.ultimateCombos) {
    const int k = combo;
    // The resistance for the axial force at end 1 serves both ends.
    const double P = f.d_ComboPu(k, 1);
    ComputeCheckCapacityPoints(s, x, P);
    if (s.bt_HasFlanges == 0) {
      CheckBiaxialEnds(s, f, x, k, P, best, r);
    } else {
      CheckFlangedEnds(s, f, x, k, P, best, r);
    }
  }
  if (best > 1.0) {
    r.i_ElementStatus = Fail_RequiredRFTExceedMaximum;
  }
  CheckFloatFaults();
}

void DesignAxialBounds(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                       StiffenerRecord& r) {
  const SectionGeometry& g = s.geo;
  r.i_ElementStatus = DESIGN_PASS;
  x.d_RatioMin = s.d_RatioMin;
  x.d_AsMin = s.d_RatioMin * g.d_AreaWeb;
  x.d_AsMax = g.d_AreaWeb * s.d_RatioMax;

  double pc = 0;
  int pcCombo = 0;
  double pt = 0;
  int ptCombo = 0;
  ExtremeAxialForces(f, pc, pcCombo, pt, ptCombo);
  pc = pc * 1.0001;
  pt = pt * 1.0001;

  // Compression: the tied-section cap 0.8 Po solved for the ratio.
  const double rhoC = ((-pc) / (x.k_Pmax * x.k_Pcomp) - g.d_AreaGross * s.d_BlockStress) /
                      ((s.d_PhiFyComp - s.d_BlockStress) * g.d_AreaWeb);
  if (!ApplyAxialBound(s, rhoC, pcCombo, pc, x, r)) {
    return;
  }
  // Tension, with 1 % to spare.
  const double rhoT = (pt * 1.01) / (x.k_Ptens * g.d_AreaWeb * s.d_PhiFy);
  if (!ApplyAxialBound(s, rhoT, ptCombo, pt, x, r)) {
    return;
  }
  CheckFloatFaults();
}

void DesignSectionSteel(const StiffenerSection& s, const StiffenerForces& f, FlexureWork& x,
                        StiffenerRecord& r) {
  // The minimum steel first: most elements need no more.
  r.d_RatioOfSteel = x.d_RatioMin;
  CheckTrial(s, f, x, x.d_AsMin, r);
  if (r.i_ElementStatus == DESIGN_PASS) {
    r.d_As = x.d_As;
    return;
  }
  // The maximum steel must pass, or the element fails.
  r.d_RatioOfSteel = s.d_RatioMax;
  CheckTrial(s, f, x, x.d_AsMax, r);
  if (r.i_ElementStatus != DESIGN_PASS) {
    r.d_As = 0;
    r.d_RatioOfSteel = 0;
    return;
  }
  TakeSnapshot(r, x);
  const double hi = BisectSteelRatio(s, f, x, x.d_RatioMin, s.d_RatioMax, r);

  r.i_ElementStatus = DESIGN_PASS;
  r.i_GovCombo = x.snapGovCombo;
  r.d_GovMuy = x.snapGovMuy;
  r.d_GovMuz = x.snapGovMuz;
  r.d_GovPu = x.snapGovPu;
  r.d_RatioOfSteel = hi;
  r.d_As = hi * s.geo.d_AreaWeb;
  CheckFloatFaults();
}

}  // namespace ostrel
