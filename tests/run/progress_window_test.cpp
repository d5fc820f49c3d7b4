// The progress window around a run, as the host sees it at every pump: the
// captions and labels through a run, Suspend and Continue, Cancel while the
// run works and while it is suspended, and calls made from inside the run.
#include <gtest/gtest.h>

#include <string>

#include "run/RunFixture.h"
#include "run/frmDesign.h"
#include "support/WindowHost.h"

namespace ostrel::test {
namespace {

using ProgressWindow = RunFixture;

TEST_F(ProgressWindow, ShowsCaptionsPhasesAndCountersThroughACompletedRun) {
  NodesModel(3, {0});
  ScriptedWindowHost host;
  ASSERT_EQ(design_.RunDesign(), 0);
  ASSERT_GE(host.pumps(), 5u);

  // The first pump is the Load pump: empty labels, design-time buttons.
  const ViewRecord& first = host.views().front();
  EXPECT_EQ(first.Caption, "Ostrel (Design - CSA A23.3-94)");
  EXPECT_EQ(first.Label1, "Status:");
  EXPECT_EQ(first.lblStatus, "");
  EXPECT_EQ(first.lblCounter, "");
  EXPECT_EQ(first.Command1Caption, "&Suspend");
  EXPECT_TRUE(first.Command1Enabled);
  EXPECT_EQ(first.Command2Caption, "&Cancel");
  EXPECT_TRUE(first.Command2Enabled);

  const std::vector<std::string> phases = {"", " displacement envelope", "finish"};
  EXPECT_EQ(host.StatusSequence(), phases);
  // The counter of node n is shown from the pump after node n-1: each node
  // pumps before its label is written.
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) { return v.lblCounter == " 2/ 3"; }));
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) {
    return v.lblStatus == "finish" && v.lblCounter == " " && v.Command1Caption == "&Suspend";
  }));
  // After the run: "&Close" enabled, and the host's click on it closed the window.
  EXPECT_EQ(host.last().Command1Caption, "&Close");
  EXPECT_TRUE(host.last().Command1Enabled);
  EXPECT_TRUE(host.last().Command2Enabled);
  EXPECT_EQ(DoneFlag(), 1);
  EXPECT_EQ(Global().bt_DesignWindowOpen, 0);
  EXPECT_EQ(Design().window, nullptr);
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ProgressWindow, CounterTextPutsOneBlankBeforeEachNumber) {
  EXPECT_EQ(CounterText(7, 40), " 7/ 40");
  EXPECT_EQ(CounterText(12, 40), " 12/ 40");
  EXPECT_EQ(CounterText(1, 1), " 1/ 1");
  EXPECT_EQ(CounterText(-2, 5), "-2/ 5");  // the blank is the sign position
}

TEST_F(ProgressWindow, SuspendWaitsAtThePumpPointUntilContinue) {
  NodesModel(2, {0});
  int suspendedPumps = 0;
  size_t callsWhenSuspended = 0;
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.lblCounter == " 1/ 2" && v.Command1Caption == "&Suspend" && suspendedPumps == 0) {
      ScriptedWindowHost::Click(1);  // Suspend
    } else if (v.Command1Caption == "&Continue") {
      if (suspendedPumps == 0) callsWhenSuspended = analysis_->calls.size();
      // While suspended the run fetches nothing and Cancel is offered.
      EXPECT_EQ(analysis_->calls.size(), callsWhenSuspended);
      EXPECT_TRUE(v.Command2Enabled);
      EXPECT_EQ(Design().i_SuspendFlag, 1);
      if (++suspendedPumps == 5) ScriptedWindowHost::Click(1);  // Continue
    }
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(suspendedPumps, 5);
  // After Continue: "&Suspend" again and Cancel disabled until the run ends.
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) {
    return v.lblStatus == "finish" && v.Command1Caption == "&Suspend" && !v.Command2Enabled;
  }));
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 2);
  EXPECT_EQ(DoneFlag(), 1);
  EXPECT_EQ(Design().i_SuspendFlag, 0);
}

TEST_F(ProgressWindow, SuspendImmediatelyFollowedByContinueKeepsRunning) {
  NodesModel(2, {0});
  bool clicked = false;
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (!clicked && v.lblStatus == " displacement envelope") {
      clicked = true;
      ScriptedWindowHost::Click(1);
      ScriptedWindowHost::Click(1);
    }
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(DoneFlag(), 1);
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) {
    return v.lblStatus == "finish" && !v.Command2Enabled;
  }));
}

