// A design run seen from the host: the displacement envelope, how a run
// starts and stops (with its message or silently), and the progress window
// through Suspend, Continue, Cancel and calls made from inside the run. (The
// element phases' stops are in the worker-thread scenarios.)
#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "run/RunFixture.h"
#include "run/frmDesign.h"
#include "support/WindowHost.h"

namespace ostrel::test {
namespace {

const std::string kEnvelopeMessage =
    "modDesign::WallDesign- unexpected error during Calculating maximum & minimum displacments";
using Pairs = std::vector<std::pair<double, int>>;

// One node's envelope as (value, combination) pairs: x+, x-, y+, y-, z+, z-.
Pairs Envelope(int n) {
  const typNode& d = Global().Node;
  return {{d.f_Dx_Positive(n), d.i_Dx_Pos_combo(n)}, {d.f_Dx_Negative(n), d.i_Dx_Neg_combo(n)},
          {d.f_Dy_Positive(n), d.i_Dy_Pos_combo(n)}, {d.f_Dy_Negative(n), d.i_Dy_Neg_combo(n)},
          {d.f_Dz_Positive(n), d.i_Dz_Pos_combo(n)}, {d.f_Dz_Negative(n), d.i_Dz_Neg_combo(n)}};
}

bool Failed(const ViewRecord& v) { return v.Command1Caption == "Close" && !v.Command1Enabled; }

using DesignRun = RunFixture;

TEST_F(DesignRun, EnvelopeOverServiceCombinationsWithFirstOfEqualsAndZeroStart) {
  NodesModel(2, {1, 0, 1, 1, 0});  // service: 2 and 5
  analysis_.SetDisplacement(1, 2, 0.25f, -1.5f, 3.0f);
  analysis_.SetDisplacement(1, 5, -0.75f, 2.5f, 3.0f);    // dz ties with combination 2
  analysis_.SetDisplacement(1, 3, 99.0f, -99.0f, 99.0f);  // ultimate
  analysis_.SetDisplacement(2, 5, -4.0f, -1.0f, 0.1f);
  ASSERT_EQ(design_.RunDesign(), 0);
  ASSERT_EQ(DoneFlag(), 1);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 4);
  for (const auto& c : analysis_->calls)
    EXPECT_TRUE(c.op != "GetNodeDisplacement" || c.combo % 3 == 2);
  EXPECT_EQ(Envelope(1), (Pairs{{0.25, 2}, {-0.75, 5}, {2.5, 5}, {-1.5, 2}, {3.0, 2}, {0.0, 2}}));
  // Stored exactly as delivered (no units, no rounding to decimals).
  EXPECT_EQ(Envelope(2),
            (Pairs{{0.0, 2}, {-4.0, 5}, {0.0, 2}, {-1.0, 5}, {double(0.1f), 5}, {0.0, 2}}));
}

TEST_F(DesignRun, RunDesignChecksTheSourceBeforeOpeningAWindow) {
  NodesModel(1, {0});
  ScriptedWindowHost host;
  const struct {
    uint8_t available;
    int32_t returned;
    std::vector<std::string> boxes;
  } cases[] = {{0, 0, {"Analysis results are not available"}},
               {1, 0x101, {}},  // status 1: no message
               {1, -7, {"clsWallDesign::RunDesign: Unexpected error"}}};
  for (const auto& c : cases) {
    boxes_.clear();
    analysis_->available = c.available, analysis_->availableReturn = c.returned;
    EXPECT_EQ(design_.RunDesign(), 1);
    EXPECT_EQ(boxes_.texts(), c.boxes);
  }
  EXPECT_TRUE(host.views().empty());
  EXPECT_EQ(analysis_->creates, 1);  // one instance for all three calls
  ResetGlobalState();                // a new model: its instance cannot be created
  analysis_->createFails = true;
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::RunDesign: Unexpected error");
  EXPECT_EQ(DoneFlag(), 0);
}

TEST_F(DesignRun, TheInstanceKeepsItsClassAndEndsWithItsThread) {
  NodesModel(1, {0});
  ASSERT_EQ(design_.RunDesign(), 0);
  FakeAnalysis other;
  other.Register();  // serves only models created from now on
  NodesModel(1, {0});
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 2);
  std::thread([] {
    clsDesignCSA94 d;
    d.SetUnits(1), d.SetNumberOfNodes(1), d.SetNumberOfLoadCombinations(1);
    EXPECT_EQ(d.RunDesign(), 0);
  }).join();
  EXPECT_EQ(other->creates + other->releases, 2);
  EXPECT_EQ(analysis_->releases, 0);
}

