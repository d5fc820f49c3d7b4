// The progress window's keys, driven by a scripted key source, and the lines
// that draw the window.
#include <gtest/gtest.h>

#include <deque>

#include "KeyInput.h"
#include "TerminalProgress.h"

using namespace ostrel::cli;

namespace {

TEST(CliKeys, KeysBecomeClicksAndEscapeSequencesAreIgnored) {
  using V = std::vector<int32_t>;
  EXPECT_EQ(ClicksForKeys("s"), V{kCommand1});
  EXPECT_EQ(ClicksForKeys("S"), V{kCommand1});
  EXPECT_EQ(ClicksForKeys("cC"), (V{kCommand2, kCommand2}));
  EXPECT_EQ(ClicksForKeys("\x1b"), V{kCommand2});
  EXPECT_EQ(ClicksForKeys("s\x1b"), (V{kCommand1, kCommand2}));
  EXPECT_EQ(ClicksForKeys("\x1b[A"), V{});        // cursor up
  EXPECT_EQ(ClicksForKeys("\x1bOP"), V{});        // F1
  EXPECT_EQ(ClicksForKeys("\x1b[1;5Cs"), V{kCommand1});  // Ctrl-right, then s
  EXPECT_EQ(ClicksForKeys("\x1b[15~c"), V{kCommand2});   // F5, then c
  EXPECT_EQ(ClicksForKeys("xq 1\n"), V{});
}

ButtonState Buttons(const char* caption1, bool enabled1, bool enabled2 = true) {
  return {caption1, enabled1, "&Cancel", enabled2};
}

struct Script {
  std::deque<std::string> chunks;
  std::vector<int32_t> clicks;
  int idles = 0;
  int reads = 0;

  WindowKeys Keys() {
    auto read = [this] {
      ++reads;
      std::string next = chunks.empty() ? "" : chunks.front();
      if (!chunks.empty()) chunks.pop_front();
      return next;
    };
    return WindowKeys(read, [this](int32_t b) { clicks.push_back(b); }, [this] { ++idles; });
  }
};

TEST(CliKeys, PumpsClickWhatWasTypedAndIdleOnlyWhileSuspended) {
  Script script;
  script.chunks = {"", "s", "", "", "s", "c"};
  WindowKeys keys = script.Keys();

  keys.OnPump(Buttons("&Suspend", true), true);  // nothing typed, working: no wait
  EXPECT_TRUE(script.clicks.empty());
  EXPECT_EQ(script.idles, 0);

  keys.OnPump(Buttons("&Suspend", true), true);  // 's' suspends
  EXPECT_EQ(script.clicks, std::vector<int32_t>{kCommand1});

  keys.OnPump(Buttons("&Continue", true), false);  // suspended, nothing typed: wait
  keys.OnPump(Buttons("&Continue", true), false);
  EXPECT_EQ(script.idles, 2);

  keys.OnPump(Buttons("&Continue", true), false);  // 's' continues, without waiting
  EXPECT_EQ(script.idles, 2);
  keys.OnPump(Buttons("&Suspend", true, false), true);  // 'c' while Cancel is disabled
  EXPECT_EQ(script.clicks, (std::vector<int32_t>{kCommand1, kCommand1, kCommand2}));
  EXPECT_EQ(script.idles, 2);

  // "&Continue" while the counter still moves: the run is not waiting.
  keys.OnPump(Buttons("&Continue", true), true);
  EXPECT_EQ(script.idles, 2);
}

TEST(CliKeys, AnEndedRunClosesItsWindowWithoutWaitingForAKey) {
  Script script;
  WindowKeys keys = script.Keys();
  keys.OnPump(Buttons("&Close", true), false);  // completed: Close keeps the design
  keys.OnPump(Buttons("Close", false), false);  // failed: only Cancel closes
  EXPECT_EQ(script.clicks, (std::vector<int32_t>{kCommand1, kCommand2}));
  EXPECT_EQ(script.reads, 0);
  EXPECT_EQ(script.idles, 0);

  EXPECT_EQ(RunStateOf(Buttons("&Suspend", true)), RunState::Working);
  EXPECT_EQ(RunStateOf(Buttons("&Continue", true)), RunState::Suspended);
  EXPECT_EQ(RunStateOf(Buttons("&Close", true)), RunState::Completed);
  EXPECT_EQ(RunStateOf(Buttons("Close", false)), RunState::Failed);
}

TEST(CliKeys, WindowLinesShowPhaseProgressAndButtonStates) {
  OstrelProgressView view{"Ostrel (Design - CSA A23.3-94)", "Status:", " plate design",
                          " 12/ 40", "&Suspend", 1, "&Cancel", 0};
  const auto lines = WindowLines(view, 3.25);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("Ostrel (Design - CSA A23.3-94)"), std::string::npos);
  EXPECT_NE(lines[1].find("Status:  plate design"), std::string::npos);
  // 12 of 40 is 9 of the 30 cells of the bar.
  EXPECT_NE(lines[2].find("[" + std::string(9, '#') + std::string(21, '.') + "]"),
            std::string::npos)
      << lines[2];
  EXPECT_NE(lines[2].find("3.2 s"), std::string::npos);
  EXPECT_NE(lines[3].find("( Cancel )"), std::string::npos) << lines[3];
  EXPECT_NE(lines[3].find("[ Suspend ]"), std::string::npos);
  EXPECT_NE(lines[3].find("s = Suspend"), std::string::npos);
  EXPECT_EQ(lines[3].find("c/Esc"), std::string::npos);

  view.lblCounter = "";
  view.Command1Caption = "Close";
  view.Command1Enabled = 0;
  view.Command2Enabled = 1;
  const auto failed = WindowLines(view, 0);
  EXPECT_EQ(failed[2].find('['), std::string::npos);  // no counter, no bar
  EXPECT_NE(failed[3].find("( Close )"), std::string::npos);
  EXPECT_NE(failed[3].find("c/Esc = Cancel"), std::string::npos);
}

}  // namespace
