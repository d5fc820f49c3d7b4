// The stiffener phase of a design run: for every stiffener element, the
// section state in internal units, the cover check, and the four phases
// flexure with axial load, shear along y, shear along z and torsion. Each
// phase fetches the element's end forces of every combination afresh and
// stores its governing values in the host's units.
#include <array>
#include <cmath>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "run/ElementWorkers.h"
#include "run/modDesign.h"
#include "stiffener/StiffenerDesign.h"
#include "stiffener/StiffenerFlexure.h"
#include "stiffener/StiffenerShearTorsion.h"
#include "stiffener/modBeamDesignCSA94.h"

namespace ostrel {

namespace {

// Positions of the end forces in one GetStiffenerElementForces answer.
enum ForceSlot { kAxial = 0, kShearY = 1, kShearZ = 2, kTorsion = 3, kMomentY = 4, kMomentZ = 5 };
constexpr int kEndOffset[3] = {0, 0, 6};  // end 1 at 0, end 2 at 6

struct EndForces {
  float values[12] = {};
  float At(int end, ForceSlot slot) const { return values[kEndOffset[end] + slot]; }
};

EndForces FetchForces(int16_t element, int16_t combo) {
  EndForces forces;
  FetchStiffenerElementForces(element, combo, forces.values);
  return forces;
}

// A host value converted to internal units; it must be finite.
double Converted(double value, float factor) {
  return CheckedValue(value * static_cast<double>(factor));
}

// A strength limited for the design: the 32-bit rounding of the strength is
// compared with the limit, and the limit replaces it when it is larger. A
// strength beyond the 32-bit range is an overflow.
double Limited(double strength, float limit) {
  return ToFloat32(strength) > limit ? static_cast<double>(limit) : strength;
}

// Run start: fresh result fields, the first ultimate combination as the
// governing one of every phase, and fresh per-combination force arrays.
void StartStiffenerResults() {
  modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  typStiffenerElement& r = g.StiffenerElement;
  const int n = g.i_NumStiffenerElements;

  ++g.u_ResultsGeneration;
  r.f_As.Create(n);
  r.f_RatioOfSteel.Create(n);
  r.i_DesignComboIndex_flex.Create(n);
  r.f_Muy.Create(n);
  r.f_Muz.Create(n);
  r.f_Pu_flex.Create(n);
  r.bt_DesignStatus_flex.Create(n);
  r.f_AvOverS_y.Create(n);
  r.i_DesignComboIndex_y.Create(n);
  r.f_Pu_y.Create(n);
  r.f_Tu_y.Create(n);
  r.f_Vu_y.Create(n);
  r.f_Spacing_y.Create(n);
  r.f_AvOverS_z.Create(n);
  r.i_DesignComboIndex_z.Create(n);
  r.f_Pu_z.Create(n);
  r.f_Tu_z.Create(n);
  r.f_Vu_z.Create(n);
  r.f_Spacing_z.Create(n);
  r.f_AtOverS.Create(n);
  r.f_Al.Create(n);
  r.i_DesignComboIndex_tor.Create(n);
  r.f_Pu_tor.Create(n);
  r.f_Tu_tor.Create(n);
  r.f_Vu_tor.Create(n);
  r.f_Spacing_tor.Create(n);
  r.bt_DesignStatus_Shear.Create(n);

  const int combos = g.i_NumLoadCombos;
  s.d_ComboPu.Create(combos);
  s.d_ComboMuy.Create(combos);
  s.d_ComboMuz.Create(combos);
  s.d_ComboMomentAngle.Create(combos);
  s.d_ComboV.Create(combos);
  s.d_ComboT.Create(combos);

  s.i_FirstUltimateCombo = 0;
  for (int k = 1; k <= combos; ++k) {
    if (g.LoadCombo.bt_ComboType(k) == 1) {
      s.i_FirstUltimateCombo = static_cast<int16_t>(k);
      break;
    }
  }

  for (int e = 1; e <= n; ++e) {
    r.i_DesignComboIndex_flex(e) = s.i_FirstUltimateCombo;
    r.i_DesignComboIndex_y(e) = s.i_FirstUltimateCombo;
    r.i_DesignComboIndex_z(e) = s.i_FirstUltimateCombo;
    r.i_DesignComboIndex_tor(e) = s.i_FirstUltimateCombo;
  }
}

// Moves the covers of a circle of bars so that the circle is centred and
// fits the smaller side; the y covers given by the host do not count.
void CentreCircularCovers(modBeamDesignCSA94& s) {
  const double h = s.d_Height;
  const double w = s.d_Width;
  if (h < w) {
    s.d_CoverY = s.d_CoverZ;
    s.d_CoverYst = s.d_CoverZst;
    s.d_CoverZ = s.d_CoverZ + (w - h) / 2;
    s.d_CoverZst = s.d_CoverZst + (w - h) / 2;
  } else {
    s.d_CoverY = s.d_CoverZ + (h - w) / 2;
    s.d_CoverYst = s.d_CoverZst + (h - w) / 2;
  }
}

void FloorCover(double& cover) {
  if (cover < 0.01) {
    cover = 0.01;
  }
}

// The flexure phase up to its design: the ratio limits, fresh governing
// values, the section geometry, and the end forces of every combination.
void PrepareFlexurePhase(int16_t e) {
  const modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  const typStiffenerElement& in = g.StiffenerElement;

  s.d_RatioMin = CheckedValue(in.f_MinRatioOfRFT(e) / 100);
  s.d_RatioMax = CheckedValue(in.f_MaxRatioOfRFT(e) / 100);
  if (s.d_RatioMin > s.d_RatioMax) {
    s.i_ElementStatus = Fail_MinRFTExceedMaximum;
  }
  s.d_As = 0;
  s.d_RatioOfSteel = 0;
  s.i_GovCombo = s.i_FirstUltimateCombo;
  s.d_GovMuy = 0;
  s.d_GovMuz = 0;
  s.d_GovPu = 0;

  BuildSectionGeometry();

  for (int k = 1; k <= g.i_NumLoadCombos; ++k) {
    const EndForces f = FetchForces(e, static_cast<int16_t>(k));
    const bool ultimate = g.LoadCombo.bt_ComboType(k) == 1;
    for (int end = 1; end <= 2; ++end) {
      s.d_ComboPu(k, end) = Converted(f.At(end, kAxial), g.f_ForceFactor);
      s.d_ComboMuy(k, end) = Converted(f.At(end, kMomentY), g.f_MomentFactor);
      s.d_ComboMuz(k, end) = Converted(f.At(end, kMomentZ), g.f_MomentFactor);
    }
    if (!ultimate) {
      continue;
    }
    PrepareUltimateMoments(s, k);
  }
}

void DesignFlexurePhase(int16_t e) {
  modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();

  PrepareFlexurePhase(e);
  if (s.i_ElementStatus == DESIGN_PASS) {
    DesignAxialBounds();
    if (s.i_ElementStatus == DESIGN_PASS) {
      DesignFlexureSteel();
    }
  }

  const double as = s.d_As * static_cast<double>(g.f_AreaOutFactor);
  const float ratio = ToFloat32(s.d_RatioOfSteel * 100);
  const double muy = s.d_GovMuy / static_cast<double>(g.f_MomentFactor);
  const double muz = s.d_GovMuz / static_cast<double>(g.f_MomentFactor);
  const double pu = s.d_GovPu / static_cast<double>(g.f_ForceFactor);
  CheckFloatFaults();
  typStiffenerElement& r = g.StiffenerElement;
  r.f_As(e) = as;
  r.f_RatioOfSteel(e) = ratio;
  r.i_DesignComboIndex_flex(e) = s.i_GovCombo;
  r.f_Muy(e) = muy;
  r.f_Muz(e) = muz;
  r.f_Pu_flex(e) = pu;
  r.bt_DesignStatus_flex(e) = s.i_ElementStatus;
}


void ResetShearSlots() {
  modBeamDesignCSA94& s = BeamState();
  s.d_GovSpacing = -1;
  s.d_AvOverS = 0;
  s.d_GovPu = 0;
  s.d_GovTu = 0;
  s.d_GovVu = 0;
  s.i_GovCombo = s.i_FirstUltimateCombo;
}

// Fetches every combination and keeps the shear of the direction (and, for
// shear along y, the torsion) of both ends.
void FetchShearForces(int16_t e, ForceSlot shear, bool withTorsion) {
  const modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  for (int k = 1; k <= g.i_NumLoadCombos; ++k) {
    const EndForces f = FetchForces(e, static_cast<int16_t>(k));
    for (int end = 1; end <= 2; ++end) {
      s.d_ComboV(k, end) = Converted(f.At(end, shear), g.f_ForceFactor);
      if (withTorsion) {
        s.d_ComboT(k, end) = Converted(f.At(end, kTorsion), g.f_MomentFactor);
      }
    }
  }
}

// The torsion phase's round of fetches: every combination, values unused.
void FetchTorsionForces(int16_t e) {
  const int combos = Global().i_NumLoadCombos;
  for (int k = 1; k <= combos; ++k) {
    FetchForces(e, static_cast<int16_t>(k));
  }
}

// The governing combination and forces of a shear or torsion phase.
struct GoverningFields {
  Array1<int16_t>& combo;
  Array1<double>& pu;
  Array1<double>& tu;
  Array1<double>& vu;
  Array1<double>& spacing;
};

// Stores the governing combination and forces in the host's units; any
// fault of the phase's arithmetic (that of the caller's own results too)
// stops the run before anything is stored.
void StoreGoverningForces(int16_t e, const GoverningFields& out) {
  const modGlobal& g = Global();
  const modBeamDesignCSA94& s = BeamState();
  const double pu = s.d_GovPu / static_cast<double>(g.f_ForceFactor);
  const double tu = s.d_GovTu / static_cast<double>(g.f_MomentFactor);
  const double vu = s.d_GovVu / static_cast<double>(g.f_ForceFactor);
  const double spacing = s.d_GovSpacing / static_cast<double>(g.f_LengthFactor);
  CheckFloatFaults();
  out.combo(e) = s.i_GovCombo;
  out.pu(e) = pu;
  out.tu(e) = tu;
  out.vu(e) = vu;
  out.spacing(e) = spacing;
}

void DesignShearPhaseY(int16_t e) {
  modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  typStiffenerElement& r = g.StiffenerElement;

  FetchShearForces(e, kShearY, true);
  PrepareShearDirection(s, true);
  ResetShearSlots();
  // The flanges of a flanged element carry the shear along y: no design.
  if (s.bt_HasFlanges == 0) {
    CheckMaxShearStress(1);
    if (s.i_ElementStatus == DESIGN_PASS) {
      DesignShearSteel();
    }
  }
  const double avOverS = s.d_AvOverS * static_cast<double>(g.f_StirrupAreaOutFactor);
  StoreGoverningForces(e, {r.i_DesignComboIndex_y, r.f_Pu_y, r.f_Tu_y, r.f_Vu_y, r.f_Spacing_y});
  r.f_AvOverS_y(e) = avOverS;
  r.bt_DesignStatus_Shear(e) = s.i_ElementStatus;
}

void DesignShearPhaseZ(int16_t e) {
  modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  typStiffenerElement& r = g.StiffenerElement;

  FetchShearForces(e, kShearZ, false);
  PrepareShearDirection(s, false);
  ResetShearSlots();
  if (s.i_ElementStatus == DESIGN_PASS) {
    CheckMaxShearStress(0);
    if (s.i_ElementStatus == DESIGN_PASS) {
      DesignShearSteel();
    }
  }
  const double avOverS = s.d_AvOverS * static_cast<double>(g.f_StirrupAreaOutFactor);
  StoreGoverningForces(e, {r.i_DesignComboIndex_z, r.f_Pu_z, r.f_Tu_z, r.f_Vu_z, r.f_Spacing_z});
  r.f_AvOverS_z(e) = avOverS;
  r.bt_DesignStatus_Shear(e) = s.i_ElementStatus;
}

// Torsion works on the axial force, torsion and shear that the earlier
// phases left (the shear is the one along z); its own fetch only keeps the
// call pattern of the analysis results.
void DesignTorsionPhase(int16_t e) {
  modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  typStiffenerElement& r = g.StiffenerElement;

  FetchTorsionForces(e);
  s.d_AtOverS = 0;
  s.d_Al = 0;
  if (s.i_ElementStatus == DESIGN_PASS) {
    DesignTorsionSteel();
  }

  const double atOverS = s.d_AtOverS * static_cast<double>(g.f_StirrupAreaOutFactor);
  const double al = s.d_Al * static_cast<double>(g.f_AreaOutFactor);
  StoreGoverningForces(
      e, {r.i_DesignComboIndex_tor, r.f_Pu_tor, r.f_Tu_tor, r.f_Vu_tor, r.f_Spacing_tor});
  r.f_AtOverS(e) = atOverS;
  r.f_Al(e) = al;
}

void DesignStiffenerElement(int16_t e) {
  modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();

  s.i_ElementStatus = DESIGN_PASS;
  PrepareSectionState(Global(), e, BeamState());
  if (!CoversFit(s)) {
    // No design and no forces fetched: every other result keeps its run-start value.
    s.i_ElementStatus = Fail_CoverTooLarge;
    g.StiffenerElement.bt_DesignStatus_flex(e) = s.i_ElementStatus;
    g.StiffenerElement.bt_DesignStatus_Shear(e) = s.i_ElementStatus;
    return;
  }

  DesignFlexurePhase(e);
  ComputeTorsionSectionProperties();
  // The flexure status does not carry into shear and torsion.
  s.i_ElementStatus = DESIGN_PASS;

  DesignShearPhaseY(e);
  DesignShearPhaseZ(e);
  DesignTorsionPhase(e);
  // A fault of this element's arithmetic stops the run in this element.
  CheckFloatFaults();
}

// The fetches of DesignStiffenerElement in its order, with every step before
// and between them that decides or checks them, and none of the designs.
void PlanStiffenerElementFetches(int16_t e) {
  modBeamDesignCSA94& s = BeamState();

  s.i_ElementStatus = DESIGN_PASS;
  PrepareSectionState(Global(), e, BeamState());
  if (!CoversFit(s)) {
    return;
  }
  PrepareFlexurePhase(e);
  ComputeTorsionSectionProperties();
  FetchShearForces(e, kShearY, true);
  FetchShearForces(e, kShearZ, false);
  FetchTorsionForces(e);
}

}  // namespace

void PrepareSectionState(const modGlobal& g, int e, modBeamDesignCSA94& s) {
  const typStiffenerElement& in = g.StiffenerElement;
  const double phiC = g.phi_c;
  const double phiS = g.phi_s;

  s.i_SectionType = in.bt_SectionType(e);
  s.d_Height = Converted(in.f_sectionHeight(e), g.f_LengthFactor);
  s.d_Width = Converted(in.f_SectionWidth(e), g.f_LengthFactor);
  s.bt_Projection = in.bt_SectionProjection(e);
  const std::array<double, 3>& flangeWidth = in.f_FlangeWidth(e);
  const std::array<double, 3>& flangeThickness = in.f_FlangeThickness(e);
  for (int slot = 1; slot <= 2; ++slot) {
    s.d_FlangeWidth[slot] = Converted(flangeWidth[slot], g.f_LengthFactor);
    s.d_FlangeThickness[slot] = Converted(flangeThickness[slot], g.f_LengthFactor);
  }
  s.bt_HasFlanges = (s.d_FlangeWidth[1] > 0.0001 || s.d_FlangeWidth[2] > 0.0001) ? 1 : 0;

  const double fy = Converted(in.f_fy(e), g.f_StressFactor);
  s.d_PhiFy = phiS * Limited(fy, g.fy_max);
  s.d_PhiFyComp = phiS * Limited(fy, g.fyc_max);
  s.d_PhiFyStirrup = phiS * Limited(fy, g.fyt_max);
  s.d_PhiEs = CheckedValue(phiS * in.f_Es(e) * static_cast<double>(g.f_StressFactor));
  s.d_EpsYield = s.d_PhiFy / s.d_PhiEs;
  s.d_EpsYieldComp = -s.d_PhiFyComp / s.d_PhiEs;

  const double fc = Converted(in.f_fc(e), g.f_StressFactor);
  double beta1 = 0.97 - 0.0025 * fc;
  if (beta1 < 0.67) {
    beta1 = 0.67;
  }
  s.d_Beta1 = beta1;
  double alpha1 = 0.85 - 0.0015 * fc;
  if (alpha1 < 0.67) {
    alpha1 = 0.67;
  }
  s.d_BlockStress = phiC * alpha1 * fc;
  const double fcShear = Limited(fc, g.fc_max);
  s.d_PhiSqrtFc = phiC * std::sqrt(fcShear);
  s.d_PhiFc = phiC * fcShear;
  const double density = Converted(in.f_density(e), g.f_DensityFactor);
  s.d_LambdaPhiSqrtFc = LambdaForDensity(g, density) * s.d_PhiSqrtFc;
  s.d_LambdaPhiFc = LambdaForDensity(g, density) * s.d_PhiFc;

  s.i_RFTType = in.bt_RFTType(e);
  const std::array<float, 4>& cover = in.f_Cover(e);
  const std::array<float, 4>& coverSt = in.f_Cover_st(e);
  s.d_CoverY = Converted(cover[1], g.f_LengthFactor);
  s.d_CoverZ = Converted(cover[2], g.f_LengthFactor);
  s.d_CoverYst = Converted(coverSt[1], g.f_LengthFactor);
  s.d_CoverZst = Converted(coverSt[2], g.f_LengthFactor);

  if (s.i_RFTType == 3) {
    CentreCircularCovers(s);
  }
  FloorCover(s.d_CoverY);
  FloorCover(s.d_CoverZ);
  FloorCover(s.d_CoverYst);
  FloorCover(s.d_CoverZst);
  CheckFloatFaults();
}

void PrepareUltimateMoments(modBeamDesignCSA94& s, int k) {
  for (int end = 1; end <= 2; ++end) {
    // A zero moment about z would leave the demand angle undefined.
    if (std::fabs(s.d_ComboMuz(k, end)) < 0.0001) {
      s.d_ComboMuz(k, end) = 0.0001;
    }
    s.d_ComboMomentAngle(k, end) =
        std::atan(std::fabs(s.d_ComboMuy(k, end)) / std::fabs(s.d_ComboMuz(k, end)));
  }
}

void PrepareShearDirection(modBeamDesignCSA94& s, bool alongY) {
  const double depth = alongY ? s.d_ShearDepthY : s.d_ShearDepthZ;
  const double across = alongY ? s.d_Width : s.d_Height;
  s.d_ShearDepth = depth;
  s.d_ShearWidth = s.i_SectionType == 1 ? 0.8 * across : across;
  s.d_ShearHeight = alongY ? s.d_Height : s.d_Width;
}

bool CoversFit(const modBeamDesignCSA94& s) {
  const bool tooLarge = s.d_Height - 0.0001 < 2 * s.d_CoverY ||
                        s.d_Width - 0.0001 < 2 * s.d_CoverZ ||
                        s.d_Height - 0.0001 < 2 * s.d_CoverYst ||
                        s.d_Width - 0.0001 < 2 * s.d_CoverZst;
  return !tooLarge;
}

void DesignStiffenerElements() {
  modGlobal& g = Global();
  StartStiffenerResults();
  if (BeamState().i_FirstUltimateCombo == 0) {
    Design().sErrorMessage = "There is no ultimate-load combination defined";
    throw RunTimeError(Design().sErrorMessage);
  }

  ElementPhase phase;
  phase.count = g.i_NumStiffenerElements;
  phase.planFetches = &PlanStiffenerElementFetches;
  phase.designElement = &DesignStiffenerElement;
  phase.saveResults = &SaveStiffenerResults;
  phase.loadResults = &LoadStiffenerResults;
  phase.prepareWorker = [&host = BeamState()] { BeamState() = host; };
  RunElementPhase(phase);
}

}  // namespace ostrel
