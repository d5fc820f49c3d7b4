// The progress window of a design run: a modal window with a frame, two
// buttons and three labels. There is no real window system behind it: the
// window is a plain model of what it shows, and "pumping window events"
// hands a view of it to the host's window callback and then delivers the
// button clicks queued on this thread.
#ifndef OSTREL_RUN_FRMDESIGN_H
#define OSTREL_RUN_FRMDESIGN_H

#include <cstdint>
#include <memory>
#include <string>

namespace ostrel {

struct frmDesignControl {
  std::string Caption;
  bool Enabled = true;
};

class frmDesign {
 public:
  // Controls, with their design-time captions.
  std::string Caption = "Ostrel (Design - CSA A23.3-94)";
  frmDesignControl Frame1{"", true};
  frmDesignControl Command1{"&Suspend", true};
  frmDesignControl Command2{"&Cancel", true};
  frmDesignControl Label1{"Status:", true};
  frmDesignControl lblStatus{"", true};
  frmDesignControl lblCounter{"", true};

  // Position and size in twips. The client area is 3645 x 1980.
  double Left = 0;
  double Top = 0;
  double Width = 3645;
  double Height = 1980;

  // 1 once the run has been started by this window instance.
  uint8_t started = 0;
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

// The progress windows of this thread.
struct DesignWindows {
  // The window now loaded (empty once it unloads).
  std::shared_ptr<frmDesign> window;
  // The window whose run is now working (the run writes its labels and stops
  // when it has been closed); empty outside a run.
  std::shared_ptr<frmDesign> runWindow;
};
DesignWindows& Windows();

// The nominal screen the window is centred on, in twips (1024 x 768 pixels
// at 15 twips per pixel).
inline constexpr double kScreenWidth = 15360;
inline constexpr double kScreenHeight = 11520;

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

}  // namespace ostrel

#endif  // OSTREL_RUN_FRMDESIGN_H
