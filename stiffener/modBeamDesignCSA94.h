// Working state of the stiffener design: the section state of the element
// being designed, the per-combination end forces, the phase status and the
// governing slots through which the driver, the flexure search, the section
// kernel and the shear and torsion design talk to one another.
//
// One copy per thread (BeamState()), so that one element's design can run on
// any thread given its inputs.
#ifndef OSTREL_STIFFENER_MODBEAMDESIGNCSA94_H
#define OSTREL_STIFFENER_MODBEAMDESIGNCSA94_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "stiffener/FlexureState.h"
#include "stiffener/SectionGeometry.h"

namespace ostrel {

// Per-combination values indexed (combination 1..n, end 1..2).
class ComboEndArray {
 public:
  void Create(int combos) { values_.assign((static_cast<std::size_t>(combos) + 1) * 3, 0.0); }
  double& operator()(int combo, int end) { return values_[static_cast<std::size_t>(combo) * 3 + end]; }
  double operator()(int combo, int end) const {
    return values_[static_cast<std::size_t>(combo) * 3 + end];
  }

 private:
  std::vector<double> values_;
};

struct modBeamDesignCSA94 {
  // Per-combination end forces (internal units), re-created every run.
  ComboEndArray d_ComboPu;
  ComboEndArray d_ComboMuy;
  ComboEndArray d_ComboMuz;
  ComboEndArray d_ComboMomentAngle;
  ComboEndArray d_ComboV;
  ComboEndArray d_ComboT;

  // First ultimate combination of the run, 0 when there is none.
  int16_t i_FirstUltimateCombo = 0;

  // Section state of the element being designed.
  int16_t i_SectionType = 0;
  double d_Height = 0;
  double d_Width = 0;
  uint8_t bt_Projection = 0;
  std::array<double, 3> d_FlangeWidth{};      // slot 1 left, slot 2 right
  std::array<double, 3> d_FlangeThickness{};  // slot 1 left, slot 2 right
  uint8_t bt_HasFlanges = 0;
  double d_PhiFy = 0;
  double d_PhiFyComp = 0;
  double d_PhiFyStirrup = 0;
  double d_PhiEs = 0;
  double d_EpsYield = 0;
  double d_EpsYieldComp = 0;
  double d_Beta1 = 0;
  double d_BlockStress = 0;
  double d_PhiSqrtFc = 0;
  double d_PhiFc = 0;
  double d_LambdaPhiSqrtFc = 0;
  double d_LambdaPhiFc = 0;
  int16_t i_RFTType = 0;
  double d_CoverY = 0;
  double d_CoverZ = 0;
  double d_CoverYst = 0;
  double d_CoverZst = 0;
  double d_RatioMin = 0;
  double d_RatioMax = 0;

  // Shear state of the direction being designed.
  double d_ShearDepth = 0;
  double d_ShearWidth = 0;
  double d_ShearHeight = 0;

  // Torsion section properties.
  double d_Acp = 0;  // area inside the outside perimeter of the concrete
  double d_Pcp = 0;  // that outside perimeter
  double d_Ph = 0;
  double d_Aoh = 0;
  double d_ShearDepthY = 0;
  double d_ShearDepthZ = 0;

  // Phase status and governing values.
  int16_t i_ElementStatus = 0;
  int16_t i_GovCombo = 0;
  double d_As = 0;
  double d_RatioOfSteel = 0;
  double d_GovMuy = 0;
  double d_GovMuz = 0;
  double d_GovPu = 0;
  double d_AvOverS = 0;
  double d_AtOverS = 0;
  double d_Al = 0;
  double d_GovTu = 0;
  double d_GovVu = 0;
  double d_GovSpacing = 0;

  // Section geometry and bar layout of the element (BuildSectionGeometry).
  SectionGeometry geo;
  // Working values of the flexure search and the section kernel.
  FlexureWork flex;
};

// The calling thread's stiffener design state.
modBeamDesignCSA94& BeamState();

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_MODBEAMDESIGNCSA94_H
