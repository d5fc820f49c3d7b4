// What the engineer's keys do to the progress window, kept apart from the
// terminal so it can be driven by a scripted key source.
//
// Keys: 's' (or 'S') clicks Command1 (Suspend, Continue, Close); 'c', 'C' or
// Escape clicks Command2 (Cancel). Escape sequences sent by cursor and
// function keys are ignored. Once the run has ended the window is closed at
// once, as the library's default host does, so a finished design never waits
// for a key.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::cli {

inline constexpr int32_t kCommand1 = 1;
inline constexpr int32_t kCommand2 = 2;

// The bytes typed since the previous call; empty when there are none.
using KeySource = std::function<std::string()>;
using ClickSink = std::function<void(int32_t button)>;

// The buttons as the window shows them at one pump.
struct ButtonState {
  std::string command1_caption;
  bool command1_enabled = false;
  std::string command2_caption;
  bool command2_enabled = false;
};

enum class RunState { Working, Suspended, Completed, Failed };

// Read from Command1's caption: "&Suspend" while working, "&Continue" while
// suspended, "&Close" after a completed run, "Close" after a failed one.
RunState RunStateOf(const ButtonState& buttons);

// The clicks, in order, that one chunk of typed bytes asks for.
std::vector<int32_t> ClicksForKeys(std::string_view bytes);

class WindowKeys {
 public:
  // `idle` is called at a pump that has nothing to do while the run is
  // suspended, so that the suspend wait does not spin a core.
  WindowKeys(KeySource keys, ClickSink click, std::function<void()> idle)
      : keys_(std::move(keys)), click_(std::move(click)), idle_(std::move(idle)) {}

  // Handles one pump of the window. `progressed`: the phase or counter
  // changed since the previous pump. A run that is really waiting pumps with
  // an unchanged view, so the wait sleeps only then; a run that goes on while
  // Command1 still reads "&Continue" (a Suspend clicked before the run began
  // is undone by the run's start) is not slowed down.
  void OnPump(const ButtonState& buttons, bool progressed);

 private:
  KeySource keys_;
  ClickSink click_;
  std::function<void()> idle_;
};

}  // namespace ostrel::cli
