// Interaction diagrams through the public capacity functions, as a host
// draws them: for the 400 x 600 section with 10 bars, the eight curves of
// 50 points (with their control points) and the Muy-Muz contour of 72
// directions at an axial compression. The target is under 1 ms for both.
#include <benchmark/benchmark.h>

#include <vector>

#include "OstrelDesignCSA94.hpp"
#include "SearchLanesContext.h"

namespace {

OstrelStiffenerProperties Section400x600() {
  OstrelStiffenerProperties p{};
  p.f_SectionWidth = 400;
  p.f_sectionHeight = 600;
  p.f_fc = 30;
  p.f_density = 2400;
  p.f_fy = 400;
  p.f_Es = 200000;
  p.f_MinRatioOfRFT = 1;
  p.f_MaxRatioOfRFT = 4;
  p.f_Cover_Z = p.f_Cover_Y = p.f_Cover_Z_st = p.f_Cover_Y_st = 50;
  return p;
}

void EightCurves(benchmark::State& state) {
  const OstrelStiffenerProperties p = Section400x600();
  std::vector<OstrelCurvePoint> points, control;
  for (auto _ : state) {
    if (clsDesignCSA94::StiffenerCurve(1, p, 2.5f, 0, 50, points, control) != 0) {
      state.SkipWithError("refused");
    }
    benchmark::DoNotOptimize(points.data());
  }
}

void Contour72(benchmark::State& state) {
  const OstrelStiffenerProperties p = Section400x600();
  std::vector<double> muy, muz;
  for (auto _ : state) {
    if (clsDesignCSA94::StiffenerContour(1, p, 2.5f, -1500.0f, 72, muy, muz) != 0) {
      state.SkipWithError("refused");
    }
    benchmark::DoNotOptimize(muy.data());
  }
}

void CurvesAndContour(benchmark::State& state) {
  const OstrelStiffenerProperties p = Section400x600();
  std::vector<OstrelCurvePoint> points, control;
  std::vector<double> muy, muz;
  for (auto _ : state) {
    if (clsDesignCSA94::StiffenerCurve(1, p, 2.5f, 0, 50, points, control) != 0 ||
        clsDesignCSA94::StiffenerContour(1, p, 2.5f, -1500.0f, 72, muy, muz) != 0) {
      state.SkipWithError("refused");
    }
    benchmark::DoNotOptimize(points.data());
    benchmark::DoNotOptimize(muy.data());
  }
}

BENCHMARK(EightCurves)->Unit(benchmark::kMicrosecond);
BENCHMARK(Contour72)->Unit(benchmark::kMicrosecond);
BENCHMARK(CurvesAndContour)->Unit(benchmark::kMicrosecond);

}  // namespace
