// The stiffener phase: section state, cover check, the four phases with
// their fetches, resets and stores, and the unit conversions. The model goes
// in through the input methods, the forces come from the test analysis
// results, and the phase is called directly.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "OstrelDesignCSA94.hpp"
#include "component/modGlobal.h"
#include "run/AnalysisResults.h"
#include "run/modDesign.h"
#include "stiffener/StiffenerDesign.h"
#include "stiffener/modBeamDesignCSA94.h"
#include "support/FakeAnalysis.h"
#include "support/MessageCapture.h"

namespace ostrel {
namespace {

using Forces = std::array<float, 6>;  // P, Vy, Vz, T, My, Mz (kN, kN-m in SI)

struct Element {
  uint8_t type = 0, projection = 0;
  float width = 400, height = 600, leftWidth = 0, leftThickness = 0, rightWidth = 0,
        rightThickness = 0, fc = 30, density = 2400, fy = 400, es = 200000, minRatio = 1,
        maxRatio = 4;
  uint8_t arrangement = 0;
  float coverZ = 50, coverY = 50, coverZst = 40, coverYst = 40;
};

// 30 kN-m on the 400 x 600 web with 40 mm stirrup cover: At/s (mm2/m) and Al (mm2).
constexpr double kAt30 = 311.91774477769296;
constexpr double kAl30 = 524.0217895507812;

class StiffenerDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    BeamState() = modBeamDesignCSA94{};
    Design().sErrorMessage = "phase";
    fake_.Register();
  }

  void Model(uint8_t units, std::initializer_list<int> types, std::initializer_list<Element> els) {
    ASSERT_EQ(obj_.SetUnits(units), 0);
    ASSERT_EQ(obj_.SetNumberOfLoadCombinations(static_cast<int32_t>(types.size())), 0);
    int16_t k = 0;
    for (int t : types) ASSERT_EQ(obj_.SetComboType(++k, static_cast<uint8_t>(t)), 0);
    ASSERT_EQ(obj_.SetNumberOfStiffenerElements(static_cast<int32_t>(els.size())), 0);
    int32_t e = 0;
    for (const Element& x : els) {
      ASSERT_EQ(obj_.SetStiffenerElementProperties(
                    ++e, x.type, x.projection, x.width, x.height, x.leftWidth, x.leftThickness,
                    x.rightWidth, x.rightThickness, x.fc, x.density, x.fy, x.es, x.minRatio,
                    x.maxRatio, x.arrangement, x.coverZ, x.coverY, x.coverZst, x.coverYst, 0),
                0);
    }
  }
  void Set(int e, int k, const Forces& end1, const Forces& end2 = {}) {
    fake_.SetStiffenerForces(e, k, end1, end2);
  }
  void RunPhase() {
    Global().analysisResults = CreateAnalysisResults();
    SetDesignConstants();
    ClearFloatFaults();
    DesignStiffenerElements();
  }
  int FetchesOf(int e) {
    int n = 0;
    for (const auto& c : fake_->calls) n += c.item == e ? 1 : 0;
    return n;
  }
  static const typStiffenerElement& R() { return Global().StiffenerElement; }

  clsDesignCSA94 obj_;
  test::MessageCapture capture_;
  test::FakeAnalysis fake_;
};

TEST_F(StiffenerDriverTest, OnlyServiceCombinationsStopWithZeroResults) {
  Model(1, {0, 0}, {Element{}});
  EXPECT_THROW(RunPhase(), RunTimeError);
  EXPECT_EQ(Design().sErrorMessage, "There is no ultimate-load combination defined");
  EXPECT_EQ(fake_.CallCount("GetStiffenerElementForces"), 0);
  EXPECT_EQ(R().i_DesignComboIndex_flex(1) + R().i_DesignComboIndex_tor(1), 0);
  EXPECT_EQ(R().f_Spacing_y(1), 0);
}

