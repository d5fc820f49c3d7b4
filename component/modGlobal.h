// The design model, the unit factors and the design constants: the state
// every public method and every phase of a run reads and writes.
//
// One model exists per thread: every clsDesignCSA94 object used on a thread
// works on that thread's modGlobal, reached through Global().
#ifndef OSTREL_COMPONENT_MODGLOBAL_H
#define OSTREL_COMPONENT_MODGLOBAL_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "component/CheckedMath.h"

namespace ostrel {

// A 1-based array of one model field. It is either allocated (entries 1 to
// Size(), created zero-filled) or released; any access outside 1 to Size(),
// including any access to a released array, is a run-time error.
template <class T>
class Array1 {
 public:
  void Create(int count) {
    values_.assign(static_cast<size_t>(count < 0 ? 0 : count) + 1, T{});
    allocated_ = true;
  }
  void Release() {
    std::vector<T>().swap(values_);
    allocated_ = false;
  }
  bool Allocated() const { return allocated_; }
  int Size() const { return allocated_ ? static_cast<int>(values_.size()) - 1 : 0; }

  T& operator()(long long i) {
    Check(i);
    return values_[static_cast<size_t>(i)];
  }
  const T& operator()(long long i) const {
    Check(i);
    return values_[static_cast<size_t>(i)];
  }

 private:
  void Check(long long i) const {
    if (!allocated_ || i < 1 || i >= static_cast<long long>(values_.size())) {
      throw RunTimeError("subscript out of range");
    }
  }
  std::vector<T> values_;
  bool allocated_ = false;
};

// enum_DESIGN_STATUS: the status of one designed direction or phase.
enum enum_DESIGN_STATUS : int16_t {
  DESIGN_PASS = 0,
  Pass_UseTies = 1,
  Fail_MustUseTwoCurtains = 2,
  Fail_RequiredRFTExceedMaximum = 3,
  Fail_RFTOutOfSection = 4,
  Fail_CoverTooLarge = 5,
  Fail_MinRFTExceedMaximum = 6,
  Fail_ShearStreessExceedMaximum_y = 7,
  Fail_ShearStreessExceedMaximum_z = 8,
};

// Load combinations: 0 service, 1 ultimate.
struct typLoadCombo {
  Array1<int16_t> bt_ComboType;
};

struct typPlateElement {
  // Input, in the host's units.
  Array1<float> f_Thickness;
  Array1<double> f_fc;
  Array1<double> f_fy;
  Array1<double> f_Es;
  Array1<double> f_MinRatioOfRFT;
  Array1<double> f_MaxRatioOfRFT;
  Array1<double> f_MinRatioOfRFT_v;
  Array1<double> f_MaxRatioOfRFT_v;
  Array1<int16_t> bt_NumCurtains;
  Array1<std::array<float, 4>> f_CoverToRFT;  // slot 1 X, slot 2 Y (index 0 unused)

  // Results, in the host's output units.
  Array1<double> f_AreaOfSteel_x;
  Array1<float> f_RatioOfSteel_x;
  Array1<int16_t> i_DesignComboIndex_x;
  Array1<double> f_Mu_x;
  Array1<double> f_Pu_x;
  Array1<int16_t> bt_DsignStatus_x;
  Array1<double> f_AreaOfSteel_y;
  Array1<float> f_RatioOfSteel_y;
  Array1<int16_t> i_DesignComboIndex_y;
  Array1<double> f_Mu_y;
  Array1<double> f_Pu_y;
  Array1<int16_t> bt_DsignStatus_y;
};

struct typStiffenerElement {
  // Input, in the host's units.
  Array1<int16_t> bt_SectionType;
  Array1<double> f_SectionWidth;
  Array1<double> f_sectionHeight;
  Array1<double> f_fc;
  Array1<double> f_density;
  Array1<double> f_fy;
  Array1<double> f_Es;
  Array1<double> f_MinRatioOfRFT;
  Array1<double> f_MaxRatioOfRFT;
  Array1<int16_t> bt_RFTType;
  Array1<std::array<float, 4>> f_Cover;     // slot 1 Y, slot 2 Z (index 0 unused)
  Array1<std::array<float, 4>> f_Cover_st;  // slot 1 Y, slot 2 Z (index 0 unused)
  Array1<uint8_t> bt_SectionProjection;
  Array1<std::array<double, 3>> f_FlangeWidth;      // slot 1 left, slot 2 right
  Array1<std::array<double, 3>> f_FlangeThickness;  // slot 1 left, slot 2 right

