// The hot loop of the stiffener design: the section kernel (force of one
// neutral-axis depth), the neutral-axis depth solve, and one element's steel
// ratio search over 40 ultimate combinations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "model/modDesign.h"
#include "stiffener/StiffenerFlexure.h"

#ifdef OSTREL_LANES
#include <memory>

#include "stiffener/SectionLaneKernel.h"
#endif

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
  settings.epsCu = g.eps_cu;
  settings.epsT = g.eps_t;
  settings.kPmax = g.k_Pmax;
  settings.kPcomp = g.k_Pcomp;
  settings.kPtens = g.k_Ptens;
  settings.suspendFlag = &Design().i_SuspendFlag;
  StartFlexureWork(settings, element.x);
  for (int k = 1; k <= kUltimate; ++k) {
    element.f.ultimateCombos.push_back(static_cast<int16_t>(k));
  }
  element.f.firstUltimateCombo = 1;
  StiffenerSection& s = element.s;
  s.sectionType = section == kCircle ? 1 : 0;
  s.width = section == kCircle ? 600 : 400;
  s.height = 600;
  s.barLayout = section == kRect10 ? 0 : (section == kRect20 ? 2 : 3);
  s.coverY = 50;
  s.coverZ = 50;
  const double phiS = g.phi_s;
  const double phiC = g.phi_c;
  s.phiFy = phiS * 400;
  s.phiFyComp = phiS * 400;
  s.phiEs = phiS * 200000;
  s.beta1 = 0.97 - 0.0025 * 30;
  s.blockStress = phiC * (0.85 - 0.0015 * 30) * 30;
  s.rhoMin = 0.01;
  s.rhoMax = 0.04;
  BuildSectionGeometry(s);
  element.x.As = 0.025 * s.geo.areaWeb;
  element.x.barArea = element.x.As / s.geo.numBars;
  ComputeCapacityPoints(s, element.x, -500000.0);  // depth ratios of this steel; frame: direction 8
  return element;
}

