#include "KeyInput.h"

namespace ostrel::cli {
namespace {

constexpr char kEscape = '\x1b';

// Final byte of a CSI sequence ("ESC [ ... final") lies in '@' to '~'.
bool IsFinalByte(char c) { return c >= '@' && c <= '~'; }

}  // namespace

RunState RunStateOf(const ButtonState& buttons) {
  const std::string& caption = buttons.command1_caption;
  if (caption == "&Continue") {
    return RunState::Suspended;
  }
  if (caption == "&Close") {
    return RunState::Completed;
  }
  if (caption == "Close") {
    return RunState::Failed;
  }
  return RunState::Working;
}

std::vector<Key> KeysIn(std::string_view bytes) {
  std::vector<Key> keys;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == kEscape) {
      const bool sequence = i + 1 < bytes.size() && (bytes[i + 1] == '[' || bytes[i + 1] == 'O');
      if (!sequence) {
        keys.push_back(Key::Cancel);
        continue;
      }
      // Skip "ESC [" or "ESC O" and the parameters up to the final byte.
      i += 2;
      while (i < bytes.size() && !IsFinalByte(bytes[i])) {
        ++i;
      }
      continue;
    }
    if (c == 's' || c == 'S' || c == ' ') {
      keys.push_back(Key::FirstButton);
    } else if (c == 'q' || c == 'Q') {
      keys.push_back(Key::Cancel);
    }
  }
  return keys;
}

void WindowKeys::OnPump(const ButtonState& buttons, bool progressed) {
  const RunState state = RunStateOf(buttons);
  if (state == RunState::Completed || state == RunState::Failed) {
    const bool close = state == RunState::Completed && buttons.command1_enabled;
    click_(close ? kCommand1 : kCommand2);
    return;
  }
  bool clicked = false;
  for (Key key : KeysIn(keys_())) {
    if (key == Key::FirstButton) {
      click_(kCommand1);
      clicked = true;
      continue;
    }
    const auto now = clock_();
    if (cancel_armed_ && now - cancel_pressed_ <= kCancelConfirmWindow) {
      cancel_armed_ = false;
      notice_("");
      click_(kCommand2);
      clicked = true;
    } else {
      cancel_armed_ = true;
      cancel_pressed_ = now;
      notice_("press again to cancel");
    }
  }
  if (cancel_armed_ && clock_() - cancel_pressed_ > kCancelConfirmWindow) {
    cancel_armed_ = false;
    notice_("");
  }
  if (state == RunState::Suspended && !clicked && !progressed) {
    idle_();
  }
}

}  // namespace ostrel::cli
