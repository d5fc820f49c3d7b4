// The plate phase end to end through RunDesign: Wood-Armer design values,
// what each direction stores, ties, units, and how the phase stops.
#include <algorithm>

#include "plate/modPlateDesignCSA94.h"
#include "run/RunFixture.h"

namespace ostrel::test {
namespace {

TEST(WoodArmer, PairsOfDesignValues) {
  const double cases[][5] = {
      // own, other, twist -> plus, minus
      {10, 20, 0, 10, 10},               // no twist: the direct value twice
      {10, 20, 5, 15, 10 - 25.0 / 20},   // the other direction stays positive
      {10, -20, -5, 10 + 25.0 / 20, 5},  // ... stays negative
      {0, -4, 4, 4, -4},                 // other + |twist| = 0 is not below 0
  };
  for (const auto& k : cases) {
    double plus = 0, minus = 0;
    WoodArmerPair(k[0], k[1], k[2], plus, minus);
    EXPECT_TRUE(plus == k[3] && minus == k[4]) << k[0] << " " << k[1] << " " << k[2];
  }
}

class PlatePhase : public RunFixture {
 protected:
  // SI; combination 1 service, the others ultimate; one node.
  void PlateModel(int elements, int combos) {
    std::vector<uint8_t> types(static_cast<size_t>(combos), 1);
    types[0] = 0;
    NodesModel(1, types);
    ASSERT_EQ(design_.SetNumberOfPlateElements(elements), 0);
  }
  void Plate(int e, float t, float minY, uint8_t curtains, float coverX = 40, float coverY = 40,
             float minX = 0.25f) {
    ASSERT_EQ(design_.SetPlateElementProperties(e, t, 30, 400, 200000, minX, 4, minY, 4, curtains,
                                                coverX, coverY),
              0);
  }
  struct Direction {
    double area, Mu, Pu;
    float ratio;
    int16_t combo, status;
  };
  static Direction X(int e) {
    const typPlateElement& p = Global().PlateElement;
    return {p.f_AreaOfSteel_x(e), p.f_Mu_x(e), p.f_Pu_x(e), p.f_RatioOfSteel_x(e),
            p.i_DesignComboIndex_x(e), p.bt_DesignStatus_x(e)};
  }
  static Direction Y(int e) {
    const typPlateElement& p = Global().PlateElement;
    return {p.f_AreaOfSteel_y(e), p.f_Mu_y(e), p.f_Pu_y(e), p.f_RatioOfSteel_y(e),
            p.i_DesignComboIndex_y(e), p.bt_DesignStatus_y(e)};
  }
};

TEST_F(PlatePhase, WhatEachDirectionStores) {
  PlateModel(7, 3);
  Plate(1, 200, 0.25f, 2, /*coverX=*/100);  // x: 2 x 100 > 200 - 0.0001
  Plate(2, 200, 0.25f, 2, 40, /*coverY=*/150);
  Plate(3, 200, 0.25f, 2);
  Plate(4, 200, 1.2f, 2, 40, 40, 1.2f);  // ties: 1.2 % in y with two curtains
  Plate(5, 200, 1.0f, 2);                // exactly 1 %
  Plate(6, 200, 0.99f, 2);
  Plate(7, 200, 1.2f, 1);  // one curtain
  analysis_.SetPlateForces(1, 3, {0, 0, 0, 30, -10, 0});
  analysis_.SetPlateForces(2, 3, {0, 0, 0, 30, -10, 0});
  // Ny = -8000 kN/m needs far more than 4 % in y.
  analysis_.SetPlateForces(3, 2, {-100, -8000, 0, 0, 0, 0});
  analysis_.SetPlateForces(3, 3, {-100, -8000, 0, 0, 0, 0});
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(boxes_.count(), 0u);

  // A failed check: nothing but the status, the first ultimate combination.
  const Direction x1 = X(1), y1 = Y(1), y3 = Y(3);
  EXPECT_EQ(x1.status, Fail_CoverTooLarge);
  EXPECT_EQ(x1.area + x1.ratio + x1.Mu + x1.Pu, 0);
  EXPECT_EQ(x1.combo, 2);
  EXPECT_EQ(y1.status, DESIGN_PASS);  // the other direction is designed
  EXPECT_FLOAT_EQ(y1.ratio, 0.25f);
  EXPECT_DOUBLE_EQ(y1.area, 0.0025 * 200 * 1000);  // mm2/m
  EXPECT_EQ(y1.combo, 3);
  EXPECT_DOUBLE_EQ(y1.Mu, -10);  // kN-m/m
  EXPECT_EQ(X(2).status, DESIGN_PASS);
  EXPECT_DOUBLE_EQ(X(2).Mu, 30);
  EXPECT_EQ(Y(2).status, Fail_CoverTooLarge);
  // The axial bound failed: Pu is the magnified force.
  EXPECT_EQ(y3.status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(y3.area + y3.ratio + y3.Mu, 0);
  EXPECT_DOUBLE_EQ(y3.Pu, 1.0001 * -8000);
  EXPECT_EQ(y3.combo, 2);
  EXPECT_EQ(X(3).status, DESIGN_PASS);
  // Ties in y only, from 1 % and with two curtains.
  const int16_t ties[] = {Y(4).status, X(4).status, Y(5).status, Y(6).status, Y(7).status};
  const int16_t expected[] = {Pass_UseTies, DESIGN_PASS, Pass_UseTies, DESIGN_PASS, DESIGN_PASS};
  EXPECT_TRUE(std::equal(ties, ties + 5, expected));
  EXPECT_FLOAT_EQ(Y(7).ratio, 1.2f);
  // Directions that passed their checks fetch every combination.
  EXPECT_EQ(analysis_.CallCount("GetPlateElementForces"), (4 + 2 * 4) * 3);
}

TEST_F(PlatePhase, TwistingValues) {
  PlateModel(1, 2);
  Plate(1, 200, 0.25f, 2);
  // Service combination 1 would fail anything; combination 2: Nx 4, Nxy 3
  // kN/m, Mx 20, My 10, Mxy 5 kN-m/m.
  analysis_.SetPlateForces(1, 1, {0, 0, 0, 5000, 5000, 0});
  analysis_.SetPlateForces(1, 2, {4, 0, 3, 20, 10, 5});
  ASSERT_EQ(design_.RunDesign(), 0);
  EXPECT_EQ(X(1).status, DESIGN_PASS);
  EXPECT_DOUBLE_EQ(X(1).Mu, 25);  // Mx + |Mxy|
  EXPECT_DOUBLE_EQ(Y(1).Mu, 15);
  // The tables hold the last pass, y (own My, other Mx), in N-mm/mm.
  const PlateDesignValues& p = PlateState().values;
  EXPECT_DOUBLE_EQ(p.MPlusMinus(2)[2], 10000 - 25e6 / 20000);
  EXPECT_TRUE(p.NPlusMinus(2)[1] == 3 && p.NPlusMinus(2)[2] == -9.0 / 4);
}

TEST_F(PlatePhase, StopsWithoutUltimateCombination) {
  NodesModel(1, {0, 0});
  ASSERT_EQ(design_.SetNumberOfPlateElements(2), 0);
  Plate(1, 200, 0.25f, 2);
  Plate(2, 200, 0.25f, 2);
  design_.RunDesign();
  EXPECT_EQ(boxes_.last(), "There is no ultimate-load combination defined");
  EXPECT_EQ(DoneFlag(), 0);
  EXPECT_EQ(X(2).combo, 0);
  EXPECT_EQ(analysis_.CallCount("GetPlateElementForces"), 0);
}

}  // namespace
}  // namespace ostrel::test
