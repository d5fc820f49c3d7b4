// Run-wide state of the calling thread's design run that the run driver and
// the element designs share: the suspend flag that the long searches watch,
// and the message of the phase now running.
#ifndef OSTREL_MODEL_MODDESIGN_H
#define OSTREL_MODEL_MODDESIGN_H

#include <cstdint>
#include <string>

namespace ostrel {

struct modDesign {
  // 1 while the user has suspended the run.
  int16_t i_SuspendFlag = 0;
  // The message of the phase now running, shown if the run fails; empty for a
  // silent stop.
  std::string sErrorMessage;
  // The run's wait while it is suspended (it pumps the progress window and
  // stops the run when the window has been closed); set by the run driver on
  // the thread it runs on, none elsewhere.
  void (*suspendWait)() = nullptr;
};

// The calling thread's run state.
modDesign& Design();

// The suspend wait inside the long searches: the run's wait where a run has
// set one; elsewhere (a worker thread, a search called on its own) nothing.
inline void WaitWhileSuspended() {
  if (void (*wait)() = Design().suspendWait) {
    wait();
  }
}

}  // namespace ostrel

#endif  // OSTREL_MODEL_MODDESIGN_H
