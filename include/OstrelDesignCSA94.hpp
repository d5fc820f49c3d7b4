// OstrelDesignCSA94: C++ API of the wall reinforcement design component.
//
// clsDesignCSA94 holds no data of its own: every object created on one thread
// works on that thread's design model. Methods return 0 when done and 1 when
// refused or failed (the message box has then been shown); outputs, passed by
// reference, are written only on success. No method throws.
#ifndef OSTREL_DESIGN_CSA94_HPP
#define OSTREL_DESIGN_CSA94_HPP

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

  // Design results file.
  uint8_t ReadResults(const std::string& sFilepath, int32_t lOffset);
  uint8_t SaveResults(const std::string& sFilepath, int32_t& lOffset);

  // Worker threads for the element designs of every later run, process-wide
  // (see OstrelDesignCSA94_SetWorkerThreads): 1 the calling thread alone
  // (default), 0 one per hardware thread.
  static void SetWorkerThreads(int32_t n);
  static int32_t GetWorkerThreads();

  // Capacity of a section: the pure functions OstrelDesignCSA94_Stiffener*
  // and OstrelDesignCSA94_PlateStrip* of the C interface (see there for the
  // arguments, units and results), with the outputs in vectors sized here.
  // Usable without an object, on any thread, at any time.
  static uint8_t StiffenerCurve(uint8_t bt_units, const OstrelStiffenerProperties& section,
                                float f_RatioOfSteel, int32_t l_Direction, int32_t l_NumPoints,
                                std::vector<OstrelCurvePoint>& points,
                                std::vector<OstrelCurvePoint>& control);
  static uint8_t StiffenerMomentCurve(uint8_t bt_units, const OstrelStiffenerProperties& section,
                                      float f_RatioOfSteel, double d_AngleDeg,
                                      int32_t l_NumPoints, std::vector<OstrelCurvePoint>& points);
  static uint8_t StiffenerContour(uint8_t bt_units, const OstrelStiffenerProperties& section,
                                  float f_RatioOfSteel, float f_P, int32_t l_NumDirections,
                                  std::vector<double>& d_Muy, std::vector<double>& d_Muz);
  static uint8_t StiffenerDemandCapacity(uint8_t bt_units,
                                         const OstrelStiffenerProperties& section,
                                         float f_RatioOfSteel, float f_P, float f_Muy,
                                         float f_Muz, double& d_Ratio, bool& hasRatio);
  static uint8_t StiffenerShearStress(uint8_t bt_units, const OstrelStiffenerProperties& section,
                                      float f_Vy, float f_Vz, float f_T,
                                      OstrelShearCheck& along_y, OstrelShearCheck& along_z);
  static uint8_t PlateStripCurve(uint8_t bt_units, const OstrelPlateProperties& plate,
                                 float f_RatioOfSteel, uint8_t bt_Direction, int32_t l_NumPoints,
                                 std::vector<double>& d_N, std::vector<double>& d_M);
  static uint8_t PlateStripDemandCapacity(uint8_t bt_units, const OstrelPlateProperties& plate,
                                          float f_RatioOfSteel, uint8_t bt_Direction,
                                          const std::array<float, 6>& f_Forces, double& d_Ratio,
                                          double& d_N, double& d_M);
};

#endif  // OSTREL_DESIGN_CSA94_HPP
