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

// The two upper limits of the shear stress for one shear force v and torsion
// t (magnitudes, N and N-mm) in `shear`: the shear stress against
// lambda phi_c sqrt(f'c) (as the share the steel must carry,
// (v - 0.2 lambda phi_c sqrt(f'c)) / (0.8 lambda phi_c sqrt(f'c))), and shear
// plus torsion stress against 0.25 phi_c f'c. The larger ratio is the one
// CheckMaxShearStress compares.
struct ShearStressCheck {
  double shearStress = 0;     // V / (d b), MPa
  double shearLimit = 0;      // lambda phi_c sqrt(f'c)
  double steelRatio = 0;      // the first ratio
  double combinedStress = 0;  // T ph / Aoh^2 + V / (d b)
  double combinedLimit = 0;   // 0.25 phi_c f'c
  double crushingRatio = 0;   // the second ratio
  double Governing() const { return steelRatio > crushingRatio ? steelRatio : crushingRatio; }
};
ShearStressCheck ShearStressRatios(const StiffenerSection& section, const ShearDirection& shear,
                                   double v, double t);

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
