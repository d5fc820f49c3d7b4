// The displacement envelope: extremes over the service combinations only,
// ties to the lowest combination, and the sign rules of the start values.
#include <gtest/gtest.h>

#include "run/RunFixture.h"

namespace ostrel::test {
namespace {

using Envelope = RunFixture;

TEST_F(Envelope, ExtremesAndTheirCombinationsOverServiceCombinationsOnly) {
  // Combinations 1, 3, 4 ultimate; 2 and 5 service.
  NodesModel(2, {1, 0, 1, 1, 0});
  analysis_.SetDisplacement(1, 2, 0.25f, -1.5f, 3.0f);
  analysis_.SetDisplacement(1, 5, -0.75f, 2.5f, 3.0f);  // dz ties with combination 2
  analysis_.SetDisplacement(1, 3, 99.0f, -99.0f, 99.0f);  // ultimate: never used
  analysis_.SetDisplacement(2, 2, -1.0f, -2.0f, -3.0f);
  analysis_.SetDisplacement(2, 5, -4.0f, -1.0f, -3.0f);
  ASSERT_EQ(design_.RunDesign(), 0);
  ASSERT_EQ(DoneFlag(), 1);

  for (const FakeAnalysis::Call& c : analysis_->calls) {
    if (c.op == "GetNodeDisplacement") {
      EXPECT_TRUE(c.combo == 2 || c.combo == 5) << c.combo;
    }
  }
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 4);

  const typNode& n = Global().Node;
  EXPECT_EQ(n.f_Dx_Positive(1), 0.25);
  EXPECT_EQ(n.i_Dx_Pos_combo(1), 2);
  EXPECT_EQ(n.f_Dx_Negative(1), -0.75);
  EXPECT_EQ(n.i_Dx_Neg_combo(1), 5);
  EXPECT_EQ(n.f_Dy_Positive(1), 2.5);
  EXPECT_EQ(n.i_Dy_Pos_combo(1), 5);
  EXPECT_EQ(n.f_Dy_Negative(1), -1.5);
  EXPECT_EQ(n.i_Dy_Neg_combo(1), 2);
  // A tie keeps the lower-numbered combination.
  EXPECT_EQ(n.f_Dz_Positive(1), 3.0);
  EXPECT_EQ(n.i_Dz_Pos_combo(1), 2);
  // Nothing below 0: the negative extreme stays 0 with the first service combination.
  EXPECT_EQ(n.f_Dz_Negative(1), 0.0);
  EXPECT_EQ(n.i_Dz_Neg_combo(1), 2);

  // Node 2 moves only in the negative directions.
  EXPECT_EQ(n.f_Dx_Positive(2), 0.0);
  EXPECT_EQ(n.i_Dx_Pos_combo(2), 2);
  EXPECT_EQ(n.f_Dx_Negative(2), -4.0);
  EXPECT_EQ(n.i_Dx_Neg_combo(2), 5);
  EXPECT_EQ(n.f_Dy_Negative(2), -2.0);
  EXPECT_EQ(n.i_Dy_Neg_combo(2), 2);
  EXPECT_EQ(n.f_Dz_Negative(2), -3.0);
  EXPECT_EQ(n.i_Dz_Neg_combo(2), 2);
}

TEST_F(Envelope, StoresDisplacementsExactlyAsDeliveredWithoutUnits) {
  NodesModel(1, {0});
  ASSERT_EQ(design_.SetUnits(0), 0);  // US: still no conversion of displacements
  const float tiny = 1.0e-30f;
  const float odd = 0.1f;
  analysis_.SetDisplacement(1, 1, odd, -tiny, 3.4e38f);
  ASSERT_EQ(design_.RunDesign(), 0);
  const typNode& n = Global().Node;
  EXPECT_EQ(n.f_Dx_Positive(1), static_cast<double>(odd));
  EXPECT_EQ(n.f_Dy_Negative(1), static_cast<double>(-tiny));
  EXPECT_EQ(n.f_Dz_Positive(1), static_cast<double>(3.4e38f));
}

TEST_F(Envelope, ARunReplacesTheEnvelopeOfTheRunBefore) {
  NodesModel(3, {0});
  analysis_.SetDisplacement(3, 1, 5.0f, 0, 0);
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(Global().Node.f_Dx_Positive(3), 5.0);
  NodesModel(2, {0});
  analysis_.SetDisplacement(1, 1, 1.0f, 0, 0);
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(Global().Node.f_Dx_Positive.Size(), 2);
  EXPECT_EQ(Global().Node.f_Dx_Positive(1), 1.0);
}

}  // namespace
}  // namespace ostrel::test
