// The stiffener phase of a design run, element by element: the run's element
// loop starts the phase, then designs each element (on the host's thread or
// on workers, see run/ElementWorkers.h).
#ifndef OSTREL_STIFFENER_STIFFENERDESIGN_H
#define OSTREL_STIFFENER_STIFFENERDESIGN_H

#include <cstdint>
#include <functional>

#include "platform/ForceSource.h"
#include "stiffener/StiffenerSection.h"

namespace ostrel {

// Fresh stiffener result fields and per-combination force arrays. A model
// without an ultimate combination stops the run here, with its message.
void StartStiffenerPhase();

// The whole design of stiffener element e, its forces from `forces`, its
// results stored into the model of the calling thread.
void DesignStiffenerElement(int16_t e, ForceSource& forces);

// On a worker thread before its first element: the stiffener working state
// of the calling (host's) thread, copied. The host's thread waits meanwhile.
std::function<void()> CopyStiffenerStateToWorker();

// Section of stiffener element `element` (1-based) of the design model, as
// the stiffener phase designs it: sizes, factored strengths and covers in
// internal units, the steel ratio limits, the geometry and bar layout, and
// the torsion properties. Throws RunTimeError for a value that is not
// finite in internal units.
StiffenerSection StiffenerSectionOf(int16_t element);

// The constants of the standard the design model runs with, and the
// calling thread's suspend flag.
StiffenerSettings StiffenerSettingsOf();

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERDESIGN_H
