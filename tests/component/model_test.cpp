// The per-thread design model, its clearing operations, the unit factors and
// the design constants.
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
  test::MessageCapture boxes_;
};

TEST_F(Model, ObjectsOnOneThreadShareOneModelAndAnotherThreadHasItsOwn) {
  clsDesignCSA94* a = clsDesignCSA94_Create();
  clsDesignCSA94* b = clsDesignCSA94_Create();
  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(a, 4), 0);
  ASSERT_EQ(clsDesignCSA94_SetPlateElementProperties(b, 4, 250.0f, 30, 400, 200000, 0.2f, 4,
                                                     0.2f, 4, 2, 40, 40),
            0);
  EXPECT_EQ(Global().PlateElement.f_Thickness(4), 250.0f);

  int16_t otherThreadCount = -1;
  uint8_t otherThreadResult = 9;
  std::thread other([&] {
    clsDesignCSA94* c = clsDesignCSA94_Create();
    otherThreadCount = Global().i_NumPlateElements;
    // Element 4 is out of range in this thread's empty model.
    otherThreadResult = clsDesignCSA94_SetPlateElementProperties(c, 4, 250.0f, 30, 400, 200000,
                                                                 0.2f, 4, 0.2f, 4, 2, 40, 40);
    clsDesignCSA94_SetNumberOfPlateElements(c, 9);
    clsDesignCSA94_Release(c);
  });
  other.join();
  EXPECT_EQ(otherThreadCount, 0);
  EXPECT_EQ(otherThreadResult, 1);
  EXPECT_EQ(Global().i_NumPlateElements, 4);  // untouched by the other thread
  clsDesignCSA94_Release(a);
  // The model outlives the objects.
  EXPECT_EQ(Global().PlateElement.f_Thickness(4), 250.0f);
  clsDesignCSA94_Release(b);
}

TEST_F(Model, UnitFactorsFollowTheLastAcceptedSystem) {
  clsDesignCSA94 design;
  const modGlobal& g = Global();
  auto factors = [&g] {
    return std::array{g.f_LengthFactor,          g.f_StressFactor,        g.f_ForceFactor,
                      g.f_MomentFactor,          g.f_DensityFactor,       g.f_ForcePerLengthFactor,
                      g.f_MomentPerLengthFactor, g.f_AreaPerLengthOutFactor,
                      g.f_StirrupAreaOutFactor,  g.f_AreaOutFactor};
  };
  EXPECT_EQ(factors(), (std::array<float, 10>{}));  // nothing before the first SetUnits
  ASSERT_EQ(design.SetUnits(1), 0);
  ASSERT_EQ(design.SetUnits(0), 0);
  EXPECT_EQ(factors(), (std::array{25.4f, 6.8948f, 4448.222f, 1355817.456f, 16.013f, 14.59318f,
                                   4448.0f, float(12.0 / 25.4), float(12.0 / 25.4),
                                   float(1.0 / 645.16)}));
  // A US stiffener area of 645.16 mm2 reads 1 in2; 1 mm2/mm reads 0.4724 in2/ft.
  EXPECT_NEAR(645.16 * g.f_AreaOutFactor, 1.0, 1e-7);
  EXPECT_NEAR(1.0 * g.f_AreaPerLengthOutFactor, 0.4724, 5e-5);
  ASSERT_EQ(design.SetUnits(1), 0);
  const std::array<float, 10> si{1, 1, 1000, 1000000, 1, 1, 1000, 1000, 1000, 1};
  EXPECT_EQ(factors(), si);
  EXPECT_EQ(design.SetUnits(3), 1);  // a refused code changes nothing
  EXPECT_EQ(factors(), si);
}

TEST_F(Model, DesignConstantsAndLambdaAtItsBounds) {
  SetDesignConstants();
  const modGlobal& g = Global();
  EXPECT_EQ((std::array{g.phi_c, g.phi_s, g.eps_cu, g.eps_t, g.k_Pmax * g.k_Pcomp, g.rho_min_floor,
                        g.rho_min_floor_v, g.rho_ties, g.t_max_one_curtain, g.fy_max, g.fyc_max,
                        g.fyt_max, g.fc_max}),
            (std::array{0.6f, 0.85f, 0.0035f, 0.005f, 0.8f, 0.002f, 0.0015f, 0.01f, 250.0f, 500.0f,
                        400.0f, 500.0f, 80.0f}));
  const double cases[][2] = {{2400, 1},      {2150, 1},   {2149.9, 0.85f}, {1850.5, 0.85f},
                             {1850, 0.75f}, {0, 0.75f},
                             {2149.99999999, 1}};  // rounds up to 2150 as a 32-bit float
  for (const auto& c : cases) EXPECT_EQ(LambdaForDensity(c[0]), c[1]) << c[0];
  EXPECT_THROW(LambdaForDensity(1e300), RunTimeError);
}

