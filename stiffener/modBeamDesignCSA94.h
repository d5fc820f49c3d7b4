// Working state of the stiffener phase on one thread: the section, forces,
// settings, flexure work and record of the element being designed. Only the
// phase's driver (DesignStiffenerElements.cpp) reaches it, to fill the
// kernels' state from the design model and to store what they found; the
// kernels take their parts as arguments.
//
// One copy per thread (BeamState()), so that one element's design can run on
// any thread given its inputs.
#ifndef OSTREL_STIFFENER_MODBEAMDESIGNCSA94_H
#define OSTREL_STIFFENER_MODBEAMDESIGNCSA94_H

#include "stiffener/FlexureState.h"
#include "stiffener/StiffenerSection.h"

namespace ostrel {

struct modBeamDesignCSA94 {
  StiffenerSettings settings;
  StiffenerSection section;
  StiffenerForces forces;
  FlexureWork flex;
  StiffenerRecord record;
};

// The calling thread's stiffener design state.
modBeamDesignCSA94& BeamState();

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_MODBEAMDESIGNCSA94_H
