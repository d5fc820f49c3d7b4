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
#include "stiffener/modBeamDesignCSA94.h"

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
bool BiaxialRatio(modBeamDesignCSA94& s, const Contour& ct, double P, int k, int end,
                  double& r) {
  const double step = (s.geo.d_PI * 0.5) / 6;  // 15 degrees
  double theta = s.d_ComboMomentAngle(k, end);
  const double muy = std::fabs(s.d_ComboMuy(k, end));
  double muz = std::fabs(s.d_ComboMuz(k, end));
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
    double aHi = j * step;
    double aLo = (j - 1) * step;
    double tHi = ct.t[j + 1];
    double tLo = ct.t[j];
    r = ComputeCapacityAtDemandAngle(s, P, muy, muz, aHi, aLo, tHi, tLo);
  }
  r = std::fabs(r);
  return true;
}

void SetGoverning(modBeamDesignCSA94& s, int k, double muy, double muz) {
  s.i_GovCombo = static_cast<int16_t>(k);
  s.d_GovPu = s.d_ComboPu(k, 1);
  s.d_GovMuy = muy;
  s.d_GovMuz = muz;
}

void CheckCombos(modBeamDesignCSA94& s) {
  FlexureWork& x = s.flex;
  s.i_ElementStatus = DESIGN_PASS;
  double best = -0.0001;
  // The steel stays fixed for the whole check.
  StartCapacityCheck(s);
  for (const int16_t combo : x.ultimateCombos) {
    const int k = combo;
    const EndRatios ratios = CombinationRatios(s, k);
    for (int end = 1; end <= 2; ++end) {
      if (ratios.has[end] && ratios.r[end] > best) {
        best = ratios.r[end];
        SetGoverning(s, k, s.d_ComboMuy(k, end), s.bt_HasFlanges == 0 ? s.d_ComboMuz(k, end) : 0);
      }
    }
  }
  if (best > 1.0) {
    s.i_ElementStatus = Fail_RequiredRFTExceedMaximum;
  }
  CheckFloatFaults();
}

void TakeSnapshot(modBeamDesignCSA94& s) {
  FlexureWork& x = s.flex;
  x.snapGovCombo = s.i_GovCombo;
  x.snapGovMuy = s.d_GovMuy;
  x.snapGovMuz = s.d_GovMuz;
  x.snapGovPu = s.d_GovPu;
}

void CheckTrial(modBeamDesignCSA94& s, double as) {
  s.d_As = as;
  s.flex.d_BarArea = s.d_As / s.geo.d_NumBars;
  CheckCombos(s);
}

// Raises the minimum steel to the ratio that an axial force of combination
// `combo` needs; false, with the element failed on that force alone, when
// the ratio exceeds the maximum.
bool ApplyAxialBound(modBeamDesignCSA94& s, double rho, int combo, double P) {
  if (rho > s.d_RatioMax) {
    s.i_ElementStatus = Fail_RequiredRFTExceedMaximum;
    s.i_GovCombo = static_cast<int16_t>(combo);
    s.d_GovMuy = 0;
    s.d_GovMuz = 0;
    s.d_GovPu = P;
    CheckFloatFaults();
    return false;
  }
  const double areaWeb = s.geo.d_AreaWeb;
  if (rho * areaWeb > s.flex.d_AsMin) {
    s.flex.d_AsMin = rho * areaWeb;
    s.d_RatioMin = rho;
  }
  return true;
}

}  // namespace

void FlangeEccentricities(const modBeamDesignCSA94& s, double P, double& e_pc, double& e_c) {
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
           ((s.d_PhiFyComp - s.d_BlockStress) * s.d_As + s.geo.d_AreaGross * s.d_BlockStress);
  }
  e_c = S / s.geo.d_AreaGross;
  if (s.bt_Projection == 2) {
    e_pc = -e_pc;
    e_c = -e_c;
  }
}

void FlangeEccentricities(const double& P, double& e_pc, double& e_c) {
  FlangeEccentricities(BeamState(), P, e_pc, e_c);
}

