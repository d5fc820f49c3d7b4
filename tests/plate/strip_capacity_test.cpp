// Strip capacity: section resultants for a given neutral axis, the plastic
// centroid of one curtain, the capacity ratio with its tension taper and
// floors, and the limits of the neutral-axis search.
#include <string>

#include "plate/StripFixture.h"

namespace ostrel::test {
namespace {

// 200 mm wall, f'c 30, fy 400, 40 mm covers, 1 mm2/mm per curtain:
// alpha1 phi_c f'c = 14.49, phi_s fy = 340, phi_s Es = 170000, beta1 = 0.895.
class StripCapacity : public StripFixture {
 protected:
  void Strip(const PlateInput& in, double As) {
    Element(in);
    PreparePlateStrip(1, kPlateX);
    S().As = As;
    FaceBCompressed();
  }
  const double P0 = -((340 - 14.49) * 2 + 14.49 * 200);  // compression resistance
};

TEST_F(StripCapacity, SectionResultantsByHand) {
  Strip(PlateInput{}, 2);
  // c = 50: a = 44.75, Cc = 648.4275. Layer at 40 mm: strain -0.0007, -119
  // plus 14.49 of displaced concrete. Layer at 160 mm yields: 340.
  double P = 0, M = 0;
  StripSectionResultants(50, P, M);
  EXPECT_NEAR(P, -104.51 + 340 - 648.4275, 0.01);
  EXPECT_NEAR(M, 648.4275 * 77.625 + 104.51 * 60 + 340 * 60, 0.5);
  StripSectionResultants(5000, P, M);  // all yielded in compression
  EXPECT_NEAR(P, P0, 0.01);
  EXPECT_NEAR(M, 0, 0.01);

  // One curtain at 160 mm: only that layer, moments about the bars, which
  // sit 60 mm off centre (in compression the centroid moves toward mid-depth).
  PlateInput in;
  in.curtains = 1;
  Strip(in, 2);
  EXPECT_DOUBLE_EQ(StripPlasticCentroidOffset(10), -60);
  EXPECT_NEAR(StripPlasticCentroidOffset(-500), -60 * 651.02 / 3549.02, 1e-4);
  S().yref = 100 + 60;
  StripSectionResultants(50, P, M);
  EXPECT_NEAR(P, 2 * 340 - 648.4275, 0.01);
  EXPECT_NEAR(M, 648.4275 * (160 - 22.375), 0.5);
}

// The moment resistance at axial force Pu found independently: a plain
// bisection of the section resultants to a far finer tolerance.
double ReferenceMr(double Pu) {
  double lo = 1e-6, hi = 1e4, P = 0, M = 0;
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    StripSectionResultants(mid, P, M);
    (P > Pu ? lo : hi) = mid;
  }
  StripSectionResultants(lo, P, M);
  return M;
}

TEST_F(StripCapacity, NeutralAxisSearchConvergesOnTheAxialForce) {
  Strip(PlateInput{}, 2);
  const double Mu = 1e7;  // far above the resistance: the moment ratio governs
  for (double Pu : {0.0, -800.0, -2500.0, 300.0, 600.0}) {
    const double Mr = ReferenceMr(Pu);
    EXPECT_NEAR(Mu / StripCapacityRatio(Pu, Mu), Mr, 1e-3 * Mr) << Pu;
    EXPECT_LT(PlateState().lastSearchSteps, 100);
  }
  // Pure bending by hand: c = 34.12, a = 30.54, Cc = 442.5; the far layer
  // yields (340), the near one carries 102.5 in tension. About mid-depth:
  // 442.5 x 84.73 - 102.5 x 60 + 340 x 60 = 51,740.
  EXPECT_NEAR(1e7 / StripCapacityRatio(0, 1e7), 51740, 30);

  // The axial ratio: Pu / P0 in compression, Pu / Tr in tension.
  EXPECT_NEAR(StripCapacityRatio(P0 / 2, 0), 0.5, 1e-6);
  EXPECT_NEAR(StripCapacityRatio(340, 0), 0.5, 1e-6);

  // Beyond the compression resistance no depth matches the force: the
  // 16-bit step counter overflows after 32767 steps, a run-time error.
  try {
    StripCapacityRatio(2 * P0, 0);
    ADD_FAILURE() << "the search ended";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(std::string(e.what()), "16-bit overflow");
  }
}

TEST_F(StripCapacity, TensionTaperCutsTheMomentResistance) {
  Strip(PlateInput{}, 2);
  const double Tr = S().phiFyT * S().As;
  const double Mu = 5000;
  // At 0.95 Tr the full resistance counts; half-way to Tr only half of it.
  const double r95 = StripCapacityRatio(0.95 * Tr, Mu);
  ASSERT_GT(r95, 1.0);  // the moment ratio governs
  EXPECT_NEAR(StripCapacityRatio(0.975 * Tr, Mu), 2 * r95, 1e-6 * r95);
  EXPECT_NEAR(StripCapacityRatio(0.99 * Tr, Mu), 5 * r95, 1e-6 * r95);
  // At Tr the resistance is floored at 0.0001: any moment fails.
  EXPECT_NEAR(StripCapacityRatio(Tr, 1.0), 1.0 / 0.0001, 1e-6);
  EXPECT_NEAR(StripCapacityRatio(Tr, 0.0), 1.0, 1e-12);
}

TEST_F(StripCapacity, CompressionYieldStrainKeptBelowCrushingForTheElement) {
  PlateInput in;
  in.Es = 100000;  // fy 400 / Es = 0.004, above eps_cu - 0.0001
  Strip(in, 2);
  StripCapacityRatio(0, 1000);
  const double capped = static_cast<double>(0.0035f) - 0.0001;
  EXPECT_DOUBLE_EQ(S().epsYc, capped);
  // The other direction of the element keeps it; the next element does not.
  PreparePlateStrip(1, kPlateY);
  EXPECT_DOUBLE_EQ(S().epsYc, capped);
  PreparePlateStrip(1, kPlateElement);
  EXPECT_NEAR(S().epsYc, 0.004, 1e-12);
}

}  // namespace
}  // namespace ostrel::test
