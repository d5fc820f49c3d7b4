// The stiffener phase: section state, cover check, and the four phases with
// their fetches, resets and stores.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "OstrelDesignCSA94.hpp"
#include "model/modGlobal.h"
#include "platform/AnalysisResults.h"
#include "model/modDesign.h"
#include "run/ElementPhases.h"
#include "stiffener/StiffenerDesign.h"
#include "stiffener/modBeamDesignCSA94.h"
#include "support/FakeAnalysis.h"
#include "support/MessageCapture.h"

namespace ostrel {
namespace {

using Forces = std::array<float, 6>;   // P, Vy, Vz, T, My, Mz (kN, kN-m in SI)
using Fields = std::array<double, 6>;  // steel, combination, Pu, Tu, Vu, spacing

struct Element {
  uint8_t type = 0, projection = 0;
  float width = 400, height = 600, leftWidth = 0, leftThickness = 0, rightWidth = 0,
        rightThickness = 0, fc = 30, density = 2400, fy = 400, es = 200000, minRatio = 1,
        maxRatio = 4;
  uint8_t arrangement = 0;
  float coverZ = 50, coverY = 50, coverZst = 40, coverYst = 40;
};

// One-leg torsion stirrups (mm2/mm) for 30 kN-m on the 400 x 600 web with
// 40 mm stirrup cover: the shear flow on 0.85 Aoh, Aoh = 320 x 520.
double At30() {
  const modGlobal& g = Global();
  return 30e6 / (((2 * static_cast<double>(g.k_shear)) * (0.85 * 166400)) * (g.phi_s * 400.0));
}

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

  // The stored results of shear along 'y' or 'z', or of torsion ('t'):
  // the steel within tol, the rest exactly.
  static void ExpectFields(char phase, int e, const Fields& want, double tol = 0) {
    const typStiffenerElement& r = R();
    const Fields got =
        phase == 'y'   ? Fields{r.f_AvOverS_y(e), double(r.i_DesignComboIndex_y(e)), r.f_Pu_y(e),
                                r.f_Tu_y(e), r.f_Vu_y(e), r.f_Spacing_y(e)}
        : phase == 'z' ? Fields{r.f_AvOverS_z(e), double(r.i_DesignComboIndex_z(e)), r.f_Pu_z(e),
                                r.f_Tu_z(e), r.f_Vu_z(e), r.f_Spacing_z(e)}
                       : Fields{r.f_AtOverS(e), double(r.i_DesignComboIndex_tor(e)), r.f_Pu_tor(e),
                                r.f_Tu_tor(e), r.f_Vu_tor(e), r.f_Spacing_tor(e)};
    EXPECT_NEAR(got[0], want[0], tol) << phase << e;
    for (size_t i = 1; i < 6; ++i) EXPECT_DOUBLE_EQ(got[i], want[i]) << phase << e << " field " << i;
  }

