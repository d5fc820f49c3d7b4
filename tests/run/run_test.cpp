// A design run seen from the host: the displacement envelope, how a run
// starts and stops (with its message or silently), and the progress window
// through Suspend, Continue, Cancel and calls made from inside the run.
#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "run/RunFixture.h"
#include "run/frmDesign.h"
#include "support/WindowHost.h"

namespace ostrel::test {
namespace {

const char* const kEnvelopeMessage =
    "modDesign::WallDesign- unexpected error during Calculating maximum & minimum displacments";

// One node's envelope as (value, combination) pairs: x+, x-, y+, y-, z+, z-.
std::vector<std::pair<double, int>> Envelope(int n) {
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
  using E = std::vector<std::pair<double, int>>;
  EXPECT_EQ(Envelope(1), (E{{0.25, 2}, {-0.75, 5}, {2.5, 5}, {-1.5, 2}, {3.0, 2}, {0.0, 2}}));
  // Stored exactly as delivered (no units, no rounding to decimals).
  EXPECT_EQ(Envelope(2),
            (E{{0.0, 2}, {-4.0, 5}, {0.0, 2}, {-1.0, 5}, {double(0.1f), 5}, {0.0, 2}}));
}

TEST_F(DesignRun, RunDesignChecksTheSourceBeforeOpeningAWindow) {
  NodesModel(1, {0});
  ScriptedWindowHost host;
  analysis_->available = 0;
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Analysis results are not available"});
  analysis_->available = 1;
  analysis_->availableReturn = 0x101;  // status 1: no message
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.count(), 1u);
  analysis_->availableReturn = -7;  // a failed call
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::RunDesign: Unexpected error");
  EXPECT_TRUE(host.views().empty());
  EXPECT_EQ(analysis_->creates, 1);  // one instance for all three calls

  ResetGlobalState();  // a new model: its instance cannot be created
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
  EXPECT_EQ(other->creates, 1);
  EXPECT_EQ(other->releases, 1);
  EXPECT_EQ(analysis_->releases, 0);
}

TEST_F(DesignRun, StopsWithThePhaseMessageOrSilentlyKeepingWhatWasStored) {
  // No service combination: the node fields are allocated, nothing is fetched.
  NodesModel(2, {1, 1});
  ScriptedWindowHost host;
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.texts(),
            std::vector<std::string>{"There is no Service-load combination defined"});
  EXPECT_EQ(boxes_.titles(), std::vector<std::string>{"OstrelDesignCSA94"});
  EXPECT_EQ(Global().Node.i_Dz_Neg_combo(2), 0);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 0);
  EXPECT_EQ(Global().phi_c, 0.0f);  // the constants come after the envelope
  EXPECT_TRUE(Global().LoadCombo.bt_ComboType.Allocated());  // input kept
  EXPECT_TRUE(Failed(host.last()) && host.last().Command2Enabled);
  EXPECT_EQ(DoneFlag(), 0);

  // Status 1 at node 2: silent; node 1 complete, node 2 at its start values.
  boxes_.clear();
  NodesModel(3, {0});
  analysis_.SetDisplacement(1, 1, 1.5f, -2.0f, 0);
  analysis_.SetDisplacement(2, 1, 9.0f, 9.0f, 9.0f);
  analysis_.FailAt("GetNodeDisplacement", 2, 1);
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.count(), 0u);
  EXPECT_TRUE(Failed(host.last()));
  EXPECT_EQ(Envelope(1)[3], (std::pair<double, int>{-2.0, 1}));
  EXPECT_EQ(Envelope(2)[0], (std::pair<double, int>{0.0, 1}));
  EXPECT_EQ(Envelope(3)[0], (std::pair<double, int>{0.0, 0}));

  // A failed call, a non-finite value, no nodes: the phase message.
  for (int k = 0; k < 3; ++k) {
    boxes_.clear();
    analysis_->calls.clear();
    ResetGlobalState();
    if (k == 2) {
      ASSERT_EQ(design_.SetNumberOfLoadCombinations(1), 0);
    } else {
      NodesModel(1, {0});
    }
    analysis_.FailAt("GetNodeDisplacement", k == 0 ? 1 : 0, -2147467259);
    analysis_.SetDisplacement(1, 1, 0, 0, std::numeric_limits<float>::infinity());
    ASSERT_EQ(design_.RunDesign(), 0);
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kEnvelopeMessage}) << k;
    EXPECT_EQ(Global().Node.f_Dz_Positive.Size(), k == 2 ? 0 : 1) << k;
    EXPECT_EQ(DoneFlag(), 0);
  }
}

