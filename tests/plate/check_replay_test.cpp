// The combination check shares the first trials of its neutral-axis searches
// and the whole search of a repeated target: every check must name the same
// governing pair and leave the same step count as searches made one by one.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "plate/modPlateDesignCSA94.h"

namespace ostrel::test {
namespace {

struct Pair {
  double n[2];  // N+, N-
  double m[2];  // M+, M-
};

class CheckReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    PlateState() = modPlateDesignCSA94{};
    ClearFloatFaults();
    Global().bt_units = 1;
    SetUnitFactors();
    SetDesignConstants();
  }
  void TearDown() override { ResetGlobalState(); }

  // A 200 mm wall, f'c 30, fy 400, direction x prepared.
  static void Wall(int16_t curtains, float cover) {
    typPlateElement& p = Global().PlateElement;
    Global().i_NumPlateElements = 1;
    const std::pair<Array1<double>*, double> fields[] = {
        {&p.f_fc, 30}, {&p.f_fy, 400}, {&p.f_Es, 200000}, {&p.f_MinRatioOfRFT, 0.25},
        {&p.f_MaxRatioOfRFT, 4}, {&p.f_MinRatioOfRFT_v, 0.25}, {&p.f_MaxRatioOfRFT_v, 4}};
    for (auto [field, value] : fields) {
      field->Create(1);
      (*field)(1) = value;
    }
    p.f_Thickness.Create(1), p.bt_NumCurtains.Create(1), p.f_CoverToRFT.Create(1);
    p.f_Thickness(1) = 200;
    p.bt_NumCurtains(1) = curtains;
    p.f_CoverToRFT(1) = {0, cover, cover, 0};
    PreparePlateStrip(1, kPlateElement);
    PreparePlateStrip(1, kPlateX);
  }

  static void Combos(const std::vector<Pair>& pairs) {
    modGlobal& g = Global();
    g.i_NumLoadCombos = static_cast<int16_t>(pairs.size());
    g.LoadCombo.bt_ComboType.Create(g.i_NumLoadCombos);
    StartPlateTables(g.i_NumLoadCombos);
    for (int c = 1; c <= g.i_NumLoadCombos; ++c) {
      const Pair& k = pairs[static_cast<size_t>(c - 1)];
      g.LoadCombo.bt_ComboType(c) = 1;
      PlateState().NPlusMinus(c) = {0, k.n[0], k.n[1]};
      PlateState().MPlusMinus(c) = {0, k.m[0], k.m[1]};
    }
    CollectUltimateCombos();
  }

  // Forces spread over compression, bending and tension near Tr, with equal
  // axial forces in a row (same and opposite senses of the moment).
  static std::vector<Pair> Forces(double As) {
    const double Tr = 340 * As;
    std::vector<Pair> pairs;
    for (int k = 0; k < 24; ++k) {
      const double n = -2400 + ((k * 11) % 24) * 110.0;
      pairs.push_back({{n, n - 40}, {9000.0 + 700 * k, -3000.0 - 500 * k}});
    }
    pairs.push_back({{0.97 * Tr, 0.99 * Tr}, {500, -200}});  // both solved at 0.95 Tr
    pairs.push_back({{-700, -700}, {4000, 3000}});           // one target, one sense
    pairs.push_back({{-700, -700}, {-4000, 2500}});
    return pairs;
  }

  // The check's outcome computed search by search, in the check's order.
  struct Outcome {
    int16_t status, govCombo, steps;
    double Pu, Mu;
  };
  static Outcome OneByOne() {
    PlateStrip& s = PlateState().strip;
    double rmax = -0.0001;
    Outcome o{DESIGN_PASS, 0, 0, 0, 0};
    for (const int16_t c : PlateState().ultimateCombos) {
      for (int i = 1; i <= 2; ++i) {
        const double Pu = PlateState().NPlusMinus(c)[i];
        const double e = StripPlasticCentroidOffset(Pu);
        for (int j = 1; j <= 2; ++j) {
          const double M = PlateState().MPlusMinus(c)[j];
          const double moment = M + Pu * e;
          const bool faceB = moment >= 0;
          s.d1 = faceB ? s.e2 : s.cover;
          s.d2 = faceB ? s.t - s.cover : s.t - s.e2;
          s.yref = faceB ? s.t / 2 - e : s.t / 2 + e;
          const double r = StripCapacityRatio(Pu, faceB ? moment : -moment);
          o.steps = PlateState().lastSearchSteps;
          if (r > rmax) {
            rmax = r;
            o.govCombo = c, o.Pu = Pu, o.Mu = M;
          }
        }
      }
    }
    o.status = rmax > 1.0 ? Fail_RequiredRFTExceedMaximum : DESIGN_PASS;
    return o;
  }
};

TEST_F(CheckReplay, EveryPrefixMatchesSearchesOneByOne) {
  for (const auto& [curtains, cover] : {std::pair<int16_t, float>{2, 40}, {1, 60}}) {
    Wall(curtains, cover);
    for (const double As : {0.6, 2.0, 6.0}) {
      const std::vector<Pair> all = Forces(As);
      int checks = 0;
      for (size_t n = 1; n <= all.size(); ++n) {
        Combos({all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n)});
        PlateState().strip.As = As;
        const Outcome want = OneByOne();
        PlateState().lastSearchSteps = -1;
        CheckStripForCombos();
        const PlateStrip& s = PlateState().strip;
        EXPECT_EQ(PlateState().lastSearchSteps, want.steps) << curtains << " " << As << " " << n;
        EXPECT_EQ(s.status, want.status) << curtains << " " << As << " " << n;
        EXPECT_EQ(s.govCombo, want.govCombo) << curtains << " " << As << " " << n;
        EXPECT_EQ(s.Pu, want.Pu);
        EXPECT_EQ(s.Mu, want.Mu);
        checks += want.steps > 2;  // searches that went past the shared trials
      }
      EXPECT_GT(checks, 0);
    }
  }
}

}  // namespace
}  // namespace ostrel::test
