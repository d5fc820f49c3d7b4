// A whole design run of a wall of plate elements through the C interface:
// 2,000 plate elements, 40 ultimate combinations (plus the one service
// combination the displacement envelope needs), forces served from memory.
// Reports element-directions designed per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "OstrelDesignCSA94.h"

namespace {

constexpr int kElements = 2000;
constexpr int kUltimate = 40;
constexpr int kCombos = kUltimate + 1;  // combination 1 is the service one

// Membrane forces (kN/m) and moments (kN-m/m) of every element and combination.
struct ForceTable {
  std::vector<float> values;  // (element, combo) -> Nx, Ny, Nxy, Mx, My, Mxy

  ForceTable() : values(static_cast<size_t>(kElements) * kCombos * 6) {
    for (int e = 1; e <= kElements; ++e) {
      for (int k = 1; k <= kCombos; ++k) {
        float* f = At(e, k);
        const double a = 0.37 * e + 1.13 * k;
        f[0] = static_cast<float>(-600 + 500 * std::sin(a));        // Nx
        f[1] = static_cast<float>(-900 + 700 * std::cos(0.7 * a));  // Ny
        f[2] = static_cast<float>(60 * std::sin(1.9 * a));          // Nxy
        f[3] = static_cast<float>(45 * std::cos(1.3 * a));          // Mx
        f[4] = static_cast<float>(30 * std::sin(0.8 * a));          // My
        f[5] = static_cast<float>(8 * std::cos(2.1 * a));           // Mxy
      }
    }
  }
  float* At(int e, int k) { return &values[(static_cast<size_t>(e - 1) * kCombos + (k - 1)) * 6]; }
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
int32_t Displacement(void*, int16_t, int16_t, float* dx, float* dy, float* dz, float* rx, float* ry,
                     float* rz) {
  *dx = *dy = *dz = *rx = *ry = *rz = 0;
  return 0;
}
int32_t Plate(void* instance, int16_t element, int16_t combo, float* nx, float* ny, float* nxy,
              float* mx, float* my, float* mxy) {
  const float* f = static_cast<ForceTable*>(instance)->At(element, combo);
  float* out[6] = {nx, ny, nxy, mx, my, mxy};
  for (int i = 0; i < 6; ++i) *out[i] = f[i];
  return 0;
}
int32_t Stiffener(void*, int16_t, int16_t, float*, float*, float*, float*, float*, float*, float*,
                  float*, float*, float*, float*, float*) {
  return 1;  // no stiffeners in this model
}

int g_messages = 0;
void CountMessage(void*, const char*, const char*) { ++g_messages; }

// The model: walls of 150 to 300 mm, one curtain up to 250 mm on every third
// element, f'c 25 to 45 MPa, SI units.
void SendModel(clsDesignCSA94* obj) {
  clsDesignCSA94_SetUnits(obj, 1);
  clsDesignCSA94_SetNumberOfNodes(obj, 1);
  clsDesignCSA94_SetNumberOfStiffenerElements(obj, 0);
  clsDesignCSA94_SetNumberOfLoadCombinations(obj, kCombos);
  clsDesignCSA94_SetComboType(obj, 1, 0);
  for (int16_t k = 2; k <= kCombos; ++k) clsDesignCSA94_SetComboType(obj, k, 1);
  clsDesignCSA94_SetNumberOfPlateElements(obj, kElements);
  for (int e = 1; e <= kElements; ++e) {
    const float t = 150.0f + 50.0f * static_cast<float>(e % 4);
    const uint8_t curtains = (e % 3 == 0 && t <= 250.0f) ? 1 : 2;
    const float fc = 25.0f + 5.0f * static_cast<float>(e % 5);
    clsDesignCSA94_SetPlateElementProperties(obj, e, t, fc, 400, 200000, 0.25f, 4, 0.2f, 4,
                                             curtains, 40, 55);
  }
}

void BM_PlatePhase(benchmark::State& state) {
  OstrelAnalysisResultsClass cls{&Create, &Release,   &Available, &Displacement,
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
  state.counters["element-directions/s"] =
      benchmark::Counter(2.0 * kElements, benchmark::Counter::kIsIterationInvariantRate);
  clsDesignCSA94_Release(obj);
  OstrelDesignCSA94_SetMessageBoxHandler(nullptr, nullptr);
}
BENCHMARK(BM_PlatePhase)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
