// The combination check on vector lanes against the one-at-a-time check, bit
// for bit, in every vector width the machine runs: random strips, steel and
// forces (batches of every length, lanes converging at different steps,
// repeated and capped targets), and searches that fault.
#ifdef OSTREL_LANES

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <hwy/targets.h>

#include "model/CheckedMath.h"
#include "model/SearchLanes.h"
#include "model/modGlobal.h"
#include "plate/StripLanes.h"
#include "plate/modPlateDesignCSA94.h"

namespace ostrel::test {
namespace {

uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }

// Everything a check or a steel design leaves behind.
struct Outcome {
  std::vector<uint64_t> values;
  std::vector<int> codes;
  std::string error;
  bool treesEmpty = false;
  bool operator==(const Outcome& o) const {
    return values == o.values && codes == o.codes && error == o.error;
  }
};

struct Case {
  PlateStrip strip;
  PlateDesignValues values;
  bool design;  // the whole steel design, or one check of the strip's steel
};

Outcome RunCase(const Case& c, const PlateSettings& settings, SearchLanes lanes) {
  SetSearchLanes(lanes);
  PlateStrip s = c.strip;
  PlateStripWork work;
  work.lastSearchSteps = -1;
  Outcome o;
  ClearFloatFaults();
  try {
    if (c.design) {
      DesignStripAxialBounds(s, c.values, settings);
      if (s.status == DESIGN_PASS) DesignStripSteel(s, c.values, settings, work);
    } else {
      CheckStripForCombos(s, c.values, settings, work);
    }
  } catch (const RunTimeError& e) {
    o.error = e.what();
  }
  o.values = {Bits(s.As), Bits(s.rho), Bits(s.Pu), Bits(s.Mu),  Bits(s.d1),
              Bits(s.d2), Bits(s.yref), Bits(s.epsYc), Bits(s.rhoMin)};
  o.codes = {s.status, s.govCombo, work.lastSearchSteps, RaisedFloatFaults()};
  o.treesEmpty = work.trees[0].Empty() && work.trees[1].Empty();
  ClearFloatFaults();
  SetSearchLanes(SearchLanes::kVector);
  return o;
}

// A random strip of 120 to 400 mm with one or two curtains, random concrete
// and steel, and 1 to 13 ultimate combinations (plus a service one) whose
// forces span compression beyond the squash load to tension beyond 0.95 Tr,
// with repeated axial forces and moments of either sense.
Case RandomCase(std::mt19937_64& rng) {
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  auto chance = [&](double p) { return uniform(0, 1) < p; };
  Case c;
  PlateStrip& s = c.strip;
  s.t = uniform(120, 400);
  s.fc = uniform(20, 80);
  s.beta1 = std::max(0.67, 0.97 - 0.0025 * s.fc);
  s.alpha1PhiFc = std::max(0.67, 0.85 - 0.0015 * s.fc) * 0.6 * s.fc;
  s.phiFyT = 0.85 * uniform(300, 500);
  s.phiFyC = std::min(s.phiFyT, 0.85 * 400);
  s.phiEs = 0.85 * 200000;
  s.epsYt = s.phiFyT / s.phiEs;
  s.epsYc = chance(0.1) ? 0.0036 : s.phiFyC / s.phiEs;  // clamped below the crushing strain
  s.n = chance(0.3) ? 1 : 2;
  s.cover = uniform(20, 0.4 * s.t);
  s.e2 = s.n == 2 ? uniform(20, 0.4 * s.t) : s.t - s.cover;
  s.rhoMin = uniform(0.001, 0.005);
  s.rhoMax = uniform(0.01, 0.06);
  s.AsMin = s.rhoMin * s.t;
  s.AsMax = s.rhoMax * s.t;
  s.As = uniform(0.5, 1.5) * s.AsMax;

  const double squash = s.alpha1PhiFc * s.t + (s.phiFyC - s.alpha1PhiFc) * s.As;
  const double tension = s.phiFyT * s.As;
  const double moment = s.alpha1PhiFc * s.t * s.t / 5;
  const int combos = std::uniform_int_distribution<int>(1, 13)(rng) + 1;
  StartPlateTables(c.values, combos);
  for (int k = 2; k <= combos; ++k) {
    c.values.ultimateCombos.push_back(static_cast<int16_t>(k));
    const double n1 = uniform(-1.01 * squash, 1.05 * tension);
    const double n2 = chance(0.3) ? n1 : uniform(-1.01 * squash, n1);
    const double m1 = uniform(-0.2, 1) * moment;
    const double m2 = chance(0.2) ? m1 : uniform(-1, 0.2) * moment;
    c.values.NPlusMinus(k) = {0, n1, n2};
    c.values.MPlusMinus(k) = {0, m1, m2};
  }
  c.design = chance(0.5);
  return c;
}

PlateSettings Settings() {
  modGlobal g;
  SetDesignConstants(g);
  return PlateSettingsOf(g);
}

class StripLanes : public ::testing::TestWithParam<int64_t> {
 protected:
  void SetUp() override { hwy::SetSupportedTargetsForTest(GetParam()); }
  void TearDown() override {
    hwy::SetSupportedTargetsForTest(0);
    SetSearchLanes(SearchLanes::kVector);
  }
  // The outcome both ways, compared; returns the one-at-a-time outcome.
  Outcome Compare(const Case& c, const std::string& what) {
    const Outcome want = RunCase(c, settings, SearchLanes::kScalar);
    const Outcome got = RunCase(c, settings, SearchLanes::kVector);
    EXPECT_TRUE(got == want) << what << ": " << want.error << " / " << got.error;
    // Without a fault the lanes did the check (the one-at-a-time check
    // leaves its trial trees filled).
    EXPECT_EQ(got.treesEmpty, want.error.empty() && want.codes[3] == 0) << what;
    return want;
  }
  const PlateSettings settings = Settings();
};

std::vector<int64_t> Targets() {
  hwy::SetSupportedTargetsForTest(0);
  return hwy::SupportedAndGeneratedTargets();
}

INSTANTIATE_TEST_SUITE_P(Widths, StripLanes, ::testing::ValuesIn(Targets()),
                         [](const auto& info) { return std::string(hwy::TargetName(info.param)); });

TEST_P(StripLanes, RandomChecksAndDesignsMatchBitForBit) {
  ASSERT_STREQ(StripLaneTarget(), hwy::TargetName(GetParam()));
  std::mt19937_64 rng(20261206);
  std::set<int> steps;
  int failing = 0, errors = 0;
  for (int n = 0; n < 2000; ++n) {
    const Outcome want = Compare(RandomCase(rng), "case " + std::to_string(n));
    steps.insert(want.codes[2]);
    failing += want.codes[0] != DESIGN_PASS;
    errors += !want.error.empty();
  }
  // Searches of many lengths, checks that pass and fail, and searches that
  // never reach a force beyond the squash load (16-bit step overflow).
  EXPECT_GE(steps.size(), 6u);
  EXPECT_GT(failing, 100);
  EXPECT_GT(errors, 0);
  EXPECT_LT(errors, 200);
}

// Checks in which one search faults or never converges: the lanes give the
// check up and the one-at-a-time check ends as it always does, with the same
// error, state and flags.
TEST_P(StripLanes, FaultingSearchEndsAsOneAtATime) {
  const struct {
    const char* what;
    double N;       // N- of the second combination (0: left as drawn)
    double As;      // steel of the check (0: left as drawn)
    const char* error;
    bool flags;  // fault flags raised on the way
  } faults[] = {
      {"beyond the squash load: the search runs away", -1e5, 0, "16-bit overflow", true},
      {"interpolation overflows in a lane", -1.7e308, 0, "16-bit overflow", true},
      {"no steel: the taper divides by zero", 0, 1e-320, "floating-point fault", true},
  };
  std::mt19937_64 rng(7);
  for (const auto& fault : faults) {
    for (int n = 0; n < 20; ++n) {
      Case c = RandomCase(rng);
      c.design = false;
      if (c.values.ultimateCombos.size() < 2) {
        c.values.ultimateCombos.push_back(1);
        c.values.NPlusMinus(1) = c.values.NPlusMinus(c.values.ultimateCombos[0]);
        c.values.MPlusMinus(1) = c.values.MPlusMinus(c.values.ultimateCombos[0]);
      }
      const int16_t second = c.values.ultimateCombos[1];
      if (fault.N != 0) c.values.NPlusMinus(second)[2] = fault.N;
      if (fault.As != 0) {
        c.strip.As = fault.As;
        c.values.NPlusMinus(c.values.ultimateCombos[0])[1] = 50;
      }
      const Outcome want = Compare(c, fault.what);
      EXPECT_EQ(want.error, fault.error) << fault.what << " " << n;
      EXPECT_EQ(want.codes[3] != 0, fault.flags) << fault.what << " " << n;
    }
  }
}

// A search that can never converge (a NaN target) makes the lanes give up,
// whatever lane it holds: at the 16-bit step limit, or earlier on the flag
// that comparisons with a NaN raise in some instruction sets.
TEST_P(StripLanes, StepLimitGivesTheSearchesUp) {
  std::mt19937_64 rng(11);
  const PlateStrip s = RandomCase(rng).strip;
  const StripLaneSection section{s.t,     s.beta1, s.alpha1PhiFc, s.phiEs, s.epsYt,
                                 s.epsYc, 0.0035,  s.As / s.n,    s.n};
  const std::size_t count = StripLaneCount() + 2;
  std::vector<double> target(count, -0.5 * s.phiFyT * s.As);
  std::vector<double> d1(count, s.e2), d2(count, s.t - s.cover), Plo(count, -1e4), Phi(count, 1e4);
  std::vector<double> cPlo(count, s.t), cPhi(count, 0), out[6];
  for (std::vector<double>& column : out) column.resize(count);
  std::vector<int16_t> steps(count);
  const StripLaneSearches searches{count,      target.data(), d1.data(),     d2.data(),
                                   Plo.data(),  Phi.data(),    cPlo.data(),   cPhi.data(),
                                   out[0].data(), out[1].data(), out[2].data(), out[3].data(),
                                   out[4].data(), out[5].data(), steps.data()};
  ClearFloatFaults();
  ASSERT_TRUE(SearchStripDepthsOnLanes(section, searches));
  for (const std::size_t stuck : {std::size_t{0}, count - 1}) {
    target[stuck] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(SearchStripDepthsOnLanes(section, searches)) << stuck;
    ClearFloatFaults();
    target[stuck] = target[1];
  }
}

}  // namespace
}  // namespace ostrel::test

#endif  // OSTREL_LANES