TEST_F(StiffenerDriverTest, FourPhasesOfRegularElements) {
  Model(1, {0, 1, 1}, {Element{}, Element{}});
  // A service combination that would govern everything if it were designed.
  Set(1, 1, {0, 900, 900, 200, 50, 0});
  Set(1, 2, {-100, 0, 150, 0, 10, 20}, {0, 0, 800, 0, 0, 0});
  Set(1, 3, {-50, 0, 20, 30, 5, 0});
  // Element 2: 150 kN along z needs only the minimum, no torsion steel.
  Set(2, 2, {-100, 0, 150, 1, 10, 20});
  Set(2, 3, {-100, 10, 30, 2, 10, 0});
  RunPhase();
  EXPECT_EQ(FetchesOf(1), 4 * 3);
  EXPECT_EQ(Design().sErrorMessage, "phase");

  // Element 1: the torsion of combination 3 governs both shears and torsion.
  EXPECT_EQ(R().bt_DesignStatus_Shear(1), DESIGN_PASS);
  EXPECT_EQ(R().i_DesignComboIndex_y(1), 3);
  EXPECT_NEAR(R().f_AvOverS_y(1), 2 * kAt30, 1e-6);
  EXPECT_DOUBLE_EQ(R().f_Spacing_y(1), 210);
  EXPECT_DOUBLE_EQ(R().f_Pu_y(1), -50);
  EXPECT_EQ(R().i_DesignComboIndex_z(1), 3);
  EXPECT_DOUBLE_EQ(R().f_Vu_z(1), 20);
  EXPECT_EQ(R().i_DesignComboIndex_tor(1), 3);
  EXPECT_NEAR(R().f_AtOverS(1), kAt30, 1e-6);
  EXPECT_EQ(R().f_Al(1), kAl30);
  EXPECT_DOUBLE_EQ(R().f_Tu_tor(1), 30);
  EXPECT_EQ(R().f_Vu_tor(1), 0);
  EXPECT_DOUBLE_EQ(R().f_Spacing_tor(1), 210);

  // Element 2: minimum stirrups at 0.7 d = 245 along z (d = 350, bw = 600),
  // none along y; the torsion fields carry combination 2's shear along z.
  EXPECT_NEAR(R().f_AvOverS_z(2), 1000 * 0.06 * std::sqrt(30.0) * 600 / 400, 1e-6);
  EXPECT_DOUBLE_EQ(R().f_Spacing_z(2), 245);
  EXPECT_EQ(R().f_Spacing_y(2), -1);
  EXPECT_EQ(R().i_DesignComboIndex_y(2), 2);
  EXPECT_EQ(R().f_AtOverS(2) + R().f_Al(2), 0);
  EXPECT_EQ(R().f_Spacing_tor(2), -1);
  EXPECT_DOUBLE_EQ(R().f_Vu_tor(2), 150);

  // Element 2 (the last designed) keeps its forces: a zero ultimate moment
  // about z became +0.0001, the service one stays 0.
  const modBeamDesignCSA94& s = BeamState();
  EXPECT_EQ(s.d_ComboMuz(3, 1), 0.0001);
  EXPECT_EQ(s.d_ComboMomentAngle(3, 1), std::atan(10e6 / 0.0001));
  EXPECT_EQ(s.d_ComboMuz(1, 1), 0);
}

TEST_F(StiffenerDriverTest, CoversThatDoNotFit) {
  Element stirrupZ, stirrupYNearly, stirrupYFits, circle, wideCircle;
  stirrupZ.coverZst = 200;               // W - 0.0001 < 2 x 200
  stirrupYNearly.coverYst = 299.99996f;  // leaves less than 0.0001
  stirrupYFits.coverYst = 299.9f;
  // A circle of bars in a 400 x 600 web: the y covers are the z ones plus
  // 100, so the host's y stirrup cover does not count.
  circle.arrangement = 3;
  circle.coverYst = 299;
  // In a 600 wide, 400 high web the y stirrup cover becomes the z one (200,
  // half the height): it fails where the host's covers alone would fit.
  wideCircle.arrangement = 3;
  wideCircle.width = 600;
  wideCircle.height = 400;
  wideCircle.coverZst = 200;
  Model(1, {0, 1}, {stirrupZ, stirrupYNearly, stirrupYFits, circle, wideCircle});
  Set(3, 2, {-100, 0, 150, 0, 10, 20});
  RunPhase();
  const int16_t expected[] = {5, 5, 0, 0, 5};
  for (int e = 1; e <= 5; ++e) {
    EXPECT_EQ(R().bt_DesignStatus_Shear(e), expected[e - 1]) << e;
    if (expected[e - 1] != 5) continue;
    EXPECT_EQ(R().bt_DesignStatus_flex(e), 5);
    EXPECT_EQ(FetchesOf(e), 0);
    EXPECT_EQ(R().i_DesignComboIndex_tor(e), 2);
    EXPECT_EQ(R().f_Spacing_z(e), 0);
  }
  EXPECT_EQ(FetchesOf(3), 4 * 2);
  EXPECT_GT(R().f_AvOverS_z(3), 0);

  // The circle centred on the smaller side of a wide web.
  wideCircle.coverZst = 40;
  wideCircle.coverY = 120;    // ignored
  wideCircle.coverYst = 100;  // ignored
  Model(1, {1}, {wideCircle});
  RunPhase();
  const modBeamDesignCSA94& s = BeamState();
  EXPECT_EQ(s.d_CoverY, 50);
  EXPECT_EQ(s.d_CoverYst, 40);
  EXPECT_EQ(s.d_CoverZ, 150);
  EXPECT_EQ(s.d_CoverZst, 140);
}

