// The C interface of the run, the result queries and the results file: thin
// wrappers over clsDesignCSA94. A NULL output pointer is a failed call.
#include <string>

#include "OstrelDesignCSA94.h"
#include "OstrelDesignCSA94.hpp"
#include "hosting/CInterfaceGuard.h"

namespace {

template <class... Ptrs>
bool AnyNull(Ptrs... ptrs) {
  return ((ptrs == nullptr) || ...);
}

}  // namespace

extern "C" {

OSTREL_API uint8_t clsDesignCSA94_RunDesign(clsDesignCSA94* obj) {
  return OSTREL_FORWARD(obj, RunDesign());
}

OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_Displacement(
    clsDesignCSA94* obj, int32_t l_NodeNumber, float* f_Dx_Negative, int16_t* i_Dx_Neg_combo,
    float* f_Dx_Positive, int16_t* i_Dx_Pos_combo, float* f_Dy_Negative,
    int16_t* i_Dy_Neg_combo, float* f_Dy_Positive, int16_t* i_Dy_Pos_combo,
    float* f_Dz_Negative, int16_t* i_Dz_Neg_combo, float* f_Dz_Positive,
    int16_t* i_Dz_Pos_combo) {
  if (AnyNull(f_Dx_Negative, i_Dx_Neg_combo, f_Dx_Positive, i_Dx_Pos_combo, f_Dy_Negative,
              i_Dy_Neg_combo, f_Dy_Positive, i_Dy_Pos_combo, f_Dz_Negative, i_Dz_Neg_combo,
              f_Dz_Positive, i_Dz_Pos_combo)) {
    return 1;
  }
  return OSTREL_FORWARD(
      obj, Get_Envelope_Displacement(l_NodeNumber, *f_Dx_Negative, *i_Dx_Neg_combo,
                                     *f_Dx_Positive, *i_Dx_Pos_combo, *f_Dy_Negative,
                                     *i_Dy_Neg_combo, *f_Dy_Positive, *i_Dy_Pos_combo,
                                     *f_Dz_Negative, *i_Dz_Neg_combo, *f_Dz_Positive,
                                     *i_Dz_Pos_combo));
}

OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_PlateFlexureRFT(
    clsDesignCSA94* obj, int32_t l_ElementNumber, uint8_t* bt_NumCurtains,
    float* f_AreaOfSteel_x, float* f_RatioOfSteel_x, float* f_Mu_x, float* f_Pu_x,
    int16_t* i_DesignComboIndex_x, uint8_t* bt_DsignStatus_x, float* f_AreaOfSteel_y,
    float* f_RatioOfSteel_y, float* f_Mu_y, float* f_Pu_y, int16_t* i_DesignComboIndex_y,
    uint8_t* bt_DsignStatus_y) {
  if (AnyNull(bt_NumCurtains, f_AreaOfSteel_x, f_RatioOfSteel_x, f_Mu_x, f_Pu_x,
              i_DesignComboIndex_x, bt_DsignStatus_x, f_AreaOfSteel_y, f_RatioOfSteel_y, f_Mu_y,
              f_Pu_y, i_DesignComboIndex_y, bt_DsignStatus_y)) {
    return 1;
  }
  return OSTREL_FORWARD(
      obj, Get_Envelope_PlateFlexureRFT(l_ElementNumber, *bt_NumCurtains, *f_AreaOfSteel_x,
                                        *f_RatioOfSteel_x, *f_Mu_x, *f_Pu_x,
                                        *i_DesignComboIndex_x, *bt_DsignStatus_x,
                                        *f_AreaOfSteel_y, *f_RatioOfSteel_y, *f_Mu_y, *f_Pu_y,
                                        *i_DesignComboIndex_y, *bt_DsignStatus_y));
}

OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_StiffernerFlexureRFT(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float* f_As, float* f_RatioOfSteel,
    int16_t* i_DesignComboIndex, float* f_Muy, float* f_Muz, float* f_Pu,
    uint8_t* bt_DesignStatus) {
  if (AnyNull(f_As, f_RatioOfSteel, i_DesignComboIndex, f_Muy, f_Muz, f_Pu, bt_DesignStatus)) {
    return 1;
  }
  return OSTREL_FORWARD(
      obj, Get_Envelope_StiffernerFlexureRFT(l_ElementNumber, *f_As, *f_RatioOfSteel,
                                             *i_DesignComboIndex, *f_Muy, *f_Muz, *f_Pu,
                                             *bt_DesignStatus));
}

OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_StiffernerShearRFT(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float* f_AvOverS_y,
    int16_t* i_DesignComboIndex_y, float* f_Pu_y, float* f_Vu_y, float* f_Tu_y,
    float* f_Spacing_y, float* f_AvOverS_z, int16_t* i_DesignComboIndex_z, float* f_Pu_z,
    float* f_Vu_z, float* f_Tu_z, float* f_Spacing_z, uint8_t* bt_DsignStatus) {
  if (AnyNull(f_AvOverS_y, i_DesignComboIndex_y, f_Pu_y, f_Vu_y, f_Tu_y, f_Spacing_y,
              f_AvOverS_z, i_DesignComboIndex_z, f_Pu_z, f_Vu_z, f_Tu_z, f_Spacing_z,
              bt_DsignStatus)) {
    return 1;
  }
  return OSTREL_FORWARD(
      obj, Get_Envelope_StiffernerShearRFT(l_ElementNumber, *f_AvOverS_y, *i_DesignComboIndex_y,
                                           *f_Pu_y, *f_Vu_y, *f_Tu_y, *f_Spacing_y,
                                           *f_AvOverS_z, *i_DesignComboIndex_z, *f_Pu_z,
                                           *f_Vu_z, *f_Tu_z, *f_Spacing_z, *bt_DsignStatus));
}

OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float* f_AtOverS, float* f_Al,
    int16_t* i_DesignComboIndex, float* f_Pu, float* f_Vu, float* f_Tu, float* f_Spacing,
    uint8_t* bt_ShearDirection, uint8_t* bt_DsignStatus) {
  if (AnyNull(f_AtOverS, f_Al, i_DesignComboIndex, f_Pu, f_Vu, f_Tu, f_Spacing,
              bt_ShearDirection, bt_DsignStatus)) {
    return 1;
  }
  return OSTREL_FORWARD(
      obj, Get_Envelope_StiffernerTorsionRFT(l_ElementNumber, *f_AtOverS, *f_Al,
                                             *i_DesignComboIndex, *f_Pu, *f_Vu, *f_Tu,
                                             *f_Spacing, *bt_ShearDirection, *bt_DsignStatus));
}

