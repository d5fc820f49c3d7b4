// The result queries: the design results handed back to the host one node
// or element at a time, in the host's units, narrowed to the interface types.
// Every output is computed first and written only when all of them fit.
#include <optional>

#include "OstrelDesignCSA94.hpp"
#include "model/CheckedMath.h"
#include "component/MethodGuard.h"
#include "model/modGlobal.h"

using namespace ostrel;

namespace {

// The refusals common to every query, in their order: no design held, then
// a number outside 1 to the group's count.
std::optional<Outcome> Refusal(int32_t number, int16_t count, const char* notDone,
                               const char* outOfRange) {
  if (Global().bt_DesignDoneFlag == 0) {
    return Outcome::Refused(notDone);
  }
  if (number < 1 || number > count) {
    return Outcome::Refused(outOfRange);
  }
  return std::nullopt;
}

// A stored status or curtain count as the one byte the host receives.
uint8_t Byte(int16_t v) { return ToUInt8(v); }

}  // namespace

uint8_t clsDesignCSA94::Get_Envelope_Displacement(
    int32_t l_NodeNumber, float& f_Dx_Negative, int16_t& i_Dx_Neg_combo, float& f_Dx_Positive,
    int16_t& i_Dx_Pos_combo, float& f_Dy_Negative, int16_t& i_Dy_Neg_combo, float& f_Dy_Positive,
    int16_t& i_Dy_Pos_combo, float& f_Dz_Negative, int16_t& i_Dz_Neg_combo, float& f_Dz_Positive,
    int16_t& i_Dz_Pos_combo) {
  return RunPublicMethod("clsWallDesign::Get_Envelope_Displacement: Unexpected error", [&] {
    if (auto refused =
            Refusal(l_NodeNumber, Global().i_NumNodes,
                    "clsWallDesign::Get_Envelope_Displacement: Design is not done",
                    "clsWallDesign::Get_Envelope_Displacement: Node number is out of range")) {
      return *refused;
    }
    const typNode& n = Global().Node;
    const long long k = l_NodeNumber;
    const float dxNeg = ToFloat32(n.f_Dx_Negative(k));
    const float dxPos = ToFloat32(n.f_Dx_Positive(k));
    const float dyNeg = ToFloat32(n.f_Dy_Negative(k));
    const float dyPos = ToFloat32(n.f_Dy_Positive(k));
    const float dzNeg = ToFloat32(n.f_Dz_Negative(k));
    const float dzPos = ToFloat32(n.f_Dz_Positive(k));
    const int16_t cxNeg = n.i_Dx_Neg_combo(k), cxPos = n.i_Dx_Pos_combo(k);
    const int16_t cyNeg = n.i_Dy_Neg_combo(k), cyPos = n.i_Dy_Pos_combo(k);
    const int16_t czNeg = n.i_Dz_Neg_combo(k), czPos = n.i_Dz_Pos_combo(k);

    f_Dx_Negative = dxNeg;
    i_Dx_Neg_combo = cxNeg;
    f_Dx_Positive = dxPos;
    i_Dx_Pos_combo = cxPos;
    f_Dy_Negative = dyNeg;
    i_Dy_Neg_combo = cyNeg;
    f_Dy_Positive = dyPos;
    i_Dy_Pos_combo = cyPos;
    f_Dz_Negative = dzNeg;
    i_Dz_Neg_combo = czNeg;
    f_Dz_Positive = dzPos;
    i_Dz_Pos_combo = czPos;
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::Get_Envelope_PlateFlexureRFT(
    int32_t l_ElementNumber, uint8_t& bt_NumCurtains, float& f_AreaOfSteel_x,
    float& f_RatioOfSteel_x, float& f_Mu_x, float& f_Pu_x, int16_t& i_DesignComboIndex_x,
    uint8_t& bt_DsignStatus_x, float& f_AreaOfSteel_y, float& f_RatioOfSteel_y, float& f_Mu_y,
    float& f_Pu_y, int16_t& i_DesignComboIndex_y, uint8_t& bt_DsignStatus_y) {
  return RunPublicMethod("clsWallDesign::Get_Envelope_PlateFlexureRFT: Unexpected error", [&] {
    if (auto refused = Refusal(
            l_ElementNumber, Global().i_NumPlateElements, "Design is not done",
            "clsWallDesign::Get_Envelope_PlateFlexureRFT: element number is out of range")) {
      return *refused;
    }
    const typPlateElement& p = Global().PlateElement;
    const long long k = l_ElementNumber;
    const uint8_t curtains = Byte(p.bt_NumCurtains(k));
    const float asX = ToFloat32(p.f_AreaOfSteel_x(k));
    const float ratioX = ToFloat32(p.f_RatioOfSteel_x(k));
    const float muX = ToFloat32(p.f_Mu_x(k));
    const float puX = ToFloat32(p.f_Pu_x(k));
    const int16_t comboX = p.i_DesignComboIndex_x(k);
    const uint8_t statusX = Byte(p.bt_DesignStatus_x(k));
    const float asY = ToFloat32(p.f_AreaOfSteel_y(k));
    const float ratioY = ToFloat32(p.f_RatioOfSteel_y(k));
    const float muY = ToFloat32(p.f_Mu_y(k));
    const float puY = ToFloat32(p.f_Pu_y(k));
    const int16_t comboY = p.i_DesignComboIndex_y(k);
    const uint8_t statusY = Byte(p.bt_DesignStatus_y(k));

    bt_NumCurtains = curtains;
    f_AreaOfSteel_x = asX;
    f_RatioOfSteel_x = ratioX;
    f_Mu_x = muX;
    f_Pu_x = puX;
    i_DesignComboIndex_x = comboX;
    bt_DsignStatus_x = statusX;
    f_AreaOfSteel_y = asY;
    f_RatioOfSteel_y = ratioY;
    f_Mu_y = muY;
    f_Pu_y = puY;
    i_DesignComboIndex_y = comboY;
    bt_DsignStatus_y = statusY;
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::Get_Envelope_StiffernerFlexureRFT(int32_t l_ElementNumber, float& f_As,
                                                          float& f_RatioOfSteel,
                                                          int16_t& i_DesignComboIndex,
                                                          float& f_Muy, float& f_Muz,
                                                          float& f_Pu, uint8_t& bt_DesignStatus) {
  return RunPublicMethod(
      "clsWallDesign::Get_Envelope_StiffernerFlexureRFT: Unexpected error", [&] {
        if (auto refused = Refusal(
                l_ElementNumber, Global().i_NumStiffenerElements, "Design is not done",
                "clsWallDesign::Get_Envelope_StiffernerFlexureRFT: element number is out of "
                "range")) {
          return *refused;
        }
        const typStiffenerElement& s = Global().StiffenerElement;
        const long long k = l_ElementNumber;
        const float as = ToFloat32(s.f_As(k));
        const float ratio = ToFloat32(s.f_RatioOfSteel(k));
        const int16_t combo = s.i_DesignComboIndex_flex(k);
        const float muy = ToFloat32(s.f_Muy(k));
        const float muz = ToFloat32(s.f_Muz(k));
        const float pu = ToFloat32(s.f_Pu_flex(k));
        const uint8_t status = Byte(s.bt_DesignStatus_flex(k));

        f_As = as;
        f_RatioOfSteel = ratio;
        i_DesignComboIndex = combo;
        f_Muy = muy;
        f_Muz = muz;
        f_Pu = pu;
        bt_DesignStatus = status;
        return Outcome::Done();
      });
}

uint8_t clsDesignCSA94::Get_Envelope_StiffernerShearRFT(
    int32_t l_ElementNumber, float& f_AvOverS_y, int16_t& i_DesignComboIndex_y, float& f_Pu_y,
    float& f_Vu_y, float& f_Tu_y, float& f_Spacing_y, float& f_AvOverS_z,
    int16_t& i_DesignComboIndex_z, float& f_Pu_z, float& f_Vu_z, float& f_Tu_z,
    float& f_Spacing_z, uint8_t& bt_DsignStatus) {
  return RunPublicMethod("clsWallDesign::Get_Envelope_StiffernerShearRFT: Unexpected error", [&] {
    if (auto refused = Refusal(
            l_ElementNumber, Global().i_NumStiffenerElements, "Design is not done",
            "clsWallDesign::Get_Envelope_StiffernerShearRFT: element number is out of range")) {
      return *refused;
    }
    const typStiffenerElement& s = Global().StiffenerElement;
    const long long k = l_ElementNumber;
    const float avY = ToFloat32(s.f_AvOverS_y(k));
    const int16_t comboY = s.i_DesignComboIndex_y(k);
    const float puY = ToFloat32(s.f_Pu_y(k));
    const float vuY = ToFloat32(s.f_Vu_y(k));
    const float tuY = ToFloat32(s.f_Tu_y(k));
    const float spY = ToFloat32(s.f_Spacing_y(k));
    const float avZ = ToFloat32(s.f_AvOverS_z(k));
    const int16_t comboZ = s.i_DesignComboIndex_z(k);
    const float puZ = ToFloat32(s.f_Pu_z(k));
    const float vuZ = ToFloat32(s.f_Vu_z(k));
    const float tuZ = ToFloat32(s.f_Tu_z(k));
    const float spZ = ToFloat32(s.f_Spacing_z(k));
    const uint8_t status = Byte(s.bt_DesignStatus_Shear(k));

    f_AvOverS_y = avY;
    i_DesignComboIndex_y = comboY;
    f_Pu_y = puY;
    f_Vu_y = vuY;
    f_Tu_y = tuY;
    f_Spacing_y = spY;
    f_AvOverS_z = avZ;
    i_DesignComboIndex_z = comboZ;
    f_Pu_z = puZ;
    f_Vu_z = vuZ;
    f_Tu_z = tuZ;
    f_Spacing_z = spZ;
    bt_DsignStatus = status;
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::Get_Envelope_StiffernerTorsionRFT(int32_t l_ElementNumber,
                                                          float& f_AtOverS, float& f_Al,
                                                          int16_t& i_DesignComboIndex,
                                                          float& f_Pu, float& f_Vu, float& f_Tu,
                                                          float& f_Spacing,
                                                          uint8_t& bt_ShearDirection,
                                                          uint8_t& bt_DsignStatus) {
  return RunPublicMethod(
      "clsWallDesign::Get_Envelope_StiffernerTorsionRFT: Unexpected error", [&] {
        if (auto refused = Refusal(
                l_ElementNumber, Global().i_NumStiffenerElements, "Design is not done",
                "clsWallDesign::Get_Envelope_StiffernerTorsionRFT: element number is out of "
                "range")) {
          return *refused;
        }
        const typStiffenerElement& s = Global().StiffenerElement;
        const long long k = l_ElementNumber;
        const float at = ToFloat32(s.f_AtOverS(k));
        const float al = ToFloat32(s.f_Al(k));
        const int16_t combo = s.i_DesignComboIndex_tor(k);
        const float pu = ToFloat32(s.f_Pu_tor(k));
        const float tu = ToFloat32(s.f_Tu_tor(k));
        const float spacing = ToFloat32(s.f_Spacing_tor(k));
        const uint8_t status = Byte(s.bt_DesignStatus_Shear(k));

        f_AtOverS = at;
        f_Al = al;
        i_DesignComboIndex = combo;
        f_Pu = pu;
        f_Vu = 0.0f;  // the torsion design reports no shear of its own
        f_Tu = tu;
        f_Spacing = spacing;
        bt_ShearDirection = 2;
        bt_DsignStatus = status;
        return Outcome::Done();
      });
}

uint8_t clsDesignCSA94::Get_Envelope_StiffernerRFTSummary(
    int32_t l_ElementNumber, float& f_As, float& f_Al, float& f_AvOverS_y, float& f_AvOverS_z,
    float& f_AtOverS, float& f_ShearSpacing, uint8_t& bt_DesignStatus_flex,
    uint8_t& bt_DesignStatus_Shear) {
  return RunPublicMethod(
      "clsWallDesign::Get_Envelope_StiffernerRFTSummary: Unexpected error", [&] {
        if (auto refused = Refusal(
                l_ElementNumber, Global().i_NumStiffenerElements, "Design is not done",
                "clsWallDesign::Get_Envelope_StiffernerRFTSummary: element number is out of "
                "range")) {
          return *refused;
        }
        const typStiffenerElement& s = Global().StiffenerElement;
        const long long k = l_ElementNumber;
        const float as = ToFloat32(s.f_As(k));
        const float al = ToFloat32(s.f_Al(k));
        const float avY = ToFloat32(s.f_AvOverS_y(k));
        const float avZ = ToFloat32(s.f_AvOverS_z(k));
        const float at = ToFloat32(s.f_AtOverS(k));
        // The governing stirrup spacing: the smallest positive one of shear
        // along y, shear along z and torsion, starting from the y spacing. A
        // negative spacing means "none" and gives way to any positive one; a
        // spacing of 0 is kept.
        float spacing = ToFloat32(s.f_Spacing_y(k));
        for (const double candidate : {s.f_Spacing_z(k), s.f_Spacing_tor(k)}) {
          const float narrowed = ToFloat32(candidate);
          if (candidate > 0 && (narrowed < spacing || spacing < 0)) {
            spacing = narrowed;
          }
        }
        const uint8_t statusFlex = Byte(s.bt_DesignStatus_flex(k));
        const uint8_t statusShear = Byte(s.bt_DesignStatus_Shear(k));

        f_As = as;
        f_Al = al;
        f_AvOverS_y = avY;
        f_AvOverS_z = avZ;
        f_AtOverS = at;
        f_ShearSpacing = spacing;
        bt_DesignStatus_flex = statusFlex;
        bt_DesignStatus_Shear = statusShear;
        return Outcome::Done();
      });
}
