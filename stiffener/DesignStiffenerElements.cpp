// The stiffener phase of a design run: for every stiffener element, the
// section state in internal units, the cover check, and the four phases
// flexure with axial load, shear along y, shear along z and torsion. Each
// phase fetches the element's end forces of every combination afresh and
// stores its governing values in the host's units.
#include <array>
#include <cmath>

#include "model/CheckedMath.h"
#include "model/CrMath.h"
#include "model/modDesign.h"
#include "model/modGlobal.h"
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

EndForces FetchForces(ForceSource& source, int16_t element, int16_t combo) {
  EndForces forces;
  source.StiffenerForces(element, combo, forces.values);
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

// Fresh result fields for n elements.
void CreateResultFields(typStiffenerElement& r, int n) {
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
}

// Run start: fresh result fields, the first ultimate combination as the
// governing one of every phase, fresh per-combination force arrays and the
// list of the ultimate combinations.
void StartStiffenerResults() {
  modGlobal& g = Global();
  StiffenerForces& f = BeamState().forces;
  typStiffenerElement& r = g.StiffenerElement;
  const int n = g.i_NumStiffenerElements;

  ++g.u_ResultsGeneration;
  CreateResultFields(r, n);

  const int combos = g.i_NumLoadCombos;
  f.Pu.Create(combos);
  f.Muy.Create(combos);
  f.Muz.Create(combos);
  f.momentAngle.Create(combos);
  f.Vu.Create(combos);
  f.Tu.Create(combos);

  f.ultimateCombos.clear();
  for (int k = 1; k <= combos; ++k) {
    if (g.LoadCombo.bt_ComboType(k) == 1) {
      f.ultimateCombos.push_back(static_cast<int16_t>(k));
    }
  }
  f.firstUltimateCombo = f.ultimateCombos.empty() ? 0 : f.ultimateCombos.front();

  for (int e = 1; e <= n; ++e) {
    r.i_DesignComboIndex_flex(e) = f.firstUltimateCombo;
    r.i_DesignComboIndex_y(e) = f.firstUltimateCombo;
    r.i_DesignComboIndex_z(e) = f.firstUltimateCombo;
    r.i_DesignComboIndex_tor(e) = f.firstUltimateCombo;
  }
}

// Moves the covers of a circle of bars so that the circle is centred and
// fits the smaller side; the y covers given by the host do not count.
void CentreCircularCovers(StiffenerSection& s) {
  const double h = s.height;
  const double w = s.width;
  if (h < w) {
    s.coverY = s.coverZ;
    s.coverYst = s.coverZst;
    s.coverZ = s.coverZ + (w - h) / 2;
    s.coverZst = s.coverZst + (w - h) / 2;
  } else {
    s.coverY = s.coverZ + (h - w) / 2;
    s.coverYst = s.coverZst + (h - w) / 2;
  }
}

void FloorCover(double& cover) {
  if (cover < 0.01) {
    cover = 0.01;
  }
}

// The factored strengths of the steel and the concrete of element e.
void LoadFactoredStrengths(const modGlobal& g, int e, StiffenerSection& s) {
  const typStiffenerElement& in = g.StiffenerElement;
  const double phiC = g.phi_c;
  const double phiS = g.phi_s;
  const double fy = Converted(in.f_fy(e), g.f_StressFactor);
  s.phiFy = phiS * Limited(fy, g.fy_max);
  s.phiFyComp = phiS * Limited(fy, g.fyc_max);
  s.phiFyStirrup = phiS * Limited(fy, g.fyt_max);
  s.phiEs = CheckedValue(phiS * in.f_Es(e) * static_cast<double>(g.f_StressFactor));

  const double fc = Converted(in.f_fc(e), g.f_StressFactor);
  double beta1 = 0.97 - 0.0025 * fc;
  if (beta1 < 0.67) {
    beta1 = 0.67;
  }
  s.beta1 = beta1;
  double alpha1 = 0.85 - 0.0015 * fc;
  if (alpha1 < 0.67) {
    alpha1 = 0.67;
  }
  s.blockStress = phiC * alpha1 * fc;
  const double fcShear = Limited(fc, g.fc_max);
  s.phiSqrtFc = phiC * std::sqrt(fcShear);
  s.phiFc = phiC * fcShear;
  const double density = Converted(in.f_density(e), g.f_DensityFactor);
  s.lambdaPhiSqrtFc = LambdaForDensity(g, density) * s.phiSqrtFc;
  s.lambdaPhiFc = LambdaForDensity(g, density) * s.phiFc;
}

// The section of element e in internal units, with the factored strengths
// of the concrete and the steel and the covers.
void ReadSectionProperties(const modGlobal& g, int e, StiffenerSection& s) {
  const typStiffenerElement& in = g.StiffenerElement;
  s.sectionType = in.bt_SectionType(e);
  s.height = Converted(in.f_sectionHeight(e), g.f_LengthFactor);
  s.width = Converted(in.f_SectionWidth(e), g.f_LengthFactor);
  s.projection = in.bt_SectionProjection(e);
  const std::array<double, 3>& flangeWidth = in.f_FlangeWidth(e);
  const std::array<double, 3>& flangeThickness = in.f_FlangeThickness(e);
  for (int slot = 1; slot <= 2; ++slot) {
    s.flangeWidth[slot] = Converted(flangeWidth[slot], g.f_LengthFactor);
    s.flangeThickness[slot] = Converted(flangeThickness[slot], g.f_LengthFactor);
  }
  s.hasFlanges = (s.flangeWidth[1] > 0.0001 || s.flangeWidth[2] > 0.0001) ? 1 : 0;
  LoadFactoredStrengths(g, e, s);

  s.barLayout = in.bt_RFTType(e);
  const std::array<float, 4>& cover = in.f_Cover(e);
  const std::array<float, 4>& coverSt = in.f_Cover_st(e);
  s.coverY = Converted(cover[1], g.f_LengthFactor);
  s.coverZ = Converted(cover[2], g.f_LengthFactor);
  s.coverYst = Converted(coverSt[1], g.f_LengthFactor);
  s.coverZst = Converted(coverSt[2], g.f_LengthFactor);

  if (s.barLayout == 3) {
    CentreCircularCovers(s);
  }
  FloorCover(s.coverY);
  FloorCover(s.coverZ);
  FloorCover(s.coverYst);
  FloorCover(s.coverZst);
  CheckFloatFaults();
}

// The section state of element e and the settings of the calling thread.
void PrepareSectionState(int e) {
  modBeamDesignCSA94& state = BeamState();
  state.settings = StiffenerSettingsOf();
  ReadSectionProperties(Global(), e, state.section);
}

// The steel ratio limits of element e.
void ReadRatioLimits(const modGlobal& g, int e, StiffenerSection& s) {
  const typStiffenerElement& in = g.StiffenerElement;
  s.rhoMin = CheckedValue(in.f_MinRatioOfRFT(e) / 100);
  s.rhoMax = CheckedValue(in.f_MaxRatioOfRFT(e) / 100);
}

// The flexure phase up to its design: the ratio limits, fresh governing
// values, the section geometry, and the end forces of every combination.
void PrepareFlexurePhase(int16_t e, ForceSource& forces) {
  const modGlobal& g = Global();
  modBeamDesignCSA94& state = BeamState();
  StiffenerSection& s = state.section;
  StiffenerForces& f = state.forces;
  StiffenerRecord& r = state.record;

  ReadRatioLimits(g, e, s);
  if (s.rhoMin > s.rhoMax) {
    r.status = Fail_MinRFTExceedMaximum;
  }
  r.As = 0;
  r.rho = 0;
  r.govCombo = f.firstUltimateCombo;
  r.govMuy = 0;
  r.govMuz = 0;
  r.govPu = 0;

  BuildSectionGeometry(s);
  StartFlexureWork(state.settings, state.flex);

  for (int k = 1; k <= g.i_NumLoadCombos; ++k) {
    const EndForces ends = FetchForces(forces, e, static_cast<int16_t>(k));
    const bool ultimate = g.LoadCombo.bt_ComboType(k) == 1;
    for (int end = 1; end <= 2; ++end) {
      f.Pu(k, end) = Converted(ends.At(end, kAxial), g.f_ForceFactor);
      f.Muy(k, end) = Converted(ends.At(end, kMomentY), g.f_MomentFactor);
      f.Muz(k, end) = Converted(ends.At(end, kMomentZ), g.f_MomentFactor);
    }
    if (!ultimate) {
      continue;
    }
    PrepareUltimateMoments(f, k);
  }
}

void DesignFlexurePhase(int16_t e, ForceSource& forces) {
  modGlobal& g = Global();
  modBeamDesignCSA94& state = BeamState();
  const StiffenerRecord& s = state.record;

  PrepareFlexurePhase(e, forces);
  if (!forces.Designs()) {
    return;
  }
  if (s.status == DESIGN_PASS) {
    DesignSectionAxialBounds(state.section, state.forces, state.flex, state.record);
    if (s.status == DESIGN_PASS) {
      DesignSectionSteel(state.section, state.forces, state.flex, state.record);
    }
  }

  const double as = s.As * static_cast<double>(g.f_AreaOutFactor);
  const float ratio = ToFloat32(s.rho * 100);
  const double muy = s.govMuy / static_cast<double>(g.f_MomentFactor);
  const double muz = s.govMuz / static_cast<double>(g.f_MomentFactor);
  const double pu = s.govPu / static_cast<double>(g.f_ForceFactor);
  CheckFloatFaults();
  typStiffenerElement& r = g.StiffenerElement;
  r.f_As(e) = as;
  r.f_RatioOfSteel(e) = ratio;
  r.i_DesignComboIndex_flex(e) = s.govCombo;
  r.f_Muy(e) = muy;
  r.f_Muz(e) = muz;
  r.f_Pu_flex(e) = pu;
  r.bt_DesignStatus_flex(e) = s.status;
}

// Shear state of one direction: effective depth, and web width resisting
// the shear (0.8 of the diameter for a circular section).
ShearDirection ShearState(const StiffenerSection& s, double depth, double across) {
  return {depth, s.sectionType == 1 ? 0.8 * across : across};
}

void ResetShearSlots(const StiffenerForces& f, StiffenerRecord& s) {
  s.govSpacing = -1;
  s.AvOverS = 0;
  s.govPu = 0;
  s.govTu = 0;
  s.govVu = 0;
  s.govCombo = f.firstUltimateCombo;
}

// Fetches every combination and keeps the shear of the direction (and, for
// shear along y, the torsion) of both ends.
void FetchShearForces(ForceSource& forces, int16_t e, ForceSlot shear, bool withTorsion) {
  const modGlobal& g = Global();
  StiffenerForces& s = BeamState().forces;
  for (int k = 1; k <= g.i_NumLoadCombos; ++k) {
    const EndForces f = FetchForces(forces, e, static_cast<int16_t>(k));
    for (int end = 1; end <= 2; ++end) {
      s.Vu(k, end) = Converted(f.At(end, shear), g.f_ForceFactor);
      if (withTorsion) {
        s.Tu(k, end) = Converted(f.At(end, kTorsion), g.f_MomentFactor);
      }
    }
  }
}

// The torsion phase's round of fetches: every combination, values unused.
void FetchTorsionForces(ForceSource& forces, int16_t e) {
  const int combos = Global().i_NumLoadCombos;
  for (int k = 1; k <= combos; ++k) {
    FetchForces(forces, e, static_cast<int16_t>(k));
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
  const StiffenerRecord& s = BeamState().record;
  const double pu = s.govPu / static_cast<double>(g.f_ForceFactor);
  const double tu = s.govTu / static_cast<double>(g.f_MomentFactor);
  const double vu = s.govVu / static_cast<double>(g.f_ForceFactor);
  const double spacing = s.govSpacing / static_cast<double>(g.f_LengthFactor);
  CheckFloatFaults();
  out.combo(e) = s.govCombo;
  out.pu(e) = pu;
  out.tu(e) = tu;
  out.vu(e) = vu;
  out.spacing(e) = spacing;
}

void DesignShearPhaseY(int16_t e, ForceSource& forces) {
  modGlobal& g = Global();
  modBeamDesignCSA94& state = BeamState();
  const StiffenerSection& section = state.section;
  StiffenerRecord& s = state.record;
  typStiffenerElement& r = g.StiffenerElement;

  FetchShearForces(forces, e, kShearY, true);
  if (!forces.Designs()) {
    return;
  }
  const ShearDirection shear = ShearState(section, section.shearDepthY, section.width);
  ResetShearSlots(state.forces, s);
  // The flanges of a flanged element carry the shear along y: no design.
  if (section.hasFlanges == 0) {
    CheckMaxShearStress(section, state.forces, shear, 1, s);
    if (s.status == DESIGN_PASS) {
      DesignShearSteel(section, state.forces, shear, state.settings, s);
    }
  }
  const double avOverS = s.AvOverS * static_cast<double>(g.f_StirrupAreaOutFactor);
  StoreGoverningForces(e, {r.i_DesignComboIndex_y, r.f_Pu_y, r.f_Tu_y, r.f_Vu_y, r.f_Spacing_y});
  r.f_AvOverS_y(e) = avOverS;
  r.bt_DesignStatus_Shear(e) = s.status;
}

void DesignShearPhaseZ(int16_t e, ForceSource& forces) {
  modGlobal& g = Global();
  modBeamDesignCSA94& state = BeamState();
  const StiffenerSection& section = state.section;
  StiffenerRecord& s = state.record;
  typStiffenerElement& r = g.StiffenerElement;

  FetchShearForces(forces, e, kShearZ, false);
  if (!forces.Designs()) {
    return;
  }
  const ShearDirection shear = ShearState(section, section.shearDepthZ, section.height);
  ResetShearSlots(state.forces, s);
  if (s.status == DESIGN_PASS) {
    CheckMaxShearStress(section, state.forces, shear, 0, s);
    if (s.status == DESIGN_PASS) {
      DesignShearSteel(section, state.forces, shear, state.settings, s);
    }
  }
  const double avOverS = s.AvOverS * static_cast<double>(g.f_StirrupAreaOutFactor);
  StoreGoverningForces(e, {r.i_DesignComboIndex_z, r.f_Pu_z, r.f_Tu_z, r.f_Vu_z, r.f_Spacing_z});
  r.f_AvOverS_z(e) = avOverS;
  r.bt_DesignStatus_Shear(e) = s.status;
}

// Torsion works on the axial force, torsion and shear that the earlier
// phases left (the shear is the one along z); its own fetch only keeps the
// call pattern of the analysis results.
void DesignTorsionPhase(int16_t e, ForceSource& forces) {
  modGlobal& g = Global();
  modBeamDesignCSA94& state = BeamState();
  StiffenerRecord& s = state.record;
  typStiffenerElement& r = g.StiffenerElement;

  FetchTorsionForces(forces, e);
  if (!forces.Designs()) {
    return;
  }
  s.AtOverS = 0;
  s.Al = 0;
  if (s.status == DESIGN_PASS) {
    DesignTorsionSteel(state.section, state.forces, state.settings, s);
  }

  const double atOverS = s.AtOverS * static_cast<double>(g.f_StirrupAreaOutFactor);
  const double al = s.Al * static_cast<double>(g.f_AreaOutFactor);
  StoreGoverningForces(
      e, {r.i_DesignComboIndex_tor, r.f_Pu_tor, r.f_Tu_tor, r.f_Vu_tor, r.f_Spacing_tor});
  r.f_AtOverS(e) = atOverS;
  r.f_Al(e) = al;
}

}  // namespace

void DesignStiffenerElement(int16_t e, ForceSource& forces) {
  modGlobal& g = Global();
  modBeamDesignCSA94& state = BeamState();
  StiffenerRecord& s = state.record;

  s.status = DESIGN_PASS;
  PrepareSectionState(e);
  if (!CoversFit(state.section)) {
    if (forces.Designs()) {
      // No design and no forces fetched: every other result keeps its run-start value.
      s.status = Fail_CoverTooLarge;
      g.StiffenerElement.bt_DesignStatus_flex(e) = s.status;
      g.StiffenerElement.bt_DesignStatus_Shear(e) = s.status;
    }
    return;
  }

  DesignFlexurePhase(e, forces);
  ComputeTorsionSectionProperties(state.section);
  // The flexure status does not carry into shear and torsion.
  s.status = DESIGN_PASS;

  DesignShearPhaseY(e, forces);
  DesignShearPhaseZ(e, forces);
  DesignTorsionPhase(e, forces);
  if (forces.Designs()) {
    // A fault of this element's arithmetic stops the run in this element.
    CheckFloatFaults();
  }
}

bool CoversFit(const StiffenerSection& s) {
  const bool tooLarge = s.height - 0.0001 < 2 * s.coverY ||
                        s.width - 0.0001 < 2 * s.coverZ ||
                        s.height - 0.0001 < 2 * s.coverYst ||
                        s.width - 0.0001 < 2 * s.coverZst;
  return !tooLarge;
}

void PrepareUltimateMoments(StiffenerForces& f, int k) {
  for (int end = 1; end <= 2; ++end) {
    // A zero moment about z would leave the demand angle undefined.
    if (std::fabs(f.Muz(k, end)) < 0.0001) {
      f.Muz(k, end) = 0.0001;
    }
    f.momentAngle(k, end) = DesignAtan(std::fabs(f.Muy(k, end)) / std::fabs(f.Muz(k, end)));
  }
}

ShearDirection ShearDirectionOf(const StiffenerSection& s, bool alongY) {
  return alongY ? ShearState(s, s.shearDepthY, s.width) : ShearState(s, s.shearDepthZ, s.height);
}

StiffenerSettings StiffenerSettingsOf() {
  StiffenerSettings settings = StiffenerSettingsOf(Global());
  settings.suspendFlag = &Design().i_SuspendFlag;
  return settings;
}

StiffenerSettings StiffenerSettingsOf(const modGlobal& g) {
  StiffenerSettings settings;
  settings.epsCu = g.eps_cu;
  settings.epsT = g.eps_t;
  settings.kPmax = g.k_Pmax;
  settings.kPcomp = g.k_Pcomp;
  settings.kPtens = g.k_Ptens;
  settings.kShear = g.k_shear;
  settings.phiC = g.phi_c;
  settings.phiS = g.phi_s;
  return settings;
}

StiffenerSection StiffenerSectionOf(int16_t element) { return StiffenerSectionOf(Global(), element); }

StiffenerSection StiffenerSectionOf(const modGlobal& g, int16_t element) {
  StiffenerSection s;
  ReadSectionProperties(g, element, s);
  ReadRatioLimits(g, element, s);
  BuildSectionGeometry(s);
  ComputeTorsionSectionProperties(s);
  return s;
}

void StartStiffenerPhase() {
  StartStiffenerResults();
  if (BeamState().forces.firstUltimateCombo == 0) {
    Design().sErrorMessage = "There is no ultimate-load combination defined";
    throw RunTimeError(Design().sErrorMessage);
  }
}

std::function<void()> CopyStiffenerStateToWorker() {
  return [&host = BeamState()] { BeamState() = host; };
}

}  // namespace ostrel
