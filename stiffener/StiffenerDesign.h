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

struct modGlobal;

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

// The same for element `element` of model g (its input, unit factors and
// design constants).
StiffenerSection StiffenerSectionOf(const modGlobal& g, int16_t element);

// The constants of the standard the design model runs with, and the
// calling thread's suspend flag.
StiffenerSettings StiffenerSettingsOf();
// The constants of model g, with a suspend flag that is never set.
StiffenerSettings StiffenerSettingsOf(const modGlobal& g);

// True when every bar line and stirrup line leaves room inside the section.
bool CoversFit(const StiffenerSection& s);

// The moments of ultimate combination k as the flexure check reads them: a
// moment about z below 0.0001 in magnitude becomes +0.0001, and the demand
// angle atan(|Muy| / |Muz|) of both ends.
void PrepareUltimateMoments(StiffenerForces& f, int k);

// The section as it resists the shear along y (alongY) or along z.
ShearDirection ShearDirectionOf(const StiffenerSection& s, bool alongY);

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERDESIGN_H
