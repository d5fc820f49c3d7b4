// The input methods through the C interface: checks in their order, the
// exact messages, what is stored (and that a refusal stores nothing).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "OstrelDesignCSA94.h"
#include "model/modGlobal.h"
#include "support/MessageCapture.h"

namespace ostrel {
namespace {

class InputMethods : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    obj_ = clsDesignCSA94_Create();
    ASSERT_NE(obj_, nullptr);
  }
  void TearDown() override { clsDesignCSA94_Release(obj_); }

  uint8_t Plate(int32_t element, float thickness, uint8_t curtains, float coverX = 40.0f,
                float coverY = 50.0f) {
    return clsDesignCSA94_SetPlateElementProperties(obj_, element, thickness, 30.0f, 400.0f,
                                                    200000.0f, 0.25f, 4.0f, 0.3f, 3.5f,
                                                    curtains, coverX, coverY);
  }

  // A 400 x 600 rectangular stiffener with the given codes and covers.
  uint8_t Stiffener(int32_t element, uint8_t type, uint8_t projection, float width, float height,
                    uint8_t rft, float coverZ, float coverY) {
    return clsDesignCSA94_SetStiffenerElementProperties(
        obj_, element, type, projection, width, height, 100.0f, 150.0f, 200.0f, 250.0f, 30.0f,
        2400.0f, 400.0f, 200000.0f, 1.0f, 4.0f, rft, coverZ, coverY, 35.0f, 45.0f, 1);
  }

  clsDesignCSA94* obj_ = nullptr;
  test::MessageCapture boxes_;
};

TEST_F(InputMethods, UnitsAcceptOnlyUsAndSi) {
  EXPECT_EQ(clsDesignCSA94_SetUnits(obj_, 1), 0);
  EXPECT_EQ(boxes_.count(), 0u);
  EXPECT_EQ(clsDesignCSA94_SetUnits(obj_, 2), 1);
  EXPECT_EQ(boxes_.last(), "Unrecognized units");
  EXPECT_EQ(Global().bt_units, 1);
  EXPECT_EQ(Global().f_ForceFactor, 1000.0f);
  EXPECT_EQ(clsDesignCSA94_SetUnits(obj_, 255), 1);
  EXPECT_EQ(Global().bt_units, 1);
}

TEST_F(InputMethods, NodeCount) {
  EXPECT_EQ(clsDesignCSA94_SetNumberOfNodes(obj_, 12), 0);
  EXPECT_EQ(clsDesignCSA94_SetNumberOfNodes(obj_, 0), 1);
  EXPECT_EQ(boxes_.last(), "Number of nodes is less than 1");
  EXPECT_EQ(clsDesignCSA94_SetNumberOfNodes(obj_, -3), 1);
  EXPECT_EQ(Global().i_NumNodes, 12);
  EXPECT_EQ(clsDesignCSA94_SetNumberOfNodes(obj_, 32767), 0);
  EXPECT_EQ(Global().i_NumNodes, 32767);
  EXPECT_EQ(clsDesignCSA94_SetNumberOfNodes(obj_, 32768), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetNumberOfNodes: Unexpected error");
  EXPECT_EQ(Global().i_NumNodes, 32767);
}

TEST_F(InputMethods, ElementCountsNegativeZeroAndOverRange) {
  EXPECT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, -5), 0);
  EXPECT_EQ(Global().i_NumPlateElements, 0);
  EXPECT_EQ(boxes_.count(), 0u);

  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 3), 0);
  ASSERT_EQ(Plate(2, 200.0f, 2), 0);
  // A count of 0 keeps the arrays as they are.
  EXPECT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 0), 0);
  EXPECT_EQ(Global().i_NumPlateElements, 0);
  EXPECT_EQ(Global().PlateElement.f_Thickness(2), 200.0f);

  EXPECT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 40000), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetNumberOfPlateElements: Unexpected error");
  EXPECT_EQ(Global().i_NumPlateElements, 0);
  EXPECT_EQ(Global().PlateElement.f_Thickness.Size(), 3);

  EXPECT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, -1), 0);
  EXPECT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 32768), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetNumberOfStiffenerElements: Unexpected error");
  EXPECT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 32767), 0);
  EXPECT_EQ(Global().i_NumStiffenerElements, 32767);
  EXPECT_EQ(Global().StiffenerElement.f_fc.Size(), 32767);
}

