#include "component/modGlobal.h"

namespace ostrel {

namespace {

thread_local modGlobal tlsGlobal;

template <class Group, class... Fields>
void ReleaseFields(Group& group, Fields... fields) {
  (( group.*fields).Release(), ...);
}

}  // namespace

modGlobal& Global() { return tlsGlobal; }

void ResetGlobalState() { tlsGlobal = modGlobal{}; }

void SetUnitFactors() { SetUnitFactors(Global()); }

void SetUnitFactors(modGlobal& g) {
  switch (g.bt_units) {
    case 0:  // US customary: in, kip, ksi, kip-ft, lb/ft3
      g.f_LengthFactor = 25.4f;
      g.f_StressFactor = 6.8948f;
      g.f_ForceFactor = 4448.222f;
      g.f_MomentFactor = 1355817.456f;
      g.f_DensityFactor = 16.013f;
      g.f_ForcePerLengthFactor = 14.59318f;
      g.f_MomentPerLengthFactor = 4448.0f;
      g.f_AreaPerLengthOutFactor = static_cast<float>(12.0 / 25.4);
      g.f_StirrupAreaOutFactor = static_cast<float>(12.0 / 25.4);
      g.f_AreaOutFactor = static_cast<float>(1.0 / 645.16);
      break;
    case 1:  // SI: mm, kN, MPa, kN-m, kg/m3
      g.f_LengthFactor = 1.0f;
      g.f_StressFactor = 1.0f;
      g.f_ForceFactor = 1000.0f;
      g.f_MomentFactor = 1000000.0f;
      g.f_DensityFactor = 1.0f;
      g.f_ForcePerLengthFactor = 1.0f;
      g.f_MomentPerLengthFactor = 1000.0f;
      g.f_AreaPerLengthOutFactor = 1000.0f;
      g.f_StirrupAreaOutFactor = 1000.0f;
      g.f_AreaOutFactor = 1.0f;
      break;
    default:
      break;
  }
}

void SetDesignConstants() { SetDesignConstants(Global()); }

void SetDesignConstants(modGlobal& g) {
  g.phi_c = 0.6f;
  g.phi_s = 0.85f;
  g.eps_cu = 0.0035f;
  g.eps_t = 0.005f;
  g.fy_max = 500.0f;
  g.fyc_max = 400.0f;
  g.fyt_max = 500.0f;
  g.fc_max = 80.0f;
  g.k_shear = 1.0f;
  g.k_Pmax = 0.8f;
  g.k_Pcomp = 1.0f;
  g.k_Ptens = 1.0f;
  g.t_max_one_curtain = 250.0f;
  g.rho_min_floor = 0.002f;
  g.rho_min_floor_v = 0.0015f;
  g.rho_ties = 0.01f;
  g.lambda_table = {1.0f, 0.85f, 0.75f};
  g.density_limits = {2150.0f, 1850.0f};
}

double LambdaForDensity(double density) { return LambdaForDensity(Global(), density); }

double LambdaForDensity(const modGlobal& g, double density) {
  const float rounded = ToFloat32(density);
  if (rounded >= g.density_limits[0]) {
    return g.lambda_table[0];
  }
  if (rounded > g.density_limits[1]) {
    return g.lambda_table[1];
  }
  return g.lambda_table[2];
}

void ClearDesignResults() {
  modGlobal& g = Global();
  g.bt_DesignDoneFlag = 0;
  ++g.u_ResultsGeneration;
  g.i_NumLoadCombos = 0;
  g.i_NumNodes = 0;
  g.i_NumPlateElements = 0;
  g.i_NumStiffenerElements = 0;

  typNode& n = g.Node;
  ReleaseFields(n, &typNode::f_Dx_Positive, &typNode::f_Dx_Negative, &typNode::f_Dy_Positive,
                &typNode::f_Dy_Negative, &typNode::f_Dz_Positive, &typNode::f_Dz_Negative);
  ReleaseFields(n, &typNode::i_Dx_Pos_combo, &typNode::i_Dx_Neg_combo, &typNode::i_Dy_Pos_combo,
                &typNode::i_Dy_Neg_combo, &typNode::i_Dz_Pos_combo, &typNode::i_Dz_Neg_combo);

  VisitPlateResultFields([&](auto field) { (g.PlateElement.*field).Release(); });
  VisitStiffenerResultFields([&](auto field) { (g.StiffenerElement.*field).Release(); });
}

void ReleaseModelInput() {
  modGlobal& g = Global();
  g.LoadCombo.bt_ComboType.Release();

  typPlateElement& p = g.PlateElement;
  using P = typPlateElement;
  p.f_Thickness.Release();
  ReleaseFields(p, &P::f_fc, &P::f_fy, &P::f_Es, &P::f_MinRatioOfRFT, &P::f_MaxRatioOfRFT,
                &P::f_MinRatioOfRFT_v, &P::f_MaxRatioOfRFT_v);
  p.f_CoverToRFT.Release();

  typStiffenerElement& s = g.StiffenerElement;
  using S = typStiffenerElement;
  ReleaseFields(s, &S::bt_SectionType, &S::bt_RFTType);
  ReleaseFields(s, &S::f_SectionWidth, &S::f_sectionHeight, &S::f_fc, &S::f_density, &S::f_fy,
                &S::f_Es, &S::f_MinRatioOfRFT, &S::f_MaxRatioOfRFT);
  ReleaseFields(s, &S::f_Cover, &S::f_Cover_st);
  s.bt_SectionProjection.Release();
  ReleaseFields(s, &S::f_FlangeWidth, &S::f_FlangeThickness);
}

}  // namespace ostrel
