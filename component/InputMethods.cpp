// The input methods: how the host describes the wall model before a run.
// Each validates its arguments in a fixed order, stores them in the host's
// units and returns 0, or refuses with its message and stores nothing.
#include <cmath>

#include "OstrelDesignCSA94.hpp"
#include "component/MethodGuard.h"
#include "model/modGlobal.h"

using namespace ostrel;

namespace {

// A NaN reaching a comparison is an invalid operation: a run-time error.
double Compared(double v) {
  if (std::isnan(v)) {
    throw RunTimeError("invalid operation: comparison with NaN");
  }
  return v;
}

void CreatePlateInput(int count) {
  typPlateElement& p = Global().PlateElement;
  p.f_Thickness.Create(count);
  p.f_fc.Create(count);
  p.f_fy.Create(count);
  p.f_Es.Create(count);
  p.f_MinRatioOfRFT.Create(count);
  p.f_MaxRatioOfRFT.Create(count);
  p.f_MinRatioOfRFT_v.Create(count);
  p.f_MaxRatioOfRFT_v.Create(count);
  p.bt_NumCurtains.Create(count);
  p.f_CoverToRFT.Create(count);
}

void CreateStiffenerInput(int count) {
  typStiffenerElement& s = Global().StiffenerElement;
  s.bt_SectionType.Create(count);
  s.f_SectionWidth.Create(count);
  s.f_sectionHeight.Create(count);
  s.f_fc.Create(count);
  s.f_density.Create(count);
  s.f_fy.Create(count);
  s.f_Es.Create(count);
  s.f_MinRatioOfRFT.Create(count);
  s.f_MaxRatioOfRFT.Create(count);
  s.bt_RFTType.Create(count);
  s.f_Cover.Create(count);
  s.f_Cover_st.Create(count);
  s.bt_SectionProjection.Create(count);
  s.f_FlangeWidth.Create(count);
  s.f_FlangeThickness.Create(count);
}

}  // namespace

