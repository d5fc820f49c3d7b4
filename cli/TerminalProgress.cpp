#include "TerminalProgress.h"

#include <csignal>
#include <cstdio>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace ostrel::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawInterval = std::chrono::milliseconds(50);
constexpr auto kSuspendedSleep = std::chrono::milliseconds(20);

// Saved for the signal handler, which may only use async-signal-safe calls.
struct termios g_saved_termios;
volatile std::sig_atomic_t g_termios_saved = 0;
constexpr int kRestoreSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void RestoreTerminal() {
  if (g_termios_saved != 0) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &g_saved_termios);
  }
}

void OnTerminatingSignal(int signal_number) {
  RestoreTerminal();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
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

}  // namespace

std::vector<std::string> WindowLines(const OstrelProgressView& view, double elapsed_seconds) {
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
    buttons += " c/Esc = " + WithoutAccelerator(view.Command2Caption);
  }
  lines.push_back(buttons);
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
  for (int s : kRestoreSignals) {
    std::signal(s, OnTerminatingSignal);
  }
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
  for (int s : kRestoreSignals) {
    std::signal(s, SIG_DFL);
  }
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

TerminalProgress::TerminalProgress()
    : keys_([this] { return terminal_.ReadAvailable(); },
            [](int32_t button) { OstrelDesignCSA94_ClickButton(button); },
            [] { std::this_thread::sleep_for(kSuspendedSleep); }),
      start_(std::chrono::steady_clock::now()) {}

void TerminalProgress::Pump(void* context, const OstrelProgressView* view) {
  static_cast<TerminalProgress*>(context)->OnPump(*view);
}

void TerminalProgress::OnPump(const OstrelProgressView& view) {
  const auto now = std::chrono::steady_clock::now();
  std::string fixed = std::string(view.lblStatus) + '\n' + view.Command1Caption + '\n' +
                      view.Command2Caption + '\n' + char('0' + (view.Command1Enabled != 0)) +
                      char('0' + (view.Command2Enabled != 0));
  // The counter changes at every element; other changes are drawn at once.
  if (fixed != last_fixed_ || now - last_draw_ >= kRedrawInterval) {
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    Draw(WindowLines(view, elapsed));
    last_fixed_ = std::move(fixed);
    last_draw_ = now;
  }
  std::string progress = std::string(view.lblStatus) + '\n' + view.lblCounter;
  const bool progressed = progress != last_progress_;
  last_progress_ = std::move(progress);
  keys_.OnPump(ButtonsOf(view), progressed);
}

void TerminalProgress::Erase() {
  if (drawn_.empty()) {
    return;
  }
  // Up to the first line of the window, then clear to the end of the screen.
  std::fprintf(stderr, "\x1b[%zuF\x1b[J", drawn_.size());
}

void TerminalProgress::Draw(const std::vector<std::string>& lines) {
  Erase();
  for (const std::string& line : lines) {
    std::fprintf(stderr, "%s\x1b[K\n", line.c_str());
  }
  std::fflush(stderr);
  drawn_ = lines;
}

void TerminalProgress::PrintLine(const std::string& line) {
  const std::vector<std::string> window = drawn_;
  Erase();
  drawn_.clear();
  std::fprintf(stderr, "%s\n", line.c_str());
  if (!window.empty()) {
    Draw(window);
  }
  std::fflush(stderr);
}

}  // namespace ostrel::cli
