// A test analysis-results source: the C class a host registers, backed by
// in-memory tables (missing entries read as zeros). Every call is logged and
// any fetch can be made to fail. The tables live in a state shared with every
// instance, so an instance released after this object (when its thread ends)
// never touches freed memory.
#ifndef OSTREL_TESTS_SUPPORT_FAKEANALYSIS_H
#define OSTREL_TESTS_SUPPORT_FAKEANALYSIS_H

#include <array>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "OstrelDesignCSA94.h"

namespace ostrel::test {

class FakeAnalysis {
 public:
  struct Call {
    std::string op;
    int item = 0;
    int combo = 0;
    std::thread::id thread = std::this_thread::get_id();
  };
  template <size_t N>
  using Table = std::map<std::pair<int, int>, std::array<float, N>>;  // (item, combo)

  struct State {
    uint8_t available = 1;        // the flag ResultsAvailable reports
    int32_t availableReturn = 0;  // and what it returns
    bool createFails = false;
    int creates = 0, releases = 0;
    Table<6> displacements, plateForces;
    Table<12> stiffenerForces;
    // The failNth-th logged call of failOp ("" = any fetch) returns failReturn.
    std::string failOp;
    int failNth = 0;
    int32_t failReturn = 1;
    // Every fetch divides by zero in the host's own arithmetic.
    bool raiseFloatFaults = false;
    std::vector<Call> calls;

    template <size_t N>
    int32_t Fetch(const char* op, const Table<N>& table, int item, int combo, float* const* out) {
      const auto it = table.find({item, combo});
      for (size_t k = 0; k < N; ++k) *out[k] = it == table.end() ? 0.0f : it->second[k];
      calls.push_back(Call{op, item, combo});
      if (raiseFloatFaults) {
        volatile double zero = 0.0;
        volatile double quotient = 1.0 / zero;
        (void)quotient;
      }
      if (failNth <= 0 || !(failOp.empty() || failOp == op)) return 0;
      int seen = 0;
      for (const Call& c : calls)
        seen += (failOp.empty() ? c.op != "ResultsAvailable" : c.op == failOp);
      return seen == failNth ? failReturn : 0;
    }
  };

  FakeAnalysis() : state_(std::make_shared<State>()) {}
  ~FakeAnalysis() { OstrelDesignCSA94_RegisterAnalysisResults(nullptr); }
  FakeAnalysis(const FakeAnalysis&) = delete;
  FakeAnalysis& operator=(const FakeAnalysis&) = delete;

  State* operator->() { return state_.get(); }

  void Register() {
    const OstrelAnalysisResultsClass cls{&Create, &Release,   &Available, &Displacement,
                                         &Plate,  &Stiffener, &state_};
    OstrelDesignCSA94_RegisterAnalysisResults(&cls);
  }
  void SetDisplacement(int node, int combo, float dx, float dy, float dz) {
    state_->displacements[{node, combo}] = {dx, dy, dz, 0, 0, 0};
  }
  void SetPlateForces(int element, int combo, const std::array<float, 6>& f) {
    state_->plateForces[{element, combo}] = f;
  }
  void SetStiffenerForces(int element, int combo, const std::array<float, 6>& end1,
                          const std::array<float, 6>& end2) {
    auto& all = state_->stiffenerForces[{element, combo}];
    for (int k = 0; k < 6; ++k) all[k] = end1[k], all[k + 6] = end2[k];
  }
  void FailAt(const std::string& op, int nth, int32_t value) {
    state_->failOp = op, state_->failNth = nth, state_->failReturn = value;
  }
  int CallCount(const std::string& op) const {
    int n = 0;
    for (const Call& c : state_->calls) n += c.op == op;
    return n;
  }

 private:
  using Instance = std::shared_ptr<State>;
  static State& S(void* instance) { return **static_cast<Instance*>(instance); }

  static void* Create(void* classContext) {
    const Instance& shared = *static_cast<Instance*>(classContext);
    ++shared->creates;
    return shared->createFails ? nullptr : new Instance(shared);
  }
  static void Release(void* instance) {
    ++S(instance).releases;
    delete static_cast<Instance*>(instance);
  }
  static int32_t Available(void* instance, uint8_t* flag) {
    S(instance).calls.push_back(Call{"ResultsAvailable", 0, 0});
    *flag = S(instance).available;
    return S(instance).availableReturn;
  }
  static int32_t Displacement(void* in, int16_t n, int16_t c, float* dx, float* dy, float* dz,
                              float* rx, float* ry, float* rz) {
    float* const out[] = {dx, dy, dz, rx, ry, rz};
    return S(in).Fetch("GetNodeDisplacement", S(in).displacements, n, c, out);
  }
  static int32_t Plate(void* in, int16_t e, int16_t c, float* nx, float* ny, float* nxy, float* mx,
                       float* my, float* mxy) {
    float* const out[] = {nx, ny, nxy, mx, my, mxy};
    return S(in).Fetch("GetPlateElementForces", S(in).plateForces, e, c, out);
  }
  static int32_t Stiffener(void* in, int16_t e, int16_t c, float* p1, float* vy1, float* vz1,
                           float* t1, float* my1, float* mz1, float* p2, float* vy2, float* vz2,
                           float* t2, float* my2, float* mz2) {
    float* const out[] = {p1, vy1, vz1, t1, my1, mz1, p2, vy2, vz2, t2, my2, mz2};
    return S(in).Fetch("GetStiffenerElementForces", S(in).stiffenerForces, e, c, out);
  }

  Instance state_;
};

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_FAKEANALYSIS_H
