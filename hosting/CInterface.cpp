// The C interface: thin wrappers over clsDesignCSA94. The C handle is the
// C++ object itself. No exception crosses this boundary: the methods catch
// everything themselves, and the wrappers guard the rest.
#include <new>

#include "OstrelDesignCSA94.h"
#include "OstrelDesignCSA94.hpp"
#include "hosting/CInterfaceGuard.h"

extern "C" {

OSTREL_API clsDesignCSA94* clsDesignCSA94_Create(void) {
  return new (std::nothrow) clsDesignCSA94();
}

OSTREL_API void clsDesignCSA94_Release(clsDesignCSA94* obj) { delete obj; }

OSTREL_API uint8_t clsDesignCSA94_ResetDesign(clsDesignCSA94* obj) {
  return OSTREL_FORWARD(obj, ResetDesign());
}

OSTREL_API uint8_t clsDesignCSA94_DesignDone(clsDesignCSA94* obj, uint8_t* bt_DesignDoneFlag) {
  if (!bt_DesignDoneFlag) {
    return 1;
  }
  return OSTREL_FORWARD(obj, DesignDone(*bt_DesignDoneFlag));
}

OSTREL_API uint8_t clsDesignCSA94_SetUnits(clsDesignCSA94* obj, uint8_t bt_units) {
  return OSTREL_FORWARD(obj, SetUnits(bt_units));
}

OSTREL_API uint8_t clsDesignCSA94_SetNumberOfNodes(clsDesignCSA94* obj, int32_t l_NumNodes) {
  return OSTREL_FORWARD(obj, SetNumberOfNodes(l_NumNodes));
}

OSTREL_API uint8_t clsDesignCSA94_SetNumberOfPlateElements(clsDesignCSA94* obj,
                                                           int32_t l_NumElements) {
  return OSTREL_FORWARD(obj, SetNumberOfPlateElements(l_NumElements));
}

OSTREL_API uint8_t clsDesignCSA94_SetPlateElementProperties(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float f_Thickness, float f_fc, float f_fy,
    float f_Es, float f_MinRatioOfRFT, float f_MaxRatioOfRFT, float f_MinRatioOfRFT_v,
    float f_MaxRatioOfRFT_v, uint8_t bt_NumCurtains, float f_CoverToRFT_X,
    float f_CoverToRFT_Y) {
  return OSTREL_FORWARD(
      obj, SetPlateElementProperties(l_ElementNumber, f_Thickness, f_fc, f_fy, f_Es,
                                     f_MinRatioOfRFT, f_MaxRatioOfRFT, f_MinRatioOfRFT_v,
                                     f_MaxRatioOfRFT_v, bt_NumCurtains, f_CoverToRFT_X,
                                     f_CoverToRFT_Y));
}

OSTREL_API uint8_t clsDesignCSA94_SetNumberOfStiffenerElements(clsDesignCSA94* obj,
                                                               int32_t l_NumElements) {
  return OSTREL_FORWARD(obj, SetNumberOfStiffenerElements(l_NumElements));
}

OSTREL_API uint8_t clsDesignCSA94_SetStiffenerElementProperties(
    clsDesignCSA94* obj, int32_t l_ElementNumber, uint8_t bt_SectionType,
    uint8_t bt_SectionProjection, float f_SectionWidth, float f_sectionHeight,
    float f_LeftFlangeWidth, float f_LeftFlangeThickness, float f_RightFlangeWidth,
    float f_RightFlangeThickness, float f_fc, float f_density, float f_fy, float f_Es,
    float f_MinRatioOfRFT, float f_MaxRatioOfRFT, uint8_t bt_RFTType, float f_Cover_Z,
    float f_Cover_Y, float f_Cover_Z_st, float f_Cover_Y_st, uint8_t bt_DesignAsColumn) {
  return OSTREL_FORWARD(
      obj, SetStiffenerElementProperties(
               l_ElementNumber, bt_SectionType, bt_SectionProjection, f_SectionWidth,
               f_sectionHeight, f_LeftFlangeWidth, f_LeftFlangeThickness, f_RightFlangeWidth,
               f_RightFlangeThickness, f_fc, f_density, f_fy, f_Es, f_MinRatioOfRFT,
               f_MaxRatioOfRFT, bt_RFTType, f_Cover_Z, f_Cover_Y, f_Cover_Z_st, f_Cover_Y_st,
               bt_DesignAsColumn));
}

OSTREL_API uint8_t clsDesignCSA94_SetNumberOfLoadCombinations(clsDesignCSA94* obj,
                                                              int32_t l_NumLoadCombos) {
  return OSTREL_FORWARD(obj, SetNumberOfLoadCombinations(l_NumLoadCombos));
}

OSTREL_API uint8_t clsDesignCSA94_SetComboType(clsDesignCSA94* obj, int16_t i_LoadCombo,
                                               uint8_t bt_ComboType) {
  return OSTREL_FORWARD(obj, SetComboType(i_LoadCombo, bt_ComboType));
}

}  // extern "C"