uint8_t clsDesignCSA94::SetUnits(uint8_t bt_units) {
  return RunPublicMethod("clsWallDesign::SetUnits: Unexpected error", [&] {
    MarkModelChanged();
    if (bt_units != 0 && bt_units != 1) {
      return Outcome::Refused("Unrecognized units");
    }
    Global().bt_units = bt_units;
    SetUnitFactors();
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::SetNumberOfNodes(int32_t l_NumNodes) {
  return RunPublicMethod("clsWallDesign::SetNumberOfNodes: Unexpected error", [&] {
    MarkModelChanged();
    if (l_NumNodes < 1) {
      return Outcome::Refused("Number of nodes is less than 1");
    }
    Global().i_NumNodes = ToInt16(l_NumNodes);
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::SetNumberOfPlateElements(int32_t l_NumElements) {
  return RunPublicMethod("clsWallDesign::SetNumberOfPlateElements: Unexpected error", [&] {
    MarkModelChanged();
    const int16_t count = ToInt16(l_NumElements < 0 ? 0 : l_NumElements);
    if (count != 0) {
      CreatePlateInput(count);
    }
    Global().i_NumPlateElements = count;
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::SetNumberOfStiffenerElements(int32_t l_NumElements) {
  return RunPublicMethod("clsWallDesign::SetNumberOfStiffenerElements: Unexpected error", [&] {
    MarkModelChanged();
    const int16_t count = ToInt16(l_NumElements < 0 ? 0 : l_NumElements);
    if (count != 0) {
      CreateStiffenerInput(count);
    }
    Global().i_NumStiffenerElements = count;
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::SetNumberOfLoadCombinations(int32_t l_NumLoadCombos) {
  return RunPublicMethod("clsWallDesign::SetNumberOfLoadCombinations: Unexpected error", [&] {
    MarkModelChanged();
    if (l_NumLoadCombos < 1) {
      return Outcome::Refused(
          "clsWallDesign::SetNumberOfLoadCombinations: Number of load combinations is less "
          "than 1");
    }
    const int16_t count = ToInt16(l_NumLoadCombos);
    Global().LoadCombo.bt_ComboType.Create(count);
    Global().i_NumLoadCombos = count;
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::SetComboType(int16_t i_LoadCombo, uint8_t bt_ComboType) {
  return RunPublicMethod("clsWallDesign::SetComboType: Unexpected error", [&] {
    MarkModelChanged();
    modGlobal& g = Global();
    if (i_LoadCombo < 1 || i_LoadCombo > g.i_NumLoadCombos) {
      return Outcome::Refused("clsWallDesign::SetComboType: Load combination is out of range");
    }
    if (bt_ComboType != 0 && bt_ComboType != 1) {
      return Outcome::Refused("clsWallDesign::SetComboType: Unregonized combo type");
    }
    g.LoadCombo.bt_ComboType(i_LoadCombo) = bt_ComboType;
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::SetPlateElementProperties(
    int32_t l_ElementNumber, float f_Thickness, float f_fc, float f_fy, float f_Es,
    float f_MinRatioOfRFT, float f_MaxRatioOfRFT, float f_MinRatioOfRFT_v,
    float f_MaxRatioOfRFT_v, uint8_t bt_NumCurtains, float f_CoverToRFT_X,
    float f_CoverToRFT_Y) {
  return RunPublicMethod(
      "clsWallDesign::SetPlateElementProperties: Unexpected error",
      ElementLine("Plate Element: ", l_ElementNumber), [&] {
        MarkModelChanged();
        modGlobal& g = Global();
        if (l_ElementNumber < 1 || l_ElementNumber > g.i_NumPlateElements) {
          return Outcome::Refused("Plate element: number is out of range");
        }
        if (bt_NumCurtains == 0) {
          return Outcome::Refused("Plate element: At least one curtain of RFT should be specified");
        }
        if (bt_NumCurtains > 2) {
          return Outcome::Refused("Plate element: Maximum 2 curtains of RFT can be specified");
        }
        // Reach every field first, so that a released array stores nothing.
        const int e = l_ElementNumber;
        typPlateElement& p = g.PlateElement;
        float& thickness = p.f_Thickness(e);
        double& fc = p.f_fc(e);
        double& fy = p.f_fy(e);
        double& es = p.f_Es(e);
        double& minRatio = p.f_MinRatioOfRFT(e);
        double& maxRatio = p.f_MaxRatioOfRFT(e);
        double& minRatioV = p.f_MinRatioOfRFT_v(e);
        double& maxRatioV = p.f_MaxRatioOfRFT_v(e);
        int16_t& curtains = p.bt_NumCurtains(e);
        std::array<float, 4>& cover = p.f_CoverToRFT(e);

        thickness = f_Thickness;
        fc = f_fc;
        fy = f_fy;
        es = f_Es;
        minRatio = f_MinRatioOfRFT;
        maxRatio = f_MaxRatioOfRFT;
        minRatioV = f_MinRatioOfRFT_v;
        maxRatioV = f_MaxRatioOfRFT_v;
        curtains = bt_NumCurtains;
        cover[1] = f_CoverToRFT_X;
        cover[2] = f_CoverToRFT_Y;
        return Outcome::Done();
      });
}

uint8_t clsDesignCSA94::SetStiffenerElementProperties(
    int32_t l_ElementNumber, uint8_t bt_SectionType, uint8_t bt_SectionProjection,
    float f_SectionWidth, float f_sectionHeight, float f_LeftFlangeWidth,
    float f_LeftFlangeThickness, float f_RightFlangeWidth, float f_RightFlangeThickness,
    float f_fc, float f_density, float f_fy, float f_Es, float f_MinRatioOfRFT,
    float f_MaxRatioOfRFT, uint8_t bt_RFTType, float f_Cover_Z, float f_Cover_Y,
    float f_Cover_Z_st, float f_Cover_Y_st, uint8_t /*bt_DesignAsColumn: no effect*/) {
  return RunPublicMethod(
      "clsWallDesign::SetStiffenerElementProperties: Unexpected error",
      ElementLine("Stiffener Element: ", l_ElementNumber), [&] {
        MarkModelChanged();
        modGlobal& g = Global();
        if (l_ElementNumber < 1 || l_ElementNumber > g.i_NumStiffenerElements) {
          return Outcome::Refused("Stiffener element: Element number is out of range");
        }
        if (bt_SectionType > 1) {
          return Outcome::Refused("Stiffener element: Unrecognized web shape");
        }
        // A circular section is as high as it is wide, with its flanges centred.
        float height = f_sectionHeight;
        uint8_t projection = bt_SectionProjection;
        if (bt_SectionType == 1) {
          height = f_SectionWidth;
          projection = 1;
        }
        if (projection > 2) {
          return Outcome::Refused("Stiffener element: Unrecognized projection option");
        }
        if (bt_RFTType > 3) {
          return Outcome::Refused("Stiffener element: Unrecognized RFT arrangement");
        }
        if (Compared(f_Cover_Z) < 0.0001 || Compared(f_Cover_Y) < 0.0001) {
          return Outcome::Refused(
              "clsWallDesign::SetStiffenerElementProperties: cover is too small");
        }
        // Each bound is evaluated in 64-bit and rounded to a 32-bit float.
        const float boundY = static_cast<float>(0.5 * Compared(height) - 0.0001);
        const float boundZ = static_cast<float>(0.5 * Compared(f_SectionWidth) - 0.0001);
        if (f_Cover_Y > boundY || f_Cover_Z > boundZ) {
          return Outcome::Refused("Stiffener element: cover is too large");
        }
        if (bt_SectionType == 1 && bt_RFTType != 3) {
          return Outcome::Refused(
              "Stiffener element: Non-Circular reinforcement arrangement is assigned to a "
              "circular stiffener");
        }

        // Reach every field first, so that a released array stores nothing.
        const int e = l_ElementNumber;
        typStiffenerElement& s = g.StiffenerElement;
        int16_t& sectionType = s.bt_SectionType(e);
        double& sectionHeight = s.f_sectionHeight(e);
        double& sectionWidth = s.f_SectionWidth(e);
        uint8_t& sectionProjection = s.bt_SectionProjection(e);
        std::array<double, 3>& flangeWidth = s.f_FlangeWidth(e);
        std::array<double, 3>& flangeThickness = s.f_FlangeThickness(e);
        double& fc = s.f_fc(e);
        double& density = s.f_density(e);
        double& fy = s.f_fy(e);
        double& es = s.f_Es(e);
        double& minRatio = s.f_MinRatioOfRFT(e);
        double& maxRatio = s.f_MaxRatioOfRFT(e);
        int16_t& rftType = s.bt_RFTType(e);
        std::array<float, 4>& cover = s.f_Cover(e);
        std::array<float, 4>& coverSt = s.f_Cover_st(e);

        sectionType = bt_SectionType;
        sectionHeight = height;
        sectionWidth = f_SectionWidth;
        sectionProjection = projection;
        flangeWidth[1] = f_LeftFlangeWidth;
        flangeWidth[2] = f_RightFlangeWidth;
        flangeThickness[1] = f_LeftFlangeThickness;
        flangeThickness[2] = f_RightFlangeThickness;
        fc = f_fc;
        density = f_density;
        fy = f_fy;
        es = f_Es;
        minRatio = f_MinRatioOfRFT;
        maxRatio = f_MaxRatioOfRFT;
        rftType = bt_RFTType;
        cover[2] = f_Cover_Z;
        cover[1] = f_Cover_Y;
        coverSt[2] = f_Cover_Z_st;
        coverSt[1] = f_Cover_Y_st;
        return Outcome::Done();
      });
}