TEST_F(StiffenerDriverTest, RatioLimitsFlangesAndCircularWidth) {
  Element ratios, flanged, circle;
  ratios.minRatio = 3;
  ratios.maxRatio = 2;
  flanged.rightWidth = 0.0002f;
  flanged.rightThickness = 100;
  circle.type = 1;
  circle.width = circle.height = 500;
  circle.arrangement = 3;
  Model(1, {0, 1}, {ratios, flanged, circle});
  Set(1, 2, {-100, 0, 150, 30, 10, 20});
  Set(2, 2, {-100, 2000, 150, 30, 10, 20});  // 2000 kN along y would fail
  // D = 500: d = 400 both ways; 1.1 times the limit on 0.8 D, 0.83 on D.
  const double l = 0.6f * std::sqrt(30.0);
  Set(3, 2, {0, 0, static_cast<float>((0.2 * l + 1.1 * 0.8 * l) * 160), 0, 10, 20});
  RunPhase();

  EXPECT_EQ(R().bt_DesignStatus_flex(1), Fail_MinRFTExceedMaximum);
  EXPECT_EQ(R().f_As(1) + R().f_RatioOfSteel(1) + R().f_Pu_flex(1), 0);
  EXPECT_EQ(R().i_DesignComboIndex_flex(1), 2);
  EXPECT_EQ(R().bt_DesignStatus_Shear(1), DESIGN_PASS);
  EXPECT_NEAR(R().f_AtOverS(1), kAt30, 1e-6);

  EXPECT_EQ(R().f_AvOverS_y(2) + R().f_Pu_y(2) + R().f_Tu_y(2) + R().f_Vu_y(2), 0);
  EXPECT_EQ(R().i_DesignComboIndex_y(2), 2);
  EXPECT_EQ(R().f_Spacing_y(2), -1);
  EXPECT_EQ(R().bt_DesignStatus_Shear(2), DESIGN_PASS);
  EXPECT_DOUBLE_EQ(R().f_Vu_z(2), 150);

  EXPECT_EQ(R().bt_DesignStatus_Shear(3), Fail_ShearStreessExceedMaximum_z);
  EXPECT_EQ(BeamState().d_ShearWidth, 400);
}

