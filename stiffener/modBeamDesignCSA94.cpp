#include "stiffener/modBeamDesignCSA94.h"

namespace ostrel {

modBeamDesignCSA94& BeamState() {
  thread_local modBeamDesignCSA94 state;
  return state;
}

}  // namespace ostrel
