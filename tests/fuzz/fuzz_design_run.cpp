// Whole design runs on a model and analysis results decoded from the input:
// any floats (0, negatives, huge values, NaN, infinities), any codes, small
// counts. Every input method stores or refuses; every run ends, completed or
// through its error path; no query ever returns a NaN or an infinity. Each
// input is designed on the calling thread alone and again on two worker
// threads: the second run must store the same results bit for bit, show the
// same messages, and make the same analysis-results calls in the same order
// (after an arithmetic fault, possibly followed by the calls of the elements
// already handed out). A third run, on one thread with the element searches
// one at a time instead of on vector lanes, must match the first in
// everything.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "model/SearchLanes.h"
#include "tests/support/StoredResults.h"

using namespace ostrel::fuzz;

namespace {

struct Analysis {
  uint8_t available = 1;
  int32_t failAtCall = -1;  // the call that fails (status 1 or negative), -1 never
  int32_t failWith = 1;
  int32_t calls = 0;
  std::vector<float> values;  // recycled for every value requested
  size_t next = 0;
  std::vector<std::string> log;  // every fetch: operation, item, combination

  float Next() {
    if (values.empty()) return 0.0f;
    const float v = values[next % values.size()];
    ++next;
    return v;
  }
  int32_t Status(char op, int16_t item, int16_t combo) {
    log.push_back(op + std::to_string(item) + "/" + std::to_string(combo));
    return calls++ == failAtCall ? failWith : 0;
  }
};

Analysis gAnalysis;

void* Create(void* ctx) { return ctx; }
void Release(void*) {}
int32_t Available(void* inst, uint8_t* flag) {
  *flag = static_cast<Analysis*>(inst)->available;
  return 0;
}
// One fetch: the next values, then the call's status.
template <char Op, class... Out>
int32_t Fetch(void* inst, int16_t item, int16_t combo, Out*... out) {
  auto* an = static_cast<Analysis*>(inst);
  ((*out = an->Next()), ...);
  return an->Status(Op, item, combo);
}
using F = float;

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

std::vector<std::string> gBoxes;
void RecordBox(void*, const char* text, const char*) { gBoxes.emplace_back(text); }

// What a host sees of one run, and what it stored.
struct Observed {
  uint8_t done = 9;
  std::vector<std::string> boxes;
  std::vector<std::string> calls;
  std::string results;
};

Observed DesignOnce(const uint8_t* data, size_t size, int32_t workers) {
  static clsDesignCSA94* design = [] {
    OstrelDesignCSA94_SetMessageBoxHandler(&RecordBox, nullptr);
    static const OstrelAnalysisResultsClass cls = {
        Create, Release, Available, &Fetch<'N', F, F, F, F, F, F>, &Fetch<'P', F, F, F, F, F, F>,
        &Fetch<'S', F, F, F, F, F, F, F, F, F, F, F, F>, &gAnalysis};
    OstrelDesignCSA94_RegisterAnalysisResults(&cls);
    OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
    return clsDesignCSA94_Create();
  }();
  FuzzedDataProvider in(data, size);
  OstrelDesignCSA94_SetWorkerThreads(workers);
  gBoxes.clear();
  gAnalysis.log.clear();
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
        design, e, in.ConsumeIntegralInRange<uint8_t>(0, 2),
        in.ConsumeIntegralInRange<uint8_t>(0, 3), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
        v[8], v[9], v[10], v[11], in.ConsumeIntegralInRange<uint8_t>(0, 4), v[12], v[13], v[14],
        v[15], 0);
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

  Observed seen;
  Require(clsDesignCSA94_DesignDone(design, &seen.done) == 0, "DesignDone answers");
  seen.results = ostrel::test::StoredResults();
  for (int32_t n = 1; n <= 6; ++n) {
    QueryAll(design, n);
  }
  seen.boxes = gBoxes;
  seen.calls = gAnalysis.log;
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Observed one = DesignOnce(data, size, 1);
  const Observed two = DesignOnce(data, size, 2);
  Require(two.done == one.done, "two workers end the run as one thread does");
  Require(two.boxes == one.boxes, "two workers show the messages of one thread");
  Require(two.results == one.results, "two workers store the results of one thread");
  Require(two.calls.size() >= one.calls.size() &&
              std::equal(one.calls.begin(), one.calls.end(), two.calls.begin()),
          "two workers make the calls of one thread, in its order");
  Require(one.done != 1 || two.calls == one.calls, "a completed run makes the same calls");
  if (ostrel::VectorLanesBuilt()) {
    ostrel::SetSearchLanes(ostrel::SearchLanes::kScalar);
    const Observed scalar = DesignOnce(data, size, 1);
    ostrel::SetSearchLanes(ostrel::SearchLanes::kVector);
    Require(scalar.done == one.done && scalar.boxes == one.boxes &&
                scalar.results == one.results && scalar.calls == one.calls,
            "the searches on vector lanes design as the searches one at a time do");
  }
  return 0;
}
