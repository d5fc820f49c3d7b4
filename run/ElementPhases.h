// The plate and stiffener phases of a design run: each starts its results,
// then designs its elements through the run's element loop.
#ifndef OSTREL_RUN_ELEMENTPHASES_H
#define OSTREL_RUN_ELEMENTPHASES_H

namespace ostrel {

// Designs every plate element of the model (the run's plate phase).
void DesignPlateElements();

// Designs every stiffener element of the model (the run's stiffener phase).
void DesignStiffenerElements();

}  // namespace ostrel

#endif  // OSTREL_RUN_ELEMENTPHASES_H
