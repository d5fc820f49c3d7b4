// The wall strip of one direction: set-up checks, section resultants and the
// capacity ratio, the axial bounds, the combination check and the ratio search.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "plate/modPlateDesignCSA94.h"

namespace ostrel::test {
namespace {

// Defaults: 200 mm wall, f'c 30, fy 400, Es 200000, giving alpha1 phi_c f'c
// = 14.49, phi_s fy = 340, phi_s Es = 170000, beta1 = 0.895. Ratios in %.
struct PlateInput {
  float t = 200;
  double fc = 30, fy = 400, Es = 200000;
  double minX = 0.25, maxX = 4, minY = 0.25, maxY = 4;
  int16_t curtains = 2;
  float coverX = 40, coverY = 40;
};

// One combination: type (0 service, 1 ultimate) and N+, N-, M+, M-.
struct Combo {
  int16_t type;
  double nPlus, nMinus, mPlus, mMinus;
};

class Strip : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    ClearFloatFaults();
    Global().bt_units = 1;
    SetUnitFactors();
    SetDesignConstants();
    settings = PlateSettingsOf();
  }
  void TearDown() override { ResetGlobalState(); }

  // Element 1 from `in` with its element values prepared, then `direction`
  // if one is given; returns the strip status.
  int16_t Element(const PlateInput& in, PlateDirection direction = kPlateElement) {
    typPlateElement& p = Global().PlateElement;
    Global().i_NumPlateElements = 1;
    const std::pair<Array1<double>*, double> fields[] = {
        {&p.f_fc, in.fc}, {&p.f_fy, in.fy}, {&p.f_Es, in.Es}, {&p.f_MinRatioOfRFT, in.minX},
        {&p.f_MaxRatioOfRFT, in.maxX}, {&p.f_MinRatioOfRFT_v, in.minY},
        {&p.f_MaxRatioOfRFT_v, in.maxY}};
    for (auto [field, value] : fields) {
      field->Create(1);
      (*field)(1) = value;
    }
    p.f_Thickness.Create(1), p.bt_NumCurtains.Create(1), p.f_CoverToRFT.Create(1);
    p.f_Thickness(1) = in.t;
    p.bt_NumCurtains(1) = in.curtains;
    p.f_CoverToRFT(1) = {0, in.coverX, in.coverY, 0};
    PreparePlateStrip(1, kPlateElement, s);
    if (direction != kPlateElement) PreparePlateStrip(1, direction, s);
    return s.status;
  }

  void Combos(const std::vector<Combo>& combos) {
    const int n = static_cast<int>(combos.size());
    StartPlateTables(v, n);
    for (int c = 1; c <= n; ++c) {
      const Combo& k = combos[static_cast<size_t>(c - 1)];
      if (k.type == 1) v.ultimateCombos.push_back(static_cast<int16_t>(c));
      v.NPlusMinus(c) = {0, k.nPlus, k.nMinus};
      v.MPlusMinus(c) = {0, k.mPlus, k.mMinus};
    }
  }

  void Check() { CheckStripForCombos(s, v, settings, work); }
  double Ratio(double Pu, double Mu) {
    return StripCapacityRatio(s, settings, Pu, Mu, work.lastSearchSteps);
  }
  // Direction x of `in` with steel As and face B compressed.
  void Loaded(const PlateInput& in, double As) {
    ASSERT_EQ(Element(in, kPlateX), DESIGN_PASS);
    s.As = As, s.d1 = s.e2, s.d2 = s.t - s.cover, s.yref = s.t / 2;
  }
  // Direction x prepared afresh, then its axial bounds for `combos`.
  void Bounds(const std::vector<Combo>& combos) {
    Element(PlateInput{}, kPlateX);
    Combos(combos);
    DesignStripAxialBounds(s, v, settings);
  }
  void DesignSteel() { DesignStripSteel(s, v, settings, work); }
  const double P0 = -((340 - 14.49) * 2 + 14.49 * 200);  // compression resistance, As = 2

  PlateSettings settings;
  PlateStrip s;
  PlateDesignValues v;
  PlateStripWork work;
};

