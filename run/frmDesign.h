// The progress window of a design run: a modal window with two buttons and
// three labels. There is no real window system behind it: the window is a
// plain model of what it shows (nothing else of it, its frame or its place on
// the screen, reaches a host), and "pumping window events" hands a view of it
// to the host's window callback and then delivers the button clicks queued on
// this thread.
#ifndef OSTREL_RUN_FRMDESIGN_H
#define OSTREL_RUN_FRMDESIGN_H

#include <cstdint>
#include <memory>
#include <string>

namespace ostrel {

// A button: its caption and whether it takes clicks.
struct frmDesignButton {
  std::string Caption;
  bool Enabled = true;
};

class frmDesign {
 public:
  // What the window shows, with the design-time captions.
  std::string Caption = "Ostrel (Design - CSA A23.3-94)";
  frmDesignButton Command1{"&Suspend", true};
  frmDesignButton Command2{"&Cancel", true};
  std::string Label1 = "Status:";
  std::string lblStatus;
  std::string lblCounter;

  // True once this window instance has started its run (it starts one only).
  bool started = false;
  // True between Load and Unload.
  bool loaded = false;
  // True once the run started by this window has returned.
  bool runEnded = false;

  // Events.
  void Form_Load();
  void Form_Activate();
  void Command1_Click();
  void Command2_Click();
  void Form_Unload();

  // Closes the window (Unload).
  void Close() { Form_Unload(); }
};

// The progress windows of this thread: the run's own state about them.
struct DesignWindows {
  // The window now loaded (empty once it unloads).
  std::shared_ptr<frmDesign> window;
  // The window whose run is now working (the run writes its labels and stops
  // when it has been closed); empty outside a run.
  std::shared_ptr<frmDesign> runWindow;
};
DesignWindows& Windows();

// Queues a click of button 1 (Command1) or 2 (Command2) on this thread; it
// is delivered at the next pump. Other numbers are ignored.
void QueueButtonClick(int32_t button);

// Handles all pending window events of this thread: shows the host the
// window as it is, then delivers the queued clicks in order (a click on a
// disabled button, or with no window loaded, is dropped). Never throws.
void PumpWindowEvents();

// Shows a new progress window modally: Load, Activate (which runs the
// design), then pumps until the window has unloaded.
void ShowDesignWindowModal();

// Runs the design in `window` (nullptr: a window no longer loaded): the run
// writes that window's labels and stops when it is closed. A run started from
// inside another run's pump (after that window closed) gives the outer run
// its window back when it ends. Defined with the run driver.
uint8_t WallDesignInWindow(const std::shared_ptr<frmDesign>& window);

}  // namespace ostrel

#endif  // OSTREL_RUN_FRMDESIGN_H
