// Strip design: the minimum steel raised for pure axial load, the check of a
// trial steel over the ultimate combinations, and the search of the ratio.
#include "plate/StripFixture.h"

namespace ostrel::test {
namespace {

// 200 mm wall, f'c 30, fy 400 (14.49 and 340 as factored stresses),
// minimum 0.25 %, maximum 4 % in x.
class StripDesign : public StripFixture {
 protected:
  void Strip(const PlateInput& in = PlateInput{}) {
    Element(in);
    PreparePlateStrip(1, kPlateX);
    ASSERT_EQ(S().status, DESIGN_PASS);
  }
};

TEST_F(StripDesign, AxialBoundsOverUltimateCombinations) {
  Strip();
  Combos({1, 1, 0});  // combination 3 is a service one and does not count
  Values(1, 100, -4000, 0, 0);
  Values(2, 300, -4000, 0, 0);
  Values(3, 9000, -90000, 0, 0);
  DesignStripAxialBounds();
  EXPECT_EQ(S().status, DESIGN_PASS);
  // Compression: 4000.4 / (0.8 x 200) = 25.0025, (25.0025 - 14.49) / 325.51.
  // Tension: 1.01 x 300.03 / (340 x 200) = 0.0044563 is smaller.
  EXPECT_NEAR(S().rhoMin, (25.0025 - 14.49) / 325.51, 1e-6);
  EXPECT_NEAR(S().AsMin, 200 * (25.0025 - 14.49) / 325.51, 1e-4);
  Values(1, 100, -10, 0, 0);
  Values(2, 300, -10, 0, 0);
  PreparePlateStrip(1, kPlateX);
  DesignStripAxialBounds();
  EXPECT_NEAR(S().rhoMin, 1.01 * 300.03 / 68000, 1e-8);
  EXPECT_EQ(S().govCombo, 0);

  // A failure reports the magnified force; the first of equal forces.
  Values(1, 0, -8000, 0, 0);
  Values(2, 0, -8000, 0, 0);
  PreparePlateStrip(1, kPlateX);
  DesignStripAxialBounds();
  EXPECT_EQ(S().status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(S().govCombo, 1);
  EXPECT_DOUBLE_EQ(S().Pu, 1.0001 * -8000);
  EXPECT_EQ(S().As, 0);
  Values(1, 100, 0, 0, 0);
  Values(2, 3000, 0, 0, 0);  // needs 1.01 x 3000.3 / 68000 = 4.46 %
  PreparePlateStrip(1, kPlateX);
  DesignStripAxialBounds();
  EXPECT_EQ(S().status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(S().govCombo, 2);
  EXPECT_DOUBLE_EQ(S().Pu, 1.0001 * 3000);
}

TEST_F(StripDesign, CheckNamesTheGoverningPairAsStored) {
  Strip();
  Combos({1, 1, 1});
  Values(1, 0, -100, 2000, -1000);
  Values(2, 0, -100, 3000, -9000);  // the negative moment without compression
  Values(3, 0, -100, 3000, -9000);  // equal to 2: 2 stays
  S().As = 2;
  CheckStripForCombos();
  EXPECT_EQ(S().status, DESIGN_PASS);
  EXPECT_EQ(S().govCombo, 2);
  EXPECT_EQ(S().Mu, -9000);
  EXPECT_EQ(S().Pu, 0);
  Values(1, 0, 0, 200000, 0);  // far above the resistance of 2 mm2/mm
  CheckStripForCombos();
  EXPECT_EQ(S().status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(S().govCombo, 1);

  // One curtain, bars 40 mm off centre toward face B (cover 60, e2 = 140),
  // As = 0.4 (Tr = 136). Tension 100 acts at the bars: the design moment is
  // M - 100 x 40, and about the bars with d = 140 the resistance is about
  // Cc (140 - a/2) = 36 x 138.8 = 4,995.
  PlateInput in;
  in.curtains = 1;
  in.coverX = 60;
  Strip(in);
  Combos({1});
  S().As = 0.4;
  Values(1, 100, 100, 6000, 6000);  // 2,000 about the bars: passes
  CheckStripForCombos();
  EXPECT_EQ(S().status, DESIGN_PASS);
  EXPECT_EQ(S().Mu, 6000);
  // -2000 becomes -6000: face A compressed, bars at 60 mm, resistance about
  // 36 x 58.8 = 2,115: fails.
  Values(1, 100, 100, -2000, -2000);
  CheckStripForCombos();
  EXPECT_EQ(S().status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(S().d1, 60);
}

TEST_F(StripDesign, SteelSearch) {
  Strip();
  Combos({1, 1});
  // Minimum steel passes: the result is exactly the minimum.
  Values(1, 10, -10, 1000, -1000);
  Values(2, 5, -20, 500, -1500);
  DesignStripAxialBounds();
  DesignStripSteel();
  EXPECT_EQ(S().status, DESIGN_PASS);
  EXPECT_EQ(S().rho, 0.0025);
  EXPECT_EQ(S().As, 0.0025 * 200);
  EXPECT_EQ(S().govCombo, 2);

  // The maximum fails: the direction fails with it.
  Values(1, 0, 0, 4e5, 0);
  PreparePlateStrip(1, kPlateX);
  DesignStripAxialBounds();
  DesignStripSteel();
  EXPECT_EQ(S().status, Fail_RequiredRFTExceedMaximum);
  EXPECT_DOUBLE_EQ(S().As, 8);
  EXPECT_EQ(S().Mu, 4e5);

  // In between: the result passes and a ratio 5e-5 lower fails.
  Values(1, 50, -300, 60000, -20000);
  Values(2, 0, -900, 45000, -45000);
  PreparePlateStrip(1, kPlateX);
  DesignStripAxialBounds();
  DesignStripSteel();
  ASSERT_EQ(S().status, DESIGN_PASS);
  const double rho = S().rho;
  EXPECT_GT(rho, 0.0025);
  EXPECT_DOUBLE_EQ(S().As, rho * 200);
  EXPECT_EQ(S().govCombo, 1);
  EXPECT_EQ(S().Mu, 60000);
  S().As = (rho - 5e-5) * 200;
  CheckStripForCombos();
  EXPECT_EQ(S().status, Fail_RequiredRFTExceedMaximum);
  S().As = rho * 200;
  CheckStripForCombos();
  EXPECT_EQ(S().status, DESIGN_PASS);
}

}  // namespace
}  // namespace ostrel::test
