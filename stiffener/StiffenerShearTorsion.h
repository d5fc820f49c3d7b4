// Shear and torsion of a stiffener section: the torsion section properties,
// the upper limit of the shear stress, and the stirrup and longitudinal
// torsion steel. All of them work on BeamState() of the calling thread and
// read the design constants from Global().
#ifndef OSTREL_STIFFENER_STIFFENERSHEARTORSION_H
#define OSTREL_STIFFENER_STIFFENERSHEARTORSION_H

#include <cstdint>

namespace ostrel {

// Outside area and perimeter of the concrete (effective flange overhangs
// included), area and perimeter of the stirrup centreline, and the effective
// shear depths along y and z of the element's section.
void ComputeTorsionSectionProperties();

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
