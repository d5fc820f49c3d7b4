// What the engineer's keys do to the progress window, kept apart from the
// terminal so it can be driven by a scripted key source.
//
// Keys: 's', 'S' or space click Command1 (Suspend, Continue, Close). Escape
// or 'q' clicks Command2 (Cancel) only when pressed twice within two seconds,
// since Cancel throws the run away: the first press asks to press again.
// Escape sequences sent by cursor and function keys are ignored. Once the run
// has ended the window is closed at once, as the library's default host does,
// so a finished design never waits for a key.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::cli {

inline constexpr int32_t kCommand1 = 1;
inline constexpr int32_t kCommand2 = 2;
inline constexpr auto kCancelConfirmWindow = std::chrono::seconds(2);

// The bytes typed since the previous call; empty when there are none.
using KeySource = std::function<std::string()>;
using ClickSink = std::function<void(int32_t button)>;
using Clock = std::function<std::chrono::steady_clock::time_point()>;

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

enum class Key { FirstButton, Cancel };

// The keys, in order, in one chunk of typed bytes.
std::vector<Key> KeysIn(std::string_view bytes);

class WindowKeys {
 public:
  // `idle` is called at a pump that has nothing to do while the run is
  // suspended, so that the suspend wait does not spin a core; `notice` gets
  // the text the window shows for a while ("press again to cancel").
  WindowKeys(KeySource keys, ClickSink click, std::function<void()> idle,
             std::function<void(const std::string&)> notice,
             Clock clock = std::chrono::steady_clock::now)
      : keys_(std::move(keys)),
        click_(std::move(click)),
        idle_(std::move(idle)),
        notice_(std::move(notice)),
        clock_(std::move(clock)) {}

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
  std::function<void(const std::string&)> notice_;
  Clock clock_;
  bool cancel_armed_ = false;
  std::chrono::steady_clock::time_point cancel_pressed_{};
};

}  // namespace ostrel::cli
