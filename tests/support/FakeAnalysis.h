// A test analysis-results source: the C class a host registers, backed by
// in-memory tables. Missing entries read as zeros. Any call can be made to
// fail (status 1 or a negative "failed call"), and every call is logged.
//
// The tables live in a shared state that every instance created from the
// class also holds, so an instance released after the FakeAnalysis object
// is gone (e.g. when its thread ends) never touches freed memory.
#ifndef OSTREL_TESTS_SUPPORT_FAKEANALYSIS_H
#define OSTREL_TESTS_SUPPORT_FAKEANALYSIS_H

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "OstrelDesignCSA94.h"

namespace ostrel::test {

class FakeAnalysis {
 public:
  struct Call {
    std::string op;  // "ResultsAvailable", "GetNodeDisplacement", ...
    int item = 0;    // node or element number (0 for ResultsAvailable)
    int combo = 0;
  };

  struct State {
    // ResultsAvailable: the flag it reports and the value it returns.
    uint8_t available = 1;
    int32_t availableReturn = 0;
    // Whether Create succeeds.
    bool createFails = false;
    int creates = 0;
    int releases = 0;

    std::map<std::pair<int, int>, std::array<float, 6>> displacements;  // (node, combo)
    std::map<std::pair<int, int>, std::array<float, 6>> plateForces;    // (element, combo)
    std::map<std::pair<int, int>, std::array<float, 12>> stiffenerForces;

    // Failure injection: the failNth-th call (1-based) of failOp ("" = any of
    // the three fetch operations) returns failReturn instead of 0.
    std::string failOp;
    int failNth = 0;
    int32_t failReturn = 1;

    std::vector<Call> calls;
    // Called after every logged call (e.g. to click a button mid-run).
    std::function<void(const Call&)> onCall;

    int32_t Fetch(const char* op, int item, int combo) {
      calls.push_back(Call{op, item, combo});
      if (onCall) onCall(calls.back());
      if (failNth <= 0) return 0;
      int seen = 0;
      for (const Call& c : calls) {
        const bool fetch = c.op != "ResultsAvailable";
        if (fetch && (failOp.empty() || c.op == failOp)) ++seen;
      }
      const bool matches = failOp.empty() ? std::string(op) != "ResultsAvailable" : failOp == op;
      return (matches && seen == failNth) ? failReturn : 0;
    }
  };

  FakeAnalysis() : state_(std::make_shared<State>()) {}
  ~FakeAnalysis() { OstrelDesignCSA94_RegisterAnalysisResults(nullptr); }
  FakeAnalysis(const FakeAnalysis&) = delete;
  FakeAnalysis& operator=(const FakeAnalysis&) = delete;

  State& state() { return *state_; }
  State* operator->() { return state_.get(); }

  // Registers this source as the process's analysis-results class.
  void Register() {
    OstrelAnalysisResultsClass cls = Class();
    OstrelDesignCSA94_RegisterAnalysisResults(&cls);
  }

  OstrelAnalysisResultsClass Class() {
    return OstrelAnalysisResultsClass{&Create, &Release,         &Available, &Displacement,
                                      &Plate,  &StiffenerForces, &state_};
  }

  void SetDisplacement(int node, int combo, float dx, float dy, float dz) {
    state_->displacements[{node, combo}] = {dx, dy, dz, 0.0f, 0.0f, 0.0f};
  }
  void SetPlateForces(int element, int combo, const std::array<float, 6>& f) {
    state_->plateForces[{element, combo}] = f;
  }
  void SetStiffenerForces(int element, int combo, const std::array<float, 6>& end1,
                          const std::array<float, 6>& end2) {
    std::array<float, 12> all{};
    for (int k = 0; k < 6; ++k) {
      all[k] = end1[k];
      all[k + 6] = end2[k];
    }
    state_->stiffenerForces[{element, combo}] = all;
  }
  // The n-th call (1-based) of op ("" = any fetch) returns value.
  void FailAt(const std::string& op, int nth, int32_t value) {
    state_->failOp = op;
    state_->failNth = nth;
    state_->failReturn = value;
  }
  // How many calls of op were made.
  int CallCount(const std::string& op) const {
    int n = 0;
    for (const Call& c : state_->calls) n += c.op == op ? 1 : 0;
    return n;
  }

 private:
  using Instance = std::shared_ptr<State>;
  static State& S(void* instance) { return **static_cast<Instance*>(instance); }

  static void* Create(void* classContext) {
    const Instance& shared = *static_cast<Instance*>(classContext);
    ++shared->creates;
    if (shared->createFails) return nullptr;
    return new Instance(shared);
  }
  static void Release(void* instance) {
    auto* held = static_cast<Instance*>(instance);
    ++(*held)->releases;
    delete held;
  }
  static int32_t Available(void* instance, uint8_t* flag) {
    State& s = S(instance);
    s.calls.push_back(Call{"ResultsAvailable", 0, 0});
    *flag = s.available;
    return s.availableReturn;
  }
  static int32_t Displacement(void* instance, int16_t node, int16_t combo, float* dx, float* dy,
                              float* dz, float* rx, float* ry, float* rz) {
    State& s = S(instance);
    std::array<float, 6> v{};
    auto it = s.displacements.find({node, combo});
    if (it != s.displacements.end()) v = it->second;
    float* out[6] = {dx, dy, dz, rx, ry, rz};
    for (int k = 0; k < 6; ++k) *out[k] = v[k];
    return s.Fetch("GetNodeDisplacement", node, combo);
  }
  static int32_t Plate(void* instance, int16_t element, int16_t combo, float* Nx, float* Ny,
                       float* Nxy, float* Mx, float* My, float* Mxy) {
    State& s = S(instance);
    std::array<float, 6> v{};
    auto it = s.plateForces.find({element, combo});
    if (it != s.plateForces.end()) v = it->second;
    float* out[6] = {Nx, Ny, Nxy, Mx, My, Mxy};
    for (int k = 0; k < 6; ++k) *out[k] = v[k];
    return s.Fetch("GetPlateElementForces", element, combo);
  }
  static int32_t StiffenerForces(void* instance, int16_t element, int16_t combo, float* P_1,
                                 float* Vy_1, float* Vz_1, float* T_1, float* My_1, float* Mz_1,
                                 float* P_2, float* Vy_2, float* Vz_2, float* T_2, float* My_2,
                                 float* Mz_2) {
    State& s = S(instance);
    std::array<float, 12> v{};
    auto it = s.stiffenerForces.find({element, combo});
    if (it != s.stiffenerForces.end()) v = it->second;
    float* out[12] = {P_1, Vy_1, Vz_1, T_1, My_1, Mz_1, P_2, Vy_2, Vz_2, T_2, My_2, Mz_2};
    for (int k = 0; k < 12; ++k) *out[k] = v[k];
    return s.Fetch("GetStiffenerElementForces", element, combo);
  }

  Instance state_;
};

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_FAKEANALYSIS_H
