// The steel check with its searches on vector lanes against the check one
// search at a time: record, capacity points, frame, depth ratios and the
// trial trees left for later checks must be equal bit for bit, and a check
// that fails must fail with the same message, in every vector width the
// machine runs.
#ifdef OSTREL_LANES

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/SearchLanes.h"
#include "stiffener/SectionLaneKernel.h"
#include "stiffener/flexure_fixture.h"

namespace ostrel {
namespace {

// What a check leaves: its error message (empty when none), the raised
// fault flags and every value later code may read.
struct Outcome {
  std::string error;
  int faults = 0;
  std::vector<uint64_t> bits;
  bool operator==(const Outcome&) const = default;
};

void Add(std::vector<uint64_t>& bits, double v) { bits.push_back(std::bit_cast<uint64_t>(v)); }
template <class A>
void AddAll(std::vector<uint64_t>& bits, const A& values) {
  for (const double v : values) Add(bits, v);
}

class SearchLanesTest : public FlexureFixture {
 protected:
  Outcome Check(SearchLanes mode, const FlexureWork& start) {
    SetSearchLanes(mode);
    FlexureWork w = start;
    StiffenerRecord rec;
    Outcome out;
    ClearFloatFaults();
    try {
      CheckSectionForCombos(s, f, w, rec);
    } catch (const RunTimeError& e) {
      out.error = e.what();
    }
    out.faults = RaisedFloatFaults();
    ClearFloatFaults();
    SetSearchLanes(SearchLanes::kVector);
    std::vector<uint64_t>& b = out.bits;
    b.insert(b.end(), {static_cast<uint64_t>(rec.status), static_cast<uint64_t>(rec.govCombo)});
    for (const double v : {rec.govMuy, rec.govMuz, rec.govPu, w.frameTop, w.frameBottomBar,
                           w.epsYield, w.epsYieldComp, w.kb, w.kc, w.kt, w.Pt, w.Po}) {
      Add(b, v);
    }
    AddAll(b, w.capMuy);
    AddAll(b, w.capMuz);
    AddAll(b, w.frameVertexU);
    AddAll(b, w.frameVertexW);
    AddAll(b, w.frameBarU);
    AddAll(b, w.frameBarW);
    AddAll(b, w.frameLeftFlangeU);
    AddAll(b, w.frameRightFlangeW);
    for (const DepthTrialTree& tree : w.checkTrials) {
      b.push_back(static_cast<uint64_t>(tree.Size()));
      for (int i = 0; i < tree.Size(); ++i) {
        const DepthTrial& t = tree.TrialAt(i);
        for (const double v : {t.c, t.F, t.phi, t.Ma, t.Mb, tree.LinkAt(i).nextValue[1]}) {
          Add(b, v);
        }
        b.insert(b.end(), {static_cast<uint64_t>(t.hasMoments),
                           static_cast<uint64_t>(tree.LinkAt(i).next[0] + 1)});
      }
    }
    return out;
  }

