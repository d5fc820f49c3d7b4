// Whole design runs of a wall through the C interface, one benchmark per
// phase: plate elements only (2,000 and 10,000) and stiffener elements only
// (200 and 1,000), each with 40 ultimate combinations plus the one service
// combination the displacement envelope needs, designed on the calling
// thread alone (1 worker) or on 2 worker threads (the second argument). The
// stiffeners run with their end moments as tabled (moments% 100: most
// sections keep their minimum steel) and doubled (200: nearly every section
// searches its steel ratio, the heavy case).
// Forces come from tables in memory, filled before timing starts. Times are
// wall-clock times; reports elements (and, for plates, element-directions)
// per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "OstrelDesignCSA94.h"
#include "SearchLanesContext.h"

namespace {

constexpr int kPlates = 10000;
constexpr int kStiffeners = 1000;
constexpr int kUltimate = 40;
constexpr int kCombos = kUltimate + 1;  // combination 1 is the service one

// Forces of every element and combination, from smooth closed-form
// functions, in kN/m and kN-m/m (plates) or kN and kN-m (stiffener ends).
struct ForceTables {
  std::vector<float> plate;      // (element, combo) -> 6 values
  std::vector<float> stiffener;  // (element, combo) -> 12 values

  ForceTables()
      : plate(static_cast<size_t>(kPlates) * kCombos * 6),
        stiffener(static_cast<size_t>(kStiffeners) * kCombos * 12) {
    for (int e = 1; e <= kPlates; ++e) {
      for (int k = 1; k <= kCombos; ++k) {
        float* f = Plate(e, k);
        const double a = 0.731 * e + 1.37 * k;
        f[0] = static_cast<float>(-350 + 500 * std::sin(a));        // Nx
        f[1] = static_cast<float>(-400 + 450 * std::cos(0.7 * a));  // Ny
        f[2] = static_cast<float>(60 * std::sin(1.9 * a));          // Nxy
        f[3] = static_cast<float>(28 * std::cos(1.3 * a));          // Mx
        f[4] = static_cast<float>(25 * std::sin(2.1 * a));          // My
        f[5] = static_cast<float>(6 * std::cos(0.4 * a));           // Mxy
      }
    }
    for (int e = 1; e <= kStiffeners; ++e) {
      for (int k = 1; k <= kCombos; ++k) {
        float* f = Stiffener(e, k);
        const double a = 0.37 * e + 1.13 * k;
        for (int end = 0; end < 2; ++end) {
          const double sign = end == 0 ? 1.0 : -0.8;
          f[end * 6 + 0] = static_cast<float>(-900 + 700 * std::sin(a));        // P
          f[end * 6 + 1] = static_cast<float>(sign * 120 * std::cos(a));        // Vy
          f[end * 6 + 2] = static_cast<float>(sign * 180 * std::sin(1.7 * a));  // Vz
          f[end * 6 + 3] = static_cast<float>(12 * std::cos(2.3 * a));          // T
          f[end * 6 + 4] = static_cast<float>(sign * 90 * std::sin(0.9 * a));   // My
          f[end * 6 + 5] = static_cast<float>(sign * 160 * std::cos(1.3 * a));  // Mz
        }
      }
    }
  }
  float* Plate(int e, int k) { return &plate[(static_cast<size_t>(e - 1) * kCombos + (k - 1)) * 6]; }
  float* Stiffener(int e, int k) {
    return &stiffener[(static_cast<size_t>(e - 1) * kCombos + (k - 1)) * 12];
  }
};

ForceTables& Tables() {
  static ForceTables tables;
  return tables;
}

void* Create(void*) { return &Tables(); }
void Release(void*) {}
int32_t Available(void*, uint8_t* flag) {
  *flag = 1;
  return 0;
}
int32_t Displacement(void*, int16_t, int16_t, float* dx, float* dy, float* dz, float* rx,
                     float* ry, float* rz) {
  *dx = *dy = *dz = *rx = *ry = *rz = 0;
  return 0;
}
int32_t PlateForces(void* instance, int16_t element, int16_t combo, float* nx, float* ny,
                    float* nxy, float* mx, float* my, float* mxy) {
  const float* f = static_cast<ForceTables*>(instance)->Plate(element, combo);
  float* out[6] = {nx, ny, nxy, mx, my, mxy};
  for (int i = 0; i < 6; ++i) *out[i] = f[i];
  return 0;
}
// The stiffeners' end moments are scaled by this factor: 1 leaves most
// sections at their minimum steel, larger factors make every element search
// its steel ratio.
float g_momentScale = 1.0f;

int32_t StiffenerForces(void* instance, int16_t element, int16_t combo, float* p1, float* vy1,
                        float* vz1, float* t1, float* my1, float* mz1, float* p2, float* vy2,
                        float* vz2, float* t2, float* my2, float* mz2) {
  const float* f = static_cast<ForceTables*>(instance)->Stiffener(element, combo);
  float* out[12] = {p1, vy1, vz1, t1, my1, mz1, p2, vy2, vz2, t2, my2, mz2};
  for (int i = 0; i < 12; ++i) *out[i] = f[i];
  for (float* moment : {my1, mz1, my2, mz2}) *moment *= g_momentScale;
  return 0;
}

int g_messages = 0;
void CountMessage(void*, const char*, const char*) { ++g_messages; }

void SendCommon(clsDesignCSA94* obj) {
  clsDesignCSA94_SetUnits(obj, 1);
  clsDesignCSA94_SetNumberOfNodes(obj, 1);
  clsDesignCSA94_SetNumberOfLoadCombinations(obj, kCombos);
  clsDesignCSA94_SetComboType(obj, 1, 0);
  for (int16_t k = 2; k <= kCombos; ++k) clsDesignCSA94_SetComboType(obj, k, 1);
}

// Plates of 160 to 250 mm, mostly two curtains, a few with one.
void SendPlateModel(clsDesignCSA94* obj, int count) {
  SendCommon(obj);
  clsDesignCSA94_SetNumberOfStiffenerElements(obj, 0);
  clsDesignCSA94_SetNumberOfPlateElements(obj, count);
  for (int e = 1; e <= count; ++e) {
    const float t = 160.0f + static_cast<float>(e % 10) * 10.0f;
    const uint8_t curtains = e % 7 == 0 ? 1 : 2;
    const float cover = curtains == 1 ? t / 2 : 45.0f;
    clsDesignCSA94_SetPlateElementProperties(obj, e, t, 30, 400, 200000, 0.25f, 4, 0.25f, 4,
                                             curtains, cover, cover);
  }
}

// Rectangular and circular webs, some flanged, all four bar arrangements.
void SendStiffenerModel(clsDesignCSA94* obj, int count) {
  SendCommon(obj);
  clsDesignCSA94_SetNumberOfPlateElements(obj, 0);
  clsDesignCSA94_SetNumberOfStiffenerElements(obj, count);
  for (int e = 1; e <= count; ++e) {
    const int kind = e % 5;
    if (kind == 4) {
      clsDesignCSA94_SetStiffenerElementProperties(obj, e, 1, 1, 600, 600, 0, 0, 0, 0, 35, 2400,
                                                   400, 200000, 1, 4, 3, 50, 50, 40, 40, 0);
      continue;
    }
    const float flange = kind == 3 ? 300.0f : 0.0f;
    clsDesignCSA94_SetStiffenerElementProperties(
        obj, e, 0, static_cast<uint8_t>(e % 3), 400, 600, flange, 150, flange, 150, 30, 2400, 400,
        200000, 1, 4, static_cast<uint8_t>(kind), 50, 50, 40, 40, 0);
  }
}

void RunWall(benchmark::State& state, void (*send)(clsDesignCSA94*, int), int directions) {
  const int elements = static_cast<int>(state.range(0));
  OstrelDesignCSA94_SetWorkerThreads(static_cast<int32_t>(state.range(1)));
  Tables();  // filled before timing
  OstrelAnalysisResultsClass cls{&Create,      &Release,         &Available, &Displacement,
                                 &PlateForces, &StiffenerForces, nullptr};
  OstrelDesignCSA94_RegisterAnalysisResults(&cls);
  OstrelDesignCSA94_SetMessageBoxHandler(&CountMessage, nullptr);
  g_messages = 0;
  clsDesignCSA94* obj = clsDesignCSA94_Create();
  for (auto _ : state) {
    state.PauseTiming();
    send(obj, elements);  // a completed run releases the model input
    state.ResumeTiming();
    clsDesignCSA94_RunDesign(obj);
    uint8_t done = 0;
    clsDesignCSA94_DesignDone(obj, &done);
    if (done != 1 || g_messages != 0) {
      state.SkipWithError("the design run did not complete");
      break;
    }
  }
  state.counters["elements/s"] = benchmark::Counter(static_cast<double>(elements),
                                                    benchmark::Counter::kIsIterationInvariantRate);
  if (directions > 1) {
    state.counters["element-directions/s"] = benchmark::Counter(
        static_cast<double>(elements) * directions, benchmark::Counter::kIsIterationInvariantRate);
  }
  clsDesignCSA94_Release(obj);
  OstrelDesignCSA94_SetMessageBoxHandler(nullptr, nullptr);
  OstrelDesignCSA94_SetWorkerThreads(1);
}

// Plates are designed in x and in y: two element-directions per element.
void BM_PlatePhase(benchmark::State& state) { RunWall(state, &SendPlateModel, 2); }
void BM_StiffenerPhase(benchmark::State& state) {
  g_momentScale = static_cast<float>(state.range(2)) / 100.0f;
  RunWall(state, &SendStiffenerModel, 1);
  g_momentScale = 1.0f;
}
BENCHMARK(BM_PlatePhase)
    ->ArgNames({"plates", "workers"})
    ->Args({2000, 1})
    ->Args({kPlates, 1})
    ->Args({kPlates, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);
BENCHMARK(BM_StiffenerPhase)
    ->ArgNames({"stiffeners", "workers", "moments%"})
    ->Args({200, 1, 100})
    ->Args({kStiffeners, 1, 100})
    ->Args({kStiffeners, 2, 100})
    ->Args({kStiffeners, 1, 200})
    ->Args({kStiffeners, 2, 200})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

}  // namespace