TEST_F(InputMethods, SettingACountAgainRecreatesItsArraysEmpty) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 2), 0);
  ASSERT_EQ(Plate(1, 200.0f, 2), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 1), 0);
  ASSERT_EQ(Stiffener(1, 0, 0, 400, 600, 0, 50, 50), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(obj_, 2), 0);
  ASSERT_EQ(clsDesignCSA94_SetComboType(obj_, 2, 1), 0);

  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 2), 0);
  EXPECT_EQ(Global().PlateElement.f_Thickness(1), 0.0f);
  EXPECT_EQ(Global().PlateElement.bt_NumCurtains(1), 0);
  // Other groups are untouched.
  EXPECT_EQ(Global().StiffenerElement.f_SectionWidth(1), 400.0);
  EXPECT_EQ(Global().LoadCombo.bt_ComboType(2), 1);

  ASSERT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(obj_, 4), 0);
  for (int c = 1; c <= 4; ++c) {
    EXPECT_EQ(Global().LoadCombo.bt_ComboType(c), 0) << "combination " << c;
  }
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 1), 0);
  EXPECT_EQ(Global().StiffenerElement.f_SectionWidth(1), 0.0);
}

TEST_F(InputMethods, LoadCombinations) {
  EXPECT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(obj_, 0), 1);
  EXPECT_EQ(boxes_.last(),
            "clsWallDesign::SetNumberOfLoadCombinations: Number of load combinations is less "
            "than 1");
  EXPECT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(obj_, 70000), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetNumberOfLoadCombinations: Unexpected error");
  EXPECT_EQ(Global().i_NumLoadCombos, 0);

  ASSERT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(obj_, 2), 0);
  // The range is checked before the type.
  EXPECT_EQ(clsDesignCSA94_SetComboType(obj_, 3, 1), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetComboType: Load combination is out of range");
  EXPECT_EQ(clsDesignCSA94_SetComboType(obj_, 0, 7), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetComboType: Load combination is out of range");
  EXPECT_EQ(clsDesignCSA94_SetComboType(obj_, 2, 2), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetComboType: Unregonized combo type");
  EXPECT_EQ(Global().LoadCombo.bt_ComboType(2), 0);
  EXPECT_EQ(clsDesignCSA94_SetComboType(obj_, 2, 1), 0);
  EXPECT_EQ(Global().LoadCombo.bt_ComboType(2), 1);
  EXPECT_EQ(clsDesignCSA94_SetComboType(obj_, 2, 0), 0);
  EXPECT_EQ(Global().LoadCombo.bt_ComboType(2), 0);
}

TEST_F(InputMethods, PlateRefusalsNameTheElement) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 12), 0);
  EXPECT_EQ(Plate(0, 200.0f, 2), 1);
  EXPECT_EQ(boxes_.last(), "Plate element: number is out of range\r\nPlate Element: 0");
  EXPECT_EQ(Plate(13, 200.0f, 9), 1);  // range before curtains
  EXPECT_EQ(boxes_.last(), "Plate element: number is out of range\r\nPlate Element: 13");
  EXPECT_EQ(Plate(-4, 200.0f, 2), 1);
  EXPECT_EQ(boxes_.last(), "Plate element: number is out of range\r\nPlate Element: -4");
  EXPECT_EQ(Plate(12, 200.0f, 0), 1);
  EXPECT_EQ(boxes_.last(),
            "Plate element: At least one curtain of RFT should be specified\r\nPlate Element: 12");
  EXPECT_EQ(Plate(12, 200.0f, 3), 1);
  EXPECT_EQ(boxes_.last(),
            "Plate element: Maximum 2 curtains of RFT can be specified\r\nPlate Element: 12");
  EXPECT_EQ(Global().PlateElement.bt_NumCurtains(12), 0);
  for (const std::string& title : boxes_.titles()) {
    EXPECT_EQ(title, "OstrelDesignCSA94");
  }
}

