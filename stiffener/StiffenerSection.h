// The explicit state of the stiffener kernels.
//
//   StiffenerSection  the element's section in internal units: shape, sizes,
//                     factored strengths, covers, steel ratio limits, and what
//                     is derived from them once per element (the geometry and
//                     bar layout of BuildSectionGeometry, the torsion
//                     properties of ComputeTorsionSectionProperties).
//   StiffenerForces   the end forces of every combination, with the list of
//                     the ultimate combinations.
//   StiffenerSettings the constants of the standard the run designs with.
//   StiffenerRecord   what a design phase finds: the status, the steel and
//                     the governing combination with its forces.
//   ShearDirection    the section as it resists the shear of one direction.
//
// The flexure routines (StiffenerFlexure.h) also take a FlexureWork, the
// working values of the search and of the section kernel (FlexureState.h).
// A caller builds the section from an element's properties, fills the
// forces, and calls the routines of StiffenerFlexure.h and
// StiffenerShearTorsion.h on them; nothing of the routines reaches the
// design model or any other state of the thread.
//
// Units: N, mm, MPa, N-mm. Axial force is positive in tension.
#ifndef OSTREL_STIFFENER_STIFFENERSECTION_H
#define OSTREL_STIFFENER_STIFFENERSECTION_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

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

// The flag of a run that nothing suspends.
inline constexpr int16_t kNeverSuspended = 0;

struct StiffenerSettings {
  double eps_cu = 0;   // crushing strain of the concrete
  double eps_t = 0;    // steel strain limit in tension
  double k_Pmax = 0;   // cap of the axial compression resistance (tied section)
  double k_Pcomp = 0;  // resistance factor of the axial compression
  double k_Ptens = 0;  // resistance factor of the axial tension
  double k_shear = 0;  // resistance factor of shear and torsion
  double phi_c = 0;    // material factors
  double phi_s = 0;
  // The run's suspend flag (1 while suspended), polled by the long searches.
  const int16_t* suspendFlag = &kNeverSuspended;
};

struct StiffenerSection {
  int16_t i_SectionType = 0;  // 0 rectangle, 1 circle of diameter d_Width
  double d_Height = 0;
  double d_Width = 0;
  uint8_t bt_Projection = 0;  // flanges flush with +z (0), centred (1), flush with -z (2)
  std::array<double, 3> d_FlangeWidth{};      // slot 1 left, slot 2 right
  std::array<double, 3> d_FlangeThickness{};  // slot 1 left, slot 2 right
  uint8_t bt_HasFlanges = 0;
  double d_PhiFy = 0;
  double d_PhiFyComp = 0;
  double d_PhiFyStirrup = 0;
  double d_PhiEs = 0;
  double d_Beta1 = 0;
  double d_BlockStress = 0;
  double d_PhiSqrtFc = 0;
  double d_PhiFc = 0;
  double d_LambdaPhiSqrtFc = 0;
  double d_LambdaPhiFc = 0;
  int16_t i_RFTType = 0;  // bars on the faces along y (0), along z (1), all four (2), a circle (3)
  double d_CoverY = 0;
  double d_CoverZ = 0;
  double d_CoverYst = 0;
  double d_CoverZst = 0;
  double d_RatioMin = 0;
  double d_RatioMax = 0;

  // Torsion section properties.
  double d_Acp = 0;  // area inside the outside perimeter of the concrete
  double d_Pcp = 0;  // that outside perimeter
  double d_Ph = 0;   // perimeter of the stirrup centreline
  double d_Aoh = 0;  // area inside it
  double d_ShearDepthY = 0;
  double d_ShearDepthZ = 0;

  // Geometry and bar layout (BuildSectionGeometry).
  SectionGeometry geo;
};

struct StiffenerForces {
  ComboEndArray d_ComboPu;
  ComboEndArray d_ComboMuy;
  ComboEndArray d_ComboMuz;
  ComboEndArray d_ComboMomentAngle;  // atan(|Muy| / |Muz|)
  ComboEndArray d_ComboV;            // shear of the direction designed
  ComboEndArray d_ComboT;
  // The ultimate combinations in ascending order; the first of them.
  std::vector<int16_t> ultimateCombos;
  int16_t i_FirstUltimateCombo = 0;
};

struct StiffenerRecord {
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
};

struct ShearDirection {
  double depth = 0;   // effective depth
  double width = 0;   // web width resisting the shear
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERSECTION_H
