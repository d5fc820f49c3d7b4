// The design run: its driver WallDesign, the displacement envelope, and the
// services the design loops use at their pump points and to fetch analysis
// results.
#ifndef OSTREL_RUN_MODDESIGN_H
#define OSTREL_RUN_MODDESIGN_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/modDesign.h"
#include "platform/ForceSource.h"

namespace ostrel {

// One call of the analysis results as the design made it: which operation,
// its arguments, what it returned and the values it gave.
struct RecordedFetch {
  enum Kind : uint8_t { kPlate, kStiffener };
  Kind kind = kPlate;
  int16_t item = 0;  // element
  int16_t combo = 0;
  int32_t returned = 0;
  float values[12] = {};
};

// The analysis-results calls of one element, recorded on the host's thread in
// the order its design makes them and replayed to that design on a worker.
struct FetchTape {
  std::vector<RecordedFetch> calls;
  std::size_t next = 0;  // the next call to replay
};

// The element forces straight from the host's instance of this thread's model.
class HostForces final : public ForceSource {
 public:
  void PlateForces(int16_t element, int16_t combo, float (&f)[6]) override;
  void StiffenerForces(int16_t element, int16_t combo, float (&f)[12]) override;
  bool Designs() const override { return true; }
};

// The host's thread planning an element for a worker: each call goes to the
// host's instance and onto the tape; a failed call (negative, or status 1) is
// kept on the tape and raises a run-time error without touching the phase
// message: the worker that replays it stops there.
class RecordingForces final : public ForceSource {
 public:
  explicit RecordingForces(FetchTape& tape) : tape_(tape) {}
  void PlateForces(int16_t element, int16_t combo, float (&f)[6]) override;
  void StiffenerForces(int16_t element, int16_t combo, float (&f)[12]) override;
  bool Designs() const override { return false; }

 private:
  FetchTape& tape_;
};

// A worker designing an element: each call is the next one on the tape, which
// must be the call the design now makes; its outcome is the recorded one.
class ReplayedForces final : public ForceSource {
 public:
  explicit ReplayedForces(FetchTape& tape) : tape_(tape) {}
  void PlateForces(int16_t element, int16_t combo, float (&f)[6]) override;
  void StiffenerForces(int16_t element, int16_t combo, float (&f)[12]) override;
  bool Designs() const override { return true; }

 private:
  FetchTape& tape_;
};

// Thrown at a pump point when the progress window was closed (Cancel) while
// the run was working or suspended: the run stops at once, with no message.
class RunCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "design run cancelled"; }
};

// Counter text of a design loop: each number with one leading blank, so item
// 7 of 40 reads " 7/ 40".
std::string CounterText(long long item, long long count);

// Writes the progress window's counter label.
void SetCounterLabel(const std::string& text);

// Writes the progress window's phase label.
void SetStatusLabel(const std::string& text);

// Pumps window events once (a pump point of the run driver itself).
// Throws RunCancelled when the window has been closed.
void PumpRunWindow();

// Pumps window events once, then keeps pumping while the run is suspended.
// Throws RunCancelled when the window has been closed.
void PumpWhileSuspended();

// Pumps window events only while the run is suspended (the suspend wait
// inside the long searches, which reach it through WaitWhileSuspended once
// the run has set it); returns at once when it is not. Throws RunCancelled
// when the window has been closed.
void RunSuspendWait();

// Fetches from the analysis-results instance of this thread's model. A
// status of 1 empties sErrorMessage and raises a run-time error (silent
// stop); a failed call (negative return) raises a run-time error with the
// phase message in place. The caller converts and checks (CheckedValue) the
// values it uses. The element forces go through a ForceSource.
void FetchNodeDisplacement(int16_t node, int16_t combo, float (&d)[6]);

// The run driver: 0 when the run completed, 1 when an error stopped it.
uint8_t WallDesign();

// The first phase of every run: envelope of the nodal displacements over the
// service combinations.
void ComputeDisplacementEnvelope();

}  // namespace ostrel

#endif  // OSTREL_RUN_MODDESIGN_H