TEST_F(InputMethods, PlateValuesAreStoredAsSent) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 2), 0);
  // Any thickness is taken as given, even 0, with one or two curtains.
  EXPECT_EQ(Plate(1, 0.0f, 1, 25.5f, 35.25f), 0);
  EXPECT_EQ(clsDesignCSA94_SetPlateElementProperties(obj_, 2, 8.1f, 4.1f, 60.3f, 29000.7f, 0.1f,
                                                     2.7f, 0.13f, 3.3f, 2, 1.7f, 2.3f),
            0);
  const typPlateElement& p = Global().PlateElement;
  EXPECT_EQ((std::array{p.f_Thickness(1), p.f_CoverToRFT(1)[1], p.f_CoverToRFT(1)[2],
                        p.f_Thickness(2), p.f_CoverToRFT(2)[1], p.f_CoverToRFT(2)[2]}),
            (std::array{0.0f, 25.5f, 35.25f, 8.1f, 1.7f, 2.3f}));
  EXPECT_EQ((std::array{p.f_fc(2), p.f_fy(2), p.f_Es(2), p.f_MinRatioOfRFT(2), p.f_MaxRatioOfRFT(2),
                        p.f_MinRatioOfRFT_v(2), p.f_MaxRatioOfRFT_v(2)}),
            (std::array<double, 7>{4.1f, 60.3f, 29000.7f, 0.1f, 2.7f, 0.13f, 3.3f}));
  EXPECT_EQ((std::array{p.bt_NumCurtains(1), p.bt_NumCurtains(2)}), (std::array<int16_t, 2>{1, 2}));
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(InputMethods, StiffenerChecksInTheirOrder) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 3), 0);
  const std::string line = "\r\nStiffener Element: 3";
  EXPECT_EQ(Stiffener(4, 9, 9, 400, 600, 9, 0, 0), 1);
  EXPECT_EQ(boxes_.last(), "Stiffener element: Element number is out of range\r\nStiffener Element: 4");
  EXPECT_EQ(Stiffener(3, 2, 9, 400, 600, 9, 0, 0), 1);
  EXPECT_EQ(boxes_.last(), "Stiffener element: Unrecognized web shape" + line);
  EXPECT_EQ(Stiffener(3, 0, 3, 400, 600, 9, 0, 0), 1);
  EXPECT_EQ(boxes_.last(), "Stiffener element: Unrecognized projection option" + line);
  EXPECT_EQ(Stiffener(3, 0, 2, 400, 600, 4, 0, 0), 1);
  EXPECT_EQ(boxes_.last(), "Stiffener element: Unrecognized RFT arrangement" + line);
  EXPECT_EQ(Stiffener(3, 0, 2, 400, 600, 3, 50, 0), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetStiffenerElementProperties: cover is too small" + line);
  EXPECT_EQ(Stiffener(3, 0, 2, 400, 600, 3, 0.00005f, 50), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetStiffenerElementProperties: cover is too small" + line);
  EXPECT_EQ(Stiffener(3, 0, 2, 400, 600, 3, 50, 300), 1);
  EXPECT_EQ(boxes_.last(), "Stiffener element: cover is too large" + line);
  EXPECT_EQ(Stiffener(3, 0, 2, 400, 600, 3, 200, 50), 1);
  EXPECT_EQ(boxes_.last(), "Stiffener element: cover is too large" + line);
  EXPECT_EQ(Stiffener(3, 1, 0, 400, 600, 2, 50, 50), 1);
  EXPECT_EQ(boxes_.last(),
            "Stiffener element: Non-Circular reinforcement arrangement is assigned to a circular "
            "stiffener" + line);
  EXPECT_EQ(Global().StiffenerElement.f_SectionWidth(3), 0.0);
  // The stirrup covers are not checked.
  EXPECT_EQ(clsDesignCSA94_SetStiffenerElementProperties(obj_, 3, 0, 0, 400, 600, 0, 0, 0, 0, 30,
                                                         2400, 400, 200000, 1, 4, 0, 50, 50, -5,
                                                         1000, 0),
            0);
}

TEST_F(InputMethods, CoverSmallBoundIsTheLiteral64BitValue) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 1), 0);
  // 0.0001 as a 32-bit float lies just below the 64-bit 0.0001.
  EXPECT_EQ(Stiffener(1, 0, 0, 400, 600, 0, 0.0001f, 50), 1);
  EXPECT_EQ(Stiffener(1, 0, 0, 400, 600, 0, std::nextafter(0.0001f, 1.0f), 50), 0);
}

