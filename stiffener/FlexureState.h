// Working values of the flexure search and the section kernel.
#ifndef OSTREL_STIFFENER_FLEXURESTATE_H
#define OSTREL_STIFFENER_FLEXURESTATE_H

namespace ostrel {

struct FlexureWork {
  // Filled by the flexure search and the section kernel.
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_FLEXURESTATE_H
