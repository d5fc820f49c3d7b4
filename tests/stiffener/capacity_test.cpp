// Section capacity under axial load: the stress-block kernel, the bar
// strains and their limits, the neutral-axis depth solve, the tension taper,
// the fixed capacity points and the capacity along a demand direction.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "component/CheckedMath.h"
#include "stiffener/flexure_fixture.h"

namespace ostrel {
namespace {

using CapacityTest = FlexureFixture;

const double kPi = 4 * std::atan(1.0);
const double kEpsCu = 0.0035f;  // the run's constant, a 32-bit float

// Puts direction d of the built geometry into the kernel's current frame.
void LoadFrame(int d) {
  modBeamDesignCSA94& s = BeamState();
  s.flex.d_FrameVertexU = s.geo.d_RotVertexU[d];
  s.flex.d_FrameVertexW = s.geo.d_RotVertexW[d];
  s.flex.d_FrameBarU = s.geo.d_RotBarU[d];
  s.flex.d_FrameBarW = s.geo.d_RotBarW[d];
  s.flex.d_FrameLeftFlangeU = s.geo.d_RotLeftFlangeU[d];
  s.flex.d_FrameLeftFlangeW = s.geo.d_RotLeftFlangeW[d];
  s.flex.d_FrameRightFlangeU = s.geo.d_RotRightFlangeU[d];
  s.flex.d_FrameRightFlangeW = s.geo.d_RotRightFlangeW[d];
  s.flex.d_FrameTop = s.geo.d_TopFibre[d];
  s.flex.d_FrameBottomBar = s.geo.d_BottomBar[d];
}

double ForceAt(double c) {
  double f = 0;
  ComputeSectionForce(f, c);
  return f;
}

double Magnitude(int d) {
  const FlexureWork& x = BeamState().flex;
  return std::hypot(x.d_CapMuy[d], x.d_CapMuz[d]);
}

TEST_F(CapacityTest, StressBlockOverTheConcrete) {
  const modBeamDesignCSA94& s = Rectangle(400, 600, 0, 50);
  SetSteel(0);
  const double stress = s.d_BlockStress;
  const double beta1 = s.d_Beta1;
  double F = 0, Ma = 0, Mb = 0;

  // Direction 1, block depth beta1 c inside the web: a 400 wide rectangle.
  LoadFrame(1);
  ComputeSectionResultants(F, Ma, Mb, 200.0);
  const double block = beta1 * 200;
  EXPECT_NEAR(F, -stress * 400 * block, 1e-6);
  EXPECT_NEAR(Ma, F * (300 - block / 2), 1e-3);
  EXPECT_NEAR(Mb, 0, 1e-3);
  EXPECT_EQ(ForceAt(200), F);  // the force-only twin agrees bit for bit

  // Direction 4: a corner in compression; the block is a right isosceles
  // triangle of height beta1 c, area (beta1 c)^2, centroid at 2/3 of it.
  LoadFrame(4);
  ComputeSectionResultants(F, Ma, Mb, 100.0);
  const double h = beta1 * 100;
  EXPECT_NEAR(F, -stress * h * h, 1e-6);
  EXPECT_NEAR(Ma, F * (s.geo.d_TopFibre[4] - 2 * h / 3), 1e-3);
  EXPECT_NEAR(Mb, F * (-s.geo.d_RotVertexU[4][4]), 1e-3);  // about the corner's u
}

TEST_F(CapacityTest, BarStrainsStressesAndYieldLimits) {
  const modBeamDesignCSA94& s = Rectangle(400, 600, 1, 50);  // bars at y = +-250
  const double as = 3000;
  LoadFrame(1);

  // Every bar in tension beyond yield: the stress is held at phi fy; the
  // strain reported is the largest one before the limit.
  SetSteel(0);
  const double concreteSmall = ForceAt(20);
  SetSteel(as);
  double F = 0;
  const double largest = ComputeSectionForce(F, 20.0);
  EXPECT_NEAR(largest, (280.0 + 250) * kEpsCu / 20, 1e-12);
  EXPECT_NEAR(F - concreteSmall, as * s.d_PhiFy, 1e-6);

  // Every bar crushed beyond the compressive yield strain and inside the
  // block: phi fyc in compression, less the concrete the bar displaces.
  SetSteel(0);
  const double concreteFull = ForceAt(5000);
  SetSteel(as);
  const double lowest = ComputeSectionForce(F, 5000.0);
  EXPECT_NEAR(lowest, (-4700.0 + 250) * kEpsCu / 5000, 1e-12);
  EXPECT_NEAR(F - concreteFull, as * (-s.d_PhiFyComp + s.d_BlockStress), 1e-6);

  // c = 53: the top layer lies between the neutral axis and the block edge,
  // elastic and without displaced concrete; the bottom layer yielded.
  SetSteel(0);
  const double concrete53 = ForceAt(53);
  SetSteel(as);
  ComputeSectionForce(F, 53.0);
  const double top = s.d_PhiEs * (-3.0 * kEpsCu / 53);
  EXPECT_NEAR(F - concrete53, as / 2 * (top + s.d_PhiEs * s.d_EpsYield), 1e-6);
}

TEST_F(CapacityTest, BarOnTheNeutralAxisCarriesNothing) {
  Rectangle(400, 600, 0, 50);
  LoadFrame(1);
  const double c = 250;
  for (int j = 1; j <= 10; ++j) {
    BeamState().flex.d_FrameBarW[j] = 300 - c;
  }
  SetSteel(0);
  double F0 = 0, Ma0 = 0, Mb0 = 0;
  ComputeSectionResultants(F0, Ma0, Mb0, c);
  SetSteel(5000);
  double F = 0, Ma = 0, Mb = 0;
  ComputeSectionResultants(F, Ma, Mb, c);
  EXPECT_EQ(F, F0);
  EXPECT_EQ(Ma, Ma0);
  EXPECT_EQ(Mb, Mb0);
  EXPECT_EQ(ComputeSectionForce(F, c), 0.0);
}

TEST_F(CapacityTest, DepthSolveLandsOnTheTargetForce) {
  const modBeamDesignCSA94& s = Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  ComputeCapacityPoints(0.0);  // depth ratios and resistances of this steel
  const FlexureWork& x = s.flex;
  LoadFrame(1);
  const double d = 300 + 200;
  double phi = 0;

  // The balanced depth is taken without iteration when its force matches.
  const double balanced = d * x.d_Kb;
  const double fBalanced = ForceAt(balanced);
  EXPECT_EQ(SolveNeutralAxisDepth(fBalanced, 600.0, phi), balanced);
  EXPECT_EQ(phi, 1.0);
  EXPECT_EQ(SolveNeutralAxisDepth(fBalanced + 0.00009, 600.0, phi), balanced);
  // So is the depth of the tension strain limit.
  const double limit = d * x.d_Kt;
  EXPECT_EQ(SolveNeutralAxisDepth(ForceAt(limit), 600.0, phi), limit);

  for (const double p : {0.0, -1.0e6, 0.5 * x.d_Pt, -0.9 * x.d_Po, fBalanced + 1.0}) {
    const double c = SolveNeutralAxisDepth(p, 600.0, phi);
    EXPECT_LT(std::fabs(ForceAt(c) - p), 0.0001) << p;
    EXPECT_GT(c, 0) << p;
  }
  // A force beyond the squash load cannot be reached: the search stops with
  // a run-time error instead of looping.
  EXPECT_THROW(SolveNeutralAxisDepth(-3 * x.d_Po, 600.0, phi), RunTimeError);
}

TEST_F(CapacityTest, TensionTaperNearTheTensileResistance) {
  const modBeamDesignCSA94& s = Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  const double pt = 4000 * s.d_PhiFy;
  const double atLimit = 0.95 * pt;

  ComputeCapacityPoints(atLimit);
  EXPECT_DOUBLE_EQ(s.flex.d_Pt, pt);
  const FlexureWork base = s.flex;
  ASSERT_GT(std::fabs(base.d_CapMuz[1]), 1e6);

  // Just above: the same solve, moments scaled by (1 - P/Pt) x 20.
  const double above = std::nextafter(atLimit, 1e300);
  ComputeCapacityPoints(above);
  const double taper = (1 - above / pt) * 20;
  EXPECT_LT(taper, 1.0);
  for (int d = 1; d <= 8; ++d) {
    EXPECT_NEAR(s.flex.d_CapMuz[d], base.d_CapMuz[d] * taper, 1e-12 * Magnitude(d) + 1e-9) << d;
    EXPECT_NEAR(s.flex.d_CapMuy[d], base.d_CapMuy[d] * taper, 1e-12 * Magnitude(d) + 1e-9) << d;
  }
  // Halfway to Pt: half the moments; at Pt: none.
  ComputeCapacityPoints(0.975 * pt);
  EXPECT_NEAR(s.flex.d_CapMuz[1], base.d_CapMuz[1] * 0.5, 1e-6 * std::fabs(base.d_CapMuz[1]));
  ComputeCapacityPoints(pt);
  for (int d = 1; d <= 8; ++d) {
    EXPECT_EQ(s.flex.d_CapMuz[d], 0.0) << d;
    EXPECT_EQ(s.flex.d_CapMuy[d], 0.0) << d;
  }
}

TEST_F(CapacityTest, SymmetricSquareResistsEquallyAboutBothAxes) {
  const modBeamDesignCSA94& s = Rectangle(500, 500, 2, 50);
  SetSteel(5000);
  ComputeCapacityPoints(-800000.0);
  const FlexureWork& x = s.flex;
  const double full = std::fabs(x.d_CapMuz[1]);
  ASSERT_GT(full, 1e7);
  // Direction 1 bends about z only, direction 7 about y only.
  EXPECT_LT(std::fabs(x.d_CapMuy[1]), 1e-9 * full);
  EXPECT_NEAR(std::fabs(x.d_CapMuy[7]), full, 1e-9 * full);
  EXPECT_LT(std::fabs(x.d_CapMuz[7]), 1e-9 * full);
  // 270 degrees is the reverse of 90 degrees.
  EXPECT_NEAR(x.d_CapMuy[8], -x.d_CapMuy[7], 1e-9 * full);
  // 15 and 75 degrees mirror each other.
  EXPECT_NEAR(std::fabs(x.d_CapMuy[2]), std::fabs(x.d_CapMuz[6]), 1e-9 * full);
}

// Doubly reinforced rectangle in pure bending about z, bars in two layers
// (arrangement 1): with the bottom layer yielded and the top layer elastic
// inside the block, equilibrium is the quadratic
//   s W beta1 c^2 + (A' Es' ecu - A' s - A fy) c - A' Es' ecu d' = 0.
TEST_F(CapacityTest, PureBendingMatchesTheStressBlockClosedForm) {
  const modBeamDesignCSA94& s = Rectangle(400, 600, 1, 40);
  SetSteel(2000);
  ComputeCapacityPoints(0.0);
  const double a = 1000;  // each layer
  const double st = s.d_BlockStress;
  const double ecu = kEpsCu;
  const double qa = st * 400 * s.d_Beta1;
  const double qb = a * s.d_PhiEs * ecu - a * st - a * s.d_PhiFy;
  const double qc = -a * s.d_PhiEs * ecu * 40;
  const double c = (-qb + std::sqrt(qb * qb - 4 * qa * qc)) / (2 * qa);
  // The assumptions of the closed form hold.
  const double topStrain = (c - 40) / c * ecu;
  ASSERT_LT(topStrain, s.d_PhiFyComp / s.d_PhiEs);
  ASSERT_GT(s.d_Beta1 * c, 40);
  ASSERT_GT((560 - c) / c * ecu, s.d_EpsYield);
  const double concrete = -qa * c;
  const double topForce = a * (-s.d_PhiEs * topStrain + st);
  const double bottomForce = a * s.d_PhiFy;
  EXPECT_NEAR(concrete + topForce + bottomForce, 0, 1e-6);
  const double mz = concrete * (300 - s.d_Beta1 * c / 2) + topForce * 260 - bottomForce * 260;
  EXPECT_NEAR(s.flex.d_CapMuz[1], mz, 1e-9 * std::fabs(mz));
  EXPECT_LT(s.flex.d_CapMuz[1], -1e8);  // about 1.8e8 N-mm
}

TEST_F(CapacityTest, CapacityGrowsWithSteel) {
  const modBeamDesignCSA94& s = Rectangle(400, 600, 0, 50);
  for (const double p : {-1.5e6, 300000.0}) {
    SetSteel(2400);
    ComputeCapacityPoints(p);
    const FlexureWork light = s.flex;
    SetSteel(7200);
    ComputeCapacityPoints(p);
    for (int d = 1; d <= 8; ++d) {
      EXPECT_GT(Magnitude(d), std::hypot(light.d_CapMuy[d], light.d_CapMuz[d])) << p << " " << d;
    }
  }
}

TEST_F(CapacityTest, DemandAngleSearchFindsTheCapacityAlongTheDemand) {
  const modBeamDesignCSA94& s = Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  const double p = -600000;
  ComputeCapacityPoints(p);
  const FlexureWork points = s.flex;
  auto contourAngle = [&](int j) {
    return std::atan(std::fabs(points.d_CapMuy[j]) / std::fabs(points.d_CapMuz[j]));
  };
  const double step = kPi / 12;

  // A demand along the capacity vector of direction 2, searched between
  // directions 1 and 3: the search turns the axis to about 15 degrees.
  const double t2 = contourAngle(2);
  const double muz = 1.0e8 * std::cos(t2);
  const double muy = 1.0e8 * std::sin(t2);
  double demandMuz = muz;
  double aHi = 2 * step, aLo = 0, tHi = contourAngle(3), tLo = contourAngle(1);
  const double r = ComputeCapacityAtDemandAngle(p, muy, demandMuz, aHi, aLo, tHi, tLo);
  const double expected =
      (muy + muz) / (std::fabs(points.d_CapMuz[2]) + std::fabs(points.d_CapMuy[2]));
  EXPECT_NEAR(r, expected, 2e-4 * expected);
  EXPECT_LE(aLo, step + 1e-3);
  EXPECT_GE(aHi, step - 1e-3);

  // Muz below 0.0001 is raised in place.
  double zero = 0;
  aHi = 6 * step, aLo = 5 * step, tHi = contourAngle(7), tLo = contourAngle(6);
  ComputeCapacityAtDemandAngle(p, 1.0e8, zero, aHi, aLo, tHi, tLo);
  EXPECT_EQ(zero, 0.0001);

  // A demand beyond the reach of the bracket (here 15 degrees of the axis
  // cannot turn the capacity to 0.3 rad) would turn the axis forever: the
  // search ends with a run-time error once the bracket stops changing.
  double muz3 = 1.0e8;
  aHi = step, aLo = 0, tHi = 0.35, tLo = 0;
  EXPECT_THROW(ComputeCapacityAtDemandAngle(p, 1.0e8 * std::tan(0.3), muz3, aHi, aLo, tHi, tLo),
               RunTimeError);
}

TEST_F(CapacityTest, CompressiveYieldStrainOfTheTwoCapacityOperations) {
  modBeamDesignCSA94& s = Rectangle(400, 600, 0, 50);
  SetSteel(4000);
  // Bars that would yield in compression only beyond the crushing strain.
  s.d_PhiEs = 340.0 / 0.004;
  ComputeCapacityPoints(-500000.0);
  EXPECT_NEAR(s.d_EpsYieldComp, -0.004, 1e-9);
  EXPECT_LT(s.flex.d_Kc, 0);  // used as computed: the bracket rests on h / beta1
  for (int d = 1; d <= 8; ++d) {
    EXPECT_TRUE(std::isfinite(s.flex.d_CapMuz[d])) << d;
  }
  // The angle search bounds it below eps_cu.
  double muz = 1.0e8, aHi = kPi / 12, aLo = 0, tHi = 0.0738, tLo = 0;
  ComputeCapacityAtDemandAngle(-500000.0, 1.0e8 * std::tan(0.05), muz, aHi, aLo, tHi, tLo);
  EXPECT_EQ(s.d_EpsYieldComp, -(kEpsCu - 0.0001));

  // A compressive yield strain of exactly eps_cu leaves k_c undefined: a
  // division by zero, reported as a run-time error.
  s.d_PhiEs = 131072;
  s.d_PhiFyComp = static_cast<double>(0.0035f) * 131072;
  EXPECT_THROW(ComputeCapacityPoints(-500000.0), RunTimeError);
  ClearFloatFaults();
}

}  // namespace
}  // namespace ostrel