  clsDesignCSA94 obj_;
  test::MessageCapture capture_;
  test::FakeAnalysis fake_;
};

TEST_F(StiffenerDriverTest, PhasesOfDesignedElements) {
  Model(1, {0, 1, 1}, {{}, {}, {.minRatio = 3, .maxRatio = 2},  // 3: ratios, 4: flanged, 5: circular
                       {.rightWidth = 0.0002f, .rightThickness = 100},
                       {.type = 1, .width = 500, .height = 500, .arrangement = 3}});
  // A service combination and an end-2 shear that would govern if designed.
  Set(1, 1, {0, 900, 900, 200, 50, 0});
  Set(1, 2, {-100, 0, 150, 0, 10, 20}, {0, 0, 800, 0, 0, 0});
  Set(1, 3, {-50, 0, 20, 30, 5, 0});
  Set(2, 2, {-100, 0, 150, 1, 10, 20});
  Set(2, 3, {-100, 10, 30, 2, 10, 0});
  Set(3, 2, {-100, 0, 150, 30, 10, 20});
  Set(4, 2, {-100, 2000, 150, 30, 10, 20});  // 2000 kN along y would fail
  // D = 500: d = 400 both ways; 1.1 times the limit on 0.8 D (0.83 on D).
  const double l = 0.6f * std::sqrt(30.0);
  Set(5, 2, {0, 0, static_cast<float>((0.2 * l + 1.1 * 0.8 * l) * 160), 0, 10, -5e-11f});
  RunPhase();
  EXPECT_EQ(FetchesOf(1), 4 * 3);
  EXPECT_EQ(Design().sErrorMessage, "phase");
  // Element 1: the torsion of combination 3 governs both shears and torsion.
  EXPECT_EQ(R().bt_DesignStatus_Shear(1), DESIGN_PASS);
  const double at30 = 1000 * At30();  // mm2/m
  ExpectFields('y', 1, {2 * at30, 3, -50, 30, 0, 210}, 1e-9);
  ExpectFields('z', 1, {2 * at30, 3, -50, 30, 20, 210}, 1e-9);
  ExpectFields('t', 1, {at30, 3, -50, 30, 0, 210}, 1e-9);
  // Al = At ph fyt / fy in 32 bits, ph = 1680.
  const double phiFy = Global().phi_s * 400.0;
  EXPECT_EQ(R().f_Al(1), static_cast<float>(((At30() * 1680) * phiFy) / phiFy));
  // Element 2: no stirrups along y; the minimum along z at 0.7 d = 245 (d = 350,
  // bw = 600); no torsion steel, the torsion fields carrying the z shear.
  ExpectFields('y', 2, {0, 2, -100, 1, 0, -1});
  ExpectFields('z', 2, {1000 * 0.06 * std::sqrt(30.0) * 600 / 400, 2, -100, 1, 150, 245}, 1e-9);
  ExpectFields('t', 2, {0, 2, -100, 1, 150, -1});
  EXPECT_EQ(R().f_Al(2), 0);
  // Element 3: no flexure, but shear and torsion as usual.
  EXPECT_EQ(R().bt_DesignStatus_flex(3), Fail_MinRFTExceedMaximum);
  EXPECT_EQ(R().f_As(3) + R().f_RatioOfSteel(3) + R().f_Pu_flex(3), 0);
  EXPECT_EQ(R().i_DesignComboIndex_flex(3), 2);
  EXPECT_EQ(R().bt_DesignStatus_Shear(3), DESIGN_PASS);
  EXPECT_NEAR(R().f_AtOverS(3), at30, 1e-9);
  // Element 4 (flanged): nothing along y, z designed.
  ExpectFields('y', 4, {0, 2, 0, 0, 0, -1});
  EXPECT_EQ(R().bt_DesignStatus_Shear(4), DESIGN_PASS);
  EXPECT_DOUBLE_EQ(R().f_Vu_z(4), 150);
  // Element 5 (circular): the shear width is 0.8 D.
  EXPECT_EQ(R().bt_DesignStatus_Shear(5), Fail_ShearStressExceedMaximum_z);
  // The section of an element built on its own is the one the phase designed.
  const StiffenerSection& designed = BeamState().section;
  const StiffenerSection built = StiffenerSectionOf(5);
  EXPECT_EQ((std::array{built.width, built.lambdaPhiSqrtFc, built.coverYst, built.rhoMax,
                        built.geo.areaWeb, built.geo.sectionDepth[4], built.Acp, built.shearDepthZ}),
            (std::array{designed.width, designed.lambdaPhiSqrtFc, designed.coverYst,
                        designed.rhoMax, designed.geo.areaWeb, designed.geo.sectionDepth[4],
                        designed.Acp, designed.shearDepthZ}));
  // An ultimate moment about z below 0.0001 N-mm becomes +0.0001; the service one stays 0.
  const StiffenerForces& s = BeamState().forces;
  EXPECT_EQ(s.Muz(2, 1), 0.0001);
  EXPECT_EQ(s.momentAngle(2, 1), std::atan(10e6 / 0.0001));
  EXPECT_EQ(s.Muz(1, 1), 0);
}

TEST_F(StiffenerDriverTest, FailuresSkipTheLaterPhases) {
  Model(1, {0, 1, 1},
        {{.coverZst = 200},       // W - 0.0001 < 2 x 200
         {.coverYst = 299.99996f},  // leaves less than 0.0001
         {.coverYst = 299.9f},
         // A circle of bars: y covers := z covers + 100, the host's y cover does not count;
         // in a 600 x 400 web the y stirrup cover := the z one, 200.
         {.arrangement = 3, .coverYst = 299},
         {.width = 600, .height = 400, .arrangement = 3, .coverZst = 200},
         {}, {},  // 6 and 7 fail the shear check along y and along z
         {.coverZst = 199.99996f},  // 8: the z stirrup line leaves less than 0.0001
         // Last: a circle centred on the smaller side of a wide web (y covers ignored).
         {.width = 600, .height = 400, .arrangement = 3, .coverY = 120, .coverYst = 100}});
  Set(3, 2, {-100, 0, 150, 0, 10, 20});
  Set(4, 2, {-100, 0, 150, 10, 10, 20});  // torsion steel just before the failing elements
  Set(6, 2, {-100, 100, 150, 30, 10, 20});
  Set(6, 3, {-70, -2000, 150, 5, 10, 20});
  Set(7, 2, {-100, 50, 150, 30, 10, 20});
  Set(7, 3, {-80, 50, 3000, 4, 10, 20});
  RunPhase();
  const int16_t expected[] = {5, 5, 0, 0, 5};
  for (int e = 1; e <= 5; ++e) {
    EXPECT_EQ(R().bt_DesignStatus_Shear(e), expected[e - 1]) << e;
    if (expected[e - 1] != 5) continue;
    EXPECT_EQ(R().bt_DesignStatus_flex(e), 5);
    EXPECT_EQ(FetchesOf(e), 0);
    ExpectFields('z', e, {0, 2, 0, 0, 0, 0});
    ExpectFields('t', e, {0, 2, 0, 0, 0, 0});
  }
  EXPECT_EQ(FetchesOf(3), 4 * 3);
  EXPECT_GT(R().f_AvOverS_z(3), 0);
  EXPECT_GT(R().f_AtOverS(4), 0);
  // Along y: the check's combination with spacing 0; z and torsion only reset.
  EXPECT_EQ(R().bt_DesignStatus_Shear(6), Fail_ShearStressExceedMaximum_y);
  ExpectFields('y', 6, {0, 3, -70, 5, 2000, 0});
  ExpectFields('z', 6, {0, 2, 0, 0, 0, -1});
  ExpectFields('t', 6, {0, 2, 0, 0, 0, -1});
  EXPECT_EQ(R().f_Al(6), 0);
  EXPECT_EQ(FetchesOf(6), 4 * 3);
  // Along z: spacing 0 in z and torsion, with the check's forces.
  EXPECT_EQ(R().bt_DesignStatus_Shear(7), Fail_ShearStressExceedMaximum_z);
  ExpectFields('z', 7, {0, 3, -80, 4, 3000, 0});
  ExpectFields('t', 7, {0, 3, -80, 4, 3000, 0});
  EXPECT_GT(R().f_AvOverS_y(7), 0);
  EXPECT_EQ(R().bt_DesignStatus_flex(8), Fail_CoverTooLarge);
  const StiffenerSection& s = BeamState().section;
  EXPECT_EQ((std::array{s.coverY, s.coverYst, s.coverZ, s.coverZst}),
            (std::array{50.0, 40.0, 150.0, 140.0}));
}

TEST_F(StiffenerDriverTest, StrengthsAboveTheirLimits) {
  Model(1, {1}, {{.fc = 90, .fy = 600}});
  SetDesignConstants();
  const modGlobal& g = Global();
  const StiffenerSection s = StiffenerSectionOf(1);
  EXPECT_EQ((std::array{s.phiFy, s.phiFyComp, s.phiFyStirrup, s.phiFc}),
            (std::array{g.phi_s * static_cast<double>(g.fy_max), g.phi_s * double(g.fyc_max),
                        g.phi_s * double(g.fyt_max), g.phi_c * double(g.fc_max)}));
}

TEST_F(StiffenerDriverTest, RunStops) {
  Model(1, {0, 0}, {Element{}});  // only service combinations: zero results, combination 0
  EXPECT_THROW(RunPhase(), RunTimeError);
  EXPECT_EQ(Design().sErrorMessage, "There is no ultimate-load combination defined");
  EXPECT_EQ(fake_.CallCount("GetStiffenerElementForces"), 0);
  ExpectFields('t', 1, {0, 0, 0, 0, 0, 0});

  Model(1, {1, 1}, {Element{}, Element{}});
  Set(1, 1, {-100, 0, 150, 30, 10, 20});
  fake_.FailAt("GetStiffenerElementForces", 8 + 3, 1);  // element 2, shear-y phase
  EXPECT_THROW(RunPhase(), RunTimeError);
  EXPECT_EQ(Design().sErrorMessage, "");
  EXPECT_GT(R().f_AtOverS(1), 0);  // element 1 and the flexure of element 2 stay
  EXPECT_EQ(R().bt_DesignStatus_flex(2), R().bt_DesignStatus_flex(1));
  EXPECT_EQ(R().f_AvOverS_z(2) + R().f_Spacing_y(2), 0);
  fake_.FailAt("", 0, 0);
  Set(1, 2, {0, 0, std::numeric_limits<float>::quiet_NaN(), 0, 0, 0});
  EXPECT_THROW(RunPhase(), RunTimeError);
}

}  // namespace
}  // namespace ostrel