TEST_F(Strip, MaterialValues) {
  const modGlobal& g = Global();
  const double phiS = g.phi_s;
  Element(PlateInput{.fy = 600});  // the tension and the compression limits of fy
  EXPECT_EQ(s.phiFyT, phiS * g.fy_max);
  EXPECT_EQ(s.phiFyC, phiS * g.fyc_max);
  EXPECT_EQ(s.epsYt, s.phiFyT / (phiS * 200000));
  Element(PlateInput{.fy = g.fy_max + 0.00001});  // the limit tests fy rounded to 32 bits
  EXPECT_EQ(s.phiFyT, phiS * (g.fy_max + 0.00001));
  Element(PlateInput{.fc = 130});  // beta1 0.645 and alpha1 0.655 unfloored
  EXPECT_DOUBLE_EQ(s.beta1, 0.67);
  EXPECT_DOUBLE_EQ(s.alpha1PhiFc, static_cast<double>(0.67f) * g.phi_c * 130);
}

TEST_F(Strip, DirectionChecksLaterFailureWins) {
  const struct {
    PlateInput in;
    PlateDirection direction;
    int16_t status;
  } cases[] = {
      {{.t = 300, .curtains = 1}, kPlateX, Fail_MustUseTwoCurtains},
      {{.t = 250, .curtains = 1}, kPlateX, DESIGN_PASS},
      {{.t = 300, .curtains = 1, .coverX = 300}, kPlateX, Fail_RFTOutOfSection},
      {{.t = 300, .curtains = 1, .coverX = 300}, kPlateY, Fail_MustUseTwoCurtains},
      {{.coverY = 100}, kPlateY, Fail_CoverTooLarge},  // 2 x 100 > 200 - 0.0001
      {{.coverY = 99.99f}, kPlateY, DESIGN_PASS},
      {{.t = 0x1.8p41f, .coverY = 0x1.8p40f}, kPlateY, DESIGN_PASS},  // t - 0.0001 == 2 cover
      {{.t = 0x1.8p41f, .curtains = 1, .coverX = 0x1.8p41f}, kPlateX, Fail_RFTOutOfSection},
      {{.t = 300, .minX = 3, .maxX = 2, .curtains = 1, .coverX = 300}, kPlateX,
       Fail_MinRFTExceedMaximum},
      {{.minX = 0.1, .maxX = 0.18}, kPlateX, Fail_MinRFTExceedMaximum},  // floored first
      {{.minY = 0.1, .maxY = 0.18}, kPlateY, DESIGN_PASS},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(Element(k.in, k.direction), k.status) << k.in.t << " " << k.direction;
  }
  // A minimum below the floor of its direction is raised to it; one equal
  // to it in 32 bits keeps its own value.
  const modGlobal& g = Global();
  Element(PlateInput{.minX = 0.1, .minY = 0.1, .coverX = 0.25f}, kPlateX);
  EXPECT_DOUBLE_EQ(s.cover, 1.0);
  EXPECT_EQ(s.rhoMin, g.rho_min_floor);
  PreparePlateStrip(1, kPlateY, s);
  EXPECT_EQ(s.rhoMin, g.rho_min_floor_v);
  const double atFloor = static_cast<float>(100.0 * g.rho_min_floor);  // in percent
  Element(PlateInput{.minX = atFloor}, kPlateX);
  ASSERT_NE(atFloor / 100, static_cast<double>(g.rho_min_floor));
  EXPECT_EQ(s.rhoMin, atFloor / 100);
}

TEST_F(Strip, SectionResultantsByHand) {
  // c = 50: a = 44.75, Cc = 648.4275. Layer at 40 mm: strain -0.0007, -119
  // plus 14.49 of displaced concrete. Layer at 160 mm yields: 340.
  Loaded(PlateInput{}, 2);
  double P = 0, M = 0;
  StripResultants(s, settings, 50, P, M);
  EXPECT_NEAR(P, -104.51 + 340 - 648.4275, 0.01);
  EXPECT_NEAR(M, 648.4275 * 77.625 + 104.51 * 60 + 340 * 60, 0.5);
  StripResultants(s, settings, 5000, P, M);  // all yielded in compression
  EXPECT_NEAR(P, P0, 0.01);
  EXPECT_NEAR(M, 0, 0.01);
  Loaded(PlateInput{.fy = 600}, 2);  // yield in compression at the lower limit
  StripResultants(s, settings, 5000, P, M);
  EXPECT_NEAR(P, P0, 0.01);
  // One curtain at 160 mm: the centroid sits at the bars in tension and
  // moves toward mid-depth in compression; only that layer counts.
  Loaded(PlateInput{.curtains = 1}, 2);
  EXPECT_DOUBLE_EQ(StripPlasticCentroidOffset(s, 10), -60);
  EXPECT_NEAR(StripPlasticCentroidOffset(s, 0), -60 * 651.02 / 3549.02, 1e-4);
  StripResultants(s, settings, 50, P, M);
  EXPECT_NEAR(P, 2 * 340 - 648.4275, 0.01);
}

