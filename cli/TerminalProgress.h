// The progress window drawn in a terminal: redrawn in place on standard
// error, every line cut to the terminal's width (read again at every pump, so
// a resize is drawn at once), with keys read from standard input in raw mode
// (see KeyInput.h). When the run ends the window is cleared and one summary
// line stays.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "KeyInput.h"
#include "OstrelDesignCSA94.h"

namespace ostrel::cli {

// The lines that show the window: caption; phase; the counter as a progress
// bar with the elapsed time; the two buttons (a disabled one in parentheses)
// with the keys that click them; the notice, when there is one.
std::vector<std::string> WindowLines(const OstrelProgressView& view, double elapsed_seconds,
                                     const std::string& notice);

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

// Where the window is drawn and where its keys come from.
struct TerminalIo {
  std::function<int()> columns;  // the terminal's width; 0 when unknown
  std::function<void(const std::string&)> write;
  KeySource keys;
  ClickSink click;
  std::function<void()> idle;
  Clock clock = std::chrono::steady_clock::now;
};

// A window host for OstrelDesignCSA94_SetWindowHost.
class TerminalProgress {
 public:
  explicit TerminalProgress(TerminalIo io);
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // On standard error, keys from standard input.
  static std::unique_ptr<TerminalProgress> OnConsole();

  static void Pump(void* context, const OstrelProgressView* view);
  void OnPump(const OstrelProgressView& view);

  // Prints one line of text above the window (a message box).
  void PrintLine(const std::string& line);
  // Clears the window and leaves `summary` in its place.
  void Finish(const std::string& summary);

 private:
  void Draw(const std::vector<std::string>& lines);
  void Erase();

  std::shared_ptr<RawTerminal> terminal_;  // only on the console
  TerminalIo io_;
  WindowKeys keys_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_draw_{};
  std::string notice_;
  std::string last_fixed_;     // what the window showed apart from the counter
  std::string last_progress_;  // phase and counter at the previous pump
  std::vector<std::string> drawn_;
  int drawn_columns_ = 0;
};

}  // namespace ostrel::cli
