// Section geometry and capacity under axial load: the flange rectangles, the
// depth solve, the tension taper and the capacity along a demand direction.
#include <gtest/gtest.h>

#include <cmath>

#include "stiffener/flexure_fixture.h"

namespace ostrel {
namespace {

const double kEpsCu = 0.0035f;  // the run's constant, a 32-bit float

class CapacityTest : public FlexureFixture {
 protected:
  double ForceAt(double c) {
    double F = 0;
    SectionForce(s, x, c, F);
    return F;
  }
  double Solve(double P, double& phi) { return SolveNeutralAxisDepth(s, x, P, 600.0, phi); }
};

TEST_F(CapacityTest, FlangesOnlyWhenTheSectionHasThem) {
  s.flangeThickness = {0, 100, 120};  // without flanges: nothing is built
  const SectionGeometry& g = Rectangle(400, 600, 0, 50).geo;
  EXPECT_EQ(g.areaGross, 240000.0);
  EXPECT_EQ(g.leftFlangeZ, FlangeArray{});
  // Left flange 300 beyond the web, 100 thick; the right one has a
  // thickness but no width: it lies on the web's edge. Flush with z = +W/2,
  // flush with z = -W/2, centred on the mid-plane.
  s.hasFlanges = 1;
  s.flangeWidth = {0, 300, 0};
  const double z[][6] = {{0, 200, 100, 100, 200, 80},
                         {2, -100, -200, -200, -100, -200},
                         {1, 50, -50, -50, 50, -60}};
  for (const auto& row : z) {
    s.projection = static_cast<uint8_t>(row[0]);
    Rectangle(400, 600, 0, 50);
    EXPECT_EQ(g.leftFlangeZ, (FlangeArray{0, row[1], row[2], row[3], row[4]})) << row[0];
    EXPECT_EQ(g.rightFlangeZ[2], row[5]) << row[0];
    EXPECT_EQ(g.leftFlangeY, (FlangeArray{0, -300, -300, -600, -600})) << row[0];
    EXPECT_EQ(g.areaGross, 270000.0);
    EXPECT_EQ(g.sectionDepth[1], 900.0);  // deeper downward only
  }
}

TEST_F(CapacityTest, DepthSolveLandsOnTheTargetForce) {
  Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  ComputeCapacityPoints(s, x, 0.0);  // depth ratios and resistances of this steel
  LoadFrame(1);
  // The squash load: the steel less the concrete it displaces, and the whole
  // concrete of the section.
  EXPECT_EQ(x.Po, x.kPcomp * ((s.phiFyComp - s.blockStress) * 4000 +
                             s.geo.areaGross * s.blockStress));
  double phi = 0;
  // The depths d k_b and d k_t are taken without iteration when they match.
  const double fBalanced = ForceAt(500 * x.kb);
  EXPECT_EQ(Solve(fBalanced + 0.00009, phi), 500 * x.kb);
  EXPECT_NE(Solve(fBalanced + 0.00011, phi), 500 * x.kb);
  EXPECT_EQ(phi, 1.0);
  EXPECT_EQ(Solve(ForceAt(500 * x.kt), phi), 500 * x.kt);
  for (const double p : {0.0, -1.0e6, 0.5 * x.Pt, -0.9 * x.Po, fBalanced + 1.0}) {
    EXPECT_LT(std::fabs(ForceAt(Solve(p, phi)) - p), 0.0001) << p;
  }
  // Beyond the squash load: a run-time error instead of an endless search.
  EXPECT_THROW(Solve(-3 * x.Po, phi), RunTimeError);
}

TEST_F(CapacityTest, TensionTaperNearTheTensileResistance) {
  Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  const double pt = 4000 * s.phiFy;
  ComputeCapacityPoints(s, x, 0.95 * pt);  // no taper: direction 1 is the kernel's Ma
  const FlexureWork base = x;
  EXPECT_EQ(base.Pt, pt);
  LoadFrame(1);
  double phi = 0, F = 0, Ma = 0, Mb = 0;
  SectionResultants(s, x, Solve(0.95 * pt, phi), F, Ma, Mb);
  EXPECT_EQ(base.capMuz[1], Ma);
  ASSERT_GT(std::fabs(Ma), 1e6);
  // Above 0.95 Pt: the same solve, moments scaled by (1 - P/Pt) x 20.
  const double above = std::nextafter(0.95 * pt, 1e300);
  const double taper = (1 - above / pt) * 20;
  ASSERT_LT(taper, 1.0);
  ComputeCapacityPoints(s, x, pt);  // nothing left at Pt
  const FlexureWork atPt = x;
  ComputeCapacityPoints(s, x, above);
  for (int d = 1; d <= 8; ++d) {
    const double tol = 1e-12 * std::hypot(base.capMuy[d], base.capMuz[d]) + 1e-9;
    EXPECT_NEAR(x.capMuz[d], base.capMuz[d] * taper, tol) << d;
    EXPECT_NEAR(x.capMuy[d], base.capMuy[d] * taper, tol) << d;
    EXPECT_EQ(atPt.capMuz[d] + atPt.capMuy[d], 0.0) << d;
  }
}

TEST_F(CapacityTest, DemandAngleSearch) {
  Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  const double p = -600000;
  ComputeCapacityPoints(s, x, p);
  const FlexureWork pts = x;
  const auto angle = [&](int j) { return std::atan(std::fabs(pts.capMuy[j] / pts.capMuz[j])); };
  const double step = s.geo.pi / 12;
  // A demand along the capacity vector of direction 2, between 1 and 3.
  const double expected = 1.0e8 / (std::fabs(pts.capMuz[2]) + std::fabs(pts.capMuy[2])) *
                          (std::sin(angle(2)) + std::cos(angle(2)));
  EXPECT_NEAR(ComputeCapacityAtDemandAngle(s, x, p, 1.0e8 * std::sin(angle(2)),
                                           1.0e8 * std::cos(angle(2)),
                                           {2 * step, 0, angle(3), angle(1)}),
              expected, 2e-4 * expected);
  // Muz below 0.0001 counts as 0.0001: the demand along y alone.
  const double alongY = ComputeCapacityAtDemandAngle(s, x, p, 1.0e8, 0, {6 * step, 5 * step,
                                                                          angle(7), angle(6)});
  EXPECT_NEAR(alongY, 1.0e8 / (std::fabs(pts.capMuz[7]) + std::fabs(pts.capMuy[7])),
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
  s.phiEs = 340.0 / 0.004;  // yield in compression beyond the crushing strain
  ComputeCapacityPoints(s, x, -500000.0);
  EXPECT_NEAR(x.epsYieldComp, -0.004, 1e-9);
  EXPECT_LT(x.kc, 0);  // used as computed: the bracket rests on h / beta1
  ComputeCapacityAtDemandAngle(s, x, -500000.0, 1.0e8 * std::tan(0.05), 1.0e8,
                               {s.geo.pi / 12, 0, 0.0738, 0});
  EXPECT_EQ(x.epsYieldComp, -(kEpsCu - 0.0001));  // bounded below eps_cu
  // A compressive yield strain of exactly eps_cu: k_c divides by zero.
  s.phiEs = 131072;
  s.phiFyComp = kEpsCu * 131072;
  EXPECT_THROW(ComputeCapacityPoints(s, x, -500000.0), RunTimeError);
  ClearFloatFaults();
}

}  // namespace
}  // namespace ostrel
