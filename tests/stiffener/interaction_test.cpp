// Capacity functions of the public interface against closed-form results: a
// 400 x 600 rectangle with 10 bars (pure tension, the compressive cap, pure
// bending by the rectangular stress block) and a singly reinforced plate
// strip in pure bending; and the refusals, one line each.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "OstrelDesignCSA94.hpp"
#include "support/MessageCapture.h"

namespace {

constexpr double kPhiS = 0.85f;
constexpr double kEpsCu = 0.0035f;

// 400 wide (z) by 600 high (y), five bars on each face z = +-150, SI.
OstrelStiffenerProperties Rectangle() {
  OstrelStiffenerProperties p{};
  p.f_SectionWidth = 400;
  p.f_sectionHeight = 600;
  p.f_fc = 30;
  p.f_density = 2400;
  p.f_fy = 400;
  p.f_Es = 200000;
  p.f_MaxRatioOfRFT = 4;
  p.f_Cover_Z = p.f_Cover_Y = p.f_Cover_Z_st = p.f_Cover_Y_st = 50;
  return p;
}

// Pure bending of a section with two bar layers (area `layer` each) at
// depths dTop and dBottom below the compressed face of a b-wide rectangle of
// depth h, by the rectangular stress block: the depth c that balances the
// forces, found by halving, and the moment about mid-depth (N-mm).
double TwoLayerPureBending(double b, double h, double dTop, double dBottom, double layer,
                           double fc, double fy, double es) {
  const double beta1 = 0.97 - 0.0025 * fc;
  const double block = 0.6 * (0.85 - 0.0015 * fc) * fc;
  const double phiEs = kPhiS * es;
  auto steel = [&](double c, double d) {  // compression positive, displaced concrete out
    double f = std::clamp(phiEs * kEpsCu * (c - d) / c, -kPhiS * fy, kPhiS * fy);
    return d < beta1 * c ? f - block : f;
  };
  double lo = 1, hi = h;
  for (int i = 0; i < 200; ++i) {
    const double c = (lo + hi) / 2;
    const double net = block * b * beta1 * c + layer * (steel(c, dTop) + steel(c, dBottom));
    (net > 0 ? hi : lo) = c;
  }
  const double c = lo, a = beta1 * c;
  return block * b * a * (h / 2 - a / 2) + layer * steel(c, dTop) * (h / 2 - dTop) +
         layer * steel(c, dBottom) * (h / 2 - dBottom);
}

TEST(InteractionClosedForm, RectangleTensionCapAndPureBending) {
  const OstrelStiffenerProperties p = Rectangle();
  std::vector<OstrelCurvePoint> points, control;
  ASSERT_EQ(clsDesignCSA94::StiffenerCurve(1, p, 2.0f, 7, 50, points, control), 0);
  ASSERT_EQ(points.size(), 50u);
  const double as = 2.0 / 100 * 240000;
  const double block = 0.6f * (0.85 - 0.0015 * 30) * 30;
  const double tension = kPhiS * 400 * as / 1000;  // kN
  const double cap = -0.8f * ((kPhiS * 400 - block) * as + block * 240000) / 1000;
  EXPECT_NEAR(points.front().d_P, tension, 1e-9 * tension);
  EXPECT_NEAR(control[0].d_P, tension, 1e-9 * tension);
  EXPECT_NEAR(control[0].d_M, 0, 1e-12);
  EXPECT_NEAR(points.back().d_P, cap, 1e-9 * -cap);
  EXPECT_NEAR(control[3].d_P, cap, 1e-9 * -cap);
  // Direction 7: the -z face compressed, the bars in two layers 50 and 350
  // deep, the block 600 wide.
  const double m = TwoLayerPureBending(600, 400, 50, 350, as / 2, 30, 400, 200000) / 1e6;
  EXPECT_NEAR(control[1].d_P, 0, 1e-12);
  EXPECT_NEAR(control[1].d_M, m, 1e-4 * m);
  EXPECT_NEAR(control[1].d_Muy, -m, 1e-4 * m);  // the design's sign: compression toward -z
  // Balanced lies between pure bending and the cap, with the most moment.
  EXPECT_LT(control[2].d_P, 0);
  EXPECT_GT(control[2].d_P, cap);
  for (const OstrelCurvePoint& q : points) EXPECT_LE(q.d_M, control[2].d_M * (1 + 1e-9));
  // Beyond the squash load (1.25 times the cap) and the tensile resistance no
  // moment is carried: an empty contour, not a failure; inside, a full one.
  ostrel::test::MessageCapture capture;
  for (const auto& [P, expected] : {std::pair{1.3 * cap, 0}, std::pair{1.1 * tension, 0},
                                    std::pair{0.5 * cap, 8}}) {
    std::vector<double> muy, muz;
    ASSERT_EQ(clsDesignCSA94::StiffenerContour(1, p, 2.0f, static_cast<float>(P), 8, muy, muz), 0);
    EXPECT_EQ(muy.size(), static_cast<size_t>(expected)) << P;
  }
  EXPECT_EQ(capture.count(), 0u);
}

// Along pure Muz and pure Muy the curve of a moment direction is the curve
// of the fixed direction the check reads there (1 and 7).
TEST(InteractionClosedForm, MomentDirectionCurvesMeetTheFixedDirections) {
  const OstrelStiffenerProperties p = Rectangle();
  for (const auto& [angle, direction] : {std::pair{0.0, 1}, std::pair{90.0, 7}}) {
    std::vector<OstrelCurvePoint> along, fixed, control;
    ASSERT_EQ(clsDesignCSA94::StiffenerMomentCurve(1, p, 2.0f, angle, 20, along), 0);
    ASSERT_EQ(clsDesignCSA94::StiffenerCurve(1, p, 2.0f, direction, 20, fixed, control), 0);
    for (size_t i = 1; i < 20; ++i) {
      EXPECT_DOUBLE_EQ(along[i].d_P, fixed[i].d_P);
      EXPECT_NEAR(along[i].d_M, std::hypot(fixed[i].d_Muy, fixed[i].d_Muz), 1e-6 * along[i].d_M)
          << angle << " degrees, point " << i;
    }
  }
}

TEST(InteractionClosedForm, SinglyReinforcedStripInPureBending) {
  // One curtain 150 deep from face B: As = 0.5 % of 200 mm.
  OstrelPlateProperties p{200, 30, 400, 200000, 0, 4, 0, 4, 1, 50, 50};
  const double as = 0.5 / 100 * 200;  // mm2/mm
  const double t = kPhiS * 400 * as;
  const double a = t / (0.6f * static_cast<double>(static_cast<float>(0.85 - 0.0015 * 30)) * 30);
  const double m = t * (150 - a / 2) / 1000;  // kN-m/m
  double ratio = 0, n = 0, mu = 0;
  ASSERT_EQ(clsDesignCSA94::PlateStripDemandCapacity(1, p, 0.5f, OSTREL_PLATE_X,
                                                     {0, 0, 0, static_cast<float>(m), 0, 0},
                                                     ratio, n, mu),
            0);
  EXPECT_NEAR(ratio, 1.0, 1e-5);
  EXPECT_FLOAT_EQ(static_cast<float>(mu), static_cast<float>(m));
  // The curve passes the same moment where it crosses N = 0.
  std::vector<double> N, M;
  ASSERT_EQ(clsDesignCSA94::PlateStripCurve(1, p, 0.5f, OSTREL_PLATE_X, 400, N, M), 0);
  for (size_t i = 1; i < 400; ++i) {
    if (N[i - 1] >= 0 && N[i] < 0) {
      const double at0 = M[i - 1] + (M[i] - M[i - 1]) * N[i - 1] / (N[i - 1] - N[i]);
      EXPECT_NEAR(at0, m, 2e-3 * m);
    }
  }
}

struct Refusal {
  const char* what;
  uint8_t units;
  float ratio;
  float coverZ;
  float stirrupCoverZ;
  const char* text;
};

class InteractionRefusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(InteractionRefusals, OneLineAndNothingWritten) {
  const Refusal& r = GetParam();
  OstrelStiffenerProperties p = Rectangle();
  p.f_Cover_Z = r.coverZ;
  p.f_Cover_Z_st = r.stirrupCoverZ;
  ostrel::test::MessageCapture capture;
  double dc = -1;
  uint8_t has = 7;
  EXPECT_EQ(OstrelDesignCSA94_StiffenerDemandCapacity(r.units, &p, r.ratio, 0, 1, 1, &dc, &has),
            1);
  EXPECT_EQ(dc, -1);
  EXPECT_EQ(has, 7);
  ASSERT_EQ(capture.count(), 1u);
  EXPECT_EQ(capture.last(), std::string("OstrelDesignCSA94_StiffenerDemandCapacity: ") + r.text);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, InteractionRefusals,
    ::testing::Values(
        Refusal{"units", 2, 2, 50, 50, "unrecognized units code 2 (0 US customary, 1 SI)"},
        Refusal{"ratio", 1, 0, 50, 50,
                "the steel ratio must be greater than 0 and at most 100 percent"},
        Refusal{"nan", 1, NAN, 50, 50, "the steel ratio is not a finite number"},
        Refusal{"cover", 1, 2, 250, 50, "the cover is too large"},
        Refusal{"stirrups", 1, 2, 50, 200, "the covers leave no room for the bars"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(InteractionRefusals, NullBufferAndFlangedContour) {
  ostrel::test::MessageCapture capture;
  OstrelStiffenerProperties p = Rectangle();
  EXPECT_EQ(OstrelDesignCSA94_StiffenerCurve(1, &p, 2, 1, 10, nullptr, nullptr), 1);
  EXPECT_EQ(capture.last(), "OstrelDesignCSA94_StiffenerCurve: a required pointer argument is NULL");
  p.f_LeftFlangeWidth = 500;
  p.f_LeftFlangeThickness = 150;
  double muy[4], muz[4];
  int32_t n = -1;
  EXPECT_EQ(OstrelDesignCSA94_StiffenerContour(1, &p, 2, 0, 4, muy, muz, &n), 1);
  EXPECT_EQ(n, -1);
  EXPECT_EQ(capture.count(), 2u);
}

}  // namespace
