// How a run starts and how it stops: the checks of RunDesign, each stop of
// the run with its message (or silence), and what stays stored afterwards.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>

#include "run/AnalysisResults.h"
#include "run/RunFixture.h"
#include "support/WindowHost.h"

namespace ostrel::test {
namespace {

const char* const kEnvelopeMessage =
    "modDesign::WallDesign- unexpected error during Calculating maximum & minimum displacments";

using RunStart = RunFixture;

TEST_F(RunStart, RefusesWithoutAnalysisResultsAndOpensNoWindow) {
  NodesModel(1, {0});
  ScriptedWindowHost host;
  analysis_->available = 0;
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.last(), "Analysis results are not available");
  EXPECT_EQ(host.pumps(), 0u);

  // Status 1 from ResultsAvailable: result 1 without any message.
  boxes_.clear();
  analysis_->available = 1;
  analysis_->availableReturn = 0x101;  // low byte 1
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.count(), 0u);

  // A failed call: the method's unexpected error.
  analysis_->availableReturn = -7;
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::RunDesign: Unexpected error");
  EXPECT_EQ(host.pumps(), 0u);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 0);
}

TEST_F(RunStart, ASourceThatCannotBeCreatedIsAnUnexpectedError) {
  NodesModel(1, {0});
  analysis_->createFails = true;
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::RunDesign: Unexpected error");
  OstrelDesignCSA94_RegisterAnalysisResults(nullptr);
  boxes_.clear();
  EXPECT_EQ(design_.RunDesign(), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::RunDesign: Unexpected error");
  EXPECT_EQ(DoneFlag(), 0);
}

TEST_F(RunStart, OneInstancePerModelKeptAcrossRunsAndReleasedWithItsThread) {
  NodesModel(1, {0});
  ASSERT_EQ(design_.RunDesign(), 0);
  NodesModel(1, {0});
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(analysis_->creates, 1);

  // Another class registered later serves only models created afterwards.
  FakeAnalysis other;
  other.Register();
  NodesModel(1, {0});
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(other->creates, 0);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 3);

  std::thread worker([&] {
    clsDesignCSA94 d;
    d.SetUnits(1);
    d.SetNumberOfNodes(1);
    d.SetNumberOfLoadCombinations(1);
    EXPECT_EQ(d.RunDesign(), 0);
  });
  worker.join();
  EXPECT_EQ(other->creates, 1);
  EXPECT_EQ(other->releases, 1);  // the thread's model ended with the thread
  EXPECT_EQ(analysis_->releases, 0);
}

using RunStop = RunFixture;

TEST_F(RunStop, NoServiceCombinationStopsAfterAllocatingTheNodes) {
  NodesModel(2, {1, 1});
  ScriptedWindowHost host;
  ASSERT_EQ(design_.RunDesign(), 0);  // the run could be started
  EXPECT_EQ(boxes_.texts(),
            std::vector<std::string>{"There is no Service-load combination defined"});
  EXPECT_EQ(DoneFlag(), 0);
  EXPECT_EQ(Global().Node.f_Dx_Positive.Size(), 2);
  EXPECT_EQ(Global().Node.i_Dz_Neg_combo(2), 0);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 0);
  // The design constants are set only after the envelope.
  EXPECT_EQ(Global().phi_c, 0.0f);
  // The input is kept on the error path.
  EXPECT_TRUE(Global().LoadCombo.bt_ComboType.Allocated());
  const ViewRecord& end = host.last();
  EXPECT_EQ(end.Command1Caption, "Close");
  EXPECT_FALSE(end.Command1Enabled);
  EXPECT_TRUE(end.Command2Enabled);
}

TEST_F(RunStop, StatusOneFromTheSourceStopsSilently) {
  NodesModel(3, {0});
  analysis_.SetDisplacement(1, 1, 1.5f, -2.0f, 0.25f);
  analysis_.SetDisplacement(2, 1, 9.0f, 9.0f, 9.0f);
  analysis_.FailAt("GetNodeDisplacement", 2, 1);
  ScriptedWindowHost host;
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.count(), 0u);
  EXPECT_EQ(Design().sErrorMessage, "");
  EXPECT_EQ(DoneFlag(), 0);
  EXPECT_EQ(host.last().Command1Caption, "Close");
  EXPECT_FALSE(host.last().Command1Enabled);
  // Node 1 keeps its envelope; node 2 keeps the start values.
  EXPECT_EQ(Global().Node.f_Dx_Positive(1), 1.5);
  EXPECT_EQ(Global().Node.f_Dy_Negative(1), -2.0);
  EXPECT_EQ(Global().Node.f_Dx_Positive(2), 0.0);
  EXPECT_EQ(Global().Node.i_Dx_Pos_combo(2), 1);
  EXPECT_EQ(Global().Node.i_Dx_Pos_combo(3), 0);
}

