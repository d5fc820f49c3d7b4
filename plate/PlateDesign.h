// The plate phase of a design run, element by element: the run's element
// loop starts the phase, then designs each element (on the host's thread or
// on workers, see run/ElementWorkers.h).
#ifndef OSTREL_PLATE_PLATEDESIGN_H
#define OSTREL_PLATE_PLATEDESIGN_H

#include <cstdint>
#include <functional>

#include "platform/ForceSource.h"

namespace ostrel {

// Fresh plate result fields and working tables. A model without an ultimate
// combination stops the run here, with its message.
void StartPlatePhase();

// The whole design of plate element e, its forces from `forces`, its results
// stored into the model of the calling thread.
void DesignPlateElement(int16_t e, ForceSource& forces);

// On a worker thread before its first element: the plate working state of
// the calling (host's) thread, copied. The host's thread waits meanwhile.
std::function<void()> CopyPlateStateToWorker();

}  // namespace ostrel

#endif  // OSTREL_PLATE_PLATEDESIGN_H