EndRatios CombinationRatios(modBeamDesignCSA94& s, int k) {
  FlexureWork& x = s.flex;
  EndRatios out;
  // The resistance for the axial force at end 1 serves both ends.
  const double P = s.d_ComboPu(k, 1);
  ComputeCheckCapacityPoints(s, P);
  if (s.bt_HasFlanges == 0) {
    const Contour ct = BuildContour(x);
    for (int end = 1; end <= 2; ++end) {
      out.has[end] = BiaxialRatio(s, ct, P, k, end, out.r[end]);
    }
    return out;
  }
  // Flanged section: Muy only, against the resistances in its two senses
  // (directions 7 and 8), about the plastic centroid.
  double ePc = 0;
  double eC = 0;
  FlangeEccentricities(s, P, ePc, eC);
  double lower = P * ePc + x.d_CapMuy[7];
  double upper = P * ePc + x.d_CapMuy[8];
  if (lower > upper) {
    std::swap(lower, upper);
  }
  for (int end = 1; end <= 2; ++end) {
    const double m = s.d_ComboMuy(k, end) + (ePc - eC) * P;
    out.r[end] = std::fabs(m > 0 ? m / upper : m / lower);
    out.has[end] = true;
  }
  return out;
}

void CheckSectionForCombos() { CheckCombos(BeamState()); }

void DesignAxialBounds() {
  modBeamDesignCSA94& s = BeamState();
  FlexureWork& x = s.flex;
  const SectionGeometry& g = s.geo;
  s.i_ElementStatus = DESIGN_PASS;
  x.d_AsMin = s.d_RatioMin * g.d_AreaWeb;
  x.d_AsMax = g.d_AreaWeb * s.d_RatioMax;

  // Most compressive and most tensile axial force at end 1.
  double pc = 0;
  int pcCombo = 0;
  double pt = 0;
  int ptCombo = 0;
  for (const int16_t k : x.ultimateCombos) {
    const double p = s.d_ComboPu(k, 1);
    if (p < pc) {
      pc = p;
      pcCombo = k;
    }
    if (p > pt) {
      pt = p;
      ptCombo = k;
    }
  }
  pc = pc * 1.0001;
  pt = pt * 1.0001;

  // Compression: the tied-section cap 0.8 Po solved for the ratio.
  const double rhoC = ((-pc) / (x.k_Pmax * x.k_Pcomp) - g.d_AreaGross * s.d_BlockStress) /
                      ((s.d_PhiFyComp - s.d_BlockStress) * g.d_AreaWeb);
  if (!ApplyAxialBound(s, rhoC, pcCombo, pc)) {
    return;
  }
  // Tension, with 1 % to spare.
  const double rhoT = (pt * 1.01) / (x.k_Ptens * g.d_AreaWeb * s.d_PhiFy);
  if (!ApplyAxialBound(s, rhoT, ptCombo, pt)) {
    return;
  }
  CheckFloatFaults();
}

void DesignFlexureSteel() {
  modBeamDesignCSA94& s = BeamState();
  FlexureWork& x = s.flex;
  const double areaWeb = s.geo.d_AreaWeb;

  // The minimum steel first: most elements need no more.
  s.d_RatioOfSteel = s.d_RatioMin;
  CheckTrial(s, x.d_AsMin);
  if (s.i_ElementStatus == DESIGN_PASS) {
    return;
  }
  // The maximum steel must pass, or the element fails.
  s.d_RatioOfSteel = s.d_RatioMax;
  CheckTrial(s, x.d_AsMax);
  if (s.i_ElementStatus != DESIGN_PASS) {
    s.d_As = 0;
    s.d_RatioOfSteel = 0;
    return;
  }
  TakeSnapshot(s);

  // Bisection of the ratio; hi only ever takes passing ratios. Guard: a
  // midpoint that is not strictly inside a bracket still wider than the
  // tolerance means the bracket can no longer shrink (ratios beyond about
  // 1e11), which would loop forever. A bracket already narrower than the
  // tolerance gets its one trial and stops. Each step halves the bracket, so
  // the guard ends any search within about 2100 steps (the span of the double
  // exponent range).
  double lo = s.d_RatioMin;
  double hi = s.d_RatioMax;
  do {
    WaitWhileSuspended();
    const double mid = (lo + hi) * 0.5;
    if (!(lo < mid && mid < hi) && !(hi - lo < kRatioTolerance)) {
      CheckFloatFaults();
      throw RunTimeError("steel ratio search does not converge");
    }
    CheckTrial(s, mid * areaWeb);
    if (s.i_ElementStatus == DESIGN_PASS) {
      TakeSnapshot(s);
      hi = mid;
    } else {
      lo = mid;
    }
  } while (!(hi - lo < kRatioTolerance));

  s.i_ElementStatus = DESIGN_PASS;
  s.i_GovCombo = x.snapGovCombo;
  s.d_GovMuy = x.snapGovMuy;
  s.d_GovMuz = x.snapGovMuz;
  s.d_GovPu = x.snapGovPu;
  s.d_RatioOfSteel = hi;
  s.d_As = hi * areaWeb;
  CheckFloatFaults();
}

}  // namespace ostrel
