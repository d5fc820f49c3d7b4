// The progress window drawn in a terminal: redrawn in place on standard
// error, with keys read from standard input in raw mode (see KeyInput.h).
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "KeyInput.h"
#include "OstrelDesignCSA94.h"

namespace ostrel::cli {

// The lines that show the window: caption; phase; the counter as a progress
// bar with the elapsed time; the two buttons (a disabled one in parentheses)
// with the keys that click them.
std::vector<std::string> WindowLines(const OstrelProgressView& view, double elapsed_seconds);

// Puts the terminal in raw, non-blocking mode for as long as it lives, and
// restores it on destruction and on a terminating signal.
class RawTerminal {
 public:
  RawTerminal();
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  // The bytes typed since the last call (empty when none, or when standard
  // input is not a terminal).
  std::string ReadAvailable();

 private:
  bool active_ = false;
};

// A window host for OstrelDesignCSA94_SetWindowHost.
class TerminalProgress {
 public:
  TerminalProgress();
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  static void Pump(void* context, const OstrelProgressView* view);

  // Prints one line of text above the window (a message box).
  void PrintLine(const std::string& line);

 private:
  void OnPump(const OstrelProgressView& view);
  void Draw(const std::vector<std::string>& lines);
  void Erase();

  RawTerminal terminal_;
  WindowKeys keys_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_draw_{};
  std::string last_fixed_;     // what the window showed apart from the counter
  std::string last_progress_;  // phase and counter at the previous pump
  std::vector<std::string> drawn_;
};

}  // namespace ostrel::cli
