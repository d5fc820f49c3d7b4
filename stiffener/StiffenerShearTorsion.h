// Shear and torsion of a stiffener section: the torsion section properties,
// the upper limit of the shear stress, and the stirrup and longitudinal
// torsion steel. All of them work on BeamState() of the calling thread and
// read the design constants from Global().
#ifndef OSTREL_STIFFENER_STIFFENERSHEARTORSION_H
#define OSTREL_STIFFENER_STIFFENERSHEARTORSION_H

#include <cstdint>

namespace ostrel {

struct modBeamDesignCSA94;

// Outside area and perimeter of the concrete (effective flange overhangs
// included), area and perimeter of the stirrup centreline, and the effective
// shear depths along y and z of the element's section.
void ComputeTorsionSectionProperties();
void ComputeTorsionSectionProperties(modBeamDesignCSA94& s);

// The two upper limits of the shear stress for one shear force V and torsion
// T (magnitudes, N and N-mm) in the direction of the shear state of s: the
// shear stress against lambda phi_c sqrt(f'c) (as the share the steel must
// carry, (v - 0.2 lambda phi_c sqrt(f'c)) / (0.8 lambda phi_c sqrt(f'c))),
// and shear plus torsion stress against 0.25 phi_c f'c. The larger ratio is
// the one CheckMaxShearStress compares.
struct ShearStressCheck {
  double shearStress = 0;     // V / (d b), MPa
  double shearLimit = 0;      // lambda phi_c sqrt(f'c)
  double steelRatio = 0;      // the first ratio
  double combinedStress = 0;  // T ph / Aoh^2 + V / (d b)
  double combinedLimit = 0;   // 0.25 phi_c f'c
  double crushingRatio = 0;   // the second ratio
  double Governing() const { return steelRatio > crushingRatio ? steelRatio : crushingRatio; }
};
ShearStressCheck ShearStressRatios(const modBeamDesignCSA94& s, double v, double t);

// Checks every ultimate combination (end 1) against the two upper limits of
// the shear stress for the direction now designed (1 = shear along y, any
// other value = along z), records the worst combination in the governing
// slots and fails the element (status 7 or 8) when the worst ratio exceeds 1.
void CheckMaxShearStress(const uint8_t& bt_Direction);

// Stirrups per unit length for the shear of the direction now designed plus
// twice the one-leg torsion stirrups, over the ultimate combinations.
void DesignShearSteel();

// Torsion stirrups (one leg) per unit length and the longitudinal torsion
// steel, over the ultimate combinations.
void DesignTorsionSteel();

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERSHEARTORSION_H