TEST_F(Strip, NeutralAxisSearch) {
  // Converged within 0.0001 inclusive; otherwise P at or below the target
  // replaces the low side.
  AxialBracket b{-9, 9, 9, 0};
  EXPECT_TRUE(UpdateAxialBracket(0, 0.0001, 1, b));
  EXPECT_FALSE(UpdateAxialBracket(0, -0.0002, 2, b));
  EXPECT_FALSE(UpdateAxialBracket(0, 0.0002, 3, b));
  EXPECT_TRUE(b.Plo == -0.0002 && b.cPlo == 2 && b.Phi == 0.0002 && b.cPhi == 3);

  // The step counts pin the trial sequence (two balanced trials, then
  // halving and interpolation alternately).
  Loaded(PlateInput{}, 2);
  const std::pair<double, int> searches[] = {{0, 8}, {-800, 6}, {-2500, 10}, {300, 8}, {600, 4}};
  for (auto [Pu, steps] : searches) {
    Ratio(Pu, 1e7);
    EXPECT_EQ(work.lastSearchSteps, steps) << Pu;
  }
  // Pure bending by hand: c = 34.12, a = 30.54, Cc = 442.5; about mid-depth
  // 442.5 x 84.73 - 102.5 x 60 + 340 x 60 = 51,740.
  EXPECT_NEAR(1e7 / Ratio(0, 1e7), 51740, 30);
  EXPECT_NEAR(Ratio(P0 / 2, 0), 0.5, 1e-6);  // Pu / P0 in compression
  EXPECT_NEAR(Ratio(340, 0), 0.5, 1e-6);     // Pu / Tr in tension
  // Beyond the compression resistance no depth matches: the 16-bit step
  // counter overflows after 32767 steps, a run-time error.
  try {
    Ratio(2 * P0, 0);
    ADD_FAILURE() << "the search ended";
  } catch (const RunTimeError& e) {
    EXPECT_EQ(std::string(e.what()), "16-bit overflow");
  }
}

TEST_F(Strip, TensionTaperAndYieldStrainCap) {
  Loaded(PlateInput{}, 2);
  const double Tr = s.phiFyT * s.As;
  // At 0.95 Tr the full resistance counts; half-way to Tr only half of it.
  const double r95 = Ratio(0.95 * Tr, 5000);
  ASSERT_GT(r95, 1.0);  // the moment ratio governs
  EXPECT_NEAR(Ratio(0.975 * Tr, 5000), 2 * r95, 1e-6 * r95);
  EXPECT_NEAR(Ratio(0.99 * Tr, 5000), 5 * r95, 1e-6 * r95);
  // At Tr the resistance is floored at 0.0001: any moment fails.
  EXPECT_NEAR(Ratio(Tr, 1.0), 1.0 / 0.0001, 1e-6);
  EXPECT_NEAR(Ratio(Tr, 0.0), 1.0, 1e-12);

  // fy 400 / Es 100000 = 0.004 is capped below the crushing strain for the
  // rest of the element (its other direction too), not for the next element.
  Loaded(PlateInput{.Es = 100000}, 2);
  Ratio(0, 1000);
  const double capped = static_cast<double>(0.0035f) - 0.0001;
  EXPECT_DOUBLE_EQ(s.epsYc, capped);
  PreparePlateStrip(1, kPlateY, s);
  EXPECT_DOUBLE_EQ(s.epsYc, capped);
  PreparePlateStrip(1, kPlateElement, s);
  EXPECT_NEAR(s.epsYc, 0.004, 1e-12);
}