TEST_F(DesignRun, FetchFailuresInTheElementPhasesShowTheirPhaseMessage) {
  for (const bool plates : {true, false}) {
    ResetGlobalState();
    NodesModel(1, {0, 1});
    if (plates) {
      ASSERT_EQ(design_.SetNumberOfPlateElements(1), 0);
      ASSERT_EQ(
          design_.SetPlateElementProperties(1, 200, 30, 400, 200000, 0.25f, 4, 0.25f, 4, 2, 40, 50),
          0);
    } else {
      ASSERT_EQ(design_.SetNumberOfStiffenerElements(1), 0);
      ASSERT_EQ(design_.SetStiffenerElementProperties(1, 0, 0, 400, 600, 0, 0, 0, 0, 30, 2400, 400,
                                                      200000, 1, 4, 0, 40, 40, 30, 30, 1),
                0);
    }
    analysis_.FailAt(plates ? "GetPlateElementForces" : "GetStiffenerElementForces", 1, -1);
    ScriptedWindowHost host;
    ASSERT_EQ(design_.RunDesign(), 0);
    const std::string phase = plates ? "plate element" : "stiffener element";
    EXPECT_EQ(boxes_.last(), "modDesign::WallDesign- unexpected error during Calculating " + phase +
                                 " reinforcement");
    const std::string status = plates ? " plate design" : " stiffener design";
    EXPECT_TRUE(host.Saw([&](const ViewRecord& v) { return v.lblStatus == status; }));
    EXPECT_FALSE(host.Saw([](const ViewRecord& v) { return v.lblStatus == "finish"; }));
    EXPECT_EQ(Global().Node.i_Dx_Pos_combo(1), 1);  // the envelope stays
    EXPECT_EQ(DoneFlag(), 0);
  }
}

TEST_F(DesignRun, ACompletedRunReleasesTheInputSoTheNextRunNeedsItAgain) {
  NodesModel(1, {0});
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(DoneFlag(), 1);
  EXPECT_EQ(Global().phi_c, 0.6f);
  EXPECT_FALSE(Global().LoadCombo.bt_ComboType.Allocated());
  EXPECT_EQ(Global().i_NumLoadCombos, 1);
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kEnvelopeMessage});
  EXPECT_EQ(DoneFlag(), 0);  // the failed run's window is closed with Cancel
}

TEST_F(DesignRun, WindowShowsCaptionsPhasesAndCounters) {
  NodesModel(3, {0});
  ScriptedWindowHost host;
  ASSERT_EQ(design_.RunDesign(), 0);
  const ViewRecord& load = host.views().front();  // the Load pump
  EXPECT_EQ(load.Caption, "Ostrel (Design - CSA A23.3-94)");
  EXPECT_EQ(load.Label1, "Status:");
  EXPECT_EQ(load.lblStatus + load.lblCounter, "");
  EXPECT_TRUE(load.Command1Caption == "&Suspend" && load.Command1Enabled);
  EXPECT_TRUE(load.Command2Caption == "&Cancel" && load.Command2Enabled);
  std::vector<std::string> phases;
  for (const ViewRecord& v : host.views()) {
    if (phases.empty() || phases.back() != v.lblStatus) phases.push_back(v.lblStatus);
  }
  EXPECT_EQ(phases, (std::vector<std::string>{"", " displacement envelope", "finish"}));
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) { return v.lblCounter == " 2/ 3"; }));
  EXPECT_TRUE(
      host.Saw([](const ViewRecord& v) { return v.lblStatus == "finish" && v.lblCounter == " "; }));
  EXPECT_TRUE(host.last().Command1Caption == "&Close" && host.last().Command1Enabled);
  EXPECT_TRUE(host.last().Command2Enabled);
  EXPECT_EQ(DoneFlag(), 1);
  EXPECT_EQ(Global().bt_DesignWindowOpen, 0);
  EXPECT_EQ(Windows().window, nullptr);
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
  struct Case {
    ScriptedWindowHost::Script script;
    int fetches;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    NodesModel(3, {0});
    analysis_->calls.clear();
    analysis_.SetDisplacement(1, 1, 0.5f, 0, 0);
    ScriptedWindowHost host(c.script);
    ASSERT_EQ(design_.RunDesign(), 0);
    EXPECT_LT(host.views().size(), host.limit);
    EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), c.fetches);
    EXPECT_EQ(DoneFlag(), 0);
    EXPECT_EQ(Global().Node.f_Dx_Positive(1), 0.5);  // what was stored stays
    EXPECT_EQ(Global().bt_DesignWindowOpen, 0);
    EXPECT_EQ(boxes_.count(), 0u);
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
  EXPECT_EQ(analysis_.CallCount("ResultsAvailable"), 2);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 2);
  EXPECT_EQ(DoneFlag(), 1);
}

TEST_F(DesignRun, TheDefaultHostClosesTheWindowOnceTheRunHasEnded) {
  OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
  NodesModel(2, {0});
  // Clicks with no window loaded reach no button: this Cancel is dropped.
  OstrelDesignCSA94_ClickButton(2);
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(DoneFlag(), 1);
  NodesModel(2, {1});
  ASSERT_EQ(design_.RunDesign(), 0);  // failed: closed with Cancel
  EXPECT_EQ(boxes_.last(), "There is no Service-load combination defined");
  EXPECT_EQ(DoneFlag(), 0);
  EXPECT_EQ(Global().bt_DesignWindowOpen, 0);
}

}  // namespace
}  // namespace ostrel::test
