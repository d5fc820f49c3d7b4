#include "JobAnalysis.h"

namespace ostrel::cli {
namespace {

// Operation results: 0 is success; 1 is the failure status (an item or
// combination the job does not hold).
constexpr int32_t kOk = 0;
constexpr int32_t kFailed = 1;

const Job& JobOf(void* instance) { return *static_cast<const Job*>(instance); }

// The first of the `width` values for 1-based item and combination, or null.
const float* Row(const Job& job, const std::vector<float>& table, int items, int16_t item,
                 int16_t combo, int width) {
  if (item < 1 || item > items || combo < 1 || combo > job.NumCombos()) {
    return nullptr;
  }
  const size_t row = static_cast<size_t>(item - 1) * static_cast<size_t>(job.NumCombos()) +
                     static_cast<size_t>(combo - 1);
  return table.data() + row * static_cast<size_t>(width);
}

void* Create(void* class_context) { return class_context; }

void Release(void*) {}

int32_t ResultsAvailable(void* instance, uint8_t* bt_Available) {
  *bt_Available = JobOf(instance).available;
  return kOk;
}

int32_t GetNodeDisplacement(void* instance, int16_t node, int16_t combo, float* dx, float* dy,
                            float* dz, float* rx, float* ry, float* rz) {
  const Job& job = JobOf(instance);
  const float* v =
      Row(job, job.displacements, job.NumNodeRows(), node, combo, kDisplacementValues);
  if (v == nullptr) {
    return kFailed;
  }
  *dx = v[0], *dy = v[1], *dz = v[2], *rx = v[3], *ry = v[4], *rz = v[5];
  return kOk;
}

int32_t GetPlateElementForces(void* instance, int16_t element, int16_t combo, float* Nx,
                              float* Ny, float* Nxy, float* Mx, float* My, float* Mxy) {
  const Job& job = JobOf(instance);
  const float* v = Row(job, job.plate_forces, static_cast<int>(job.plates.size()), element,
                       combo, kPlateForceValues);
  if (v == nullptr) {
    return kFailed;
  }
  *Nx = v[0], *Ny = v[1], *Nxy = v[2], *Mx = v[3], *My = v[4], *Mxy = v[5];
  return kOk;
}

int32_t GetStiffenerElementForces(void* instance, int16_t element, int16_t combo, float* P_1,
                                  float* Vy_1, float* Vz_1, float* T_1, float* My_1,
                                  float* Mz_1, float* P_2, float* Vy_2, float* Vz_2, float* T_2,
                                  float* My_2, float* Mz_2) {
  const Job& job = JobOf(instance);
  const float* v = Row(job, job.stiffener_forces, static_cast<int>(job.stiffeners.size()),
                       element, combo, kStiffenerForceValues);
  if (v == nullptr) {
    return kFailed;
  }
  *P_1 = v[0], *Vy_1 = v[1], *Vz_1 = v[2], *T_1 = v[3], *My_1 = v[4], *Mz_1 = v[5];
  *P_2 = v[6], *Vy_2 = v[7], *Vz_2 = v[8], *T_2 = v[9], *My_2 = v[10], *Mz_2 = v[11];
  return kOk;
}

}  // namespace

OstrelAnalysisResultsClass AnalysisResultsFor(const Job& job) {
  OstrelAnalysisResultsClass cls{};
  cls.Create = Create;
  cls.Release = Release;
  cls.ResultsAvailable = ResultsAvailable;
  cls.GetNodeDisplacement = GetNodeDisplacement;
  cls.GetPlateElementForces = GetPlateElementForces;
  cls.GetStiffenerElementForces = GetStiffenerElementForces;
  cls.classContext = const_cast<Job*>(&job);
  return cls;
}

}  // namespace ostrel::cli
