// OstrelDesignCSA94: C++ API of the wall reinforcement design component.
//
// clsDesignCSA94 holds no data of its own: every object created on one thread
// works on that thread's design model. Methods return 0 when done and 1 when
// refused or failed (the message box has then been shown); outputs, passed by
// reference, are written only on success. No method throws, and no method
// exported from the shared library takes or returns a standard-library type.
#ifndef OSTREL_DESIGN_CSA94_HPP
#define OSTREL_DESIGN_CSA94_HPP

#include <cstdint>
#include <string>

#include "OstrelDesignCSA94.h"

struct OSTREL_API clsDesignCSA94 {
 public:
  // Run control.
  uint8_t RunDesign();
  uint8_t ResetDesign();
  uint8_t DesignDone(uint8_t& bt_DesignDoneFlag);

  // Model input.
  uint8_t SetUnits(uint8_t bt_units);
  uint8_t SetNumberOfNodes(int32_t l_NumNodes);
  uint8_t SetNumberOfPlateElements(int32_t l_NumElements);
  uint8_t SetPlateElementProperties(int32_t l_ElementNumber, float f_Thickness, float f_fc,
                                    float f_fy, float f_Es, float f_MinRatioOfRFT,
                                    float f_MaxRatioOfRFT, float f_MinRatioOfRFT_v,
                                    float f_MaxRatioOfRFT_v, uint8_t bt_NumCurtains,
                                    float f_CoverToRFT_X, float f_CoverToRFT_Y);
  uint8_t SetNumberOfStiffenerElements(int32_t l_NumElements);
  uint8_t SetStiffenerElementProperties(
      int32_t l_ElementNumber, uint8_t bt_SectionType, uint8_t bt_SectionProjection,
      float f_SectionWidth, float f_sectionHeight, float f_LeftFlangeWidth,
      float f_LeftFlangeThickness, float f_RightFlangeWidth, float f_RightFlangeThickness,
      float f_fc, float f_density, float f_fy, float f_Es, float f_MinRatioOfRFT,
      float f_MaxRatioOfRFT, uint8_t bt_RFTType, float f_Cover_Z, float f_Cover_Y,
      float f_Cover_Z_st, float f_Cover_Y_st, uint8_t bt_DesignAsColumn);
  uint8_t SetNumberOfLoadCombinations(int32_t l_NumLoadCombos);
  uint8_t SetComboType(int16_t i_LoadCombo, uint8_t bt_ComboType);

  // Result queries.
  uint8_t Get_Envelope_Displacement(int32_t l_NodeNumber, float& f_Dx_Negative,
                                    int16_t& i_Dx_Neg_combo, float& f_Dx_Positive,
                                    int16_t& i_Dx_Pos_combo, float& f_Dy_Negative,
                                    int16_t& i_Dy_Neg_combo, float& f_Dy_Positive,
                                    int16_t& i_Dy_Pos_combo, float& f_Dz_Negative,
                                    int16_t& i_Dz_Neg_combo, float& f_Dz_Positive,
                                    int16_t& i_Dz_Pos_combo);
  uint8_t Get_Envelope_PlateFlexureRFT(int32_t l_ElementNumber, uint8_t& bt_NumCurtains,
                                       float& f_AreaOfSteel_x, float& f_RatioOfSteel_x,
                                       float& f_Mu_x, float& f_Pu_x,
                                       int16_t& i_DesignComboIndex_x,
                                       uint8_t& bt_DsignStatus_x, float& f_AreaOfSteel_y,
                                       float& f_RatioOfSteel_y, float& f_Mu_y, float& f_Pu_y,
                                       int16_t& i_DesignComboIndex_y,
                                       uint8_t& bt_DsignStatus_y);
  uint8_t Get_Envelope_StiffernerFlexureRFT(int32_t l_ElementNumber, float& f_As,
                                            float& f_RatioOfSteel,
                                            int16_t& i_DesignComboIndex, float& f_Muy,
                                            float& f_Muz, float& f_Pu,
                                            uint8_t& bt_DesignStatus);
  uint8_t Get_Envelope_StiffernerShearRFT(int32_t l_ElementNumber, float& f_AvOverS_y,
                                          int16_t& i_DesignComboIndex_y, float& f_Pu_y,
                                          float& f_Vu_y, float& f_Tu_y, float& f_Spacing_y,
                                          float& f_AvOverS_z, int16_t& i_DesignComboIndex_z,
                                          float& f_Pu_z, float& f_Vu_z, float& f_Tu_z,
                                          float& f_Spacing_z, uint8_t& bt_DsignStatus);
  uint8_t Get_Envelope_StiffernerTorsionRFT(int32_t l_ElementNumber, float& f_AtOverS,
                                            float& f_Al, int16_t& i_DesignComboIndex,
                                            float& f_Pu, float& f_Vu, float& f_Tu,
                                            float& f_Spacing, uint8_t& bt_ShearDirection,
                                            uint8_t& bt_DsignStatus);
  uint8_t Get_Envelope_StiffernerRFTSummary(int32_t l_ElementNumber, float& f_As,
                                            float& f_Al, float& f_AvOverS_y,
                                            float& f_AvOverS_z, float& f_AtOverS,
                                            float& f_ShearSpacing,
                                            uint8_t& bt_DesignStatus_flex,
                                            uint8_t& bt_DesignStatus_Shear);

  // Design results file; sFilepath is a NUL-terminated UTF-8 path.
  uint8_t ReadResults(const char* sFilepath, int32_t lOffset);
  uint8_t SaveResults(const char* sFilepath, int32_t& lOffset);
  // The same for a std::string path. Inline, so that no standard-library type
  // crosses the library boundary: a host built with another standard library
  // (or another _GLIBCXX_USE_CXX11_ABI) links and runs alike.
  uint8_t ReadResults(const std::string& sFilepath, int32_t lOffset) {
    return ReadResults(sFilepath.c_str(), lOffset);
  }
  uint8_t SaveResults(const std::string& sFilepath, int32_t& lOffset) {
    return SaveResults(sFilepath.c_str(), lOffset);
  }

  // Worker threads for the element designs of every later run, process-wide
  // (see OstrelDesignCSA94_SetWorkerThreads): 1 the calling thread alone
  // (default), 0 one per hardware thread.
  static void SetWorkerThreads(int32_t n);
  static int32_t GetWorkerThreads();
};

#endif  // OSTREL_DESIGN_CSA94_HPP
