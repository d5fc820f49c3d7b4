// The plate phase: for every plate element and each of its two directions,
// the membrane forces and moments of every combination turned into design
// values by the Wood-Armer rule, the strip designed, and the governing
// values stored in the host's units.
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/CheckedMath.h"
#include "model/modDesign.h"
#include "model/modGlobal.h"
#include "plate/PlateDesign.h"
#include "plate/modPlateDesignCSA94.h"

namespace ostrel {

modPlateDesignCSA94& PlateState() {
  thread_local modPlateDesignCSA94 state;
  return state;
}

namespace {

double Converted(double value, float factor) {
  return CheckedValue(value * static_cast<double>(factor));
}

// A strength limited for the design: the 32-bit rounding of the strength is
// compared with the limit, and the limit replaces it when it is larger.
double Limited(double strength, float limit) {
  return static_cast<float>(strength) > limit ? static_cast<double>(limit) : strength;
}

void PrepareElement(const typPlateElement& in, int16_t e, PlateStrip& s) {
  const modGlobal& g = Global();
  const double phiS = g.phi_s;
  s.t = Converted(in.f_Thickness(e), g.f_LengthFactor);
  s.fc = Converted(in.f_fc(e), g.f_StressFactor);
  s.n = in.bt_NumCurtains(e);

  const double fy = Converted(in.f_fy(e), g.f_StressFactor);
  const double fyT = Limited(fy, g.fy_max);
  const double fyC = Limited(fy, g.fyc_max);
  s.phiFyT = phiS * fyT;
  s.phiFyC = phiS * fyC;
  s.phiEs = CheckedValue(phiS * in.f_Es(e) * static_cast<double>(g.f_StressFactor));
  s.epsYt = s.phiFyT / s.phiEs;
  s.epsYc = s.phiFyC / s.phiEs;

  s.beta1 = 0.97 - 0.0025 * s.fc;
  if (s.beta1 < 0.67) {
    s.beta1 = 0.67;
  }
  // alpha1 is held as a 32-bit value, floored at 0.67 in 32 bits.
  float alpha1 = static_cast<float>(0.85 - 0.0015 * s.fc);
  if (alpha1 < 0.67) {
    alpha1 = 0.67f;
  }
  s.alpha1PhiFc = static_cast<double>(alpha1) * static_cast<double>(g.phi_c) * s.fc;
  CheckFloatFaults();
}

// Covers of one direction: the distances of the two curtains from the faces
// and the checks that they fit the thickness.
void PrepareCovers(const typPlateElement& in, int16_t e, bool x, PlateStrip& s) {
  const modGlobal& g = Global();
  s.cover = Converted(in.f_CoverToRFT(e)[x ? 1 : 2], g.f_LengthFactor);
  if (s.cover < 1.0) {
    s.cover = 1.0;
  }

  if (s.n == 2) {
    s.e2 = s.cover;
    if (s.t - 0.0001 < 2 * s.cover) {
      s.status = Fail_CoverTooLarge;
    }
  } else {
    s.e2 = s.t - s.cover;
    if (static_cast<double>(g.t_max_one_curtain) + 0.0001 < s.t) {
      s.status = Fail_MustUseTwoCurtains;
    }
  }

  if (!(s.t - 0.0001 > s.cover && s.t - 0.0001 > s.e2)) {
    s.status = Fail_RFTOutOfSection;
  }
}

void PrepareDirection(const typPlateElement& in, int16_t e, PlateDirection direction,
                      PlateStrip& s) {
  const modGlobal& g = Global();
  const bool x = direction == kPlateX;
  s.status = DESIGN_PASS;
  PrepareCovers(in, e, x, s);

  s.rhoMin = CheckedValue(x ? in.f_MinRatioOfRFT(e) : in.f_MinRatioOfRFT_v(e)) / 100;
  const float floor = x ? g.rho_min_floor : g.rho_min_floor_v;
  if (static_cast<float>(s.rhoMin) < floor) {
    s.rhoMin = floor;
  }
  s.rhoMax = CheckedValue(x ? in.f_MaxRatioOfRFT(e) : in.f_MaxRatioOfRFT_v(e)) / 100;
  if (s.rhoMin > s.rhoMax) {
    s.status = Fail_MinRFTExceedMaximum;
  }
  CheckFloatFaults();
}

// Lists the ultimate combinations of the model in ascending order.
void CollectUltimateCombos(std::vector<int16_t>& list) {
  const modGlobal& g = Global();
  list.clear();
  for (int c = 1; c <= g.i_NumLoadCombos; ++c) {
    if (g.LoadCombo.bt_ComboType(c) == 1) {
      list.push_back(static_cast<int16_t>(c));
    }
  }
}

}  // namespace

PlateSettings PlateSettingsOf() {
  const modGlobal& g = Global();
  PlateSettings settings;
  settings.epsCu = g.eps_cu;
  settings.epsT = g.eps_t;
  settings.kPmax = g.k_Pmax;
  settings.kPcomp = g.k_Pcomp;
  return settings;
}

void PreparePlateStrip(int16_t element, PlateDirection direction, PlateStrip& strip) {
  const typPlateElement& in = Global().PlateElement;
  if (direction == kPlateElement) {
    PrepareElement(in, element, strip);
  } else {
    PrepareDirection(in, element, direction, strip);
  }
}

namespace {

// Positions in one GetPlateElementForces answer.
enum PlateForce { kNx = 0, kNy = 1, kNxy = 2, kMx = 3, kMy = 4, kMxy = 5 };

// The result fields of one direction.
struct DirectionFields {
  Array1<double>* area;
  Array1<float>* ratio;
  Array1<int16_t>* combo;
  Array1<double>* Mu;
  Array1<double>* Pu;
  Array1<int16_t>* status;
};

DirectionFields Fields(typPlateElement& p, PlateDirection direction) {
  if (direction == kPlateX) {
    return {&p.f_AreaOfSteel_x, &p.f_RatioOfSteel_x, &p.i_DesignComboIndex_x,
            &p.f_Mu_x,          &p.f_Pu_x,           &p.bt_DesignStatus_x};
  }
  return {&p.f_AreaOfSteel_y, &p.f_RatioOfSteel_y, &p.i_DesignComboIndex_y,
          &p.f_Mu_y,          &p.f_Pu_y,           &p.bt_DesignStatus_y};
}

// Fresh result fields: zero steel, DESIGN_PASS and the first ultimate
// combination as the governing one. Returns that combination (0 if none).
int16_t StartPlateResults() {
  modGlobal& g = Global();
  typPlateElement& p = g.PlateElement;
  const int n = g.i_NumPlateElements;

  int16_t first = 0;
  for (int c = 1; c <= g.i_NumLoadCombos; ++c) {
    if (g.LoadCombo.bt_ComboType(c) == 1) {
      first = static_cast<int16_t>(c);
      break;
    }
  }

  ++g.u_ResultsGeneration;
  for (PlateDirection direction : {kPlateX, kPlateY}) {
    const DirectionFields f = Fields(p, direction);
    f.area->Create(n);
    f.ratio->Create(n);
    f.combo->Create(n);
    f.Mu->Create(n);
    f.Pu->Create(n);
    f.status->Create(n);
    for (int e = 1; e <= n; ++e) {
      (*f.combo)(e) = first;
      (*f.status)(e) = DESIGN_PASS;
    }
  }
  StartPlateTables(PlateState().values, g.i_NumLoadCombos);
  return first;
}

// Fetches the six resultants of every combination and fills the design-value
// tables for one direction.
void FillDesignValues(int16_t element, PlateDirection direction, ForceSource& forces) {
  const modGlobal& g = Global();
  modPlateDesignCSA94& state = PlateState();
  const bool x = direction == kPlateX;
  for (int c = 1; c <= g.i_NumLoadCombos; ++c) {
    float raw[6] = {};
    forces.PlateForces(element, static_cast<int16_t>(c), raw);
    double v[6];
    for (int k = 0; k < 6; ++k) {
      const float factor = k < kMx ? g.f_ForcePerLengthFactor : g.f_MomentPerLengthFactor;
      v[k] = CheckedValue(static_cast<double>(raw[k]) * static_cast<double>(factor));
    }
    std::array<double, 3>& N = state.values.NPlusMinus(c);
    std::array<double, 3>& M = state.values.MPlusMinus(c);
    if (x) {
      WoodArmerPair(v[kNx], v[kNy], v[kNxy], N[1], N[2]);
      WoodArmerPair(v[kMx], v[kMy], v[kMxy], M[1], M[2]);
    } else {
      WoodArmerPair(v[kNy], v[kNx], v[kNxy], N[1], N[2]);
      WoodArmerPair(v[kMy], v[kMx], v[kMxy], M[1], M[2]);
    }
  }
  CheckFloatFaults();
}

void StoreDirection(int16_t element, PlateDirection direction) {
  const modGlobal& g = Global();
  const PlateStrip& s = PlateState().strip;
  const DirectionFields f = Fields(Global().PlateElement, direction);

  const double area = s.As * static_cast<double>(g.f_AreaPerLengthOutFactor);
  const float ratio = ToFloat32(s.rho * 100);
  const double Mu = s.Mu / static_cast<double>(g.f_MomentPerLengthFactor);
  const double Pu = s.Pu / static_cast<double>(g.f_ForcePerLengthFactor);
  CheckFloatFaults();
  (*f.area)(element) = area;
  (*f.ratio)(element) = ratio;
  (*f.combo)(element) = s.govCombo;
  (*f.Mu)(element) = Mu;
  (*f.Pu)(element) = Pu;
  (*f.status)(element) = s.status;
}

void DesignDirection(int16_t element, PlateDirection direction, ForceSource& forces) {
  modPlateDesignCSA94& state = PlateState();
  PlateStrip& s = state.strip;
  PreparePlateStrip(element, direction, s);
  if (s.status != DESIGN_PASS) {
    if (forces.Designs()) {
      (*Fields(Global().PlateElement, direction).status)(element) = s.status;
    }
    return;
  }

  FillDesignValues(element, direction, forces);
  if (!forces.Designs()) {
    return;
  }
  CollectUltimateCombos(state.values.ultimateCombos);
  state.settings = PlateSettingsOf();
  DesignStripAxialBounds(s, state.values, state.settings);
  if (s.status == DESIGN_PASS) {
    DesignStripSteel(s, state.values, state.settings, state.work);
  }
  StoreDirection(element, direction);
}

}  // namespace

void DesignPlateElement(int16_t e, ForceSource& forces) {
  modGlobal& g = Global();
  PreparePlateStrip(e, kPlateElement, PlateState().strip);
  DesignDirection(e, kPlateX, forces);
  DesignDirection(e, kPlateY, forces);
  if (!forces.Designs()) {
    return;
  }

  // A heavily reinforced y direction with two curtains needs ties.
  const PlateStrip& s = PlateState().strip;
  int16_t& statusY = g.PlateElement.bt_DesignStatus_y(e);
  if (statusY == DESIGN_PASS && static_cast<float>(s.rho) >= g.rho_ties && s.n == 2) {
    statusY = Pass_UseTies;
  }
  // A fault of this element's arithmetic stops the run in this element.
  CheckFloatFaults();
}

void WoodArmerPair(double own, double other, double twist, double& plus, double& minus) {
  const double twistAbs = std::fabs(twist);
  plus = own + twistAbs;
  if (other + twistAbs < 0) {
    plus = own + std::fabs(twist * twist / other);
  }
  minus = own - twistAbs;
  if (other - twistAbs > 0) {
    minus = own - std::fabs(twist * twist / other);
  }
}

void StartPlatePhase() {
  if (StartPlateResults() == 0) {
    Design().sErrorMessage = "There is no ultimate-load combination defined";
    throw RunTimeError(Design().sErrorMessage);
  }
}

std::function<void()> CopyPlateStateToWorker() {
  return [&host = PlateState()] { PlateState() = host; };
}

}  // namespace ostrel
