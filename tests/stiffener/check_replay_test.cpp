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
  // Axial forces from deep compression to beyond 0.95 Pt, each twice, in an
  // order that makes later solves share only part of earlier paths.
  static std::vector<double> AxialForces() {
    std::vector<double> forces;
    for (int i = 0; i < 23; ++i) {
      const int k = (i * 7) % 23;  // a permutation of 0..22
      forces.push_back(-4.2e6 + k * 2.0e5);
    }
    forces.push_back(0);
    forces.push_back(-4.2e6 + 5 * 2.0e5);  // repeated: the solve ends on a kept trial
    return forces;
  }

  static std::vector<uint64_t> Independent(double P) {
    ComputeCapacityPoints(BeamState(), P);
    return Bits();
  }

  static std::vector<uint64_t> Bits() {
    const FlexureWork& x = BeamState().flex;
    std::vector<uint64_t> bits;
    for (int d = 1; d <= kNumDirections; ++d) {
      bits.push_back(std::bit_cast<uint64_t>(x.d_CapMuy[d]));
      bits.push_back(std::bit_cast<uint64_t>(x.d_CapMuz[d]));
    }
    return bits;
  }

  // Every force through one check, against independent points, with an
  // angle search between points (it turns the frame and caps the
  // compression yield strain).
  static void ExpectSameAsIndependent() {
    modBeamDesignCSA94& s = BeamState();
    std::vector<std::vector<uint64_t>> expected;
    for (const double P : AxialForces()) {
      expected.push_back(Independent(P));
    }
    StartCapacityCheck(s);
    int i = 0;
    for (const double P : AxialForces()) {
      ComputeCheckCapacityPoints(s, P);
      EXPECT_EQ(Bits(), expected[static_cast<size_t>(i)]) << "force " << P;
      if (s.bt_HasFlanges == 0) {
        double muz = 1e8, aHi = 0.2618, aLo = 0, tHi = 0.3, tLo = 0;
        ComputeCapacityAtDemandAngle(s, P, 1e7, muz, aHi, aLo, tHi, tLo);
      }
      ++i;
    }
    size_t kept = 0;
    for (int d = 1; d <= kNumDirections; ++d) {
      kept += static_cast<size_t>(s.flex.checkTrials[static_cast<size_t>(d)].Size());
    }
    EXPECT_GT(kept, 8u);  // the trials were kept and replayed
  }
};

TEST_F(CheckReplay, PointsMatchIndependentSolves) {
  Rectangle(400, 600, 0, 50);
  SetSteel(0.025 * BeamState().geo.d_AreaWeb);
  ExpectSameAsIndependent();

  Rectangle(600, 600, 3, 50, 1);  // circle, 20 bars
  SetSteel(0.012 * BeamState().geo.d_AreaWeb);
  ExpectSameAsIndependent();

  modBeamDesignCSA94& s = BeamState();
  s.bt_HasFlanges = 1;  // flanged T: the rectangles take part
  s.d_FlangeWidth[1] = 300;
  s.d_FlangeThickness[1] = 150;
  Rectangle(400, 600, 2, 50);
  SetSteel(0.018 * BeamState().geo.d_AreaWeb);
  ExpectSameAsIndependent();
}

TEST_F(CheckReplay, NewSteelStartsAFreshCheck) {
  // Trials of one steel must not serve the next: the check of a second steel
  // after a first gives the second steel's independent points.
  Rectangle(400, 600, 1, 50);
  modBeamDesignCSA94& s = BeamState();
  const double area = s.geo.d_AreaWeb;
  SetSteel(0.03 * area);
  const std::vector<uint64_t> expected = Independent(-1.5e6);
  SetSteel(0.01 * area);
  StartCapacityCheck(s);
  ComputeCheckCapacityPoints(s, -1.5e6);
  const std::vector<uint64_t> first = Bits();
  EXPECT_NE(first, expected);
  SetSteel(0.03 * area);
  StartCapacityCheck(s);
  ComputeCheckCapacityPoints(s, -1.5e6);
  EXPECT_EQ(Bits(), expected);
}

}  // namespace
}  // namespace ostrel
