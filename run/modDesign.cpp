// The services every design loop uses: the run state, the progress labels,
// the pump points with the suspend wait, and the fetches from the analysis
// results.
#include "run/modDesign.h"

#include <algorithm>
#include <thread>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "run/AnalysisResults.h"
#include "run/frmDesign.h"

namespace ostrel {

namespace {

thread_local modDesign tlsDesign;

// A whole number as text: a leading blank in the sign position when it is
// not negative, no other padding.
std::string NumberText(long long v) {
  std::string text = v < 0 ? std::string() : std::string(1, ' ');
  text.append(std::to_string(v));
  return text;
}

void ThrowIfCancelled() {
  const std::shared_ptr<frmDesign>& win = Design().runWindow;
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
const RecordedFetch& ReplayNext(RecordedFetch::Kind kind, int16_t item, int16_t combo) {
  FetchTape* tape = Design().tape;
  if (tape == nullptr || tape->next >= tape->calls.size()) {
    throw RunTimeError("analysis-results call beyond the recorded calls");
  }
  const RecordedFetch& call = tape->calls[tape->next];
  if (call.kind != kind || call.item != item || call.combo != combo) {
    throw RunTimeError("analysis-results call out of step with the recorded calls");
  }
  ++tape->next;
  return call;
}

// One fetch of N values through the thread's fetch mode; `call` makes the
// call on the host's instance into `out`.
template <std::size_t N, class Call>
void Fetch(RecordedFetch::Kind kind, int16_t item, int16_t combo, float (&out)[N], Call call) {
  modDesign& d = Design();
  if (d.fetchMode == FetchMode::kReplay) {
    const RecordedFetch& recorded = ReplayNext(kind, item, combo);
    std::copy(recorded.values, recorded.values + N, out);
    CheckFetch(recorded.returned);
    return;
  }
  const int32_t returned = call(*Source());
  if (d.fetchMode == FetchMode::kDirect) {
    CheckFetch(returned);
    return;
  }
  RecordedFetch recorded;
  recorded.kind = kind;
  recorded.item = item;
  recorded.combo = combo;
  recorded.returned = returned;
  std::copy(out, out + N, recorded.values);
  d.tape->calls.push_back(recorded);
  if (returned < 0 || StatusFailed(returned)) {
    throw RunTimeError("analysis-results call failed while recording");
  }
}

}  // namespace

modDesign& Design() { return tlsDesign; }

std::string CounterText(long long item, long long count) {
  std::string text = NumberText(item);
  text.push_back('/');
  text.append(NumberText(count));
  return text;
}

void SetCounterLabel(const std::string& text) {
  if (const auto& win = Design().runWindow) {
    win->lblCounter.Caption = text;
  }
}

void SetStatusLabel(const std::string& text) {
  if (const auto& win = Design().runWindow) {
    win->lblStatus.Caption = text;
  }
}

void PumpRunWindow() {
  PumpWindowEvents();
  ThrowIfCancelled();
}

void PumpWhileSuspended() {
  PumpRunWindow();
  WaitWhileSuspended();
}

void WaitWhileSuspended() {
  ThrowIfCancelled();
  while (Design().i_SuspendFlag == 1) {
    // Without a window nobody can continue the run: it is over.
    if (!Design().runWindow) {
      throw RunCancelled();
    }
    PumpRunWindow();
    if (Design().i_SuspendFlag == 1) {
      std::this_thread::yield();
    }
  }
}

void FetchNodeDisplacement(int16_t node, int16_t combo, float (&d)[6]) {
  Fetch(RecordedFetch::kNode, node, combo, d, [&](AnalysisResults& source) {
    return source.GetNodeDisplacement(node, combo, d);
  });
}

void FetchPlateElementForces(int16_t element, int16_t combo, float (&f)[6]) {
  Fetch(RecordedFetch::kPlate, element, combo, f, [&](AnalysisResults& source) {
    return source.GetPlateElementForces(element, combo, f);
  });
}

void FetchStiffenerElementForces(int16_t element, int16_t combo, float (&f)[12]) {
  Fetch(RecordedFetch::kStiffener, element, combo, f, [&](AnalysisResults& source) {
    return source.GetStiffenerElementForces(element, combo, f);
  });
}

}  // namespace ostrel
