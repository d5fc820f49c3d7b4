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
    int item = 0, combo = 0;
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
    // The failNth-th call of failOp ("" = any fetch) returns failReturn.
    std::string failOp;
    int failNth = 0;
    int32_t failReturn = 1;
    bool raiseFloatFaults = false;  // every fetch divides by zero in the host's own arithmetic
    std::vector<Call> calls;
  };

  FakeAnalysis() : state_(std::make_shared<State>()) {}
  ~FakeAnalysis() { OstrelDesignCSA94_RegisterAnalysisResults(nullptr); }
  FakeAnalysis(const FakeAnalysis&) = delete;
  FakeAnalysis& operator=(const FakeAnalysis&) = delete;
  State* operator->() { return state_.get(); }

  void Register() {
    const OstrelAnalysisResultsClass cls{
        &Create,
        &Release,
        &Available,
        &Fetch<0, 6, &State::displacements, float, float, float, float, float, float>,
        &Fetch<1, 6, &State::plateForces, float, float, float, float, float, float>,
        &Fetch<2, 12, &State::stiffenerForces, float, float, float, float, float, float, float,
               float, float, float, float, float>,
        &state_};
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
  template <int Op, size_t N, Table<N> State::*table, class... Out>
  static int32_t Fetch(void* instance, int16_t item, int16_t combo, Out*... out) {
    static constexpr const char* kOps[] = {"GetNodeDisplacement", "GetPlateElementForces",
                                           "GetStiffenerElementForces"};
    State& s = S(instance);
    const char* op = kOps[Op];
    const auto it = (s.*table).find({item, combo});
    int k = 0;
    ((*out = it == (s.*table).end() ? 0.0f : it->second[k++]), ...);
    s.calls.push_back(Call{op, item, combo});
    if (s.raiseFloatFaults) {
      volatile double zero = 0.0;
      volatile double quotient = 1.0 / zero;
      (void)quotient;
    }
    if (s.failNth <= 0 || !(s.failOp.empty() || s.failOp == op)) return 0;
    int seen = 0;
    for (const Call& c : s.calls)
      seen += s.failOp.empty() ? c.op != "ResultsAvailable" : c.op == s.failOp;
    return seen == s.failNth ? s.failReturn : 0;
  }

  Instance state_;
};

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_FAKEANALYSIS_H