TEST_F(Model, ResetDesignClearsResultsAndCountsButKeepsInput) {
  clsDesignCSA94 design;
  ASSERT_EQ(design.SetNumberOfNodes(3), 0);
  ASSERT_EQ(design.SetNumberOfPlateElements(2), 0);
  ASSERT_EQ(design.SetNumberOfStiffenerElements(1), 0);
  ASSERT_EQ(design.SetNumberOfLoadCombinations(2), 0);
  ASSERT_EQ(design.SetComboType(2, 1), 0);
  ASSERT_EQ(design.SetPlateElementProperties(1, 200, 30, 400, 200000, 0.2f, 4, 0.2f, 4, 2, 40, 40),
            0);
  modGlobal& g = Global();
  g.Node.f_Dx_Positive.Create(3);
  g.PlateElement.f_AreaOfSteel_x.Create(2);
  g.StiffenerElement.bt_DesignStatus_Shear.Create(1);
  g.bt_DesignDoneFlag = 1;

  ASSERT_EQ(design.ResetDesign(), 0);
  EXPECT_EQ(g.bt_DesignDoneFlag, 0);
  EXPECT_EQ(g.i_NumNodes, 0);
  EXPECT_EQ(g.i_NumPlateElements, 0);
  EXPECT_EQ(g.i_NumStiffenerElements, 0);
  EXPECT_EQ(g.i_NumLoadCombos, 0);
  EXPECT_FALSE(g.Node.f_Dx_Positive.Allocated());
  EXPECT_FALSE(g.PlateElement.f_AreaOfSteel_x.Allocated());
  EXPECT_FALSE(g.StiffenerElement.bt_DesignStatus_Shear.Allocated());
  // Input arrays and combination types stay, though every number is now out of range.
  EXPECT_EQ(g.PlateElement.f_Thickness(1), 200.0f);
  EXPECT_EQ(g.LoadCombo.bt_ComboType(2), 1);
  EXPECT_EQ(design.SetPlateElementProperties(1, 200, 30, 400, 200000, 0.2f, 4, 0.2f, 4, 2, 40, 40),
            1);
  EXPECT_EQ(boxes_.last(), "Plate element: number is out of range\r\nPlate Element: 1");

  uint8_t done = 9;
  EXPECT_EQ(design.DesignDone(done), 0);
  EXPECT_EQ(done, 0);
}

TEST_F(Model, ReleaseModelInputKeepsCountsCurtainsAndResults) {
  clsDesignCSA94 design;
  ASSERT_EQ(design.SetNumberOfPlateElements(2), 0);
  ASSERT_EQ(design.SetNumberOfStiffenerElements(1), 0);
  ASSERT_EQ(design.SetNumberOfLoadCombinations(2), 0);
  ASSERT_EQ(design.SetPlateElementProperties(2, 200, 30, 400, 200000, 0.2f, 4, 0.2f, 4, 1, 40, 40),
            0);
  modGlobal& g = Global();
  g.PlateElement.f_AreaOfSteel_x.Create(2);
  g.bt_DesignDoneFlag = 1;

  ReleaseModelInput();
  EXPECT_EQ(g.i_NumPlateElements, 2);
  EXPECT_EQ(g.i_NumStiffenerElements, 1);
  EXPECT_EQ(g.i_NumLoadCombos, 2);
  EXPECT_EQ(g.bt_DesignDoneFlag, 1);
  EXPECT_EQ(g.PlateElement.bt_NumCurtains(2), 1);
  EXPECT_TRUE(g.PlateElement.f_AreaOfSteel_x.Allocated());
  EXPECT_FALSE(g.PlateElement.f_Thickness.Allocated());
  EXPECT_FALSE(g.PlateElement.f_CoverToRFT.Allocated());
  EXPECT_FALSE(g.StiffenerElement.f_SectionWidth.Allocated());
  EXPECT_FALSE(g.StiffenerElement.f_FlangeWidth.Allocated());
  EXPECT_FALSE(g.LoadCombo.bt_ComboType.Allocated());
}

TEST(Array1, CheckedOneBasedAccess) {
  Array1<double> a;
  EXPECT_THROW(a(1), RunTimeError);
  a.Create(3);
  EXPECT_EQ(a.Size(), 3);
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
