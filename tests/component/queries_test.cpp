// The result queries: refusals in their order with their exact messages,
// the field each output comes from, narrowing to the interface types, and
// the governing stirrup spacing of the summary.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "OstrelDesignCSA94.hpp"
#include "component/modGlobal.h"
#include "support/MessageCapture.h"

namespace ostrel {
namespace {

class Queries : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobalState(); }
  void TearDown() override { ResetGlobalState(); }

  // A held design with two nodes, two plates and two stiffeners; every
  // field of element/node 2 gets a distinct value.
  void HoldDesign() {
    modGlobal& g = Global();
    g.i_NumNodes = 2;
    g.i_NumPlateElements = 2;
    g.i_NumStiffenerElements = 2;
    g.bt_DesignDoneFlag = 1;
    typNode& n = g.Node;
    for (auto* f : {&n.f_Dx_Positive, &n.f_Dx_Negative, &n.f_Dy_Positive, &n.f_Dy_Negative,
                    &n.f_Dz_Positive, &n.f_Dz_Negative}) {
      f->Create(2);
    }
    for (auto* f : {&n.i_Dx_Pos_combo, &n.i_Dx_Neg_combo, &n.i_Dy_Pos_combo, &n.i_Dy_Neg_combo,
                    &n.i_Dz_Pos_combo, &n.i_Dz_Neg_combo}) {
      f->Create(2);
    }
    n.f_Dx_Negative(2) = -1.25;
    n.i_Dx_Neg_combo(2) = 3;
    n.f_Dx_Positive(2) = 1.5;
    n.i_Dx_Pos_combo(2) = 4;
    n.f_Dy_Negative(2) = -2.25;
    n.i_Dy_Neg_combo(2) = 5;
    n.f_Dy_Positive(2) = 2.5;
    n.i_Dy_Pos_combo(2) = 6;
    n.f_Dz_Negative(2) = -3.25;
    n.i_Dz_Neg_combo(2) = 7;
    n.f_Dz_Positive(2) = 0.1;  // narrowed to the nearest float
    n.i_Dz_Pos_combo(2) = 8;

    typPlateElement& p = g.PlateElement;
    p.bt_NumCurtains.Create(2);
    for (auto* f : {&p.f_AreaOfSteel_x, &p.f_Mu_x, &p.f_Pu_x, &p.f_AreaOfSteel_y, &p.f_Mu_y,
                    &p.f_Pu_y}) {
      f->Create(2);
    }
    for (auto* f : {&p.f_RatioOfSteel_x, &p.f_RatioOfSteel_y}) f->Create(2);
    for (auto* f : {&p.i_DesignComboIndex_x, &p.bt_DsignStatus_x, &p.i_DesignComboIndex_y,
                    &p.bt_DsignStatus_y}) {
      f->Create(2);
    }
    p.bt_NumCurtains(2) = 2;
    p.f_AreaOfSteel_x(2) = 11;
    p.f_RatioOfSteel_x(2) = 12;
    p.f_Mu_x(2) = 13;
    p.f_Pu_x(2) = 14;
    p.i_DesignComboIndex_x(2) = 15;
    p.bt_DsignStatus_x(2) = Fail_RequiredRFTExceedMaximum;
    p.f_AreaOfSteel_y(2) = 21;
    p.f_RatioOfSteel_y(2) = 22;
    p.f_Mu_y(2) = 23;
    p.f_Pu_y(2) = 24;
    p.i_DesignComboIndex_y(2) = 25;
    p.bt_DsignStatus_y(2) = Pass_UseTies;

    typStiffenerElement& s = g.StiffenerElement;
    for (auto* f : {&s.f_As, &s.f_Muy, &s.f_Muz, &s.f_Pu_flex, &s.f_AvOverS_y, &s.f_Pu_y,
                    &s.f_Tu_y, &s.f_Vu_y, &s.f_Spacing_y, &s.f_AvOverS_z, &s.f_Pu_z, &s.f_Tu_z,
                    &s.f_Vu_z, &s.f_Spacing_z, &s.f_AtOverS, &s.f_Al, &s.f_Pu_tor, &s.f_Tu_tor,
                    &s.f_Vu_tor, &s.f_Spacing_tor}) {
      f->Create(2);
    }
    s.f_RatioOfSteel.Create(2);
    for (auto* f : {&s.i_DesignComboIndex_flex, &s.bt_DesignStatus_flex, &s.i_DesignComboIndex_y,
                    &s.i_DesignComboIndex_z, &s.i_DesignComboIndex_tor, &s.bt_DesignStatus_Shear}) {
      f->Create(2);
    }
    s.f_As(2) = 31;
    s.f_RatioOfSteel(2) = 32;
    s.i_DesignComboIndex_flex(2) = 33;
    s.f_Muy(2) = 34;
    s.f_Muz(2) = 35;
    s.f_Pu_flex(2) = 36;
    s.bt_DesignStatus_flex(2) = Fail_RFTOutOfSection;
    s.f_AvOverS_y(2) = 41;
    s.i_DesignComboIndex_y(2) = 42;
    s.f_Pu_y(2) = 43;
    s.f_Vu_y(2) = 44;
    s.f_Tu_y(2) = 45;
    s.f_Spacing_y(2) = 46;
    s.f_AvOverS_z(2) = 51;
    s.i_DesignComboIndex_z(2) = 52;
    s.f_Pu_z(2) = 53;
    s.f_Vu_z(2) = 54;
    s.f_Tu_z(2) = 55;
    s.f_Spacing_z(2) = 56;
    s.f_AtOverS(2) = 61;
    s.f_Al(2) = 62;
    s.i_DesignComboIndex_tor(2) = 63;
    s.f_Pu_tor(2) = 64;
    s.f_Tu_tor(2) = 65;
    s.f_Vu_tor(2) = 66;  // never reported
    s.f_Spacing_tor(2) = 67;
    s.bt_DesignStatus_Shear(2) = Fail_ShearStreessExceedMaximum_z;
  }

