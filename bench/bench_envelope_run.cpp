// A whole design run of a wall model with nodes only through the C
// interface: 2000 nodes, 20 service combinations, displacements served from
// memory, the built-in window host. Reports nodes enveloped per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "OstrelDesignCSA94.h"

namespace {

constexpr int kNodes = 2000;
constexpr int kCombos = 20;

int gInstance = 0;
void* Create(void*) { return &gInstance; }
void Release(void*) {}
int32_t Available(void*, uint8_t* flag) {
  *flag = 1;
  return 0;
}
int32_t Displacement(void*, int16_t node, int16_t combo, float* dx, float* dy, float* dz,
                     float* rx, float* ry, float* rz) {
  const double a = 0.013 * node + 0.71 * combo;
  *dx = static_cast<float>(std::sin(a));
  *dy = static_cast<float>(std::cos(a));
  *dz = static_cast<float>(std::sin(2 * a) * 0.5);
  *rx = *ry = *rz = 0.0f;
  return 0;
}
int32_t NoPlate(void*, int16_t, int16_t, float*, float*, float*, float*, float*, float*) {
  return 1;
}
int32_t NoStiffener(void*, int16_t, int16_t, float*, float*, float*, float*, float*, float*,
                    float*, float*, float*, float*, float*, float*) {
  return 1;
}

// A message during the benchmark means the run did not complete; it is reported.
void PrintBox(void*, const char* text, const char*) { std::fprintf(stderr, "%s\n", text); }

void BM_EnvelopeRun(benchmark::State& state) {
  OstrelAnalysisResultsClass cls = {Create, Release, Available, Displacement,
                                    NoPlate, NoStiffener, nullptr};
  OstrelDesignCSA94_RegisterAnalysisResults(&cls);
  OstrelDesignCSA94_SetMessageBoxHandler(&PrintBox, nullptr);
  OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
  clsDesignCSA94* d = clsDesignCSA94_Create();
  uint8_t done = 0;
  for (auto _ : state) {
    clsDesignCSA94_SetUnits(d, 1);
    clsDesignCSA94_SetNumberOfNodes(d, kNodes);
    clsDesignCSA94_SetNumberOfLoadCombinations(d, kCombos);  // all service
    clsDesignCSA94_RunDesign(d);
    clsDesignCSA94_DesignDone(d, &done);
    if (done != 1) {
      state.SkipWithError("the run did not complete");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kNodes);
  clsDesignCSA94_Release(d);
}
BENCHMARK(BM_EnvelopeRun)->Unit(benchmark::kMillisecond);

}  // namespace
