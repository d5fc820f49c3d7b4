// The plate phase of a design run: every plate element designed in x and y.
#ifndef OSTREL_PLATE_MODPLATEDESIGNCSA94_H
#define OSTREL_PLATE_MODPLATEDESIGNCSA94_H

namespace ostrel {

// Designs every plate element of the model (the run's plate phase).
void DesignPlateElements();

}  // namespace ostrel

#endif  // OSTREL_PLATE_MODPLATEDESIGNCSA94_H
