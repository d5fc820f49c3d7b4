// Biaxial flexure with axial load: the axial bounds of the steel ratio, the
// check of one steel area against the ultimate combinations, the flange
// eccentricities and the search of the steel ratio.
#include <gtest/gtest.h>

#include <cmath>

#include "stiffener/flexure_fixture.h"

namespace ostrel {
namespace {

class FlexureTest : public FlexureFixture {
 protected:
  // 400 x 600 web, ten bars on the faces parallel to y, ratios 1 % to 4 %.
  void Web() { Rectangle(400, 600, 0, 50); }
  FlexureWork CapacityFor(double as, double p) {
    SetSteel(as);
    ComputeCapacityPoints(s, x, p);
    return x;
  }
  double SquashLoad(double as) const {
    return (s.phiFyComp - s.blockStress) * as + s.geo.areaGross * s.blockStress;
  }
  void Check() { CheckSectionForCombos(s, f, x, r); }
  void Bounds() { DesignSectionAxialBounds(s, f, x, r); }
  void Design() {
    Bounds();
    DesignSectionSteel(s, f, x, r);
  }
};

TEST_F(FlexureTest, AxialBoundsRaiseTheMinimumOrFail) {
  SetCombos({1, 0, 1, 1});
  Web();
  SetForces(1, 1, -1.0e6, 0, 0);
  SetForces(1, 2, -9.0e6, 0, 0);  // end 2 and service combinations do not count
  SetForces(2, 1, -9.0e6, 0, 0);
  SetForces(3, 1, -4.0e6, 1e7, 1e7);
  SetForces(4, 1, 0.5e6, 0, 0);
  Bounds();
  EXPECT_EQ(r.status, DESIGN_PASS);
  EXPECT_EQ(x.AsMin, x.rhoMin * 240000);
  EXPECT_EQ(x.AsMax, 0.04 * 240000);
  // 0.8 Po at the raised minimum carries 1.0001 x the largest compression.
  EXPECT_NEAR(static_cast<double>(0.8f) * SquashLoad(x.AsMin), 4.0e6 * 1.0001, 1e-6);

  // Beyond the maximum: the first of equal forces, zero moments, and no
  // tension test after a compression failure.
  SetForces(1, 1, 9.0e6, 0, 0);
  SetForces(3, 1, -6.0e6, 1e7, 1e7);
  SetForces(4, 1, -6.0e6, 0, 0);
  r.govMuy = 5;
  Bounds();
  ExpectRecord(Fail_RequiredRFTExceedMaximum, 3, 0, 0, -6.0e6 * 1.0001);

  // Tension: the minimum carries 1.01 x 1.0001 x the largest tension; beyond
  // the maximum the force is reported without the 1 %.
  SetForces(1, 1, 1.0e6, 0, 0);
  SetForces(3, 1, 0.5e6, 0, 0);
  SetForces(4, 1, 0.5e6, 0, 0);
  Bounds();
  EXPECT_EQ(r.status, DESIGN_PASS);
  EXPECT_NEAR(x.AsMin * s.phiFy, 1.0e6 * 1.0001 * 1.01, 1e-6);
  EXPECT_EQ(x.AsMin, x.rhoMin * 240000);
  SetForces(4, 1, 4.0e6, 0, 0);
  Bounds();
  ExpectRecord(Fail_RequiredRFTExceedMaximum, 4, 0, 0, 4.0e6 * 1.0001);
}

TEST_F(FlexureTest, BiaxialCheckAtTheContourPoints) {
  SetCombos({1});
  Web();
  const double p = -800000;
  const FlexureWork cap = CapacityFor(4000, p);
  // Muz alone sits on contour point 1: a ratio of exactly 1.0 passes, the
  // next larger moment fails.
  const double full = std::fabs(cap.capMuz[1]) + std::fabs(cap.capMuy[1]);
  SetForces(1, 1, p, 0, full);
  SetForces(1, 2, p, 0, -0.5 * full);
  Check();
  ExpectRecord(DESIGN_PASS, 1, 0, full, p);
  SetForces(1, 2, p, 0, -std::nextafter(full, 1e300));
  Check();
  ExpectRecord(Fail_RequiredRFTExceedMaximum, 1, 0, -std::nextafter(full, 1e300), p);
  // Muy alone (Muz raised to 0.0001) is checked against contour point 7.
  const double point7 = std::fabs(cap.capMuz[7]) + std::fabs(cap.capMuy[7]);
  for (const double scale : {0.999, 1.001}) {
    SetForces(1, 1, p, -scale * point7, 0);
    SetForces(1, 2, p, 0, 1);
    Check();
    ExpectRecord(scale < 1 ? DESIGN_PASS : Fail_RequiredRFTExceedMaximum, 1, -scale * point7,
                 0.0001, p);
  }
}

TEST_F(FlexureTest, TiesKeepTheEarlierCombinationAndEnd) {
  SetCombos({1, 1, 1, 0});
  Web();
  SetSteel(4000);
  const double p = -500000;
  SetForces(1, 1, p, 1.0e7, 2.0e7);
  SetForces(1, 2, p, 1.0e7, 2.0e7);
  for (int k = 2; k <= 3; ++k) {  // equal combinations; ends differ in sign
    SetForces(k, 1, p, 3.0e7, 6.0e7);
    SetForces(k, 2, p, -3.0e7, -6.0e7);
  }
  SetForces(4, 1, p, 1.0e12, 1.0e12);  // a service combination is never checked
  Check();
  ExpectRecord(DESIGN_PASS, 2, 3.0e7, 6.0e7, p);
  // A strictly larger end 2 governs; the axial force is always end 1's.
  SetForces(3, 2, -900000, -3.1e7, -6.2e7);
  Check();
  ExpectRecord(DESIGN_PASS, 3, -3.1e7, -6.2e7, p);
}

TEST_F(FlexureTest, FlangedSectionChecksMuyAgainstDirectionsSevenAndEight) {
  SetCombos({1, 1});
  s.hasFlanges = 1;
  s.projection = 1;  // centred flanges: both eccentricities 0
  s.flangeWidth = {0, 300, 300};
  s.flangeThickness = {0, 100, 100};
  Web();
  const double p = -500000;
  const FlexureWork cap = CapacityFor(4000, p);
  const double lower = std::fmin(cap.capMuy[7], cap.capMuy[8]);
  const double upper = std::fmax(cap.capMuy[7], cap.capMuy[8]);
  ASSERT_LT(lower, 0);
  SetForces(1, 1, p, upper, 1.0e15);  // Muz plays no part
  SetForces(1, 2, p, 0.5 * upper, 0);
  SetForces(2, 1, p, 0.999 * lower, 1.0e15);
  SetForces(2, 2, p, 0, 0);
  Check();
  ExpectRecord(DESIGN_PASS, 1, upper, 0, p);
  SetForces(2, 2, p, 1.0001 * lower, 0);
  Check();
  ExpectRecord(Fail_RequiredRFTExceedMaximum, 2, 1.0001 * lower, 0, p);

  // Flush with z = -W/2: the offsets of the gross-section centroid and, under
  // compression only, of the plastic centroid.
  const double moment = 2 * 300 * 100 * 150.0;  // flanges about the mid-plane
  double ePc = 0, eC = 0;
  s.projection = 2;
  Web();
  FlangeEccentricities(s, 4000, p, ePc, eC);
  EXPECT_NEAR(eC, -moment / s.geo.areaGross, 1e-9);
  EXPECT_NEAR(ePc, -moment * s.blockStress / SquashLoad(4000), 1e-9);
  FlangeEccentricities(s, 4000, 0.0, ePc, eC);
  EXPECT_EQ(ePc, 0.0);
}

TEST_F(FlexureTest, SteelSearch) {
  SetCombos({1, 1, 1});
  Web();
  SetForces(1, 1, -500000, 1.0e7, 2.0e7);
  SetForces(2, 1, -300000, 2.0e7, 1.0e7);
  Design();
  EXPECT_EQ(r.status, DESIGN_PASS);
  EXPECT_EQ(r.rho, 0.01);
  EXPECT_EQ(r.As, 0.01 * 240000);
  EXPECT_EQ(x.barArea, 240.0);
  // Beyond the maximum: no steel, and the worst end at the maximum steel.
  SetForces(2, 2, -300000, 2.0e9, 1.0e9);
  SetForces(1, 2, -500000, 1.0e9, 1.0e9);
  Design();
  ExpectRecord(Fail_RequiredRFTExceedMaximum, 2, 2.0e9, 1.0e9, -300000);
  EXPECT_EQ(r.As + r.rho, 0.0);

  // In between: the smallest passing ratio.
  SetForces(1, 1, -800000, 1.0e8, 2.5e8);
  SetForces(1, 2, -800000, -0.5e8, -1.0e8);
  SetForces(2, 1, 200000, 0.2e8, 2.6e8);
  SetForces(2, 2, 0, 0, 0);
  SetForces(3, 1, -2000000, 1.2e8, 1.0e8);
  Design();
  ASSERT_EQ(r.status, DESIGN_PASS);
  const StiffenerRecord found = r;
  EXPECT_GT(found.rho, 0.01);
  EXPECT_LT(found.rho, 0.04);
  EXPECT_EQ(found.As, found.rho * 240000);
  // The reported record is that of the reported steel, which passes, while
  // one tolerance less fails.
  SetSteel(found.As);
  Check();
  ExpectRecord(DESIGN_PASS, found.govCombo, found.govMuy, found.govMuz, found.govPu);
  SetSteel((found.rho - 0.00005) * 240000);
  Check();
  EXPECT_EQ(r.status, Fail_RequiredRFTExceedMaximum);

  // A bracket already narrower than the tolerance (adjacent ratios) gets its
  // one trial and stops, though its midpoint is one of its ends.
  SetForces(2, 1, -200000, 0.2e8, 2.6e8);  // no tension: the trial without steel fails
  x.rhoMin = 0.02;
  s.rhoMax = std::nextafter(0.02, 1.0);
  x.AsMin = 0;
  x.AsMax = 0.04 * 240000;  // passes
  DesignSectionSteel(s, f, x, r);
  EXPECT_EQ(r.status, DESIGN_PASS);
  EXPECT_TRUE(r.rho == 0.02 || r.rho == s.rhoMax);
  EXPECT_EQ(r.As, r.rho * 240000);
}

}  // namespace
}  // namespace ostrel
