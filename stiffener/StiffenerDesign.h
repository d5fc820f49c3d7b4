// The stiffener phase of a design run.
#ifndef OSTREL_STIFFENER_STIFFENERDESIGN_H
#define OSTREL_STIFFENER_STIFFENERDESIGN_H

#include <cstdint>

#include "stiffener/StiffenerSection.h"

namespace ostrel {

// Section of stiffener element `element` (1-based) of the design model, as
// the stiffener phase designs it: sizes, factored strengths and covers in
// internal units, the steel ratio limits, the geometry and bar layout, and
// the torsion properties. Throws RunTimeError for a value that is not
// finite in internal units.
StiffenerSection StiffenerSectionOf(int16_t element);

// The constants of the standard the design model runs with, and the
// calling thread's suspend flag.
StiffenerSettings StiffenerSettingsOf();

// Designs every stiffener element of the model (the run's stiffener phase).
void DesignStiffenerElements();

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERDESIGN_H
