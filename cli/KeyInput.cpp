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

std::vector<int32_t> ClicksForKeys(std::string_view bytes) {
  std::vector<int32_t> clicks;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == kEscape) {
      const bool sequence = i + 1 < bytes.size() && (bytes[i + 1] == '[' || bytes[i + 1] == 'O');
      if (!sequence) {
        clicks.push_back(kCommand2);
        continue;
      }
      // Skip "ESC [" or "ESC O" and the parameters up to the final byte.
      i += 2;
      while (i < bytes.size() && !IsFinalByte(bytes[i])) {
        ++i;
      }
      continue;
    }
    if (c == 's' || c == 'S') {
      clicks.push_back(kCommand1);
    } else if (c == 'c' || c == 'C') {
      clicks.push_back(kCommand2);
    }
  }
  return clicks;
}

void WindowKeys::OnPump(const ButtonState& buttons, bool progressed) {
  const RunState state = RunStateOf(buttons);
  if (state == RunState::Completed || state == RunState::Failed) {
    const bool close = state == RunState::Completed && buttons.command1_enabled;
    click_(close ? kCommand1 : kCommand2);
    return;
  }
  bool clicked = false;
  for (int32_t button : ClicksForKeys(keys_())) {
    click_(button);
    clicked = true;
  }
  if (state == RunState::Suspended && !clicked && !progressed) {
    idle_();
  }
}

}  // namespace ostrel::cli
