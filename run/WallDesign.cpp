// The run driver: the three phases in order, progress in the window, and the
// one error path that every failure inside a run ends in.
#include <utility>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "platform/MessageBox.h"
#include "run/ElementPhases.h"
#include "run/frmDesign.h"
#include "run/modDesign.h"

namespace ostrel {

namespace {

void SetButtons(const char* command1Caption, bool command1Enabled) {
  if (const auto& win = Windows().runWindow) {
    win->Command1.Caption = command1Caption;
    win->Command1.Enabled = command1Enabled;
    win->Command2.Enabled = true;
  }
}

void RunPhases() {
  modDesign& d = Design();
  const modGlobal& g = Global();

  SetStatusLabel(" displacement envelope");
  PumpRunWindow();
  d.sErrorMessage =
      "modDesign::WallDesign- unexpected error during Calculating maximum & minimum displacments";
  ComputeDisplacementEnvelope();
  SetDesignConstants();

  if (g.i_NumPlateElements > 0) {
    d.sErrorMessage =
        "modDesign::WallDesign- unexpected error during Calculating plate element reinforcement";
    SetStatusLabel(" plate design");
    PumpRunWindow();
    DesignPlateElements();
  }
  if (g.i_NumStiffenerElements > 0) {
    d.sErrorMessage =
        "modDesign::WallDesign- unexpected error during Calculating stiffener element "
        "reinforcement";
    SetStatusLabel(" stiffener design");
    PumpRunWindow();
    DesignStiffenerElements();
  }

  ReleaseModelInput();
  SetStatusLabel("finish");
  SetCounterLabel(" ");
  PumpRunWindow();
}

}  // namespace

uint8_t WallDesign() {
  modDesign& d = Design();
  d.i_SuspendFlag = 0;
  d.suspendWait = &RunSuspendWait;
  try {
    ClearFloatFaults();
    RunPhases();
    SetButtons("&Close", true);
    // No file is left to close: the file methods close theirs before returning.
    return 0;
  } catch (const RunCancelled&) {
    // The window was closed under the run: it stops where it is, without a
    // message; what it stored so far stays.
    return 1;
  } catch (...) {
    // Every other failure: a phase's own stop, a failed fetch, a fault of
    // the arithmetic or of a model access.
  }
  try {
    if (!d.sErrorMessage.empty()) {
      ShowMessageBox(d.sErrorMessage);
    }
  } catch (...) {
  }
  SetButtons("Close", false);
  return 1;
}

uint8_t WallDesignInWindow(const std::shared_ptr<frmDesign>& window) {
  const std::shared_ptr<frmDesign> outer = std::exchange(Windows().runWindow, window);
  struct RestoreOuter {
    std::shared_ptr<frmDesign> outer;
    ~RestoreOuter() { Windows().runWindow = std::move(outer); }
  } restore{outer};
  return WallDesign();
}

}  // namespace ostrel
