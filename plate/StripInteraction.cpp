// Interaction diagram of a plate strip from the design's own strip routines.
#include "plate/StripInteraction.h"

#include "component/CheckedMath.h"
#include "component/modGlobal.h"

namespace ostrel {

namespace {

const char* GeometryRefusal(int16_t status) {
  switch (status) {
    case Fail_CoverTooLarge:
      return "the covers leave no room for the bars";
    case Fail_MustUseTwoCurtains:
      return "a wall thicker than 250 mm needs two curtains";
    case Fail_RFTOutOfSection:
      return "the cover puts the bars outside the section";
    default:
      return nullptr;
  }
}

}  // namespace

StripInteraction::StripInteraction(const modGlobal& model, int16_t e, PlateDirection direction,
                                   double ratio)
    : model_(model), direction_(direction) {
  PreparePlateStrip(model, e, kPlateElement, s_);
  PreparePlateStrip(model, e, direction, s_);
  // The steel ratio limits do not matter for the resistance of a given steel.
  if (const char* why = GeometryRefusal(s_.status)) {
    throw CapacityRefusal(why);
  }
  s_.rho = ratio;
  s_.As = ratio * s_.t;
  const StripResistance r = StripMomentResistance(s_, model.eps_cu, model.eps_t, 0.0, true);
  tr_ = r.Tr;
  p0_ = r.P0;
  cap_ = static_cast<double>(model.k_Pmax) * static_cast<double>(model.k_Pcomp) * r.P0;
  CheckFloatFaults();
}

void StripInteraction::Curve(int n, double* N, double* M) {
  for (int side = 0; side < 2; ++side) {
    const bool faceB = side == 0;
    for (int i = 0; i < n; ++i) {
      // Face B from tension to the cap, face A back.
      const int step = faceB ? i : n - 1 - i;
      const double P =
          step == n - 1 ? cap_ : tr_ + (cap_ - tr_) * (static_cast<double>(step) / (n - 1));
      const StripResistance r = StripMomentResistance(s_, model_.eps_cu, model_.eps_t, P, faceB);
      // The resistance is about the plastic centroid; the design value M is
      // about mid-thickness.
      const double e = StripPlasticCentroidOffset(s_, P);
      N[side * n + i] = P;
      M[side * n + i] = (faceB ? r.Mr : -r.Mr) - P * e;
    }
  }
  CheckFloatFaults();
}

double StripInteraction::DemandCapacity(const float raw[6], double& N, double& M) {
  std::array<double, 3> n{};
  std::array<double, 3> m{};
  PlateDesignValues(model_, raw, direction_, n, m);
  // Beyond the compression resistance the strip's neutral-axis search has
  // no answer (the design's axial bounds never let a check get there): the
  // ratio is the axial one, N / P0, of the more compressive value.
  const int i = n[2] < n[1] ? 2 : 1;
  if (n[i] < p0_) {
    N = n[i];
    M = m[1];
    return n[i] / p0_;
  }
  const StripComboRatio worst = StripCombinationRatio(s_, model_.eps_cu, model_.eps_t, n, m);
  CheckFloatFaults();
  N = n[worst.i];
  M = m[worst.j];
  return worst.r;
}

}  // namespace ostrel