void KernelForce(benchmark::State& state, Section section) {
  const Element& e = SetUp(section);
  const double depth = e.s.geo.sectionDepth[8];
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

#ifdef OSTREL_LANES
// The kernel on vector lanes: every lane the frame of direction 8, the
// lanes' depths stepping like KernelForce's. Items are single evaluations.
// flop_share_% is the kernel's arithmetic rate against the vector peak of
// the dispatched width without fused multiply-add: one multiply and one add
// instruction per cycle, each on all lanes, at the clock the library reads
// (cycles_per_second); flops per evaluation are counted from the kernel
// (SectionLaneFlops).
void KernelForceLanes(benchmark::State& state, Section section) {
  const Element& e = SetUp(section);
  const SectionGeometry& g = e.s.geo;
  const int width = SectionLaneCount();
  auto lanes = std::make_unique<SectionLanes>();
  constexpr int W = kMaxSectionLanes;
  for (int L = 0; L < W; ++L) {
    for (int v = 1; v <= g.numVertices; ++v) {
      lanes->vertexU[v * W + L] = g.rotVertexU[8][v];
      lanes->vertexW[v * W + L] = g.rotVertexW[8][v];
    }
    for (int b = 1; b <= g.numBars; ++b) {
      lanes->barU[b * W + L] = g.rotBarU[8][b];
      lanes->barW[b * W + L] = g.rotBarW[8][b];
    }
    lanes->top[L] = g.topFibre[8];
    lanes->c[L] = (0.05 + 0.1 * L) * g.sectionDepth[8];
  }
  const SectionLaneConstants k{g.numVertices, g.numBars, e.s.hasFlanges != 0, e.s.beta1,
                               e.s.blockStress, e.s.phiEs, e.x.epsCu, e.x.epsYield,
                               e.x.epsYieldComp, e.x.barArea};
  const double depth = g.sectionDepth[8];
  double total = 0;
  for (auto _ : state) {
    EvaluateSectionLanes(k, *lanes, false);
    total += lanes->F[0];
    for (int L = 0; L < width; ++L) {
      const double c = lanes->c[L];
      lanes->c[L] = c > 1.2 * depth ? 0.05 * depth : c * 1.01;
    }
    benchmark::DoNotOptimize(total);
  }
  const double evaluations = static_cast<double>(state.iterations()) * width;
  const double flops = static_cast<double>(SectionLaneFlops(k, false));
  const double peak = benchmark::CPUInfo::Get().cycles_per_second * 2.0 * width;
  state.SetItemsProcessed(static_cast<int64_t>(evaluations));
  state.counters["lanes"] = width;
  state.counters["flops_per_eval"] = flops;
  state.counters["flop_share_%"] =
      benchmark::Counter(100.0 * evaluations * flops / peak, benchmark::Counter::kIsRate);
}
#endif

void DepthSolve(benchmark::State& state, Section section) {
  const Element& e = SetUp(section);
  const double h = e.s.geo.sectionDepth[8];
  const double pt = e.x.Pt;
  const double po = e.x.Po;
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
  s.Pu.Create(kUltimate);
  s.Muy.Create(kUltimate);
  s.Muz.Create(kUltimate);
  s.momentAngle.Create(kUltimate);
  for (int k = 1; k <= kUltimate; ++k) {
    const double angle = (k - 1) * (0.5 * 3.141592653589793 / (kUltimate - 1));
    for (int end = 1; end <= 2; ++end) {
      const double scale = end == 1 ? 1.0 : 0.6;
      const double m = size * scale * (1.6e8 + 0.8e8 * std::cos(angle));
      const double p = -1.5e6 + 4.0e4 * k;
      s.Pu(k, end) = p;
      s.Muy(k, end) = m * std::sin(angle);
      double muz = m * std::cos(angle);
      if (std::fabs(muz) < 0.0001) {
        muz = 0.0001;
      }
      s.Muz(k, end) = muz;
      s.momentAngle(k, end) =
          std::atan(std::fabs(s.Muy(k, end)) / std::fabs(s.Muz(k, end)));
    }
  }
}

void FlexureSteel(benchmark::State& state, Section section) {
  Element& e = SetUp(section);
  SetForces(e.f, section == kCircle ? 1.8 : 1.0);
  double ratio = 0;
  for (auto _ : state) {
    e.r.status = 0;
    DesignSectionAxialBounds(e.s, e.f, e.x, e.r);
    DesignSectionSteel(e.s, e.f, e.x, e.r);
    ratio = e.r.rho;
  }
  if (e.r.status != 0 || !(ratio > 0.011 && ratio < 0.039)) {
    state.SkipWithError(("the forces do not make the ratio search run: status " +
                         std::to_string(e.r.status) + ", ratio " + std::to_string(ratio))
                            .c_str());
  }
  state.counters["ratio_percent"] = ratio * 100;
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(KernelForce, rect400x600_10bars, kRect10);
BENCHMARK_CAPTURE(KernelForce, rect400x600_20bars, kRect20);
BENCHMARK_CAPTURE(KernelForce, circle600_20bars, kCircle);
#ifdef OSTREL_LANES
BENCHMARK_CAPTURE(KernelForceLanes, rect400x600_10bars, kRect10);
BENCHMARK_CAPTURE(KernelForceLanes, rect400x600_20bars, kRect20);
BENCHMARK_CAPTURE(KernelForceLanes, circle600_20bars, kCircle);
#endif
BENCHMARK_CAPTURE(DepthSolve, rect400x600_10bars, kRect10);
BENCHMARK_CAPTURE(DepthSolve, rect400x600_20bars, kRect20);
BENCHMARK_CAPTURE(DepthSolve, circle600_20bars, kCircle);
BENCHMARK_CAPTURE(FlexureSteel, rect400x600_10bars_40combos, kRect10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FlexureSteel, circle600_20bars_40combos, kCircle)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ostrel