TEST_F(StiffenerDriverTest, ShearFailuresAlongYAndZ) {
  Model(1, {0, 1, 1}, {Element{}, Element{}});
  Set(1, 2, {-100, 100, 150, 30, 10, 20});
  Set(1, 3, {-70, -2000, 150, 5, 10, 20});
  Set(2, 2, {-100, 50, 150, 30, 10, 20});
  Set(2, 3, {-80, 50, 3000, 4, 10, 20});
  RunPhase();
  // Along y: the check's combination with spacing 0; z and torsion only reset.
  EXPECT_EQ(R().bt_DesignStatus_Shear(1), Fail_ShearStreessExceedMaximum_y);
  EXPECT_EQ(R().i_DesignComboIndex_y(1), 3);
  EXPECT_EQ(R().f_Spacing_y(1), 0);
  EXPECT_DOUBLE_EQ(R().f_Vu_y(1), 2000);
  EXPECT_DOUBLE_EQ(R().f_Tu_y(1), 5);
  EXPECT_EQ(R().f_Spacing_z(1), -1);
  EXPECT_EQ(R().f_AvOverS_z(1) + R().f_Vu_z(1) + R().f_Pu_z(1), 0);
  EXPECT_EQ(R().i_DesignComboIndex_z(1), 2);
  EXPECT_EQ(R().f_AtOverS(1) + R().f_Al(1) + R().f_Tu_tor(1), 0);
  EXPECT_EQ(R().f_Spacing_tor(1), -1);
  EXPECT_EQ(R().i_DesignComboIndex_tor(1), 2);
  EXPECT_EQ(FetchesOf(1), 4 * 3);
  // Along z: spacing 0 in z and torsion, with the check's forces.
  EXPECT_EQ(R().bt_DesignStatus_Shear(2), Fail_ShearStreessExceedMaximum_z);
  EXPECT_EQ(R().f_Spacing_z(2), 0);
  EXPECT_EQ(R().f_Spacing_tor(2), 0);
  EXPECT_EQ(R().i_DesignComboIndex_tor(2), 3);
  EXPECT_DOUBLE_EQ(R().f_Vu_tor(2), 3000);
  EXPECT_DOUBLE_EQ(R().f_Pu_tor(2), -80);
  EXPECT_EQ(R().f_AtOverS(2), 0);
  EXPECT_GT(R().f_AvOverS_y(2), 0);
}

TEST_F(StiffenerDriverTest, UsUnitsConvertInAndOut) {
  Element us;
  us.width = 16;
  us.height = 24;
  us.rightWidth = 30;
  us.rightThickness = 6;
  us.fc = 4.35f;
  us.density = 150;
  us.fy = 58;
  us.es = 29000;
  us.coverZ = us.coverY = 2;
  us.coverZst = us.coverYst = 1.5f;
  Model(0, {1}, {us});
  Set(1, 1, {-20, 0, 40, 30, 10, 20});  // kips and kip-ft
  RunPhase();
  const modBeamDesignCSA94& s = BeamState();
  EXPECT_NEAR(s.d_Height, 609.6, 1e-4);
  EXPECT_NEAR(s.d_Width, 406.4, 1e-4);
  EXPECT_NEAR(s.d_FlangeWidth[2], 762, 1e-4);
  EXPECT_NEAR(s.d_PhiFyStirrup, 0.85 * 58 * 6.8948, 1e-3);
  EXPECT_NEAR(R().f_Vu_z(1), 40, 1e-5);
  EXPECT_NEAR(R().f_Tu_tor(1), 30, 1e-5);
  ASSERT_GT(s.d_Al, 0);
  EXPECT_NEAR(R().f_Al(1) * 645.16, s.d_Al, s.d_Al * 1e-6);  // 1 in2 is 645.16 mm2
  EXPECT_NEAR(R().f_AtOverS(1), s.d_AtOverS * 12 / 25.4, s.d_AtOverS * 1e-6);
  EXPECT_NEAR(R().f_Spacing_tor(1) * 25.4, s.d_GovSpacing, 1e-4);
}

TEST_F(StiffenerDriverTest, AnalysisFailuresStopThePhase) {
  Model(1, {1, 1}, {Element{}, Element{}});
  Set(1, 1, {-100, 0, 150, 30, 10, 20});
  Set(2, 1, {-100, 0, 150, 30, 10, 20});
  fake_.FailAt("GetStiffenerElementForces", 8 + 3, 1);  // element 2, shear-y phase
  EXPECT_THROW(RunPhase(), RunTimeError);
  EXPECT_EQ(Design().sErrorMessage, "");
  EXPECT_GT(R().f_AtOverS(1), 0);
  EXPECT_EQ(R().bt_DesignStatus_flex(2), R().bt_DesignStatus_flex(1));
  EXPECT_EQ(R().f_AvOverS_z(2) + R().f_Spacing_y(2), 0);

  Design().sErrorMessage = "phase";
  fake_->calls.clear();
  fake_.FailAt("GetStiffenerElementForces", 2, -5);  // a failed call keeps the message
  EXPECT_THROW(RunPhase(), RunTimeError);
  EXPECT_EQ(Design().sErrorMessage, "phase");

  fake_.FailAt("", 0, 0);
  Set(1, 2, {0, 0, std::numeric_limits<float>::quiet_NaN(), 0, 0, 0});
  EXPECT_THROW(RunPhase(), RunTimeError);
}

}  // namespace
}  // namespace ostrel