TEST_F(ProgressWindow, CancelWhileRunningStopsAtTheNextPumpAndKeepsWhatWasStored) {
  NodesModel(3, {0});
  analysis_.SetDisplacement(1, 1, 0.5f, 0, 0);
  analysis_.SetDisplacement(2, 1, 0.7f, 0, 0);
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.lblCounter == " 2/ 3") ScriptedWindowHost::Click(2);  // node 2 done
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 2);  // node 3 never fetched
  EXPECT_EQ(DoneFlag(), 0);
  EXPECT_EQ(boxes_.count(), 0u);
  EXPECT_EQ(Global().Node.f_Dx_Positive(1), 0.5f);
  EXPECT_EQ(Global().Node.f_Dx_Positive(2), 0.7f);
  // The run stopped before the end: the model input is still held.
  EXPECT_TRUE(Global().LoadCombo.bt_ComboType.Allocated());
  EXPECT_EQ(Global().bt_DesignWindowOpen, 0);
  EXPECT_FALSE(host.Saw([](const ViewRecord& v) { return v.lblStatus == "finish"; }));
}

TEST_F(ProgressWindow, CancelWhileSuspendedEndsTheWait) {
  NodesModel(2, {0});
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.lblCounter == " 1/ 2" && v.Command1Caption == "&Suspend") ScriptedWindowHost::Click(1);
    if (v.Command1Caption == "&Continue") ScriptedWindowHost::Click(2);
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_FALSE(host.hitLimit);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 1);
  EXPECT_EQ(DoneFlag(), 0);
}

TEST_F(ProgressWindow, CancelAfterACompletedRunClearsTheDoneFlag) {
  NodesModel(1, {0});
  ScriptedWindowHost host([&](ScriptedWindowHost& h, const ViewRecord& v) {
    if (v.Command1Caption == "&Close") {
      h.closeWhenEnded = false;
      ScriptedWindowHost::Click(2);
    }
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(DoneFlag(), 0);
  // The results themselves stay.
  EXPECT_TRUE(Global().Node.f_Dx_Positive.Allocated());
}

TEST_F(ProgressWindow, ClicksOnDisabledButtonsOrWithoutAWindowAreDropped) {
  NodesModel(1, {0});
  // A click queued while no window is loaded waits for the first pump and
  // is then delivered: this one suspends the run at once, then Cancel.
  ScriptedWindowHost::Click(7);  // not a button: ignored
  int continues = 0;
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.Command1Caption == "&Continue" && ++continues == 1) {
      ScriptedWindowHost::Click(1);  // Continue: Command2 becomes disabled
      ScriptedWindowHost::Click(2);  // dropped: Command2 is disabled now
    }
  });
  ScriptedWindowHost::Click(1);
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(continues, 1);
  EXPECT_EQ(DoneFlag(), 1);  // the Cancel click never reached the window
}

TEST_F(ProgressWindow, RunDesignFromInsideTheRunOpensNoSecondWindow) {
  NodesModel(2, {0});
  int nested = 0;
  uint8_t nestedResult = 99;
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.lblCounter == " 1/ 2" && nested == 0) {
      ++nested;
      nestedResult = design_.RunDesign();
    }
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(nestedResult, 0);
  // One run only: each node fetched once, ResultsAvailable asked twice.
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 2);
  EXPECT_EQ(analysis_.CallCount("ResultsAvailable"), 2);
  EXPECT_EQ(DoneFlag(), 1);
}

TEST_F(ProgressWindow, SecondActivationStartsNoSecondRun) {
  NodesModel(1, {0});
  ScriptedWindowHost host([&](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.Command1Caption == "&Close" && Design().window) Design().window->Form_Activate();
  });
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 1);
}

TEST_F(ProgressWindow, DefaultHostClosesTheWindowWhenTheRunEnds) {
  NodesModel(2, {0});
  OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(DoneFlag(), 1);
  // A failed run is closed with Cancel, the button left enabled.
  NodesModel(2, {1});
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.last(), "There is no Service-load combination defined");
  EXPECT_EQ(DoneFlag(), 0);
  EXPECT_EQ(Global().bt_DesignWindowOpen, 0);
}

}  // namespace
}  // namespace ostrel::test
