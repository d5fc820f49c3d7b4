// The element loop of the plate and stiffener phases, on the host's thread
// alone or with worker threads.
//
// With workers, the host's thread keeps everything a host can observe:
// element by element and in element order it writes the counter, pumps the
// window (holding back new work while the run is suspended), and makes the
// element's analysis-results calls, recording them; a worker then designs
// the element on its own copy of the model, replaying those calls; the
// host's thread copies the element's results into the model in element
// order. Each element starts on the worker from the host's values of its
// results, so an element whose design stopped (a fault, a failed call) comes
// back with what it stored up to the stop; it is copied like every element
// before it, and nothing after it is: the model then holds exactly what the
// run on one thread would have stored. Results go only into the arrays they
// were started from: arrays that a pump replaced (the host restored or ran a
// design from its pump callback) keep what the host put there.
#ifndef OSTREL_RUN_ELEMENTWORKERS_H
#define OSTREL_RUN_ELEMENTWORKERS_H

#include <cstdint>
#include <functional>

#include "model/modGlobal.h"
#include "platform/ForceSource.h"

namespace ostrel {

struct ElementPhase {
  int16_t count = 0;
  // The design of element e, storing its results into the model of the
  // thread that runs it, with its element forces from the given source. On
  // the host's thread, before e goes to a worker, the same design plans it
  // with a recording source: it makes every call that e's design makes, in
  // its order, up to the first that fails, and designs nothing.
  void (*designElement)(int16_t e, ForceSource& forces) = nullptr;
  // Every result value of element e, out of and into a model: the host's
  // values go to the worker before the design (so that what the design does
  // not write stays as it was), the worker's come back after it.
  void (*saveResults)(const modGlobal& g, int e, ElementResults& out) = nullptr;
  void (*loadResults)(modGlobal& g, int e, const ElementResults& in) = nullptr;
  // On each worker before its first element: the phase's working state,
  // copied from the host's thread (which waits meanwhile).
  std::function<void()> prepareWorker;
};

// Designs elements 1 to count: counter and pump point of each element, then
// its design. Throws what the design or a pump point throws, as the run on
// one thread would.
void RunElementPhase(const ElementPhase& phase);

}  // namespace ostrel

#endif  // OSTREL_RUN_ELEMENTWORKERS_H