// Each case: the model, the failing call (nth of op returns `returned`), the
// message, the nodes stored and whether the window shows the failed run.
TEST_F(DesignRun, StopsWithThePhaseMessageOrSilentlyKeepingWhatWasStored) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    int nodes;
    std::vector<uint8_t> combos;
    int nth;
    int32_t returned;
    std::vector<std::string> boxes;
    int fetches;
  } cases[] = {
      {2, {1, 1}, 0, 0, {"There is no Service-load combination defined"}, 0},
      {3, {0}, 2, 1, {}, 2},                   // status 1 at node 2: silent
      {1, {0}, 1, -2147467259, {kEnvelopeMessage}, 1},  // a failed call
      {1, {0}, 0, 0, {kEnvelopeMessage}, 1},            // an infinite displacement
      {0, {0}, 0, 0, {kEnvelopeMessage}, 0},            // no nodes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nodes * 100 + c.nth);
    ResetGlobalState();
    boxes_.clear();
    analysis_->calls.clear();
    if (c.nodes > 0) {
      NodesModel(c.nodes, c.combos);
    } else {
      ASSERT_EQ(design_.SetNumberOfLoadCombinations(1), 0);
    }
    analysis_.SetDisplacement(1, 1, 1.5f, -2.0f, c.returned == 0 && c.nodes == 1 ? inf : 0);
    analysis_.SetDisplacement(2, 1, 9.0f, 9.0f, 9.0f);
    analysis_.FailAt("GetNodeDisplacement", c.nth, c.returned);
    ScriptedWindowHost host;
    ASSERT_EQ(design_.RunDesign(), 0);
    EXPECT_EQ(boxes_.texts(), c.boxes);
    EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), c.fetches);
    EXPECT_TRUE(Failed(host.last()) && host.last().Command2Enabled);
    EXPECT_EQ(DoneFlag(), 0);
    EXPECT_EQ(Global().phi_c, 0.0f);  // the constants come after the envelope
    EXPECT_TRUE(Global().LoadCombo.bt_ComboType.Allocated());  // input kept
    EXPECT_EQ(Global().Node.f_Dz_Positive.Size(), c.nodes);   // allocated before the fetches
    if (c.nth == 2) {  // node 1 complete, node 2 at its start values
      EXPECT_EQ(Envelope(1)[3], (std::pair<double, int>{-2.0, 1}));
      EXPECT_EQ(Envelope(2)[0], (std::pair<double, int>{0.0, 1}));
      EXPECT_EQ(Envelope(3)[0], (std::pair<double, int>{0.0, 0}));
    }
  }
}

TEST_F(DesignRun, WindowShowsCaptionsPhasesAndCountersAndTheRunReleasesItsInput) {
  NodesModel(3, {0});
  ScriptedWindowHost host;
  ASSERT_EQ(design_.RunDesign(), 0);
  const ViewRecord& load = host.views().front();  // the Load pump
  EXPECT_EQ(load.Caption + "|" + load.Label1 + "|" + load.lblStatus + load.lblCounter + "|" +
                load.Command1Caption + "|" + load.Command2Caption,
            "Ostrel (Design - CSA A23.3-94)|Status:||&Suspend|&Cancel");
  EXPECT_TRUE(load.Command1Enabled && load.Command2Enabled);
  std::vector<std::string> phases;
  for (const ViewRecord& v : host.views()) {
    if (phases.empty() || phases.back() != v.lblStatus) phases.push_back(v.lblStatus);
  }
  EXPECT_EQ(phases, (std::vector<std::string>{"", " displacement envelope", "finish"}));
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) { return v.lblCounter == " 2/ 3"; }));
  EXPECT_TRUE(
      host.Saw([](const ViewRecord& v) { return v.lblStatus == "finish" && v.lblCounter == " "; }));
  EXPECT_TRUE(host.last().Command1Caption == "&Close" && host.last().Command1Enabled &&
              host.last().Command2Enabled);
  EXPECT_EQ(DoneFlag(), 1);
  EXPECT_EQ(Global().bt_DesignWindowOpen, 0);
  EXPECT_EQ(Windows().window, nullptr);
  EXPECT_EQ(Global().phi_c, 0.6f);
  EXPECT_FALSE(Global().LoadCombo.bt_ComboType.Allocated());
  ASSERT_EQ(design_.RunDesign(), 0);  // the next run needs the input again
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kEnvelopeMessage});
  EXPECT_EQ(DoneFlag(), 0);  // the failed run's window is closed with Cancel
}

