// Capacity points within one steel check replay the depth trials of earlier
// points of the same check: every result must equal, bit for bit, that of an
// independent computation, whatever the order of the axial forces and
// whatever ran in between.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "stiffener/flexure_fixture.h"

namespace ostrel {
namespace {

class CheckReplay : public FlexureFixture {
 protected:
  std::vector<uint64_t> Independent(double P) {
    ComputeCapacityPoints(s, x, P);
    return Bits();
  }

  std::vector<uint64_t> Bits() const {
    std::vector<uint64_t> bits;
    for (int d = 1; d <= kNumDirections; ++d) {
      bits.push_back(std::bit_cast<uint64_t>(x.capMuy[d]));
      bits.push_back(std::bit_cast<uint64_t>(x.capMuz[d]));
    }
    return bits;
  }

  // Axial forces from deep compression to beyond 0.95 Pt, in an order that
  // makes later solves share only part of earlier paths, and one repeated,
  // through one check against independent
  // points, with an angle search between points (it turns the frame and
  // caps the compression yield strain).
  void ExpectSameAsIndependent() {
    std::vector<double> forces;
    for (int i = 0; i < 23; ++i) {
      forces.push_back(-4.2e6 + ((i * 7) % 23) * 2.0e5);
    }
    forces.push_back(0);
    forces.push_back(-4.2e6 + 5 * 2.0e5);
    // Forces that the first trial of a direction meets: the solve ends on a
    // kept trial, whose moments are kept the first time and replayed after.
    ComputeCapacityPoints(s, x, 0.0);  // the depth ratios of this steel
    for (const int d : {1, 4, 1}) {
      LoadFrame(d);
      double F = 0;
      SectionForce(s, x, (x.frameTop - x.frameBottomBar) * x.kb, F);
      forces.push_back(x.kPcomp * F);
    }
    std::vector<std::vector<uint64_t>> expected;
    for (const double P : forces) {
      expected.push_back(Independent(P));
    }
    StartCapacityCheck(x);
    for (size_t i = 0; i < forces.size(); ++i) {
      ComputeCheckCapacityPoints(s, x, forces[i]);
      EXPECT_EQ(Bits(), expected[i]) << "force " << forces[i];
      if (s.hasFlanges == 0) {
        ComputeCapacityAtDemandAngle(s, x, forces[i], 1e7, 1e8, {0.2618, 0, 0.3, 0});
      }
    }
    size_t kept = 0;
    for (int d = 1; d <= kNumDirections; ++d) {
      kept += static_cast<size_t>(x.checkTrials[static_cast<size_t>(d)].Size());
    }
    EXPECT_GT(kept, 8u);  // the trials were kept and replayed
  }
};

TEST_F(CheckReplay, PointsMatchIndependentSolves) {
  Rectangle(400, 600, 0, 50);
  SetSteel(0.025 * s.geo.areaWeb);
  ExpectSameAsIndependent();

  Rectangle(600, 600, 3, 50, 1);  // circle, 20 bars
  SetSteel(0.012 * s.geo.areaWeb);
  ExpectSameAsIndependent();

  s.hasFlanges = 1;  // flanged T: the rectangles take part
  s.flangeWidth[1] = 300;
  s.flangeThickness[1] = 150;
  Rectangle(400, 600, 2, 50);
  SetSteel(0.018 * s.geo.areaWeb);
  ExpectSameAsIndependent();
}

TEST_F(CheckReplay, NewSteelStartsAFreshCheck) {
  // Trials of one steel must not serve the next: the check of a second steel
  // after a first gives the second steel's independent points.
  Rectangle(400, 600, 1, 50);
  const double area = s.geo.areaWeb;
  SetSteel(0.03 * area);
  const std::vector<uint64_t> expected = Independent(-1.5e6);
  for (const double ratio : {0.01, 0.03}) {
    SetSteel(ratio * area);
    StartCapacityCheck(x);
    ComputeCheckCapacityPoints(s, x, -1.5e6);
    EXPECT_EQ(Bits() == expected, ratio == 0.03) << ratio;
  }
}

}  // namespace
}  // namespace ostrel
