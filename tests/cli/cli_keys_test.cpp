// The progress window's keys and drawing, driven by a scripted key source, a
// scripted clock and a terminal of a given width.
#include <gtest/gtest.h>

#include <deque>
#include <regex>

#include "KeyInput.h"
#include "TerminalProgress.h"

using namespace ostrel::cli;
using Clock_ = std::chrono::steady_clock;

namespace {

TEST(CliKeys, KeysAreFoundAndEscapeSequencesIgnored) {
  using V = std::vector<Key>;
  const Key s = Key::FirstButton, q = Key::Cancel;
  EXPECT_EQ(KeysIn("sS "), (V{s, s, s}));
  EXPECT_EQ(KeysIn("\x1bq"), (V{q, q}));
  EXPECT_EQ(KeysIn("cC"), V{});                // c no longer cancels
  EXPECT_EQ(KeysIn("\x1b[A\x1bOP"), V{});      // cursor up, F1
  EXPECT_EQ(KeysIn("\x1b[1;5Cs"), V{s});       // Ctrl-right, then s
  EXPECT_EQ(KeysIn("\x1b[15~x1\n"), V{});
}

ButtonState Buttons(const char* caption1, bool enabled1, bool enabled2 = true) {
  return {caption1, enabled1, "&Cancel", enabled2};
}

struct Script {
  std::deque<std::string> chunks;
  std::vector<int32_t> clicks;
  std::string notice;
  int idles = 0;
  Clock_::time_point now{};

  std::string Next() {
    std::string next = chunks.empty() ? "" : chunks.front();
    if (!chunks.empty()) chunks.pop_front();
    return next;
  }
  WindowKeys Keys() {
    return WindowKeys([this] { return Next(); }, [this](int32_t b) { clicks.push_back(b); },
                      [this] { ++idles; }, [this](const std::string& n) { notice = n; },
                      [this] { return now; });
  }
};

TEST(CliKeys, SuspendContinueAndCancelOnlyWhenPressedTwiceWithinTwoSeconds) {
  using C = std::vector<int32_t>;
  Script script;
  script.chunks = {"s", "", "", " ", "q", "", "\x1b", "q", "c", "q"};
  WindowKeys keys = script.Keys();
  keys.OnPump(Buttons("&Suspend", true), true);  // 's' suspends
  keys.OnPump(Buttons("&Continue", true), false);  // suspended, nothing typed: wait
  keys.OnPump(Buttons("&Continue", true), true);   // going on although "&Continue": no wait
  EXPECT_EQ(script.idles, 1);
  keys.OnPump(Buttons("&Continue", true), false);  // space continues, without waiting
  EXPECT_EQ(script.clicks, (C{kCommand1, kCommand1}));
  EXPECT_EQ(script.idles, 1);

  keys.OnPump(Buttons("&Suspend", true), true);  // 'q': asks to press again
  EXPECT_EQ(script.notice, "press again to cancel");
  script.now += std::chrono::milliseconds(1500);
  keys.OnPump(Buttons("&Suspend", true), true);
  keys.OnPump(Buttons("&Suspend", true), true);  // Escape 1.5 s later: Cancel
  EXPECT_EQ(script.clicks, (C{kCommand1, kCommand1, kCommand2}));
  EXPECT_EQ(script.notice, "");

  keys.OnPump(Buttons("&Suspend", true), true);  // 'q' arms again...
  script.now += std::chrono::seconds(3);
  keys.OnPump(Buttons("&Suspend", true), true);  // ...'c' does nothing; the notice expires
  EXPECT_EQ(script.notice, "");
  keys.OnPump(Buttons("&Suspend", true), true);  // 'q' three seconds later only arms
  EXPECT_EQ(script.clicks.size(), 3u);
  EXPECT_EQ(script.notice, "press again to cancel");
}

TEST(CliKeys, AnEndedRunClosesItsWindowWithoutWaitingForAKey) {
  Script script;
  script.chunks = {"q", "q"};
  WindowKeys keys = script.Keys();
  keys.OnPump(Buttons("&Close", true), false);  // completed: Close keeps the design
  keys.OnPump(Buttons("Close", false), false);  // failed: only Cancel closes
  EXPECT_EQ(script.clicks, (std::vector<int32_t>{kCommand1, kCommand2}));
  EXPECT_EQ(script.chunks.size(), 2u);  // no key was read
  EXPECT_EQ(RunStateOf(Buttons("&Suspend", true)), RunState::Working);
  EXPECT_EQ(RunStateOf(Buttons("&Continue", true)), RunState::Suspended);
}

// What a terminal shows after `written`: escape sequences for "n rows up"
// and "clear below" applied to a list of rows.
std::vector<std::string> Screen(const std::string& written) {
  std::vector<std::string> rows{""};
  const std::regex token("\x1b\\[(\\d+)F\x1b\\[J|\x1b\\[K|\n|[^\x1b\n]+");
  for (std::sregex_iterator it(written.begin(), written.end(), token), end; it != end; ++it) {
    const std::string t = it->str();
    if (t == "\n") {
      rows.push_back("");
    } else if (t[0] == '\x1b' && t.back() == 'J') {
      const size_t up = std::stoul((*it)[1].str());
      EXPECT_LE(up, rows.size() - 1) << "moved above the first row";
      rows.resize(rows.size() - up);
      rows.back().clear();
    } else if (t[0] != '\x1b') {
      rows.back() += t;
    }
  }
  return rows;
}

TEST(CliKeys, TheWindowIsRedrawnInPlaceAtAnyWidthAndLeavesOneLine) {
  std::string written;
  int columns = 24;
  Script script;
  script.chunks = {"", "", "q"};
  TerminalIo io;
  io.columns = [&] { return columns; };
  io.write = [&](const std::string& text) { written += text; };
  io.keys = [&] { return script.Next(); };
  io.click = [&](int32_t b) { script.clicks.push_back(b); };
  io.idle = [] {};
  io.clock = [&] { return script.now; };
  TerminalProgress window(io);
  OstrelProgressView view{"Ostrel (Design - CSA A23.3-94)", "Status:", " plate design",
                          " 12/ 40", "&Suspend", 1, "&Cancel", 1};
  auto pump = [&] {
    script.now += std::chrono::milliseconds(100);
    window.OnPump(view);
    const auto rows = Screen(written);
    for (const std::string& row : rows) EXPECT_LT(row.size(), static_cast<size_t>(columns));
    return rows;
  };
  EXPECT_EQ(pump().size(), 5u);  // four lines and the cursor's row
  EXPECT_EQ(pump().size(), 5u);  // redrawn in place
  columns = 80;                  // a resize is drawn at once
  const auto wide = pump();      // 'q' adds the notice line
  ASSERT_EQ(wide.size(), 6u);
  EXPECT_EQ(wide[4], "  press again to cancel");
  EXPECT_NE(wide[3].find("[ Cancel ]  [ Suspend ]   keys: s = Suspend  Esc Esc or q q = Cancel"),
            std::string::npos) << wide[3];
  EXPECT_NE(wide[2].find("[" + std::string(9, '#') + std::string(21, '.') + "]  12/ 40  0.3 s"),
            std::string::npos) << wide[2];
  columns = 10;
  EXPECT_EQ(pump().size(), 6u);
  window.PrintLine("OstrelDesignCSA94: a message");
  EXPECT_EQ(Screen(written).front(), "OstrelDesignCSA94: a message");
  window.Finish("design done in 1.00 s");
  EXPECT_EQ(Screen(written), (std::vector<std::string>{"OstrelDesignCSA94: a message",
                                                       "design done in 1.00 s", ""}));
}

}  // namespace
