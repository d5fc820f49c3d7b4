#include "TerminalProgress.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <thread>

#include "OutputFiles.h"

namespace ostrel::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(50);
constexpr auto kSuspendedSleep = std::chrono::milliseconds(20);

// Saved for the signal handler, which may only use async-signal-safe calls.
struct termios g_saved_termios;
volatile std::sig_atomic_t g_termios_saved = 0;

void RestoreTerminal() {
  if (g_termios_saved != 0) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_termios);
  }
}

std::string WithoutAccelerator(const char* caption) {
  std::string out;
  for (const char* p = caption; *p != '\0'; ++p) {
    if (*p != '&') {
      out += *p;
    }
  }
  return out;
}

std::string Button(const char* caption, bool enabled) {
  const std::string text = WithoutAccelerator(caption);
  return enabled ? "[ " + text + " ]" : "( " + text + " )";
}

ButtonState ButtonsOf(const OstrelProgressView& view) {
  return {view.Command1Caption, view.Command1Enabled != 0, view.Command2Caption,
          view.Command2Enabled != 0};
}

// Lines are cut one column short of the width, so that none wraps.
std::string Cut(const std::string& line, int columns) {
  if (columns <= 0) {
    return line;
  }
  const size_t room = static_cast<size_t>(columns > 1 ? columns - 1 : 1);
  return line.size() > room ? line.substr(0, room) : line;
}

}  // namespace

std::vector<std::string> WindowLines(const OstrelProgressView& view, double elapsed_seconds,
                                     const std::string& notice) {
  std::vector<std::string> lines;
  lines.push_back(std::string("== ") + view.Caption + " ==");
  lines.push_back(std::string("  ") + view.Label1 + " " + view.lblStatus);

  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.1f s", elapsed_seconds);
  int done = 0, total = 0;
  std::string progress = "  ";
  if (std::sscanf(view.lblCounter, "%d / %d", &done, &total) == 2 && total > 0 && done >= 0) {
    const int filled = done >= total ? kBarWidth : done * kBarWidth / total;
    progress.push_back('[');
    progress.append(static_cast<size_t>(filled), '#');
    progress.append(static_cast<size_t>(kBarWidth - filled), '.');
    progress.append("] ");
  }
  progress += std::string(view.lblCounter) + "  " + elapsed;
  lines.push_back(progress);

  std::string buttons = "  " + Button(view.Command2Caption, view.Command2Enabled != 0) + "  " +
                        Button(view.Command1Caption, view.Command1Enabled != 0) + "   keys:";
  if (view.Command1Enabled != 0) {
    buttons += " s = " + WithoutAccelerator(view.Command1Caption);
  }
  if (view.Command2Enabled != 0) {
    buttons += "  Esc Esc or q q = " + WithoutAccelerator(view.Command2Caption);
  }
  lines.push_back(buttons);
  if (!notice.empty()) {
    lines.push_back("  " + notice);
  }
  return lines;
}

RawTerminal::RawTerminal() {
  // A job started in the background must not touch the terminal's modes
  // (that would stop it with SIGTTOU); it draws without reading keys.
  if (::isatty(STDIN_FILENO) == 0 || ::tcgetpgrp(STDIN_FILENO) != ::getpgrp() ||
      ::tcgetattr(STDIN_FILENO, &g_saved_termios) != 0) {
    return;
  }
  g_termios_saved = 1;
  SetTerminalRestore(RestoreTerminal);
  struct termios raw = g_saved_termios;
  // Keys arrive one by one without echo; Ctrl-C still raises SIGINT, whose
  // handler restores the terminal. VMIN = VTIME = 0: a read never waits.
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  // Keys typed before the window opened (while the job was being read) are
  // dropped: they were not meant for the window.
  active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) == 0;
}

RawTerminal::~RawTerminal() {
  if (g_termios_saved == 0) {
    return;
  }
  ::tcflush(STDIN_FILENO, TCIFLUSH);  // keys typed after the run stay out of the shell
  RestoreTerminal();
  g_termios_saved = 0;
  SetTerminalRestore(nullptr);
}

std::string RawTerminal::ReadAvailable() {
  std::string bytes;
  if (!active_) {
    return bytes;
  }
  char buffer[64];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      break;
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

TerminalProgress::TerminalProgress(TerminalIo io)
    : io_(std::move(io)),
      keys_(io_.keys, io_.click, io_.idle, [this](const std::string& text) { notice_ = text; },
            io_.clock),
      start_(io_.clock()) {}

std::unique_ptr<TerminalProgress> TerminalProgress::OnConsole() {
  auto terminal = std::make_shared<RawTerminal>();
  TerminalIo io;
  io.columns = [] {
    struct winsize size {};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 ? static_cast<int>(size.ws_col) : 0;
  };
  io.write = [](const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  };
  io.keys = [terminal] { return terminal->ReadAvailable(); };
  io.click = [](int32_t button) { OstrelDesignCSA94_ClickButton(button); };
  io.idle = [] { std::this_thread::sleep_for(kSuspendedSleep); };
  auto progress = std::make_unique<TerminalProgress>(std::move(io));
  progress->terminal_ = std::move(terminal);
  return progress;
}

void TerminalProgress::Pump(void* context, const OstrelProgressView* view) {
  static_cast<TerminalProgress*>(context)->OnPump(*view);
}

void TerminalProgress::OnPump(const OstrelProgressView& view) {
  const auto now = io_.clock();
  std::string fixed = std::string(view.lblStatus) + '\n' + view.Command1Caption + '\n' +
                      view.Command2Caption + '\n' + char('0' + (view.Command1Enabled != 0)) +
                      char('0' + (view.Command2Enabled != 0)) + '\n' + notice_;
  // The counter changes at every element; other changes, a new width
  // included, are drawn at once.
  if (fixed != last_fixed_ || io_.columns() != drawn_columns_ ||
      now - last_draw_ >= kRedrawInterval) {
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    Draw(WindowLines(view, elapsed, notice_));
    last_fixed_ = std::move(fixed);
    last_draw_ = now;
  }
  std::string progress = std::string(view.lblStatus) + '\n' + view.lblCounter;
  const bool progressed = progress != last_progress_;
  last_progress_ = std::move(progress);
  const std::string notice_before = notice_;
  keys_.OnPump(ButtonsOf(view), progressed);
  if (notice_ != notice_before) {
    Draw(WindowLines(view, std::chrono::duration<double>(now - start_).count(), notice_));
  }
}

void TerminalProgress::Erase() {
  // Every line was cut to fit, so each took one row. A terminal that rewraps
  // its rows when narrowed may leave part of an older window above the new
  // one; moving up further could clear lines that are not the window's.
  if (!drawn_.empty()) {
    // Up to the first row of the window, then clear to the end of the screen.
    io_.write("\x1b[" + std::to_string(drawn_.size()) + "F\x1b[J");
  }
  drawn_.clear();
}

void TerminalProgress::Draw(const std::vector<std::string>& lines) {
  const int columns = io_.columns();
  Erase();
  std::string text;
  for (const std::string& line : lines) {
    drawn_.push_back(Cut(line, columns));
    text += drawn_.back() + "\x1b[K\n";
  }
  io_.write(text);
  drawn_columns_ = columns;
}

void TerminalProgress::PrintLine(const std::string& line) {
  const std::vector<std::string> window = drawn_;
  Erase();
  io_.write(line + "\n");
  if (!window.empty()) {
    Draw(window);
  }
}

void TerminalProgress::Finish(const std::string& summary) {
  Erase();
  io_.write(summary + "\n");
}

}  // namespace ostrel::cli
