// The element loop of the plate and stiffener phases, on the host's thread
// alone or with worker threads.
//
// With workers, the host's thread keeps everything a host can observe:
// element by element and in element order it writes the counter, pumps the
// window (holding back new work while the run is suspended), and makes the
// element's analysis-results calls, recording them; a worker then designs
// the element on its own copy of the model, replaying those calls; the
// host's thread copies the element's results into the model in element
// order. An element whose design stopped (a fault, a failed call) has its
// results up to the stop copied, like every element before it, and nothing
// after it is copied: the model then holds exactly what the run on one
// thread would have stored.
#ifndef OSTREL_RUN_ELEMENTWORKERS_H
#define OSTREL_RUN_ELEMENTWORKERS_H

#include <cstdint>
#include <functional>

#include "component/modGlobal.h"

namespace ostrel {

// Process-wide number of worker threads for element designs: 1 designs on
// the host's thread alone (the default), 0 one per hardware thread. A
// negative number counts as 1; more than kMaxWorkerThreads as that many.
inline constexpr int kMaxWorkerThreads = 64;
void SetWorkerThreads(int32_t n);

// The number of worker threads a run would now use (the setting resolved).
int32_t WorkerThreads();

struct ElementPhase {
  int16_t count = 0;
  // Host's thread, before element e goes to a worker: every analysis-results
  // call that e's design makes, in its order, up to the first that fails
  // (the fetches are recording).
  void (*planFetches)(int16_t e) = nullptr;
  // The whole design of element e, storing its results into the model of
  // the thread that runs it.
  void (*designElement)(int16_t e) = nullptr;
  // Host's thread: copies element e's results from a worker's model.
  void (*copyResults)(const modGlobal& from, modGlobal& to, int e) = nullptr;
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