  // Results, in the host's output units.
  Array1<double> f_As;
  Array1<float> f_RatioOfSteel;
  Array1<int16_t> i_DesignComboIndex_flex;
  Array1<double> f_Muy;
  Array1<double> f_Muz;
  Array1<double> f_Pu_flex;
  Array1<int16_t> bt_DesignStatus_flex;
  Array1<double> f_AvOverS_y;
  Array1<int16_t> i_DesignComboIndex_y;
  Array1<double> f_Pu_y;
  Array1<double> f_Tu_y;
  Array1<double> f_Vu_y;
  Array1<double> f_Spacing_y;
  Array1<double> f_AvOverS_z;
  Array1<int16_t> i_DesignComboIndex_z;
  Array1<double> f_Pu_z;
  Array1<double> f_Tu_z;
  Array1<double> f_Vu_z;
  Array1<double> f_Spacing_z;
  Array1<double> f_AtOverS;
  Array1<double> f_Al;
  Array1<int16_t> i_DesignComboIndex_tor;
  Array1<double> f_Pu_tor;
  Array1<double> f_Tu_tor;
  Array1<double> f_Vu_tor;
  Array1<double> f_Spacing_tor;
  Array1<int16_t> bt_DesignStatus_Shear;
};

// Displacement envelope of the nodes over the service combinations.
struct typNode {
  Array1<double> f_Dx_Positive;
  Array1<int16_t> i_Dx_Pos_combo;
  Array1<double> f_Dx_Negative;
  Array1<int16_t> i_Dx_Neg_combo;
  Array1<double> f_Dy_Positive;
  Array1<int16_t> i_Dy_Pos_combo;
  Array1<double> f_Dy_Negative;
  Array1<int16_t> i_Dy_Neg_combo;
  Array1<double> f_Dz_Positive;
  Array1<int16_t> i_Dz_Pos_combo;
  Array1<double> f_Dz_Negative;
  Array1<int16_t> i_Dz_Neg_combo;
};

class AnalysisResults;  // the host's analysis-results instance (run/)

struct modGlobal {
  // Sizes and flags.
  int16_t i_NumLoadCombos = 0;
  int16_t i_NumNodes = 0;
  int16_t i_NumPlateElements = 0;
  int16_t i_NumStiffenerElements = 0;
  uint8_t bt_DesignDoneFlag = 0;
  uint8_t bt_DesignWindowOpen = 0;
  uint8_t bt_units = 0;
  // Changes whenever the result arrays are started afresh, restored or
  // released: results computed for earlier arrays must not go into these.
  uint32_t u_ResultsGeneration = 0;
  // Changes whenever a public method may have changed the model (a design
  // run on workers refreshes their copies of the model when it changes).
  uint32_t u_ModelGeneration = 0;

  typLoadCombo LoadCombo;
  typPlateElement PlateElement;
  typStiffenerElement StiffenerElement;
  typNode Node;

  // The analysis-results instance: created by the first RunDesign, kept for
  // the life of the model, released on this thread when the thread ends.
  std::shared_ptr<AnalysisResults> analysisResults;

  // Unit factors: host units to internal units (N, mm, MPa, N-mm, kg/m3), and
  // internal to host units for the output factors. 0 until SetUnits accepts a code.
  float f_LengthFactor = 0;
  float f_StressFactor = 0;
  float f_ForceFactor = 0;
  float f_MomentFactor = 0;
  float f_DensityFactor = 0;
  float f_ForcePerLengthFactor = 0;
  float f_MomentPerLengthFactor = 0;
  float f_AreaPerLengthOutFactor = 0;
  float f_StirrupAreaOutFactor = 0;
  float f_AreaOutFactor = 0;