TEST_F(InputMethods, CoverLargeBoundAtEqualityAndAHairAbove) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 1), 0);
  const float boundY = static_cast<float>(0.5 * 600.0 - 0.0001);
  const float boundZ = static_cast<float>(0.5 * 400.0 - 0.0001);
  EXPECT_EQ(Stiffener(1, 0, 0, 400, 600, 0, boundZ, boundY), 0);
  EXPECT_EQ(Stiffener(1, 0, 0, 400, 600, 0, boundZ, std::nextafter(boundY, 1e9f)), 1);
  EXPECT_EQ(boxes_.last(), "Stiffener element: cover is too large\r\nStiffener Element: 1");
  EXPECT_EQ(Stiffener(1, 0, 0, 400, 600, 0, std::nextafter(boundZ, 1e9f), boundY), 1);
  // Small sections show the 32-bit rounding of the bound: 0.5 x 0.3 - 0.0001.
  const float smallBound = static_cast<float>(0.5 * static_cast<double>(0.3f) - 0.0001);
  EXPECT_EQ(Stiffener(1, 0, 0, 0.3f, 0.3f, 0, smallBound, smallBound), 0);
  EXPECT_EQ(Stiffener(1, 0, 0, 0.3f, 0.3f, 0, smallBound, std::nextafter(smallBound, 1.0f)), 1);
}

TEST_F(InputMethods, CircularSectionTakesItsWidthAndCentredFlangesBeforeAnyCheck) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 1), 0);
  // Height 100 would refuse a y cover of 120; the width 300 replaces it first.
  EXPECT_EQ(Stiffener(1, 1, 7, 300, 100, 3, 120, 120), 0);
  const typStiffenerElement& s = Global().StiffenerElement;
  EXPECT_EQ(s.bt_SectionType(1), 1);
  EXPECT_EQ(s.f_sectionHeight(1), 300.0);
  EXPECT_EQ(s.f_SectionWidth(1), 300.0);
  EXPECT_EQ(s.bt_SectionProjection(1), 1);
  // A rectangular web keeps its own height and projection.
  EXPECT_EQ(Stiffener(1, 0, 2, 300, 100, 3, 120, 40), 0);
  EXPECT_EQ(s.f_sectionHeight(1), 100.0);
  EXPECT_EQ(s.bt_SectionProjection(1), 2);
}

TEST_F(InputMethods, StiffenerValuesAreStoredInTheirSlots) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 1), 0);
  ASSERT_EQ(clsDesignCSA94_SetStiffenerElementProperties(obj_, 1, 0, 2, 16.5f, 24.25f, 30.0f,
                                                         6.5f, 12.0f, 8.0f, 5.1f, 145.3f, 60.7f,
                                                         29000.1f, 1.1f, 4.3f, 2, 2.5f, 2.75f,
                                                         1.5f, 1.25f, 0),
            0);
  const typStiffenerElement& s = Global().StiffenerElement;
  EXPECT_EQ((std::array{s.f_SectionWidth(1), s.f_sectionHeight(1), s.f_FlangeWidth(1)[1],
                        s.f_FlangeThickness(1)[1], s.f_FlangeWidth(1)[2], s.f_FlangeThickness(1)[2],
                        s.f_fc(1), s.f_density(1), s.f_fy(1), s.f_Es(1), s.f_MinRatioOfRFT(1),
                        s.f_MaxRatioOfRFT(1)}),
            (std::array<double, 12>{16.5, 24.25, 30, 6.5, 12, 8, 5.1f, 145.3f, 60.7f, 29000.1f,
                                    1.1f, 4.3f}));
  EXPECT_EQ(s.bt_RFTType(1), 2);
  // Covers: slot 1 is y, slot 2 is z.
  EXPECT_EQ((std::array{s.f_Cover(1)[1], s.f_Cover(1)[2], s.f_Cover_st(1)[1], s.f_Cover_st(1)[2]}),
            (std::array{2.75f, 2.5f, 1.25f, 1.5f}));
}