TEST_F(RunStop, AFailedCallShowsThePhaseMessage) {
  NodesModel(2, {0});
  analysis_.FailAt("GetNodeDisplacement", 1, -2147467259);
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kEnvelopeMessage});
  EXPECT_EQ(boxes_.titles().front(), "OstrelDesignCSA94");
  EXPECT_EQ(DoneFlag(), 0);
}

TEST_F(RunStop, ANonFiniteDisplacementStopsWithThePhaseMessage) {
  for (const float bad : {std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity()}) {
    boxes_.clear();
    NodesModel(1, {0, 0});
    analysis_.SetDisplacement(1, 2, 0.0f, 0.0f, bad);
    ASSERT_EQ(design_.RunDesign(), 0);
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kEnvelopeMessage});
    EXPECT_EQ(DoneFlag(), 0);
    EXPECT_FALSE(std::isnan(Global().Node.f_Dz_Positive(1)));
    EXPECT_FALSE(std::isinf(Global().Node.f_Dz_Negative(1)));
  }
}

TEST_F(RunStop, ACompletedRunReleasesTheInputSoTheNextRunNeedsItAgain) {
  NodesModel(1, {0});
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(DoneFlag(), 1);
  EXPECT_EQ(Global().phi_c, 0.6f);
  EXPECT_FALSE(Global().LoadCombo.bt_ComboType.Allocated());
  EXPECT_EQ(Global().i_NumLoadCombos, 1);
  // Model not sent again: the envelope cannot read the combination types.
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kEnvelopeMessage});
  // The failed run's window can only be closed with Cancel, which clears
  // the done flag of the earlier run.
  EXPECT_EQ(DoneFlag(), 0);
}

TEST_F(RunStop, AFailedPlateFetchStopsInThePlatePhase) {
  NodesModel(2, {0, 1});
  ASSERT_EQ(design_.SetNumberOfPlateElements(1), 0);
  ASSERT_EQ(design_.SetPlateElementProperties(1, 200.0f, 30.0f, 400.0f, 200000.0f, 0.25f, 4.0f,
                                              0.25f, 4.0f, 2, 40.0f, 50.0f),
            0);
  analysis_.FailAt("GetPlateElementForces", 1, -1);
  ScriptedWindowHost host;
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.last(),
            "modDesign::WallDesign- unexpected error during Calculating plate element "
            "reinforcement");
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) { return v.lblStatus == " plate design"; }));
  EXPECT_FALSE(host.Saw([](const ViewRecord& v) { return v.lblStatus == "finish"; }));
  // The envelope of the first phase is complete and stays.
  EXPECT_EQ(Global().Node.i_Dx_Pos_combo(2), 1);
  EXPECT_EQ(Global().phi_s, 0.85f);
  EXPECT_EQ(DoneFlag(), 0);
}

TEST_F(RunStop, AFailedStiffenerFetchStopsInTheStiffenerPhase) {
  NodesModel(1, {0, 1});
  ASSERT_EQ(design_.SetNumberOfStiffenerElements(1), 0);
  ASSERT_EQ(design_.SetStiffenerElementProperties(1, 0, 0, 400.0f, 600.0f, 0, 0, 0, 0, 30.0f,
                                                  2400.0f, 400.0f, 200000.0f, 1.0f, 4.0f, 0,
                                                  40.0f, 40.0f, 30.0f, 30.0f, 1),
            0);
  analysis_.FailAt("GetStiffenerElementForces", 1, -1);
  ScriptedWindowHost host;
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.last(),
            "modDesign::WallDesign- unexpected error during Calculating stiffener element "
            "reinforcement");
  EXPECT_TRUE(host.Saw([](const ViewRecord& v) { return v.lblStatus == " stiffener design"; }));
  EXPECT_FALSE(host.Saw([](const ViewRecord& v) { return v.lblStatus == " plate design"; }));
  EXPECT_EQ(DoneFlag(), 0);
}

}  // namespace
}  // namespace ostrel::test
