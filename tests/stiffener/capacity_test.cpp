// Section capacity under axial load: the stress-block kernel, bar strains and
// their limits, the depth solve, the tension taper, the fixed capacity points
// and the capacity along a demand direction.
#include <gtest/gtest.h>

#include <cmath>

#include "stiffener/flexure_fixture.h"

namespace ostrel {
namespace {

const double kEpsCu = 0.0035f;  // the run's constant, a 32-bit float

class CapacityTest : public FlexureFixture {
 protected:
  // Direction d of the built geometry (no flanges) as the kernel's frame.
  void LoadFrame(int d) {
    x.d_FrameVertexU = s.geo.d_RotVertexU[d];
    x.d_FrameVertexW = s.geo.d_RotVertexW[d];
    x.d_FrameBarU = s.geo.d_RotBarU[d];
    x.d_FrameBarW = s.geo.d_RotBarW[d];
    x.d_FrameTop = s.geo.d_TopFibre[d];
    x.d_FrameBottomBar = s.geo.d_BottomBar[d];
  }
  double ForceAt(double c) {
    double F = 0;
    SectionForce(s, x, c, F);
    return F;
  }
  // Force of the bars alone at depth c.
  double BarForceAt(double as, double c) {
    SetSteel(0);
    const double concrete = ForceAt(c);
    SetSteel(as);
    return ForceAt(c) - concrete;
  }
  double Solve(double P, double& phi) { return SolveNeutralAxisDepth(s, x, P, 600.0, phi); }
};

TEST_F(CapacityTest, KernelStressBlockAndBars) {
  Rectangle(400, 600, 1, 50);  // bars at y = +-250
  const double st = s.d_BlockStress;
  double F = 0, Ma = 0, Mb = 0;
  SetSteel(0);
  LoadFrame(4);  // a corner: right isosceles triangle of height beta1 c
  SectionResultants(s, x, 100.0, F, Ma, Mb);
  const double h = s.d_Beta1 * 100;
  EXPECT_NEAR(F, -st * h * h, 1e-6);
  EXPECT_NEAR(Ma, F * (s.geo.d_TopFibre[4] - 2 * h / 3), 1e-3);
  EXPECT_NEAR(Mb, F * (-s.geo.d_RotVertexU[4][4]), 1e-3);
  EXPECT_EQ(ForceAt(100), F);  // the force-only twin agrees bit for bit

  // Bars beyond yield in tension (the strain reported unlimited), crushed
  // inside the block (less the displaced concrete), and at c = 53 the top
  // layer elastic between the neutral axis and the block edge.
  LoadFrame(1);
  EXPECT_NEAR(BarForceAt(3000, 20), 3000 * s.d_PhiFy, 1e-6);
  EXPECT_NEAR(SectionForce(s, x, 20.0, F), 530 * kEpsCu / 20, 1e-12);
  EXPECT_NEAR(BarForceAt(3000, 5000), 3000 * (st - s.d_PhiFyComp), 1e-6);
  EXPECT_NEAR(SectionForce(s, x, 5000.0, F), -4450 * kEpsCu / 5000, 1e-12);
  EXPECT_NEAR(BarForceAt(3000, 53), 1500 * (s.d_PhiEs * (-3 * kEpsCu / 53) + s.d_PhiFy), 1e-6);
  // Bars on the neutral axis: strain 0, no stress.
  for (int j = 1; j <= 10; ++j) {
    x.d_FrameBarW[j] = 50;
  }
  EXPECT_EQ(BarForceAt(3000, 250), 0.0);
  EXPECT_EQ(SectionForce(s, x, 250.0, F), 0.0);
}

TEST_F(CapacityTest, DepthSolveLandsOnTheTargetForce) {
  Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  ComputeCapacityPoints(s, x, 0.0);  // depth ratios and resistances of this steel
  LoadFrame(1);
  double phi = 0;
  // The depths d k_b and d k_t are taken without iteration when they match.
  const double fBalanced = ForceAt(500 * x.d_Kb);
  EXPECT_EQ(Solve(fBalanced + 0.00009, phi), 500 * x.d_Kb);
  EXPECT_EQ(phi, 1.0);
  EXPECT_EQ(Solve(ForceAt(500 * x.d_Kt), phi), 500 * x.d_Kt);
  for (const double p : {0.0, -1.0e6, 0.5 * x.d_Pt, -0.9 * x.d_Po, fBalanced + 1.0}) {
    EXPECT_LT(std::fabs(ForceAt(Solve(p, phi)) - p), 0.0001) << p;
  }
  // Beyond the squash load: a run-time error instead of an endless search.
  EXPECT_THROW(Solve(-3 * x.d_Po, phi), RunTimeError);
}

TEST_F(CapacityTest, TensionTaperNearTheTensileResistance) {
  Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  const double pt = 4000 * s.d_PhiFy;
  ComputeCapacityPoints(s, x, 0.95 * pt);  // no taper: direction 1 is the kernel's Ma
  const FlexureWork base = x;
  EXPECT_EQ(base.d_Pt, pt);
  LoadFrame(1);
  double phi = 0, F = 0, Ma = 0, Mb = 0;
  SectionResultants(s, x, Solve(0.95 * pt, phi), F, Ma, Mb);
  EXPECT_EQ(base.d_CapMuz[1], Ma);
  ASSERT_GT(std::fabs(Ma), 1e6);
  // Above 0.95 Pt: the same solve, moments scaled by (1 - P/Pt) x 20.
  const double above = std::nextafter(0.95 * pt, 1e300);
  const double taper = (1 - above / pt) * 20;
  ASSERT_LT(taper, 1.0);
  ComputeCapacityPoints(s, x, pt);  // nothing left at Pt
  const FlexureWork atPt = x;
  ComputeCapacityPoints(s, x, above);
  for (int d = 1; d <= 8; ++d) {
    const double tol = 1e-12 * std::hypot(base.d_CapMuy[d], base.d_CapMuz[d]) + 1e-9;
    EXPECT_NEAR(x.d_CapMuz[d], base.d_CapMuz[d] * taper, tol) << d;
    EXPECT_NEAR(x.d_CapMuy[d], base.d_CapMuy[d] * taper, tol) << d;
    EXPECT_EQ(atPt.d_CapMuz[d] + atPt.d_CapMuy[d], 0.0) << d;
  }
}

// Two layers of bars in pure bending about z: with the bottom layer yielded
// and the top layer elastic inside the block, equilibrium is the quadratic
//   s W beta1 c^2 + (A' Es' ecu - A' s - A fy) c - A' Es' ecu d' = 0.
// A symmetric square resists equally about both axes.
TEST_F(CapacityTest, FixedDirectionsMatchTheClosedForm) {
  Rectangle(400, 600, 1, 40);
  SetSteel(2000);
  ComputeCapacityPoints(s, x, 0.0);
  const double a = 1000;  // each layer
  const double st = s.d_BlockStress;
  const double qa = st * 400 * s.d_Beta1;
  const double qb = a * s.d_PhiEs * kEpsCu - a * st - a * s.d_PhiFy;
  const double qc = -a * s.d_PhiEs * kEpsCu * 40;
  const double c = (-qb + std::sqrt(qb * qb - 4 * qa * qc)) / (2 * qa);
  const double topStrain = (c - 40) / c * kEpsCu;
  ASSERT_LT(topStrain, s.d_PhiFyComp / s.d_PhiEs);
  ASSERT_GT(s.d_Beta1 * c, 40);
  ASSERT_GT((560 - c) / c * kEpsCu, x.d_EpsYield);
  const double topForce = a * (-s.d_PhiEs * topStrain + st);
  const double mz = -qa * c * (300 - s.d_Beta1 * c / 2) + (topForce - a * s.d_PhiFy) * 260;
  EXPECT_NEAR(x.d_CapMuz[1], mz, 1e-9 * std::fabs(mz));
  EXPECT_LT(mz, -1e8);

  Rectangle(500, 500, 2, 50);
  SetSteel(5000);
  ComputeCapacityPoints(s, x, -800000.0);
  const double full = std::fabs(x.d_CapMuz[1]);
  EXPECT_LT(std::fabs(x.d_CapMuy[1]), 1e-9 * full);  // 0 degrees: about z only
  EXPECT_NEAR(std::fabs(x.d_CapMuy[7]), full, 1e-9 * full);  // 90: about y only
  EXPECT_LT(std::fabs(x.d_CapMuz[7]), 1e-9 * full);
  EXPECT_NEAR(x.d_CapMuy[8], -x.d_CapMuy[7], 1e-9 * full);  // 270 reverses 90
  EXPECT_NEAR(std::fabs(x.d_CapMuy[2]), std::fabs(x.d_CapMuz[6]), 1e-9 * full);
}

TEST_F(CapacityTest, DemandAngleSearch) {
  Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  const double p = -600000;
  ComputeCapacityPoints(s, x, p);
  const FlexureWork pts = x;
  const auto angle = [&](int j) { return std::atan(std::fabs(pts.d_CapMuy[j] / pts.d_CapMuz[j])); };
  const double step = s.geo.d_PI / 12;
  // A demand along the capacity vector of direction 2, between 1 and 3.
  const double expected = 1.0e8 / (std::fabs(pts.d_CapMuz[2]) + std::fabs(pts.d_CapMuy[2])) *
                          (std::sin(angle(2)) + std::cos(angle(2)));
  EXPECT_NEAR(ComputeCapacityAtDemandAngle(s, x, p, 1.0e8 * std::sin(angle(2)),
                                           1.0e8 * std::cos(angle(2)),
                                           {2 * step, 0, angle(3), angle(1)}),
              expected, 2e-4 * expected);
  // Muz below 0.0001 counts as 0.0001: the demand along y alone.
  const double alongY = ComputeCapacityAtDemandAngle(s, x, p, 1.0e8, 0, {6 * step, 5 * step,
                                                                          angle(7), angle(6)});
  EXPECT_NEAR(alongY, 1.0e8 / (std::fabs(pts.d_CapMuz[7]) + std::fabs(pts.d_CapMuy[7])),
              2e-4 * alongY);
  // 15 degrees of the axis cannot turn the capacity to 0.3 rad: the search
  // ends with a run-time error once its bracket stops changing.
  EXPECT_THROW(ComputeCapacityAtDemandAngle(s, x, p, 1.0e8 * std::tan(0.3), 1.0e8,
                                            {step, 0, 0.35, 0}),
               RunTimeError);
}

TEST_F(CapacityTest, CompressiveYieldStrainOfTheTwoOperations) {
  Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  s.d_PhiEs = 340.0 / 0.004;  // yield in compression beyond the crushing strain
  ComputeCapacityPoints(s, x, -500000.0);
  EXPECT_NEAR(x.d_EpsYieldComp, -0.004, 1e-9);
  EXPECT_LT(x.d_Kc, 0);  // used as computed: the bracket rests on h / beta1
  ComputeCapacityAtDemandAngle(s, x, -500000.0, 1.0e8 * std::tan(0.05), 1.0e8,
                               {s.geo.d_PI / 12, 0, 0.0738, 0});
  EXPECT_EQ(x.d_EpsYieldComp, -(kEpsCu - 0.0001));  // bounded below eps_cu
  // A compressive yield strain of exactly eps_cu: k_c divides by zero.
  s.d_PhiEs = 131072;
  s.d_PhiFyComp = kEpsCu * 131072;
  EXPECT_THROW(ComputeCapacityPoints(s, x, -500000.0), RunTimeError);
  ClearFloatFaults();
}

}  // namespace
}  // namespace ostrel
