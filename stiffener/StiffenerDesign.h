// The stiffener phase of a design run.
#ifndef OSTREL_STIFFENER_STIFFENERDESIGN_H
#define OSTREL_STIFFENER_STIFFENERDESIGN_H

namespace ostrel {

// Designs every stiffener element of the model (the run's stiffener phase).
void DesignStiffenerElements();

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERDESIGN_H