TEST_F(InputMethods, NaNInACheckedValueIsAnUnexpectedError) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 1), 0);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Stiffener(1, 0, 0, 400, 600, 0, nan, 50), 1);
  EXPECT_EQ(boxes_.last(),
            "clsWallDesign::SetStiffenerElementProperties: Unexpected error\r\nStiffener Element: 1");
  EXPECT_EQ(Stiffener(1, 0, 0, nan, 600, 0, 50, 50), 1);
  EXPECT_EQ(Global().StiffenerElement.f_SectionWidth(1), 0.0);
}

TEST_F(InputMethods, ReleasedInputArraysRefuseWithTheUnexpectedErrorAndStoreNothing) {
  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 2), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj_, 2), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(obj_, 2), 0);
  ASSERT_EQ(Plate(1, 200.0f, 2), 0);
  ReleaseModelInput();  // as at the end of a completed run

  EXPECT_EQ(Plate(1, 300.0f, 1), 1);
  EXPECT_EQ(boxes_.last(),
            "clsWallDesign::SetPlateElementProperties: Unexpected error\r\nPlate Element: 1");
  EXPECT_EQ(Global().PlateElement.bt_NumCurtains(1), 2);  // kept, and not overwritten
  EXPECT_EQ(Stiffener(2, 0, 0, 400, 600, 0, 50, 50), 1);
  EXPECT_EQ(boxes_.last(),
            "clsWallDesign::SetStiffenerElementProperties: Unexpected error\r\nStiffener Element: 2");
  EXPECT_EQ(clsDesignCSA94_SetComboType(obj_, 1, 1), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::SetComboType: Unexpected error");

  // Setting the count again makes them work.
  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj_, 2), 0);
  EXPECT_EQ(Plate(1, 300.0f, 1), 0);
  EXPECT_EQ(Global().PlateElement.f_Thickness(1), 300.0f);
}

// NULL objects and pointers are failed calls: no box, nothing written.
TEST_F(InputMethods, NullObjectsAndPointersAreFailedCalls) {
  float f = 0;
  int16_t i = 0;
  uint8_t flag = 7;
  int32_t offset = 42;
  EXPECT_EQ(clsDesignCSA94_SetUnits(nullptr, 1), 1);
  EXPECT_EQ(clsDesignCSA94_SetNumberOfNodes(nullptr, 3), 1);
  EXPECT_EQ(clsDesignCSA94_RunDesign(nullptr), 1);
  EXPECT_EQ(clsDesignCSA94_DesignDone(obj_, nullptr), 1);
  EXPECT_EQ(clsDesignCSA94_DesignDone(nullptr, &flag), 1);
  EXPECT_EQ(clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(obj_, 1, &f, &f, &f, &f, &f, &f, &flag,
                                                             nullptr),
            1);
  EXPECT_EQ(clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(nullptr, 1, &f, &f, &i, &f, &f, &f, &f,
                                                             &flag, &flag),
            1);
  EXPECT_EQ(clsDesignCSA94_SaveResults(obj_, nullptr, &offset), 1);
  EXPECT_EQ(clsDesignCSA94_SaveResults(obj_, "/tmp/ostrel-unused.bin", nullptr), 1);
  EXPECT_EQ(clsDesignCSA94_ReadResults(obj_, nullptr, 1), 1);
  EXPECT_EQ(flag, 7);
  EXPECT_EQ(offset, 42);
  EXPECT_EQ(boxes_.count(), 0u);
  clsDesignCSA94_Release(nullptr);
  // The C handle forwards to the thread's model.
  ASSERT_EQ(clsDesignCSA94_SetNumberOfNodes(obj_, 3), 0);
  Global().bt_DesignDoneFlag = 1;
  EXPECT_EQ(clsDesignCSA94_ResetDesign(obj_), 0);
  EXPECT_EQ(Global().i_NumNodes + Global().bt_DesignDoneFlag, 0);
}

// Without a registered handler a box is one line on standard error.
TEST(MessageBoxHook, TheDefaultHandlerWritesOneLineToStandardError) {
  ResetGlobalState();
  clsDesignCSA94* obj = clsDesignCSA94_Create();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(clsDesignCSA94_SetUnits(obj, 9), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "OstrelDesignCSA94: Unrecognized units\n");
  clsDesignCSA94_Release(obj);
}

}  // namespace
}  // namespace ostrel