  // Design constants of CSA A23.3-94, set at the start of every run.
  float phi_c = 0;
  float phi_s = 0;
  float eps_cu = 0;
  float eps_t = 0;
  float fy_max = 0;
  float fyc_max = 0;
  float fyt_max = 0;
  float fc_max = 0;
  float k_shear = 0;
  float k_Pmax = 0;
  float k_Pcomp = 0;
  float k_Ptens = 0;
  float t_max_one_curtain = 0;
  float rho_min_floor = 0;
  float rho_min_floor_v = 0;
  float rho_ties = 0;
  std::array<float, 3> lambda_table{};    // normal, semi-low-density, low-density
  std::array<float, 2> density_limits{};  // kg/m3
};

// Calls visit(&typPlateElement::field) for every result field of a plate
// element, and likewise for a stiffener element: the one list that clears,
// starts and copies results.
template <class Visit>
void VisitPlateResultFields(Visit&& visit) {
  using P = typPlateElement;
  visit(&P::f_AreaOfSteel_x), visit(&P::f_RatioOfSteel_x), visit(&P::i_DesignComboIndex_x);
  visit(&P::f_Mu_x), visit(&P::f_Pu_x), visit(&P::bt_DsignStatus_x);
  visit(&P::f_AreaOfSteel_y), visit(&P::f_RatioOfSteel_y), visit(&P::i_DesignComboIndex_y);
  visit(&P::f_Mu_y), visit(&P::f_Pu_y), visit(&P::bt_DsignStatus_y);
}

template <class Visit>
void VisitStiffenerResultFields(Visit&& visit) {
  using S = typStiffenerElement;
  visit(&S::f_As), visit(&S::f_RatioOfSteel), visit(&S::i_DesignComboIndex_flex);
  visit(&S::f_Muy), visit(&S::f_Muz), visit(&S::f_Pu_flex), visit(&S::bt_DesignStatus_flex);
  visit(&S::f_AvOverS_y), visit(&S::i_DesignComboIndex_y), visit(&S::f_Pu_y);
  visit(&S::f_Tu_y), visit(&S::f_Vu_y), visit(&S::f_Spacing_y);
  visit(&S::f_AvOverS_z), visit(&S::i_DesignComboIndex_z), visit(&S::f_Pu_z);
  visit(&S::f_Tu_z), visit(&S::f_Vu_z), visit(&S::f_Spacing_z);
  visit(&S::f_AtOverS), visit(&S::f_Al), visit(&S::i_DesignComboIndex_tor);
  visit(&S::f_Pu_tor), visit(&S::f_Tu_tor), visit(&S::f_Vu_tor), visit(&S::f_Spacing_tor);
  visit(&S::bt_DesignStatus_Shear);
}

// The result values of one element, every field in the visitor's order, as
// bytes: what moves an element's results between two threads' models.
using ElementResults = std::vector<unsigned char>;

template <class Group, class VisitFields>
void SaveElementResults(const Group& group, int e, ElementResults& out, VisitFields visitFields) {
  out.clear();
  visitFields([&](auto field) {
    const auto& value = (group.*field)(e);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
  });
}

template <class Group, class VisitFields>
void LoadElementResults(Group& group, int e, const ElementResults& in, VisitFields visitFields) {
  std::size_t at = 0;
  visitFields([&](auto field) {
    auto& value = (group.*field)(e);
    if (at + sizeof value > in.size()) {
      throw RunTimeError("element results incomplete");
    }
    std::memcpy(&value, in.data() + at, sizeof value);
    at += sizeof value;
  });
}

inline void SavePlateResults(const modGlobal& g, int e, ElementResults& out) {
  SaveElementResults(g.PlateElement, e, out, [](auto&& v) { VisitPlateResultFields(v); });
}
inline void LoadPlateResults(modGlobal& g, int e, const ElementResults& in) {
  LoadElementResults(g.PlateElement, e, in, [](auto&& v) { VisitPlateResultFields(v); });
}
inline void SaveStiffenerResults(const modGlobal& g, int e, ElementResults& out) {
  SaveElementResults(g.StiffenerElement, e, out, [](auto&& v) { VisitStiffenerResultFields(v); });
}
inline void LoadStiffenerResults(modGlobal& g, int e, const ElementResults& in) {
  LoadElementResults(g.StiffenerElement, e, in, [](auto&& v) { VisitStiffenerResultFields(v); });
}

// The calling thread's model.
modGlobal& Global();

// Records that the calling thread's model may be about to change.
inline void MarkModelChanged() { ++Global().u_ModelGeneration; }

// Returns the calling thread's model to its initial empty state (tests).
void ResetGlobalState();

// Sets the ten unit factors from bt_units (0 US customary, 1 SI); any other
// code changes nothing. The overloads set them in a given model.
void SetUnitFactors();
void SetUnitFactors(modGlobal& g);

// Sets every design constant.
void SetDesignConstants();
void SetDesignConstants(modGlobal& g);

// Concrete density factor lambda for a density in kg/m3.
double LambdaForDensity(double density);
double LambdaForDensity(const modGlobal& g, double density);

// Clears the results, the counts and the done flag (ResetDesign).
void ClearDesignResults();

// Releases the model input at the end of a completed run (the counts, the
// curtain numbers, the results and the flags stay).
void ReleaseModelInput();

}  // namespace ostrel

#endif  // OSTREL_COMPONENT_MODGLOBAL_H
