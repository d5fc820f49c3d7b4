#include "run/frmDesign.h"

#include <deque>
#include <memory>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "platform/WindowHost.h"
#include "run/modDesign.h"

namespace ostrel {

namespace {

thread_local DesignWindows tWindows;

// Clicks sent by the host on this thread, waiting for the next pump.
thread_local std::deque<int32_t> tQueuedClicks;

// Depth of click handlers running inside one another (a handler that pumps
// may deliver further clicks). Past this depth a nested pump leaves the
// clicks queued for an outer pump, so a host that clicks at every pump
// cannot make the handlers recurse without end.
thread_local int tClickDepth = 0;
constexpr int kMaxClickDepth = 8;

// Runs one step of an event handler: a failing step is skipped and the
// handler goes on with the next one, so no error leaves a handler.
template <class Step>
void HandlerStep(Step&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

// What the host sees of the window, with strings valid during the call.
void ShowToHost(const frmDesign& win, const WindowHostSetting& host) {
  OstrelProgressView view{};
  view.Caption = win.Caption.c_str();
  view.Label1 = win.Label1.Caption.c_str();
  view.lblStatus = win.lblStatus.Caption.c_str();
  view.lblCounter = win.lblCounter.Caption.c_str();
  view.Command1Caption = win.Command1.Caption.c_str();
  view.Command1Enabled = win.Command1.Enabled ? 1 : 0;
  view.Command2Caption = win.Command2.Caption.c_str();
  view.Command2Enabled = win.Command2.Enabled ? 1 : 0;
  FloatFlagsScope scope;
  host.pump(host.context, &view);
}

// The built-in host: a person who watches the run and, once it has ended,
// presses the button left to close the window.
void DefaultHost(const frmDesign& win) {
  if (!win.runEnded) {
    return;
  }
  const bool canClose = win.Command1.Caption == "&Close" && win.Command1.Enabled;
  QueueButtonClick(canClose ? 1 : 2);
}

void DeliverClick(int32_t button) {
  const std::shared_ptr<frmDesign> win = Windows().window;  // alive while its handler runs
  if (!win || !win->loaded) {
    return;
  }
  if (button == 1 && win->Command1.Enabled) {
    win->Command1_Click();
  } else if (button == 2 && win->Command2.Enabled) {
    win->Command2_Click();
  }
}

void DeliverQueuedClicks() {
  if (tClickDepth >= kMaxClickDepth) {
    return;
  }
  ++tClickDepth;
  // Only the clicks queued up to now: clicks the handlers cause are left to
  // the pumps those handlers make, or to the next pump.
  size_t pending = tQueuedClicks.size();
  while (pending > 0 && !tQueuedClicks.empty()) {
    const int32_t button = tQueuedClicks.front();
    tQueuedClicks.pop_front();
    --pending;
    DeliverClick(button);
  }
  --tClickDepth;
}

}  // namespace

DesignWindows& Windows() { return tWindows; }

void QueueButtonClick(int32_t button) {
  // A click with no window loaded on this thread reaches no button: dropped.
  const std::shared_ptr<frmDesign>& win = Windows().window;
  if (!win || !win->loaded) {
    return;
  }
  if (button == 1 || button == 2) {
    tQueuedClicks.push_back(button);
  }
}

void PumpWindowEvents() {
  try {
    const std::shared_ptr<frmDesign> win = Windows().window;
    if (win && win->loaded) {
      const WindowHostSetting host = CurrentWindowHost();
      if (host.pump != nullptr) {
        ShowToHost(*win, host);
      } else {
        DefaultHost(*win);
      }
    }
    DeliverQueuedClicks();
  } catch (...) {
    // Pumping never fails the caller.
    tClickDepth = 0;
  }
}

void frmDesign::Form_Load() {
  loaded = true;
  HandlerStep([&] { lblStatus.Caption.clear(); });
  HandlerStep([&] { lblCounter.Caption.clear(); });
  HandlerStep([&] { Command2.Enabled = true; });
  HandlerStep([&] { Global().bt_DesignWindowOpen = 1; });
  HandlerStep([&] {
    Left = (kScreenWidth - Width) * 0.5;
    Top = (kScreenHeight - Height) * 0.5;
  });
  HandlerStep([&] { PumpWindowEvents(); });
}

void frmDesign::Form_Activate() {
  if (started != 0) {
    return;
  }
  started = 1;
  DesignWindows& d = Windows();
  // The run writes to this window and stops when it is closed. A run started
  // from inside another run's pump (after that window closed) restores the
  // outer run's window when it ends.
  std::shared_ptr<frmDesign> self = d.window.get() == this ? d.window : nullptr;
  std::shared_ptr<frmDesign> outer = d.runWindow;
  d.runWindow = self;
  uint8_t result = 1;
  HandlerStep([&] { result = WallDesign(); });
  Windows().runWindow = outer;
  runEnded = true;
  if (result == 0) {
    Global().bt_DesignDoneFlag = 1;
  }
}

void frmDesign::Command1_Click() {
  const std::string caption = Command1.Caption;
  if (caption == "&Close") {
    HandlerStep([&] { Close(); });
  } else if (caption == "&Suspend") {
    HandlerStep([&] { Design().i_SuspendFlag = 1; });
    HandlerStep([&] { Command1.Caption = "&Continue"; });
    HandlerStep([&] { Command2.Enabled = true; });
    HandlerStep([&] { PumpWindowEvents(); });
  } else if (caption == "&Continue") {
    HandlerStep([&] { Design().i_SuspendFlag = 0; });
    HandlerStep([&] { Command1.Caption = "&Suspend"; });
    HandlerStep([&] { Command2.Enabled = false; });
    HandlerStep([&] { PumpWindowEvents(); });
  }
}

void frmDesign::Command2_Click() {
  HandlerStep([&] { Global().bt_DesignDoneFlag = 0; });
  HandlerStep([&] { Close(); });
}

void frmDesign::Form_Unload() {
  if (!loaded) {
    return;
  }
  loaded = false;
  Global().bt_DesignWindowOpen = 0;
  DesignWindows& d = Windows();
  if (d.window.get() == this) {
    d.window.reset();  // the caller that delivered the event still holds the instance
  }
}

void ShowDesignWindowModal() {
  const auto win = std::make_shared<frmDesign>();
  Windows().window = win;
  win->Form_Load();
  if (win->loaded) {
    win->Form_Activate();
  }
  // The modal loop: the window stays up until the user closes it.
  while (win->loaded) {
    PumpWindowEvents();
  }
}

}  // namespace ostrel
