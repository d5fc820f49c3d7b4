#include "platform/AnalysisResults.h"

#include <mutex>
#include <optional>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"

namespace ostrel {

namespace {

std::mutex gClassMutex;
std::optional<OstrelAnalysisResultsClass> gClass;

// An instance created through a registered class; it keeps a copy of that
// class, so registering another class later does not affect it.
class RegisteredAnalysisResults final : public AnalysisResults {
 public:
  RegisteredAnalysisResults(const OstrelAnalysisResultsClass& cls, void* instance)
      : cls_(cls), instance_(instance) {}
  ~RegisteredAnalysisResults() override {
    if (cls_.Release != nullptr) {
      FloatFlagsScope host;
      cls_.Release(instance_);
    }
  }
  RegisteredAnalysisResults(const RegisteredAnalysisResults&) = delete;
  RegisteredAnalysisResults& operator=(const RegisteredAnalysisResults&) = delete;

  int32_t ResultsAvailable(uint8_t& bt_Available) override {
    if (cls_.ResultsAvailable == nullptr) return -1;
    FloatFlagsScope host;
    return cls_.ResultsAvailable(instance_, &bt_Available);
  }
  int32_t GetNodeDisplacement(int16_t node, int16_t combo, float (&d)[6]) override {
    if (cls_.GetNodeDisplacement == nullptr) return -1;
    FloatFlagsScope host;
    return cls_.GetNodeDisplacement(instance_, node, combo, &d[0], &d[1], &d[2], &d[3], &d[4],
                                    &d[5]);
  }
  int32_t GetPlateElementForces(int16_t element, int16_t combo, float (&f)[6]) override {
    if (cls_.GetPlateElementForces == nullptr) return -1;
    FloatFlagsScope host;
    return cls_.GetPlateElementForces(instance_, element, combo, &f[0], &f[1], &f[2], &f[3],
                                      &f[4], &f[5]);
  }
  int32_t GetStiffenerElementForces(int16_t element, int16_t combo, float (&f)[12]) override {
    if (cls_.GetStiffenerElementForces == nullptr) return -1;
    FloatFlagsScope host;
    return cls_.GetStiffenerElementForces(instance_, element, combo, &f[0], &f[1], &f[2], &f[3],
                                          &f[4], &f[5], &f[6], &f[7], &f[8], &f[9], &f[10],
                                          &f[11]);
  }

 private:
  OstrelAnalysisResultsClass cls_;
  void* instance_;
};

}  // namespace

void RegisterAnalysisResultsClass(const OstrelAnalysisResultsClass* cls) {
  std::lock_guard<std::mutex> lock(gClassMutex);
  if (cls == nullptr) {
    gClass.reset();
  } else {
    gClass = *cls;
  }
}

std::shared_ptr<AnalysisResults> CreateAnalysisResults() {
  std::optional<OstrelAnalysisResultsClass> cls;
  {
    std::lock_guard<std::mutex> lock(gClassMutex);
    cls = gClass;
  }
  if (!cls || cls->Create == nullptr) {
    throw RunTimeError("the analysis-results component cannot be created");
  }
  void* instance = nullptr;
  {
    FloatFlagsScope host;
    instance = cls->Create(cls->classContext);
  }
  if (instance == nullptr) {
    throw RunTimeError("the analysis-results component cannot be created");
  }
  try {
    return std::make_shared<RegisteredAnalysisResults>(*cls, instance);
  } catch (...) {
    if (cls->Release != nullptr) cls->Release(instance);
    throw;
  }
}

AnalysisResults& EnsureAnalysisResults() {
  modGlobal& g = Global();
  if (!g.analysisResults) {
    g.analysisResults = CreateAnalysisResults();
  }
  return *g.analysisResults;
}

}  // namespace ostrel
