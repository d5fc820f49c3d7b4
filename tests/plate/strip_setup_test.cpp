// Strip set-up: material values of the element, and the direction checks
// with their order (a later failing check overwrites an earlier one).
#include "plate/StripFixture.h"

namespace ostrel::test {
namespace {

using StripSetup = StripFixture;

int16_t Prepared(PlateDirection direction) {
  PreparePlateStrip(1, direction);
  return PlateState().strip.status;
}

TEST_F(StripSetup, MaterialValues) {
  Element(PlateInput{});  // 200 mm, f'c 30, fy 400, Es 200000
  EXPECT_NEAR(S().beta1, 0.895, 1e-12);
  EXPECT_NEAR(S().alpha1PhiFc, 0.805 * 0.6 * 30, 2e-5);
  EXPECT_NEAR(S().phiFyT, 340, 1e-4);
  EXPECT_NEAR(S().epsYc, 0.002, 1e-12);

  PlateInput in;
  in.fy = 600;  // tension steel limited to 500, compression steel to 400
  Element(in);
  EXPECT_NEAR(S().phiFyT, 0.85 * 500, 1e-4);
  EXPECT_NEAR(S().phiFyC, 0.85 * 400, 1e-4);
  EXPECT_NEAR(S().epsYt, 500.0 / 200000, 1e-12);
  // The limit is tested on the 32-bit rounding of fy: 500.00001 rounds to
  // 500 and is kept as given.
  in.fy = 500.00001;
  Element(in);
  EXPECT_DOUBLE_EQ(S().phiFyT, static_cast<double>(0.85f) * 500.00001);

  in.fc = 130;  // beta1 0.645 and alpha1 0.655 without their floor
  Element(in);
  EXPECT_DOUBLE_EQ(S().beta1, 0.67);
  EXPECT_DOUBLE_EQ(S().alpha1PhiFc, static_cast<double>(0.67f) * static_cast<double>(0.6f) * 130);
}

TEST_F(StripSetup, CurtainAndCoverChecksInTheirOrder) {
  PlateInput in;
  in.t = 300;
  in.curtains = 1;
  Element(in);
  EXPECT_EQ(Prepared(kPlateX), Fail_MustUseTwoCurtains);
  in.t = 250;  // at the one-curtain limit
  Element(in);
  EXPECT_EQ(Prepared(kPlateX), DESIGN_PASS);

  // A cover of the whole thickness overwrites the curtain failure.
  in.t = 300;
  in.coverX = 300;
  Element(in);
  EXPECT_EQ(Prepared(kPlateX), Fail_RFTOutOfSection);
  EXPECT_EQ(Prepared(kPlateY), Fail_MustUseTwoCurtains);  // y cover 40

  in = PlateInput{};
  in.coverY = 100;  // two curtains: 2 x 100 > 200 - 0.0001
  Element(in);
  EXPECT_EQ(Prepared(kPlateY), Fail_CoverTooLarge);
  in.coverY = 99.99f;
  in.coverX = 0.25f;  // raised to 1 mm
  Element(in);
  EXPECT_EQ(Prepared(kPlateY), DESIGN_PASS);
  EXPECT_EQ(Prepared(kPlateX), DESIGN_PASS);
  EXPECT_DOUBLE_EQ(S().cover, 1.0);

  // A minimum above the maximum wins over every other failure.
  in.t = 300;
  in.curtains = 1;
  in.coverX = 300;
  in.minX = 3;
  in.maxX = 2;
  Element(in);
  EXPECT_EQ(Prepared(kPlateX), Fail_MinRFTExceedMaximum);
}

TEST_F(StripSetup, MinimumRatioFloorsPerDirection) {
  PlateInput in;
  in.minX = 0.1;
  in.minY = 0.1;
  in.maxY = 0.18;  // above the y floor of 0.15 %
  Element(in);
  EXPECT_EQ(Prepared(kPlateX), DESIGN_PASS);
  EXPECT_DOUBLE_EQ(S().rhoMin, static_cast<double>(0.002f));
  EXPECT_EQ(Prepared(kPlateY), DESIGN_PASS);
  EXPECT_DOUBLE_EQ(S().rhoMin, static_cast<double>(0.0015f));
  in.maxX = 0.18;  // the floor applies before the comparison with the maximum
  Element(in);
  EXPECT_EQ(Prepared(kPlateX), Fail_MinRFTExceedMaximum);

  // Equal to the floor in 32 bits is not below it: the value as given stays.
  in.minX = static_cast<double>(0.2f);
  in.maxX = 4;
  Element(in);
  Prepared(kPlateX);
  EXPECT_DOUBLE_EQ(S().rhoMin, static_cast<double>(0.2f) / 100);
}

}  // namespace
}  // namespace ostrel::test
