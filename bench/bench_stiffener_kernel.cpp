// The hot loop of the stiffener design: the section kernel (force of one
// neutral-axis depth), the neutral-axis depth solve, and one element's steel
// ratio search over 40 ultimate combinations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "run/modDesign.h"
#include "stiffener/StiffenerFlexure.h"

namespace ostrel {
namespace {

constexpr int kUltimate = 40;

enum Section { kRect10, kRect20, kCircle };

// The state of one element: section, forces, flexure work and record.
struct Element {
  StiffenerSection s;
  StiffenerForces f;
  FlexureWork x;
  StiffenerRecord r;
};

// f'c 30, fy 400, Es 200000; ratios 1 % to 4 %; 40 ultimate combinations.
Element& SetUp(Section section) {
  ResetGlobalState();
  SetDesignConstants();
  ClearFloatFaults();
  const modGlobal& g = Global();
  static Element element;
  element = Element{};
  StiffenerSettings settings;
  settings.eps_cu = g.eps_cu;
  settings.eps_t = g.eps_t;
  settings.k_Pmax = g.k_Pmax;
  settings.k_Pcomp = g.k_Pcomp;
  settings.k_Ptens = g.k_Ptens;
  settings.suspendFlag = &Design().i_SuspendFlag;
  StartFlexureWork(settings, element.x);
  for (int k = 1; k <= kUltimate; ++k) {
    element.f.ultimateCombos.push_back(static_cast<int16_t>(k));
  }
  element.f.i_FirstUltimateCombo = 1;
  StiffenerSection& s = element.s;
  s.i_SectionType = section == kCircle ? 1 : 0;
  s.d_Width = section == kCircle ? 600 : 400;
  s.d_Height = 600;
  s.i_RFTType = section == kRect10 ? 0 : (section == kRect20 ? 2 : 3);
  s.d_CoverY = 50;
  s.d_CoverZ = 50;
  const double phiS = g.phi_s;
  const double phiC = g.phi_c;
  s.d_PhiFy = phiS * 400;
  s.d_PhiFyComp = phiS * 400;
  s.d_PhiEs = phiS * 200000;
  s.d_Beta1 = 0.97 - 0.0025 * 30;
  s.d_BlockStress = phiC * (0.85 - 0.0015 * 30) * 30;
  s.d_RatioMin = 0.01;
  s.d_RatioMax = 0.04;
  BuildSectionGeometry(s);
  element.x.d_As = 0.025 * s.geo.d_AreaWeb;
  element.x.d_BarArea = element.x.d_As / s.geo.d_NumBars;
  ComputeCapacityPoints(s, element.x, -500000.0);  // depth ratios of this steel; frame: direction 8
  return element;
}

void KernelForce(benchmark::State& state, Section section) {
  const Element& e = SetUp(section);
  const double depth = e.s.geo.d_SectionDepth[8];
  double c = 0.05 * depth;
  double total = 0;
  for (auto _ : state) {
    double F = 0;
    total += SectionForce(e.s, e.x, c, F) + F;
    c = c > 1.2 * depth ? 0.05 * depth : c * 1.01;
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations());
}

void DepthSolve(benchmark::State& state, Section section) {
  const Element& e = SetUp(section);
  const double h = e.s.geo.d_SectionDepth[8];
  const double pt = e.x.d_Pt;
  const double po = e.x.d_Po;
  double p = -0.9 * po;
  for (auto _ : state) {
    double phi = 0;
    benchmark::DoNotOptimize(SolveNeutralAxisDepth(e.s, e.x, p, h, phi));
    p = p > 0.9 * pt ? -0.9 * po : p + 0.0377 * po;
  }
  state.SetItemsProcessed(state.iterations());
}

// Forces that need about 2.5 % of steel, so that the ratio search runs
// through all its trials, with moment vectors spread over the quadrant.
void SetForces(StiffenerForces& s, double size) {
  s.d_ComboPu.Create(kUltimate);
  s.d_ComboMuy.Create(kUltimate);
  s.d_ComboMuz.Create(kUltimate);
  s.d_ComboMomentAngle.Create(kUltimate);
  for (int k = 1; k <= kUltimate; ++k) {
    const double angle = (k - 1) * (0.5 * 3.141592653589793 / (kUltimate - 1));
    for (int end = 1; end <= 2; ++end) {
      const double scale = end == 1 ? 1.0 : 0.6;
      const double m = size * scale * (1.6e8 + 0.8e8 * std::cos(angle));
      const double p = -1.5e6 + 4.0e4 * k;
      s.d_ComboPu(k, end) = p;
      s.d_ComboMuy(k, end) = m * std::sin(angle);
      double muz = m * std::cos(angle);
      if (std::fabs(muz) < 0.0001) {
        muz = 0.0001;
      }
      s.d_ComboMuz(k, end) = muz;
      s.d_ComboMomentAngle(k, end) =
          std::atan(std::fabs(s.d_ComboMuy(k, end)) / std::fabs(s.d_ComboMuz(k, end)));
    }
  }
}

void FlexureSteel(benchmark::State& state, Section section) {
  Element& e = SetUp(section);
  SetForces(e.f, section == kCircle ? 1.8 : 1.0);
  double ratio = 0;
  for (auto _ : state) {
    e.r.i_ElementStatus = 0;
    DesignAxialBounds(e.s, e.f, e.x, e.r);
    DesignSectionSteel(e.s, e.f, e.x, e.r);
    ratio = e.r.d_RatioOfSteel;
  }
  if (e.r.i_ElementStatus != 0 || !(ratio > 0.011 && ratio < 0.039)) {
    state.SkipWithError(("the forces do not make the ratio search run: status " +
                         std::to_string(e.r.i_ElementStatus) + ", ratio " + std::to_string(ratio))
                            .c_str());
  }
  state.counters["ratio_percent"] = ratio * 100;
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(KernelForce, rect400x600_10bars, kRect10);
BENCHMARK_CAPTURE(KernelForce, rect400x600_20bars, kRect20);
BENCHMARK_CAPTURE(KernelForce, circle600_20bars, kCircle);
BENCHMARK_CAPTURE(DepthSolve, rect400x600_10bars, kRect10);
BENCHMARK_CAPTURE(DepthSolve, rect400x600_20bars, kRect20);
BENCHMARK_CAPTURE(DepthSolve, circle600_20bars, kCircle);
BENCHMARK_CAPTURE(FlexureSteel, rect400x600_10bars_40combos, kRect10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FlexureSteel, circle600_20bars_40combos, kCircle)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ostrel