TEST_F(Strip, AxialBoundsOverUltimateCombinations) {
  // Compression 4000.4 / (0.8 x 200) = 25.0025 needs (25.0025 - 14.49) /
  // 325.51; the service combination 3 does not count.
  Bounds({{1, 100, -4000, 0, 0}, {1, 300, -4000, 0, 0}, {0, 9000, -90000, 0, 0}});
  EXPECT_EQ(s.status, DESIGN_PASS);
  EXPECT_NEAR(s.rhoMin, (25.0025 - 14.49) / 325.51, 1e-6);
  EXPECT_NEAR(s.AsMin, 200 * (25.0025 - 14.49) / 325.51, 1e-4);
  Bounds({{1, 100, -10, 0, 0}, {1, 300, -10, 0, 0}});  // tension governs
  EXPECT_NEAR(s.rhoMin, 1.01 * 300.03 / 68000, 1e-8);
  EXPECT_EQ(s.govCombo, 0);
  // A failure reports no steel, the magnified force, the first of equals.
  Bounds({{1, 0, -8000, 0, 0}, {1, 0, -8000, 0, 0}});
  EXPECT_EQ(s.status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(s.govCombo, 1);
  EXPECT_DOUBLE_EQ(s.Pu, 1.0001 * -8000);
  EXPECT_EQ(s.As, 0);
  Bounds({{1, 100, 0, 0, 0}, {1, 3000, 0, 0, 0}});  // needs 4.46 %
  EXPECT_EQ(s.status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(s.govCombo, 2);
  EXPECT_DOUBLE_EQ(s.Pu, 1.0001 * 3000);
}

TEST_F(Strip, CheckNamesTheGoverningPairAsStored) {
  // Combination 2's negative moment without compression governs; the equal
  // combination 3 does not take over.
  Element(PlateInput{}, kPlateX);
  Combos({{1, 0, -100, 2000, -1000}, {1, 0, -100, 3000, -9000}, {1, 0, -100, 3000, -9000}});
  s.As = 2;
  Check();
  EXPECT_EQ(s.status, DESIGN_PASS);
  EXPECT_TRUE(s.govCombo == 2 && s.Mu == -9000 && s.Pu == 0);
  Combos({{1, 0, 0, 200000, 0}, {1, 0, -100, 3000, -9000}});  // 1 far above the resistance
  Check();
  EXPECT_EQ(s.status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(s.govCombo, 1);

  // One curtain 40 mm off centre toward face B (cover 60, e2 = 140), As 0.4.
  // Tension 100 acts at the bars: M - 4000 about them against about
  // 36 x 138.8 = 4,995 with face B compressed, 36 x 58.8 = 2,115 with face A.
  Element(PlateInput{.curtains = 1, .coverX = 60}, kPlateX);
  Combos({{1, 100, 100, 6000, 6000}});
  s.As = 0.4;
  Check();
  EXPECT_EQ(s.status, DESIGN_PASS);
  EXPECT_EQ(s.Mu, 6000);  // as stored, before the offset
  Combos({{1, 100, 100, -2000, -2000}});
  Check();
  EXPECT_EQ(s.status, Fail_RequiredRFTExceedMaximum);
  EXPECT_EQ(s.d1, 60);
  Combos({{1, 0, 0, 0, 0}});  // a zero moment compresses face B
  Check();
  EXPECT_EQ(s.d1, 140);
  // A ratio of exactly 1 passes: the tensile resistance of two curtains.
  Element(PlateInput{}, kPlateX);
  s.As = 2;
  Combos({{1, s.phiFyT * 2, 0, 0, 0}});
  Check();
  EXPECT_EQ(s.status, DESIGN_PASS);
}

TEST_F(Strip, SteelSearch) {
  Bounds({{1, 10, -10, 1000, -1000}, {1, 5, -20, 500, -1500}});
  DesignSteel();  // the minimum passes: exactly the minimum
  EXPECT_EQ(s.status, DESIGN_PASS);
  EXPECT_TRUE(s.rho == 0.0025 && s.As == 0.0025 * 200 && s.govCombo == 2);
  Bounds({{1, 0, 0, 4e5, 0}});
  DesignSteel();  // the maximum fails: the direction fails with it
  EXPECT_EQ(s.status, Fail_RequiredRFTExceedMaximum);
  EXPECT_DOUBLE_EQ(s.As, 8);
  EXPECT_EQ(s.Mu, 4e5);
  // In between: the result passes and a ratio 5e-5 lower fails.
  Bounds({{1, 50, -300, 60000, -20000}, {1, 0, -900, 45000, -45000}});
  DesignSteel();
  ASSERT_EQ(s.status, DESIGN_PASS);
  const double rho = s.rho;
  EXPECT_GT(rho, 0.0025);
  EXPECT_TRUE(s.As == rho * 200 && s.govCombo == 1 && s.Mu == 60000);
  s.As = (rho - 5e-5) * 200;
  Check();
  EXPECT_EQ(s.status, Fail_RequiredRFTExceedMaximum);
  s.As = rho * 200;
  Check();
  EXPECT_EQ(s.status, DESIGN_PASS);
}

// The combination check shares the first trials of its neutral-axis searches
// and the whole search of a repeated target: every check must name the same
// governing pair and leave the same step count as searches made one by one.
TEST_F(Strip, CheckMatchesSearchesMadeOneByOne) {
  struct Outcome {
    int16_t status, govCombo, steps;
    double Pu, Mu;
  };
  auto oneByOne = [&] {
    double rmax = -0.0001;
    Outcome o{DESIGN_PASS, 0, 0, 0, 0};
    for (const int16_t c : v.ultimateCombos) {
      for (int i = 1; i <= 2; ++i) {
        const double Pu = v.NPlusMinus(c)[i];
        const double e = StripPlasticCentroidOffset(s, Pu);
        for (int j = 1; j <= 2; ++j) {
          const double M = v.MPlusMinus(c)[j];
          const double moment = M + Pu * e;
          const bool faceB = moment >= 0;
          s.d1 = faceB ? s.e2 : s.cover;
          s.d2 = faceB ? s.t - s.cover : s.t - s.e2;
          s.yref = faceB ? s.t / 2 - e : s.t / 2 + e;
          const double r = Ratio(Pu, faceB ? moment : -moment);
          o.steps = work.lastSearchSteps;
          if (r > rmax) rmax = r, o.govCombo = c, o.Pu = Pu, o.Mu = M;
        }
      }
    }
    o.status = rmax > 1.0 ? Fail_RequiredRFTExceedMaximum : DESIGN_PASS;
    return o;
  };
  for (const auto& [curtains, cover] : {std::pair<int16_t, float>{2, 40}, {1, 60}}) {
    Element({.curtains = curtains, .coverX = cover, .coverY = cover}, kPlateX);
    for (const double As : {0.6, 2.0, 6.0}) {
      // Forces spread over compression, bending and tension near Tr, with
      // equal axial forces in a row (same and opposite senses of the moment).
      std::vector<Combo> all;
      for (int k = 0; k < 24; ++k) {
        const double n = -2400 + ((k * 11) % 24) * 110.0;
        all.push_back({1, n, n - 40, 9000.0 + 700 * k, -3000.0 - 500 * k});
      }
      all.push_back({1, 0.97 * 340 * As, 0.99 * 340 * As, 500, -200});  // both solved at 0.95 Tr
      all.push_back({1, -700, -700, 4000, 3000});  // one target, one sense
      all.push_back({1, -700, -700, -4000, 2500});
      int checks = 0;
      for (size_t n = 1; n <= all.size(); ++n) {
        Combos({all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n)});
        s.As = As;
        const Outcome want = oneByOne();
        work.lastSearchSteps = -1;
        Check();
        SCOPED_TRACE(std::to_string(curtains) + " " + std::to_string(As) + " " + std::to_string(n));
        EXPECT_EQ(work.lastSearchSteps, want.steps);
        EXPECT_TRUE(s.status == want.status && s.govCombo == want.govCombo &&
                    s.Pu == want.Pu && s.Mu == want.Mu);
        checks += want.steps > 2;  // searches that went past the shared trials
      }
      EXPECT_GT(checks, 0);
    }
  }
}

}  // namespace
}  // namespace ostrel::test
