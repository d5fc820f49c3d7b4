// A whole design run of a wall of stiffeners through the C interface: 200
// stiffener elements, 40 ultimate combinations (plus the one service
// combination the displacement envelope needs), forces served from memory.
// Reports stiffener elements designed per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "OstrelDesignCSA94.h"

namespace {

constexpr int kElements = 200;
constexpr int kUltimate = 40;
constexpr int kCombos = kUltimate + 1;  // combination 1 is the service one

// End forces of every element and combination, in kN and kN-m.
struct ForceTable {
  std::vector<float> values;  // (element, combo) -> 12 values

  ForceTable() : values(static_cast<size_t>(kElements) * kCombos * 12) {
    for (int e = 1; e <= kElements; ++e) {
      for (int k = 1; k <= kCombos; ++k) {
        float* f = At(e, k);
        const double a = 0.37 * e + 1.13 * k;
        for (int end = 0; end < 2; ++end) {
          const double sign = end == 0 ? 1.0 : -0.8;
          f[end * 6 + 0] = static_cast<float>(-900 + 700 * std::sin(a));         // P
          f[end * 6 + 1] = static_cast<float>(sign * 120 * std::cos(a));         // Vy
          f[end * 6 + 2] = static_cast<float>(sign * 180 * std::sin(1.7 * a));   // Vz
          f[end * 6 + 3] = static_cast<float>(12 * std::cos(2.3 * a));           // T
          f[end * 6 + 4] = static_cast<float>(sign * 90 * std::sin(0.9 * a));    // My
          f[end * 6 + 5] = static_cast<float>(sign * 160 * std::cos(1.3 * a));   // Mz
        }
      }
    }
  }
  float* At(int e, int k) { return &values[(static_cast<size_t>(e - 1) * kCombos + (k - 1)) * 12]; }
};

ForceTable& Table() {
  static ForceTable table;
  return table;
}

void* Create(void*) { return &Table(); }
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
int32_t Plate(void*, int16_t, int16_t, float*, float*, float*, float*, float*, float*) {
  return 1;  // no plates in this model
}
int32_t Stiffener(void* instance, int16_t element, int16_t combo, float* p1, float* vy1,
                  float* vz1, float* t1, float* my1, float* mz1, float* p2, float* vy2,
                  float* vz2, float* t2, float* my2, float* mz2) {
  const float* f = static_cast<ForceTable*>(instance)->At(element, combo);
  float* out[12] = {p1, vy1, vz1, t1, my1, mz1, p2, vy2, vz2, t2, my2, mz2};
  for (int i = 0; i < 12; ++i) *out[i] = f[i];
  return 0;
}

int g_messages = 0;
void CountMessage(void*, const char*, const char*) { ++g_messages; }

// The model: rectangular and circular webs, some flanged, all four bar
// arrangements, SI units.
void SendModel(clsDesignCSA94* obj) {
  clsDesignCSA94_SetUnits(obj, 1);
  clsDesignCSA94_SetNumberOfNodes(obj, 1);
  clsDesignCSA94_SetNumberOfPlateElements(obj, 0);
  clsDesignCSA94_SetNumberOfLoadCombinations(obj, kCombos);
  clsDesignCSA94_SetComboType(obj, 1, 0);
  for (int16_t k = 2; k <= kCombos; ++k) clsDesignCSA94_SetComboType(obj, k, 1);
  clsDesignCSA94_SetNumberOfStiffenerElements(obj, kElements);
  for (int e = 1; e <= kElements; ++e) {
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

void BM_StiffenerRun(benchmark::State& state) {
  OstrelAnalysisResultsClass cls{&Create, &Release, &Available, &Displacement,
                                 &Plate,  &Stiffener, nullptr};
  OstrelDesignCSA94_RegisterAnalysisResults(&cls);
  OstrelDesignCSA94_SetMessageBoxHandler(&CountMessage, nullptr);
  clsDesignCSA94* obj = clsDesignCSA94_Create();
  for (auto _ : state) {
    state.PauseTiming();
    SendModel(obj);  // a completed run releases the model input
    state.ResumeTiming();
    clsDesignCSA94_RunDesign(obj);
    uint8_t done = 0;
    clsDesignCSA94_DesignDone(obj, &done);
    if (done != 1 || g_messages != 0) {
      state.SkipWithError("the design run did not complete");
      break;
    }
  }
  state.counters["elements/s"] = benchmark::Counter(
      static_cast<double>(kElements), benchmark::Counter::kIsIterationInvariantRate);
  clsDesignCSA94_Release(obj);
  OstrelDesignCSA94_SetMessageBoxHandler(nullptr, nullptr);
}
BENCHMARK(BM_StiffenerRun)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
