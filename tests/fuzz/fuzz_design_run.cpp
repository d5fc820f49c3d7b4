// Whole design runs on a model and analysis results decoded from the input:
// any floats (0, negatives, huge values, NaN, infinities), any codes, small
// counts. Every input method stores or refuses; every run ends, completed or
// through its error path; no query ever returns a NaN or an infinity.
#include <fuzzer/FuzzedDataProvider.h>

#include <limits>

#include "FuzzSupport.h"

using namespace ostrel::fuzz;

namespace {

struct Analysis {
  uint8_t available = 1;
  int32_t failAtCall = -1;  // the call that fails (status 1 or negative), -1 never
  int32_t failWith = 1;
  int32_t calls = 0;
  std::vector<float> values;  // recycled for every value requested
  size_t next = 0;

  float Next() {
    if (values.empty()) return 0.0f;
    const float v = values[next % values.size()];
    ++next;
    return v;
  }
  int32_t Status() { return calls++ == failAtCall ? failWith : 0; }
};

Analysis gAnalysis;

void* Create(void* ctx) { return ctx; }
void Release(void*) {}
int32_t Available(void* inst, uint8_t* flag) {
  *flag = static_cast<Analysis*>(inst)->available;
  return 0;
}
int32_t Displacement(void* inst, int16_t, int16_t, float* a, float* b, float* c, float* d, float* e,
                     float* f) {
  auto* an = static_cast<Analysis*>(inst);
  for (float* p : {a, b, c, d, e, f}) *p = an->Next();
  return an->Status();
}
int32_t PlateForces(void* inst, int16_t, int16_t, float* a, float* b, float* c, float* d, float* e,
                    float* f) {
  auto* an = static_cast<Analysis*>(inst);
  for (float* p : {a, b, c, d, e, f}) *p = an->Next();
  return an->Status();
}
int32_t StiffenerForces(void* inst, int16_t, int16_t, float* a, float* b, float* c, float* d,
                        float* e, float* f, float* g, float* h, float* i, float* j, float* k,
                        float* l) {
  auto* an = static_cast<Analysis*>(inst);
  for (float* p : {a, b, c, d, e, f, g, h, i, j, k, l}) *p = an->Next();
  return an->Status();
}

// Floats worth trying: ordinary engineering values most of the time, and the
// awkward ones often enough.
float PickFloat(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 11)) {
    case 0: return 0.0f;
    case 1: return -in.ConsumeFloatingPointInRange<float>(0.0f, 1e6f);
    case 2: return std::numeric_limits<float>::quiet_NaN();
    case 3: return std::numeric_limits<float>::infinity();
    case 4: return -std::numeric_limits<float>::infinity();
    case 5: return std::numeric_limits<float>::max();
    case 6: return in.ConsumeFloatingPoint<float>();
    default: return in.ConsumeFloatingPointInRange<float>(0.0f, 1000.0f);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static clsDesignCSA94* design = [] {
    OstrelDesignCSA94_SetMessageBoxHandler(&QuietBox, nullptr);
    static const OstrelAnalysisResultsClass cls = {Create, Release, Available, Displacement,
                                                   PlateForces, StiffenerForces, &gAnalysis};
    OstrelDesignCSA94_RegisterAnalysisResults(&cls);
    OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
    return clsDesignCSA94_Create();
  }();
  FuzzedDataProvider in(data, size);
  clsDesignCSA94_ResetDesign(design);

  clsDesignCSA94_SetUnits(design, in.ConsumeIntegralInRange<uint8_t>(0, 2));
  const int32_t nodes = in.ConsumeIntegralInRange<int32_t>(-1, 6);
  const int32_t plates = in.ConsumeIntegralInRange<int32_t>(-1, 4);
  const int32_t stiffeners = in.ConsumeIntegralInRange<int32_t>(-1, 3);
  const int32_t combos = in.ConsumeIntegralInRange<int32_t>(0, 5);
  clsDesignCSA94_SetNumberOfNodes(design, nodes);
  clsDesignCSA94_SetNumberOfPlateElements(design, plates);
  clsDesignCSA94_SetNumberOfStiffenerElements(design, stiffeners);
  clsDesignCSA94_SetNumberOfLoadCombinations(design, combos);
  for (int16_t c = 0; c <= combos + 1; ++c) {
    clsDesignCSA94_SetComboType(design, c, in.ConsumeIntegralInRange<uint8_t>(0, 2));
  }
  for (int32_t e = 0; e <= plates + 1; ++e) {
    float v[10];
    for (float& x : v) x = PickFloat(in);
    clsDesignCSA94_SetPlateElementProperties(design, e, v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                             v[7], in.ConsumeIntegralInRange<uint8_t>(0, 3), v[8],
                                             v[9]);
  }
  for (int32_t e = 0; e <= stiffeners + 1; ++e) {
    float v[18];
    for (float& x : v) x = PickFloat(in);
    clsDesignCSA94_SetStiffenerElementProperties(
        design, e, in.ConsumeIntegralInRange<uint8_t>(0, 2), in.ConsumeIntegralInRange<uint8_t>(0, 3),
        v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11],
        in.ConsumeIntegralInRange<uint8_t>(0, 4), v[12], v[13], v[14], v[15], 0);
  }

  gAnalysis.available = in.ConsumeIntegralInRange<uint8_t>(0, 1) ? 1 : 0;
  gAnalysis.calls = 0;
  gAnalysis.next = 0;
  gAnalysis.failAtCall = in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(0, 40) : -1;
  gAnalysis.failWith = in.ConsumeBool() ? 1 : -5;
  gAnalysis.values.clear();
  while (in.remaining_bytes() > 0 && gAnalysis.values.size() < 256) {
    gAnalysis.values.push_back(PickFloat(in));
  }

  clsDesignCSA94_RunDesign(design);  // the default window host closes the window at the end

  uint8_t done = 9;
  Require(clsDesignCSA94_DesignDone(design, &done) == 0, "DesignDone answers");
  for (int32_t n = 1; n <= 6; ++n) {
    QueryAll(design, n);
  }
  return 0;
}