TEST_F(DesignRun, SuspendWaitsUntilContinueAfterWhichCancelIsDisabled) {
  NodesModel(2, {0});
  int suspendedPumps = 0;
  size_t callsWhenSuspended = 0;
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.lblCounter == " 1/ 2" && v.Command1Caption == "&Suspend" && suspendedPumps == 0) {
      ScriptedWindowHost::Click(1);
    } else if (v.Command1Caption == "&Continue") {
      if (suspendedPumps == 0) callsWhenSuspended = analysis_->calls.size();
      EXPECT_EQ(analysis_->calls.size(), callsWhenSuspended);  // the run waits
      EXPECT_TRUE(v.Command2Enabled);
      if (++suspendedPumps == 3) {
        ScriptedWindowHost::Click(1);  // Continue
        ScriptedWindowHost::Click(2);  // dropped: Cancel is disabled by now
      }
    }
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(suspendedPumps, 3);
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) {
    return v.lblStatus == "finish" && v.Command1Caption == "&Suspend" && !v.Command2Enabled;
  }));
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 2);
  EXPECT_EQ(DoneFlag(), 1);
}

TEST_F(DesignRun, CancelWhileRunningSuspendedOrAfterTheEndLeavesNoDesign) {
  const std::pair<ScriptedWindowHost::Script, int> cases[] = {
      // script, fetches made
      {[](ScriptedWindowHost&, const ViewRecord& v) {
         if (v.lblCounter == " 2/ 3") ScriptedWindowHost::Click(2);
       },
       2},
      {[](ScriptedWindowHost&, const ViewRecord& v) {
         if (v.lblCounter == " 1/ 3" && v.Command1Caption == "&Suspend")
           ScriptedWindowHost::Click(1);
         if (v.Command1Caption == "&Continue") ScriptedWindowHost::Click(2);
       },
       1},
      {[](ScriptedWindowHost& h, const ViewRecord& v) {
         if (v.Command1Caption == "&Close") h.closeWhenEnded = false, ScriptedWindowHost::Click(2);
       },
       3},
  };
  for (const auto& [script, fetches] : cases) {
    NodesModel(3, {0});
    analysis_->calls.clear();
    analysis_.SetDisplacement(1, 1, 0.5f, 0, 0);
    ScriptedWindowHost host(script);
    ASSERT_EQ(design_.RunDesign(), 0);
    EXPECT_LT(host.views().size(), host.limit);
    EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), fetches);
    EXPECT_EQ(DoneFlag() + Global().bt_DesignWindowOpen + boxes_.count(), 0u);
    EXPECT_EQ(Global().Node.f_Dx_Positive(1), 0.5);  // what was stored stays
  }
}

TEST_F(DesignRun, NoSecondRunFromInsideTheRunOrASecondActivation) {
  NodesModel(2, {0});
  uint8_t nested = 99;
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.lblCounter == " 1/ 2" && nested == 99) nested = design_.RunDesign();
    if (v.Command1Caption == "&Close" && Windows().window) Windows().window->Form_Activate();
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(nested, 0);
  EXPECT_EQ(analysis_.CallCount("ResultsAvailable") + analysis_.CallCount("GetNodeDisplacement"),
            4);
  EXPECT_EQ(boxes_.count(), 0u);  // a second run would fail on the released input
  EXPECT_EQ(DoneFlag(), 1);
}

TEST_F(DesignRun, TheDefaultHostClosesTheWindowOnceTheRunHasEnded) {
  OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
  NodesModel(2, {0});
  OstrelDesignCSA94_ClickButton(2);  // no window loaded: the click reaches no button
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(DoneFlag(), 1);
  NodesModel(2, {1});
  ASSERT_EQ(design_.RunDesign(), 0);  // failed: closed with Cancel
  EXPECT_EQ(boxes_.last(), "There is no Service-load combination defined");
  EXPECT_EQ(DoneFlag() + Global().bt_DesignWindowOpen, 0);
}

}  // namespace
}  // namespace ostrel::test