  // A random web (rectangles with every bar arrangement, flanged ones,
  // circles), steel ratio and 1 to 14 ultimate combinations (after a
  // service one) spread from deep compression to beyond 0.95 Pt, moments
  // of any direction, some along an axis.
  void RandomElement(std::mt19937_64& rng) {
    std::uniform_real_distribution<double> u(0, 1);
    const int kind = static_cast<int>(rng() % 5);
    s = StiffenerSection{};
    if (kind == 3) {
      s.hasFlanges = 1;
      s.projection = static_cast<uint8_t>(rng() % 3);
      s.flangeWidth = {0, 100 + 400 * u(rng), 400 * u(rng)};
      s.flangeThickness = {0, 100 + 100 * u(rng), 100 + 100 * u(rng)};
    }
    const double w = 250 + 10 * static_cast<double>(rng() % 45);
    const double h = 300 + 10 * static_cast<double>(rng() % 60);
    if (kind == 4) {
      Rectangle(w, w, 3, 40 + 20 * u(rng), 1);
    } else {
      Rectangle(w, h, static_cast<int16_t>(kind % 3), 40 + 20 * u(rng));
    }
    SetSteel((0.01 + 0.03 * u(rng)) * s.geo.areaWeb);
    ComputeCapacityPoints(s, x, 0.0);
    const double po = x.Po;
    const double pt = x.Pt;
    const double m0 = std::fabs(x.capMuz[1]) + std::fabs(x.capMuy[7]);
    const int n = 1 + static_cast<int>(rng() % 14);
    f = StiffenerForces{};
    for (ComboEndArray* a : {&f.Pu, &f.Muy, &f.Muz, &f.momentAngle}) a->Create(n + 1);
    for (int k = 2; k <= n + 1; ++k) {
      f.ultimateCombos.push_back(static_cast<int16_t>(k));
      const double P = -0.85 * po + (0.85 * po + 1.02 * pt) * u(rng);
      for (int end = 1; end <= 2; ++end) {
        const int axis = static_cast<int>(rng() % 8);
        const double angle = axis == 0 ? 0 : axis == 1 ? 1.5707963267948966 : 1.57 * u(rng);
        const double m = m0 * (0.05 + 0.6 * u(rng));
        SetForces(k, end, P, m * std::sin(angle), m * std::cos(angle));
      }
    }
  }

  // Every case in every vector width; the widths the dispatch ran.
  template <class Case>
  std::set<int> EveryWidth(int cases, Case&& setUp) {
    std::set<int> widths;
    for (const int64_t target : hwy::SupportedAndGeneratedTargets()) {
      hwy::SetSupportedTargetsForTest(target);
      widths.insert(SectionLaneCount());
      std::mt19937_64 rng(20240613);
      for (int i = 0; i < cases; ++i) {
        setUp(rng, i);
        const FlexureWork start = x;
        const Outcome lanes = Check(SearchLanes::kVector, start);
        const Outcome scalar = Check(SearchLanes::kScalar, start);
        if (!(lanes == scalar)) {
          ADD_FAILURE() << hwy::TargetName(target) << " case " << i << ": " << lanes.error
                        << " / " << scalar.error;
          hwy::SetSupportedTargetsForTest(0);
          return widths;
        }
      }
    }
    hwy::SetSupportedTargetsForTest(0);
    return widths;
  }
};

TEST_F(SearchLanesTest, RandomChecksMatchOneAtATime) {
  const std::set<int> widths = EveryWidth(300, [&](std::mt19937_64& rng, int) {
    RandomElement(rng);
  });
  // Forcing each target really changes the lanes (8 with 512-bit vectors).
  EXPECT_EQ(widths.size() > 1, hwy::SupportedAndGeneratedTargets().size() > 1);
}

// Checks that end in an error: a combination whose demand overflows the
// ratio (the fault of one lane among working ones), and an axial force
// beyond the squash load, which no depth solve can meet (a guard). The
// lanes give the check back and the one-at-a-time check reports it.
TEST_F(SearchLanesTest, FaultsAndGuardsReportedAsOneAtATime) {
  int errors = 0;
  EveryWidth(6, [&](std::mt19937_64& rng, int i) {
    RandomElement(rng);
    const int k = f.ultimateCombos.back();
    if (i % 2 == 0) {
      SetForces(k, 2, f.Pu(k, 1), 1.5e308, 1.5e308);
    } else {
      f.Pu(k, 1) = -3 * x.Po;
    }
  });
  std::mt19937_64 rng(7);
  for (const bool fault : {true, false}) {
    RandomElement(rng);
    const int k = f.ultimateCombos.back();
    if (fault) {
      SetForces(k, 2, f.Pu(k, 1), 1.5e308, 1.5e308);
    } else {
      f.Pu(k, 1) = -3 * x.Po;
    }
    errors += Check(SearchLanes::kVector, x).error.empty() ? 0 : 1;
  }
  EXPECT_EQ(errors, 2);
}

}  // namespace
}  // namespace ostrel

#endif  // OSTREL_LANES
