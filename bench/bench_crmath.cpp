// The correctly rounded sin, cos and atan (model/CrMath, used by the Windows
// build) against the C library's, on angles in [0, pi/2] and moment ratios.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/CrMath.h"

namespace {

const std::vector<double>& Angles() {
  static const std::vector<double> v = [] {
    std::mt19937_64 rng(1);
    std::uniform_real_distribution<double> a(0.0, 1.5707963267948966);
    std::vector<double> out(4096);
    for (double& x : out) x = a(rng);
    return out;
  }();
  return v;
}

const std::vector<double>& Ratios() {
  static const std::vector<double> v = [] {
    std::mt19937_64 rng(2);
    std::uniform_real_distribution<double> e(-4, 4);
    std::vector<double> out(4096);
    for (double& x : out) x = std::pow(10.0, e(rng));
    return out;
  }();
  return v;
}

template <double (*F)(double)>
void Run(benchmark::State& state, const std::vector<double>& args) {
  for (auto _ : state) {
    double sum = 0;
    for (double x : args) sum += F(x);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(args.size()));
}

double LibcSin(double x) { return std::sin(x); }
double LibcCos(double x) { return std::cos(x); }
double LibcAtan(double x) { return std::atan(x); }

void BM_CrSin(benchmark::State& s) { Run<ostrel::CrSin>(s, Angles()); }
void BM_LibcSin(benchmark::State& s) { Run<LibcSin>(s, Angles()); }
void BM_CrCos(benchmark::State& s) { Run<ostrel::CrCos>(s, Angles()); }
void BM_LibcCos(benchmark::State& s) { Run<LibcCos>(s, Angles()); }
void BM_CrAtan(benchmark::State& s) { Run<ostrel::CrAtan>(s, Ratios()); }
void BM_LibcAtan(benchmark::State& s) { Run<LibcAtan>(s, Ratios()); }

BENCHMARK(BM_CrSin);
BENCHMARK(BM_LibcSin);
BENCHMARK(BM_CrCos);
BENCHMARK(BM_LibcCos);
BENCHMARK(BM_CrAtan);
BENCHMARK(BM_LibcAtan);

}  // namespace
