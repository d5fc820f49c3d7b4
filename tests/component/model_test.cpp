// The per-thread design model, its clearing operations, the unit factors and
// the concrete density factor.
#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "OstrelDesignCSA94.h"
#include "OstrelDesignCSA94.hpp"
#include "model/modGlobal.h"
#include "support/MessageCapture.h"

namespace ostrel {
namespace {

class Model : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobalState(); }
  modGlobal& g = Global();
  clsDesignCSA94 design_;
  test::MessageCapture boxes_;
};

TEST_F(Model, ObjectsOnOneThreadShareOneModelAndAnotherThreadHasItsOwn) {
  clsDesignCSA94* a = clsDesignCSA94_Create();
  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(a, 4), 0);
  clsDesignCSA94_Release(a);  // the model outlives the objects
  EXPECT_EQ(design_.SetPlateElementProperties(4, 250, 30, 400, 200000, 0.2f, 4, 0.2f, 4, 2, 40, 40),
            0);
  std::thread([] {
    clsDesignCSA94 other;
    EXPECT_EQ(Global().i_NumPlateElements, 0);
    // Element 4 is out of range in this thread's empty model.
    EXPECT_EQ(other.SetPlateElementProperties(4, 250, 30, 400, 200000, 0.2f, 4, 0.2f, 4, 2, 40, 40),
              1);
    other.SetNumberOfPlateElements(9);
  }).join();
  EXPECT_EQ(g.i_NumPlateElements, 4);
  EXPECT_EQ(g.PlateElement.f_Thickness(4), 250.0f);
}

// What the US factors do: each converts one host unit to the internal unit it
// stands for, consistently with the others (a kip-ft is a kip times 12 in;
// a ksi a kip on a square inch; areas out are in2 and in2/ft), and nothing is
// converted before the first accepted code. A refused code changes nothing.
TEST_F(Model, UnitFactorsConvertConsistently) {
  auto factors = [this] {
    return std::array{g.f_LengthFactor,          g.f_StressFactor,
                      g.f_ForceFactor,           g.f_MomentFactor,
                      g.f_DensityFactor,         g.f_ForcePerLengthFactor,
                      g.f_MomentPerLengthFactor, g.f_AreaPerLengthOutFactor,
                      g.f_StirrupAreaOutFactor,  g.f_AreaOutFactor};
  };
  EXPECT_EQ(factors(), (std::array<float, 10>{}));
  ASSERT_EQ(design_.SetUnits(0), 0);
  const double in = g.f_LengthFactor, kip = g.f_ForceFactor;
  EXPECT_EQ(in, 25.4f);
  EXPECT_NEAR(kip, 4.4482216e3, 1e-3);  // 1 kip in N
  EXPECT_NEAR(g.f_MomentFactor / (kip * 12 * in), 1, 1e-6);
  EXPECT_NEAR(g.f_StressFactor / (kip / (in * in)), 1, 1e-5);
  EXPECT_NEAR(g.f_ForcePerLengthFactor / (kip / (12 * in)), 1, 1e-4);
  EXPECT_NEAR(g.f_MomentPerLengthFactor / kip, 1, 1e-4);
  EXPECT_NEAR(g.f_DensityFactor / 16.0185, 1, 5e-4);  // lb/ft3 in kg/m3
  EXPECT_NEAR(g.f_AreaOutFactor * (in * in), 1, 1e-7);
  EXPECT_NEAR(g.f_AreaPerLengthOutFactor * in / 12, 1, 1e-7);
  EXPECT_EQ(g.f_StirrupAreaOutFactor, g.f_AreaPerLengthOutFactor);
  ASSERT_EQ(design_.SetUnits(1), 0);
  const std::array<float, 10> si{1, 1,    1000, 1000000, 1,
                                 1, 1000, 1000, 1000,    1};  // kN, kN-m, mm2/m
  EXPECT_EQ(factors(), si);
  EXPECT_EQ(design_.SetUnits(3), 1);
  EXPECT_EQ(factors(), si);
}

// Lambda at the density bounds, which are compared as 32-bit floats; the US
// density factor puts the 2150 kg/m3 bound between 134.26 and 134.27 lb/ft3.
TEST_F(Model, LambdaAtTheDensityBounds) {
  SetDesignConstants();
  ASSERT_EQ(design_.SetUnits(0), 0);
  EXPECT_EQ(LambdaForDensity(134.26 * g.f_DensityFactor), 0.85f);
  EXPECT_EQ(LambdaForDensity(134.27 * g.f_DensityFactor), 1.0f);
  const double cases[][2] = {{2400, 1},    {2150, 1}, {2149.9, 0.85f}, {1850.5, 0.85f},
                             {1850, 0.75f}, {0, 0.75f}, {2149.99999999, 1}};
  for (const auto& c : cases) EXPECT_EQ(LambdaForDensity(c[0]), c[1]) << c[0];
  EXPECT_THROW(LambdaForDensity(1e300), RunTimeError);
}

TEST_F(Model, ResetDesignClearsResultsAndCountsAndReleaseKeepsThem) {
  for (const bool reset : {true, false}) {
    ResetGlobalState();
    ASSERT_EQ(
        design_.SetNumberOfNodes(3) + design_.SetNumberOfPlateElements(2) +
            design_.SetNumberOfStiffenerElements(1) + design_.SetNumberOfLoadCombinations(2) +
            design_.SetComboType(2, 1) +
            design_.SetPlateElementProperties(1, 200, 30, 400, 200000, 0.2f, 4, 0.2f, 4, 1, 40, 40),
        0);
    g.Node.f_Dx_Positive.Create(3);
    g.PlateElement.f_AreaOfSteel_x.Create(2);
    g.bt_DesignDoneFlag = 1;
    if (reset) {
      ASSERT_EQ(design_.ResetDesign(), 0);
    } else {
      ReleaseModelInput();  // the end of a completed run
    }
    uint8_t done = 9;
    ASSERT_EQ(design_.DesignDone(done), 0);
    EXPECT_EQ(done, reset ? 0 : 1);
    EXPECT_EQ(g.i_NumNodes + g.i_NumPlateElements + g.i_NumStiffenerElements + g.i_NumLoadCombos,
              reset ? 0 : 8);
    EXPECT_EQ(g.Node.f_Dx_Positive.Allocated(), !reset);
    EXPECT_EQ(g.PlateElement.f_AreaOfSteel_x.Allocated(), !reset);
    EXPECT_EQ(g.PlateElement.bt_NumCurtains(1), 1);  // the curtains stay for the queries
    // Reset keeps the input (every number is then out of range); release drops it.
    EXPECT_EQ(g.PlateElement.f_Thickness.Allocated(), reset);
    EXPECT_EQ(g.PlateElement.f_CoverToRFT.Allocated(), reset);
    EXPECT_EQ(g.StiffenerElement.f_FlangeWidth.Allocated(), reset);
    EXPECT_EQ(g.LoadCombo.bt_ComboType.Allocated(), reset);
  }
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST(Array1, CheckedOneBasedAccess) {
  Array1<double> a;
  EXPECT_THROW(a(1), RunTimeError);
  a.Create(3);
  a(1) = 1.5;
  a(3) = 3.5;
  EXPECT_THROW(a(0), RunTimeError);
  EXPECT_THROW(a(4), RunTimeError);
  a.Create(2);
  EXPECT_EQ(a(1), 0.0);  // re-created zero-filled
  a.Release();
  EXPECT_EQ(a.Size(), 0);
  EXPECT_THROW(a(1), RunTimeError);
}

}  // namespace
}  // namespace ostrel
