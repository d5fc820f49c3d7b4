// The services every design loop uses: the run state, the progress labels,
// the pump points with the suspend wait, and the fetches from the analysis
// results.
#include "run/modDesign.h"

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
  CheckFetch(Source()->GetNodeDisplacement(node, combo, d));
}

void FetchPlateElementForces(int16_t element, int16_t combo, float (&f)[6]) {
  CheckFetch(Source()->GetPlateElementForces(element, combo, f));
}

void FetchStiffenerElementForces(int16_t element, int16_t combo, float (&f)[12]) {
  CheckFetch(Source()->GetStiffenerElementForces(element, combo, f));
}

}  // namespace ostrel
