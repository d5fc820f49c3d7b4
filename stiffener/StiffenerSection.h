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
  double epsCu = 0;   // crushing strain of the concrete
  double epsT = 0;    // steel strain limit in tension
  double kPmax = 0;   // cap of the axial compression resistance (tied section)
  double kPcomp = 0;  // resistance factor of the axial compression
  double kPtens = 0;  // resistance factor of the axial tension
  double kShear = 0;  // resistance factor of shear and torsion
  double phiC = 0;    // material factors
  double phiS = 0;
  // The run's suspend flag (1 while suspended), polled by the long searches.
  const int16_t* suspendFlag = &kNeverSuspended;
};

struct StiffenerSection {
  int16_t sectionType = 0;  // 0 rectangle, 1 circle of diameter width
  double height = 0;
  double width = 0;
  uint8_t projection = 0;  // flanges flush with +z (0), centred (1), flush with -z (2)
  std::array<double, 3> flangeWidth{};      // slot 1 left, slot 2 right
  std::array<double, 3> flangeThickness{};  // slot 1 left, slot 2 right
  uint8_t hasFlanges = 0;
  double phiFy = 0;
  double phiFyComp = 0;
  double phiFyStirrup = 0;
  double phiEs = 0;
  double beta1 = 0;
  double blockStress = 0;
  double phiSqrtFc = 0;
  double phiFc = 0;
  double lambdaPhiSqrtFc = 0;
  double lambdaPhiFc = 0;
  int16_t barLayout = 0;  // bars on the faces along y (0), along z (1), all four (2), a circle (3)
  double coverY = 0;
  double coverZ = 0;
  double coverYst = 0;
  double coverZst = 0;
  double rhoMin = 0;
  double rhoMax = 0;

  // Torsion section properties.
  double Acp = 0;  // area inside the outside perimeter of the concrete
  double pcp = 0;  // that outside perimeter
  double ph = 0;   // perimeter of the stirrup centreline
  double Aoh = 0;  // area inside it
  double shearDepthY = 0;
  double shearDepthZ = 0;

  // Geometry and bar layout (BuildSectionGeometry).
  SectionGeometry geo;
};

struct StiffenerForces {
  ComboEndArray Pu;
  ComboEndArray Muy;
  ComboEndArray Muz;
  ComboEndArray momentAngle;  // atan(|Muy| / |Muz|)
  ComboEndArray Vu;            // shear of the direction designed
  ComboEndArray Tu;
  // The ultimate combinations in ascending order; the first of them.
  std::vector<int16_t> ultimateCombos;
  int16_t firstUltimateCombo = 0;
};

struct StiffenerRecord {
  int16_t status = 0;
  int16_t govCombo = 0;
  double As = 0;
  double rho = 0;
  double govMuy = 0;
  double govMuz = 0;
  double govPu = 0;
  double AvOverS = 0;
  double AtOverS = 0;
  double Al = 0;
  double govTu = 0;
  double govVu = 0;
  double govSpacing = 0;
};

struct ShearDirection {
  double depth = 0;   // effective depth
  double width = 0;   // web width resisting the shear
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERSECTION_H
