// The services every design loop uses: the run state, the progress labels,
// the pump points with the suspend wait, and the fetches from the analysis
// results.
#include "run/modDesign.h"

#include <algorithm>
#include <thread>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "platform/AnalysisResults.h"
#include "run/frmDesign.h"

namespace ostrel {

namespace {

// A whole number as text: a leading blank in the sign position when it is
// not negative, no other padding.
std::string NumberText(long long v) {
  std::string text = v < 0 ? std::string() : std::string(1, ' ');
  text.append(std::to_string(v));
  return text;
}

void ThrowIfCancelled() {
  const std::shared_ptr<frmDesign>& win = Windows().runWindow;
  if (win && !win->loaded) {
    throw RunCancelled();
  }
}

// The instance of this thread's model; a run without one cannot fetch.
std::shared_ptr<AnalysisResults> Source() {
  std::shared_ptr<AnalysisResults> source = Global().analysisResults;
  if (!source) {
    throw RunTimeError("no analysis-results instance");
  }
  return source;
}

// A failed call keeps the phase message; a status of 1 stops the run silently.
void CheckFetch(int32_t returned) {
  if (returned < 0) {
    throw RunTimeError("analysis-results call failed");
  }
  if (StatusFailed(returned)) {
    Design().sErrorMessage.clear();
    throw RunTimeError("analysis-results status 1");
  }
}

// The next call on the replay tape; it must be the call the design now makes.
template <std::size_t N>
void Replay(FetchTape& tape, RecordedFetch::Kind kind, int16_t item, int16_t combo,
            float (&out)[N]) {
  if (tape.next >= tape.calls.size()) {
    throw RunTimeError("analysis-results call beyond the recorded calls");
  }
  const RecordedFetch& call = tape.calls[tape.next];
  if (call.kind != kind || call.item != item || call.combo != combo) {
    throw RunTimeError("analysis-results call out of step with the recorded calls");
  }
  ++tape.next;
  std::copy(call.values, call.values + N, out);
  CheckFetch(call.returned);
}

template <std::size_t N>
void Record(FetchTape& tape, RecordedFetch::Kind kind, int16_t item, int16_t combo,
            const float (&values)[N], int32_t returned) {
  RecordedFetch& call = tape.calls.emplace_back();
  call.kind = kind;
  call.item = item;
  call.combo = combo;
  call.returned = returned;
  std::copy(values, values + N, call.values);
  if (returned < 0 || StatusFailed(returned)) {
    throw RunTimeError("analysis-results call failed while recording");
  }
}

}  // namespace

std::string CounterText(long long item, long long count) {
  std::string text = NumberText(item);
  text.push_back('/');
  text.append(NumberText(count));
  return text;
}

void SetCounterLabel(const std::string& text) {
  if (const auto& win = Windows().runWindow) {
    win->lblCounter = text;
  }
}

void SetStatusLabel(const std::string& text) {
  if (const auto& win = Windows().runWindow) {
    win->lblStatus = text;
  }
}

void PumpRunWindow() {
  PumpWindowEvents();
  ThrowIfCancelled();
}

void PumpWhileSuspended() {
  PumpRunWindow();
  RunSuspendWait();
}

void RunSuspendWait() {
  ThrowIfCancelled();
  while (Design().i_SuspendFlag == 1) {
    // Without a window nobody can continue the run: it is over.
    if (!Windows().runWindow) {
      throw RunCancelled();
    }
    PumpRunWindow();
    if (Design().i_SuspendFlag == 1) {
      std::this_thread::yield();
    }
  }
}

void FetchNodeDisplacement(int16_t node, int16_t combo, float (&d)[6]) {
  CheckFetch(Source()->GetNodeDisplacement(node, combo, d));
}

void HostForces::PlateForces(int16_t element, int16_t combo, float (&f)[6]) {
  CheckFetch(Source()->GetPlateElementForces(element, combo, f));
}

void HostForces::StiffenerForces(int16_t element, int16_t combo, float (&f)[12]) {
  CheckFetch(Source()->GetStiffenerElementForces(element, combo, f));
}

void RecordingForces::PlateForces(int16_t element, int16_t combo, float (&f)[6]) {
  const int32_t returned = Source()->GetPlateElementForces(element, combo, f);
  Record(tape_, RecordedFetch::kPlate, element, combo, f, returned);
}

void RecordingForces::StiffenerForces(int16_t element, int16_t combo, float (&f)[12]) {
  const int32_t returned = Source()->GetStiffenerElementForces(element, combo, f);
  Record(tape_, RecordedFetch::kStiffener, element, combo, f, returned);
}

void ReplayedForces::PlateForces(int16_t element, int16_t combo, float (&f)[6]) {
  Replay(tape_, RecordedFetch::kPlate, element, combo, f);
}

void ReplayedForces::StiffenerForces(int16_t element, int16_t combo, float (&f)[12]) {
  Replay(tape_, RecordedFetch::kStiffener, element, combo, f);
}

}  // namespace ostrel
