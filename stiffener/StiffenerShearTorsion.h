// Shear and torsion of a stiffener section: the torsion section properties,
// the upper limit of the shear stress, and the stirrup and longitudinal
// torsion steel. Each works on the section, forces and settings it is given
// (StiffenerSection.h) and writes what it finds into the record; only the
// end-1 forces of the ultimate combinations are designed for.
#ifndef OSTREL_STIFFENER_STIFFENERSHEARTORSION_H
#define OSTREL_STIFFENER_STIFFENERSHEARTORSION_H

#include <cstdint>

#include "stiffener/StiffenerSection.h"

namespace ostrel {

// Outside area and perimeter of the concrete (effective flange overhangs
// included), area and perimeter of the stirrup centreline, and the effective
// shear depths along y and z of the section.
void ComputeTorsionSectionProperties(StiffenerSection& section);

// Checks every ultimate combination against the two upper limits of the
// shear stress in `shear`, the direction designed (1 = shear along y, any
// other value = along z), records the worst combination and fails the
// element (status 7 or 8) when the worst ratio exceeds 1.
void CheckMaxShearStress(const StiffenerSection& section, const StiffenerForces& forces,
                         const ShearDirection& shear, uint8_t direction, StiffenerRecord& record);

// Stirrups per unit length for the shear in `shear` plus twice the one-leg
// torsion stirrups, over the ultimate combinations.
void DesignShearSteel(const StiffenerSection& section, const StiffenerForces& forces,
                      const ShearDirection& shear, const StiffenerSettings& settings,
                      StiffenerRecord& record);

// Torsion stirrups (one leg) per unit length and the longitudinal torsion
// steel, over the ultimate combinations.
void DesignTorsionSteel(const StiffenerSection& section, const StiffenerForces& forces,
                        const StiffenerSettings& settings, StiffenerRecord& record);

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERSHEARTORSION_H