  // The summary spacing for the three stored spacings of element 2.
  float SummarySpacing(double y, double z, double tor) {
    Global().StiffenerElement.f_Spacing_y(2) = y;
    Global().StiffenerElement.f_Spacing_z(2) = z;
    Global().StiffenerElement.f_Spacing_tor(2) = tor;
    float f[6];
    uint8_t b[2];
    EXPECT_EQ(d_.Get_Envelope_StiffernerRFTSummary(2, f[0], f[1], f[2], f[3], f[4], f[5], b[0],
                                                   b[1]),
              0);
    return f[5];
  }

  clsDesignCSA94 d_;
  test::MessageCapture boxes_;
};

TEST_F(Queries, BeforeAnyDesignEveryQueryRefusesWithItsNotDoneMessage) {
  float f[14] = {};
  int16_t i[6] = {};
  uint8_t b[3] = {7, 7, 7};
  EXPECT_EQ(d_.Get_Envelope_Displacement(1, f[0], i[0], f[1], i[1], f[2], i[2], f[3], i[3], f[4],
                                         i[4], f[5], i[5]),
            1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::Get_Envelope_Displacement: Design is not done");
  EXPECT_EQ(d_.Get_Envelope_PlateFlexureRFT(1, b[0], f[0], f[1], f[2], f[3], i[0], b[1], f[4],
                                            f[5], f[6], f[7], i[1], b[2]),
            1);
  EXPECT_EQ(d_.Get_Envelope_StiffernerFlexureRFT(1, f[0], f[1], i[0], f[2], f[3], f[4], b[0]), 1);
  EXPECT_EQ(d_.Get_Envelope_StiffernerShearRFT(1, f[0], i[0], f[1], f[2], f[3], f[4], f[5], i[1],
                                               f[6], f[7], f[8], f[9], b[0]),
            1);
  EXPECT_EQ(d_.Get_Envelope_StiffernerTorsionRFT(1, f[0], f[1], i[0], f[2], f[3], f[4], f[5],
                                                 b[0], b[1]),
            1);
  EXPECT_EQ(d_.Get_Envelope_StiffernerRFTSummary(1, f[0], f[1], f[2], f[3], f[4], f[5], b[0],
                                                 b[1]),
            1);
  ASSERT_EQ(boxes_.count(), 6u);
  for (size_t k = 1; k < 6; ++k) EXPECT_EQ(boxes_.texts()[k], "Design is not done");
  // Nothing was written.
  for (float v : f) EXPECT_EQ(v, 0.0f);
  for (int16_t v : i) EXPECT_EQ(v, 0);
  for (uint8_t v : b) EXPECT_EQ(v, 7);

  // The same after ResetDesign of a held design.
  HoldDesign();
  ASSERT_EQ(d_.ResetDesign(), 0);
  EXPECT_EQ(d_.Get_Envelope_StiffernerFlexureRFT(2, f[0], f[1], i[0], f[2], f[3], f[4], b[0]), 1);
  EXPECT_EQ(boxes_.last(), "Design is not done");
}

TEST_F(Queries, NumbersOutsideTheCountAreRefusedWithTheRangeMessage) {
  HoldDesign();
  float f[14];
  int16_t i[6];
  uint8_t b[3];
  for (int32_t bad : {0, 3, -1, 2147483647}) {
    boxes_.clear();
    EXPECT_EQ(d_.Get_Envelope_Displacement(bad, f[0], i[0], f[1], i[1], f[2], i[2], f[3], i[3],
                                           f[4], i[4], f[5], i[5]),
              1);
    EXPECT_EQ(d_.Get_Envelope_PlateFlexureRFT(bad, b[0], f[0], f[1], f[2], f[3], i[0], b[1], f[4],
                                              f[5], f[6], f[7], i[1], b[2]),
              1);
    EXPECT_EQ(d_.Get_Envelope_StiffernerFlexureRFT(bad, f[0], f[1], i[0], f[2], f[3], f[4], b[0]),
              1);
    EXPECT_EQ(d_.Get_Envelope_StiffernerShearRFT(bad, f[0], i[0], f[1], f[2], f[3], f[4], f[5],
                                                 i[1], f[6], f[7], f[8], f[9], b[0]),
              1);
    EXPECT_EQ(d_.Get_Envelope_StiffernerTorsionRFT(bad, f[0], f[1], i[0], f[2], f[3], f[4], f[5],
                                                   b[0], b[1]),
              1);
    EXPECT_EQ(d_.Get_Envelope_StiffernerRFTSummary(bad, f[0], f[1], f[2], f[3], f[4], f[5], b[0],
                                                   b[1]),
              1);
    const std::vector<std::string> expected = {
        "clsWallDesign::Get_Envelope_Displacement: Node number is out of range",
        "clsWallDesign::Get_Envelope_PlateFlexureRFT: element number is out of range",
        "clsWallDesign::Get_Envelope_StiffernerFlexureRFT: element number is out of range",
        "clsWallDesign::Get_Envelope_StiffernerShearRFT: element number is out of range",
        "clsWallDesign::Get_Envelope_StiffernerTorsionRFT: element number is out of range",
        "clsWallDesign::Get_Envelope_StiffernerRFTSummary: element number is out of range"};
    EXPECT_EQ(boxes_.texts(), expected) << bad;
  }
  // A count raised after the design passes the range check but finds no
  // stored result: the unexpected error.
  boxes_.clear();
  Global().i_NumNodes = 3;
  EXPECT_EQ(d_.Get_Envelope_Displacement(3, f[0], i[0], f[1], i[1], f[2], i[2], f[3], i[3], f[4],
                                         i[4], f[5], i[5]),
            1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::Get_Envelope_Displacement: Unexpected error");
}

TEST_F(Queries, OutputsComeFromTheirFieldsInArgumentOrder) {
  HoldDesign();
  float f[10];
  int16_t i[6];
  uint8_t b[3];
  ASSERT_EQ(d_.Get_Envelope_Displacement(2, f[0], i[0], f[1], i[1], f[2], i[2], f[3], i[3], f[4],
                                         i[4], f[5], i[5]),
            0);
  EXPECT_EQ(f[0], -1.25f);
  EXPECT_EQ(f[1], 1.5f);
  EXPECT_EQ(f[2], -2.25f);
  EXPECT_EQ(f[3], 2.5f);
  EXPECT_EQ(f[4], -3.25f);
  EXPECT_EQ(f[5], 0.1f);
  EXPECT_EQ((std::vector<int16_t>{i[0], i[1], i[2], i[3], i[4], i[5]}),
            (std::vector<int16_t>{3, 4, 5, 6, 7, 8}));

  ASSERT_EQ(d_.Get_Envelope_PlateFlexureRFT(2, b[0], f[0], f[1], f[2], f[3], i[0], b[1], f[4],
                                            f[5], f[6], f[7], i[1], b[2]),
            0);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ((std::vector<float>{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]}),
            (std::vector<float>{11, 12, 13, 14, 21, 22, 23, 24}));
  EXPECT_EQ(i[0], 15);
  EXPECT_EQ(b[1], 3);
  EXPECT_EQ(i[1], 25);
  EXPECT_EQ(b[2], 1);

  ASSERT_EQ(d_.Get_Envelope_StiffernerFlexureRFT(2, f[0], f[1], i[0], f[2], f[3], f[4], b[0]), 0);
  EXPECT_EQ((std::vector<float>{f[0], f[1], f[2], f[3], f[4]}),
            (std::vector<float>{31, 32, 34, 35, 36}));
  EXPECT_EQ(i[0], 33);
  EXPECT_EQ(b[0], 4);

  ASSERT_EQ(d_.Get_Envelope_StiffernerShearRFT(2, f[0], i[0], f[1], f[2], f[3], f[4], f[5], i[1],
                                               f[6], f[7], f[8], f[9], b[0]),
            0);
  EXPECT_EQ((std::vector<float>{f[0], f[1], f[2], f[3], f[4]}),
            (std::vector<float>{41, 43, 44, 45, 46}));
  EXPECT_EQ((std::vector<float>{f[5], f[6], f[7], f[8], f[9]}),
            (std::vector<float>{51, 53, 54, 55, 56}));
  EXPECT_EQ(i[0], 42);
  EXPECT_EQ(i[1], 52);
  EXPECT_EQ(b[0], 8);

  ASSERT_EQ(d_.Get_Envelope_StiffernerTorsionRFT(2, f[0], f[1], i[0], f[2], f[3], f[4], f[5],
                                                 b[0], b[1]),
            0);
  EXPECT_EQ((std::vector<float>{f[0], f[1], f[2], f[3], f[4], f[5]}),
            (std::vector<float>{61, 62, 64, 0, 65, 67}));
  EXPECT_EQ(i[0], 63);
  EXPECT_EQ(b[0], 2);  // shear direction
  EXPECT_EQ(b[1], 8);

  ASSERT_EQ(d_.Get_Envelope_StiffernerRFTSummary(2, f[0], f[1], f[2], f[3], f[4], f[5], b[0],
                                                 b[1]),
            0);
  EXPECT_EQ((std::vector<float>{f[0], f[1], f[2], f[3], f[4], f[5]}),
            (std::vector<float>{31, 62, 41, 51, 61, 46}));
  EXPECT_EQ(b[0], 4);
  EXPECT_EQ(b[1], 8);
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(Queries, SummarySpacingTakesTheSmallestPositiveCandidate) {
  HoldDesign();
  EXPECT_EQ(SummarySpacing(150, 100, 0), 100.0f);
  EXPECT_EQ(SummarySpacing(-1, 200, 120), 120.0f);
  EXPECT_EQ(SummarySpacing(0, 200, 120), 0.0f);
  EXPECT_EQ(SummarySpacing(0, -5, 120), 0.0f);
  EXPECT_EQ(SummarySpacing(-1, -2, -3), -1.0f);
  EXPECT_EQ(SummarySpacing(-1, 0, 80), 80.0f);
  EXPECT_EQ(SummarySpacing(90, 120, 100), 90.0f);
  // A candidate above 0 that narrows to 0 still counts as greater than 0.
  EXPECT_EQ(SummarySpacing(-1, 1e-50, 70), 0.0f);
}

TEST_F(Queries, ValuesThatDoNotFitTheInterfaceTypesFailWithoutOutput) {
  HoldDesign();
  float f[10] = {};
  int16_t i[6] = {};
  uint8_t b[3] = {};
  Global().PlateElement.f_Mu_y(2) = 1e39;  // beyond the 32-bit float range
  EXPECT_EQ(d_.Get_Envelope_PlateFlexureRFT(2, b[0], f[0], f[1], f[2], f[3], i[0], b[1], f[4],
                                            f[5], f[6], f[7], i[1], b[2]),
            1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::Get_Envelope_PlateFlexureRFT: Unexpected error");
  EXPECT_EQ(f[0], 0.0f);
  EXPECT_EQ(b[0], 0);

  Global().StiffenerElement.bt_DesignStatus_flex(2) = 256;  // beyond 8 bits
  EXPECT_EQ(d_.Get_Envelope_StiffernerFlexureRFT(2, f[0], f[1], i[0], f[2], f[3], f[4], b[0]), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::Get_Envelope_StiffernerFlexureRFT: Unexpected error");
  EXPECT_EQ(f[0], 0.0f);

  Global().StiffenerElement.f_RatioOfSteel(2) = std::numeric_limits<float>::quiet_NaN();
  Global().StiffenerElement.bt_DesignStatus_flex(2) = 0;
  EXPECT_EQ(d_.Get_Envelope_StiffernerFlexureRFT(2, f[0], f[1], i[0], f[2], f[3], f[4], b[0]), 1);

  Global().StiffenerElement.f_Spacing_tor(2) = -1e300;  // the summary narrows it too
  EXPECT_EQ(d_.Get_Envelope_StiffernerRFTSummary(2, f[0], f[1], f[2], f[3], f[4], f[5], b[0],
                                                 b[1]),
            1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::Get_Envelope_StiffernerRFTSummary: Unexpected error");

  Global().Node.f_Dz_Negative(2) = -std::numeric_limits<double>::infinity();
  EXPECT_EQ(d_.Get_Envelope_Displacement(2, f[0], i[0], f[1], i[1], f[2], i[2], f[3], i[3], f[4],
                                         i[4], f[5], i[5]),
            1);
  EXPECT_EQ(i[0], 0);
}

TEST_F(Queries, CurtainsStayReadableAfterTheInputIsReleased) {
  HoldDesign();
  ReleaseModelInput();
  float f[8];
  int16_t i[2];
  uint8_t b[3];
  ASSERT_EQ(d_.Get_Envelope_PlateFlexureRFT(2, b[0], f[0], f[1], f[2], f[3], i[0], b[1], f[4],
                                            f[5], f[6], f[7], i[1], b[2]),
            0);
  EXPECT_EQ(b[0], 2);
}

}  // namespace
}  // namespace ostrel
