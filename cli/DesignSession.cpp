#include "DesignSession.h"

#include <stdexcept>

namespace ostrel::cli {
namespace {

ResultValue Float(const char* key, float v) { return {key, true, v, 0}; }
ResultValue Int(const char* key, int32_t v) { return {key, false, 0.0f, v}; }

bool SendPlate(clsDesignCSA94* design, int32_t number, const PlateInput& p) {
  return clsDesignCSA94_SetPlateElementProperties(
             design, number, p.f_Thickness, p.f_fc, p.f_fy, p.f_Es, p.f_MinRatioOfRFT,
             p.f_MaxRatioOfRFT, p.f_MinRatioOfRFT_v, p.f_MaxRatioOfRFT_v, p.bt_NumCurtains,
             p.f_CoverToRFT_X, p.f_CoverToRFT_Y) == 0;
}

bool SendStiffener(clsDesignCSA94* design, int32_t number, const StiffenerInput& s) {
  return clsDesignCSA94_SetStiffenerElementProperties(
             design, number, s.bt_SectionType, s.bt_SectionProjection, s.f_SectionWidth,
             s.f_sectionHeight, s.f_LeftFlangeWidth, s.f_LeftFlangeThickness,
             s.f_RightFlangeWidth, s.f_RightFlangeThickness, s.f_fc, s.f_density, s.f_fy,
             s.f_Es, s.f_MinRatioOfRFT, s.f_MaxRatioOfRFT, s.bt_RFTType, s.f_Cover_Z,
             s.f_Cover_Y, s.f_Cover_Z_st, s.f_Cover_Y_st, s.bt_DesignAsColumn) == 0;
}

bool NodeResults(clsDesignCSA94* design, int32_t n, ResultRecord& out) {
  float dxn, dxp, dyn, dyp, dzn, dzp;
  int16_t cxn, cxp, cyn, cyp, czn, czp;
  if (clsDesignCSA94_Get_Envelope_Displacement(design, n, &dxn, &cxn, &dxp, &cxp, &dyn, &cyn,
                                                &dyp, &cyp, &dzn, &czn, &dzp, &czp) != 0) {
    return false;
  }
  out = {Float("f_Dx_Negative", dxn), Int("i_Dx_Neg_combo", cxn),
         Float("f_Dx_Positive", dxp), Int("i_Dx_Pos_combo", cxp),
         Float("f_Dy_Negative", dyn), Int("i_Dy_Neg_combo", cyn),
         Float("f_Dy_Positive", dyp), Int("i_Dy_Pos_combo", cyp),
         Float("f_Dz_Negative", dzn), Int("i_Dz_Neg_combo", czn),
         Float("f_Dz_Positive", dzp), Int("i_Dz_Pos_combo", czp)};
  return true;
}

bool PlateResults(clsDesignCSA94* design, int32_t e, ResultRecord& out) {
  uint8_t curtains, status_x, status_y;
  float as_x, rho_x, mu_x, pu_x, as_y, rho_y, mu_y, pu_y;
  int16_t combo_x, combo_y;
  if (clsDesignCSA94_Get_Envelope_PlateFlexureRFT(design, e, &curtains, &as_x, &rho_x, &mu_x,
                                                  &pu_x, &combo_x, &status_x, &as_y, &rho_y,
                                                  &mu_y, &pu_y, &combo_y, &status_y) != 0) {
    return false;
  }
  out = {Int("bt_NumCurtains", curtains),     Float("f_AreaOfSteel_x", as_x),
         Float("f_RatioOfSteel_x", rho_x),     Float("f_Mu_x", mu_x),
         Float("f_Pu_x", pu_x),                Int("i_DesignComboIndex_x", combo_x),
         Int("bt_DsignStatus_x", status_x),    Float("f_AreaOfSteel_y", as_y),
         Float("f_RatioOfSteel_y", rho_y),     Float("f_Mu_y", mu_y),
         Float("f_Pu_y", pu_y),                Int("i_DesignComboIndex_y", combo_y),
         Int("bt_DsignStatus_y", status_y)};
  return true;
}

bool StiffenerFlexure(clsDesignCSA94* design, int32_t e, ResultRecord& out) {
  float as, rho, muy, muz, pu;
  int16_t combo;
  uint8_t status;
  if (clsDesignCSA94_Get_Envelope_StiffernerFlexureRFT(design, e, &as, &rho, &combo, &muy, &muz,
                                                       &pu, &status) != 0) {
    return false;
  }
  out = {Float("f_As", as),    Float("f_RatioOfSteel", rho), Int("i_DesignComboIndex", combo),
         Float("f_Muy", muy),  Float("f_Muz", muz),          Float("f_Pu", pu),
         Int("bt_DesignStatus", status)};
  return true;
}

bool StiffenerShear(clsDesignCSA94* design, int32_t e, ResultRecord& out) {
  float avs_y, pu_y, vu_y, tu_y, s_y, avs_z, pu_z, vu_z, tu_z, s_z;
  int16_t combo_y, combo_z;
  uint8_t status;
  if (clsDesignCSA94_Get_Envelope_StiffernerShearRFT(design, e, &avs_y, &combo_y, &pu_y, &vu_y,
                                                     &tu_y, &s_y, &avs_z, &combo_z, &pu_z,
                                                     &vu_z, &tu_z, &s_z, &status) != 0) {
    return false;
  }
  out = {Float("f_AvOverS_y", avs_y), Int("i_DesignComboIndex_y", combo_y),
         Float("f_Pu_y", pu_y),       Float("f_Vu_y", vu_y),
         Float("f_Tu_y", tu_y),       Float("f_Spacing_y", s_y),
         Float("f_AvOverS_z", avs_z), Int("i_DesignComboIndex_z", combo_z),
         Float("f_Pu_z", pu_z),       Float("f_Vu_z", vu_z),
         Float("f_Tu_z", tu_z),       Float("f_Spacing_z", s_z),
         Int("bt_DsignStatus", status)};
  return true;
}

bool StiffenerTorsion(clsDesignCSA94* design, int32_t e, ResultRecord& out) {
  float ats, al, pu, vu, tu, s;
  int16_t combo;
  uint8_t direction, status;
  if (clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(design, e, &ats, &al, &combo, &pu, &vu,
                                                       &tu, &s, &direction, &status) != 0) {
    return false;
  }
  out = {Float("f_AtOverS", ats), Float("f_Al", al),  Int("i_DesignComboIndex", combo),
         Float("f_Pu", pu),       Float("f_Vu", vu),  Float("f_Tu", tu),
         Float("f_Spacing", s),   Int("bt_ShearDirection", direction),
         Int("bt_DsignStatus", status)};
  return true;
}

bool StiffenerSummary(clsDesignCSA94* design, int32_t e, ResultRecord& out) {
  float as, al, avs_y, avs_z, ats, spacing;
  uint8_t status_flex, status_shear;
  if (clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(design, e, &as, &al, &avs_y, &avs_z, &ats,
                                                       &spacing, &status_flex,
                                                       &status_shear) != 0) {
    return false;
  }
  out = {Float("f_As", as),          Float("f_Al", al),
         Float("f_AvOverS_y", avs_y), Float("f_AvOverS_z", avs_z),
         Float("f_AtOverS", ats),     Float("f_ShearSpacing", spacing),
         Int("bt_DesignStatus_flex", status_flex),
         Int("bt_DesignStatus_Shear", status_shear)};
  return true;
}

}  // namespace

const ResultValue& Find(const ResultRecord& record, const std::string& key) {
  for (const auto& value : record) {
    if (key == value.key) {
      return value;
    }
  }
  throw std::out_of_range("no result named " + key);
}

double Number(const ResultValue& value) {
  return value.is_float ? static_cast<double>(value.f) : static_cast<double>(value.i);
}

bool SendJob(clsDesignCSA94* design, const Job& job) {
  if (clsDesignCSA94_SetUnits(design, job.bt_units) != 0 ||
      clsDesignCSA94_SetNumberOfNodes(design, job.l_NumNodes) != 0 ||
      clsDesignCSA94_SetNumberOfPlateElements(design, static_cast<int32_t>(job.plates.size())) !=
          0 ||
      clsDesignCSA94_SetNumberOfStiffenerElements(
          design, static_cast<int32_t>(job.stiffeners.size())) != 0 ||
      clsDesignCSA94_SetNumberOfLoadCombinations(design, job.NumCombos()) != 0) {
    return false;
  }
  for (size_t e = 0; e < job.plates.size(); ++e) {
    if (!SendPlate(design, static_cast<int32_t>(e + 1), job.plates[e])) {
      return false;
    }
  }
  for (size_t e = 0; e < job.stiffeners.size(); ++e) {
    if (!SendStiffener(design, static_cast<int32_t>(e + 1), job.stiffeners[e])) {
      return false;
    }
  }
  for (size_t c = 0; c < job.combinations.size(); ++c) {
    // The combination count was accepted, so every number fits 16 bits.
    if (clsDesignCSA94_SetComboType(design, static_cast<int16_t>(c + 1), job.combinations[c]) !=
        0) {
      return false;
    }
  }
  return true;
}

bool CollectResults(clsDesignCSA94* design, int nodes, int plates, int stiffeners,
                    DesignResults& out) {
  out = {};
  out.nodes.resize(static_cast<size_t>(nodes));
  for (int n = 1; n <= nodes; ++n) {
    if (!NodeResults(design, n, out.nodes[static_cast<size_t>(n - 1)])) {
      return false;
    }
  }
  out.plates.resize(static_cast<size_t>(plates));
  for (int e = 1; e <= plates; ++e) {
    if (!PlateResults(design, e, out.plates[static_cast<size_t>(e - 1)])) {
      return false;
    }
  }
  out.stiffeners.resize(static_cast<size_t>(stiffeners));
  for (int e = 1; e <= stiffeners; ++e) {
    StiffenerResults& s = out.stiffeners[static_cast<size_t>(e - 1)];
    if (!StiffenerFlexure(design, e, s.flexure) || !StiffenerShear(design, e, s.shear) ||
        !StiffenerTorsion(design, e, s.torsion) || !StiffenerSummary(design, e, s.summary)) {
      return false;
    }
  }
  return true;
}

}  // namespace ostrel::cli
