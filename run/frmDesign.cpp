#include "run/frmDesign.h"

#include <deque>
#include <memory>
#include <new>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "platform/WindowHost.h"
#include "model/modDesign.h"

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

// Runs one step of an event handler that can fail: the one failure a step
// has is running out of memory while it changes a caption (its own, or the
// run's last one). Such a step is skipped and the handler goes on with the
// next one, so no error leaves a handler. The other steps cannot fail.
template <class Step>
void SkipIfOutOfMemory(Step&& step) noexcept {
  try {
    step();
  } catch (const std::bad_alloc&) {
  }
}

// What the host sees of the window, with strings valid during the call.
void ShowToHost(const frmDesign& win, const WindowHostSetting& host) {
  OstrelProgressView view{};
  view.Caption = win.Caption.c_str();
  view.Label1 = win.Label1.c_str();
  view.lblStatus = win.lblStatus.c_str();
  view.lblCounter = win.lblCounter.c_str();
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
    // Pumping never fails the caller: running out of memory while the
    // built-in host queues its click, or a lock on the host's setting that
    // fails, loses that pump's view and clicks only.
    tClickDepth = 0;
  }
}

void frmDesign::Form_Load() {
  loaded = true;
  lblStatus.clear();
  lblCounter.clear();
  Command2.Enabled = true;
  Global().bt_DesignWindowOpen = 1;
  PumpWindowEvents();
}

void frmDesign::Form_Activate() {
  if (started) {
    return;
  }
  started = true;
  DesignWindows& d = Windows();
  const std::shared_ptr<frmDesign> self = d.window.get() == this ? d.window : nullptr;
  uint8_t result = 1;
  SkipIfOutOfMemory([&] { result = WallDesignInWindow(self); });
  runEnded = true;
  if (result == 0) {
    Global().bt_DesignDoneFlag = 1;
  }
}

void frmDesign::Command1_Click() {
  if (Command1.Caption == "&Close") {
    Close();
  } else if (Command1.Caption == "&Suspend") {
    Design().i_SuspendFlag = 1;
    SkipIfOutOfMemory([&] { Command1.Caption = "&Continue"; });
    Command2.Enabled = true;
    PumpWindowEvents();
  } else if (Command1.Caption == "&Continue") {
    Design().i_SuspendFlag = 0;
    SkipIfOutOfMemory([&] { Command1.Caption = "&Suspend"; });
    Command2.Enabled = false;
    PumpWindowEvents();
  }
}

void frmDesign::Command2_Click() {
  Global().bt_DesignDoneFlag = 0;
  Close();
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