OSTREL_API uint8_t clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(
    clsDesignCSA94* obj, int32_t l_ElementNumber, float* f_As, float* f_Al, float* f_AvOverS_y,
    float* f_AvOverS_z, float* f_AtOverS, float* f_ShearSpacing, uint8_t* bt_DesignStatus_flex,
    uint8_t* bt_DesignStatus_Shear) {
  if (AnyNull(f_As, f_Al, f_AvOverS_y, f_AvOverS_z, f_AtOverS, f_ShearSpacing,
              bt_DesignStatus_flex, bt_DesignStatus_Shear)) {
    return 1;
  }
  return OSTREL_FORWARD(
      obj, Get_Envelope_StiffernerRFTSummary(l_ElementNumber, *f_As, *f_Al, *f_AvOverS_y,
                                             *f_AvOverS_z, *f_AtOverS, *f_ShearSpacing,
                                             *bt_DesignStatus_flex, *bt_DesignStatus_Shear));
}

OSTREL_API uint8_t clsDesignCSA94_ReadResults(clsDesignCSA94* obj, const char* sFilepath,
                                              int32_t lOffset) {
  if (sFilepath == nullptr) {
    return 1;
  }
  return OSTREL_FORWARD(obj, ReadResults(sFilepath, lOffset));
}

OSTREL_API uint8_t clsDesignCSA94_SaveResults(clsDesignCSA94* obj, const char* sFilepath,
                                              int32_t* lOffset) {
  if (sFilepath == nullptr || lOffset == nullptr) {
    return 1;
  }
  return OSTREL_FORWARD(obj, SaveResults(sFilepath, *lOffset));
}

}  // extern "C"
