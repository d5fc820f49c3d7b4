// The design run: its driver WallDesign, the displacement envelope, and the
// run-wide state that every design loop shares (suspend flag, the message of
// the phase now running), plus the services the loops use at their pump
// points and to fetch analysis results.
#ifndef OSTREL_RUN_MODDESIGN_H
#define OSTREL_RUN_MODDESIGN_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace ostrel {

class frmDesign;

// One call of the analysis results as the design made it: which operation,
// its arguments, what it returned and the values it gave.
struct RecordedFetch {
  enum Kind : uint8_t { kNode, kPlate, kStiffener };
  Kind kind = kNode;
  int16_t item = 0;  // node or element
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

// Where the fetches of this thread go: straight to the host's instance, to
// the instance while recording each call on a tape (the host's thread
// planning an element for a worker), or to a tape (a worker designing).
enum class FetchMode : uint8_t { kDirect, kRecord, kReplay };

// Run-wide state of the calling thread's design run.
struct modDesign {
  // 1 while the user has suspended the run.
  int16_t i_SuspendFlag = 0;
  // The message of the phase now running, shown if the run fails; empty for a
  // silent stop.
  std::string sErrorMessage;
  // The progress window now loaded on this thread (empty once it unloads).
  std::shared_ptr<frmDesign> window;
  // The window whose run is now working (the run writes its labels and
  // stops when it has been closed); empty outside a run.
  std::shared_ptr<frmDesign> runWindow;
  // Where this thread's fetches go, and the tape they are recorded on or
  // replayed from (not owned).
  FetchMode fetchMode = FetchMode::kDirect;
  FetchTape* tape = nullptr;
};

// The calling thread's run state.
modDesign& Design();

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
// inside the long searches); returns at once when it is not. Throws
// RunCancelled when the window has been closed.
void WaitWhileSuspended();

// Fetches from the analysis-results instance. A status of 1 empties
// sErrorMessage and raises a run-time error (silent stop); a failed call
// (negative return) raises a run-time error with the phase message in place.
// The caller converts and checks (CheckedValue) the values it uses.
// Recording, a failed call is kept on the tape and raises a run-time error
// without touching sErrorMessage: the worker that replays it stops there.
void FetchNodeDisplacement(int16_t node, int16_t combo, float (&d)[6]);
void FetchPlateElementForces(int16_t element, int16_t combo, float (&f)[6]);
void FetchStiffenerElementForces(int16_t element, int16_t combo, float (&f)[12]);

// The run driver: 0 when the run completed, 1 when an error stopped it.
uint8_t WallDesign();

// The first phase of every run: envelope of the nodal displacements over the
// service combinations.
void ComputeDisplacementEnvelope();

}  // namespace ostrel

#endif  // OSTREL_RUN_MODDESIGN_H
