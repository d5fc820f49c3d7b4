// The plate phase: for every plate element and each of its two directions,
// the membrane forces and moments of every combination turned into design
// values by the Wood-Armer rule, the strip designed, and the governing
// values stored in the host's units.
#include <array>
#include <cmath>
#include <cstdint>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "plate/modPlateDesignCSA94.h"
#include "run/ElementWorkers.h"
#include "run/modDesign.h"

namespace ostrel {

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
            &p.f_Mu_x,          &p.f_Pu_x,           &p.bt_DsignStatus_x};
  }
  return {&p.f_AreaOfSteel_y, &p.f_RatioOfSteel_y, &p.i_DesignComboIndex_y,
          &p.f_Mu_y,          &p.f_Pu_y,           &p.bt_DsignStatus_y};
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
  StartPlateTables(g.i_NumLoadCombos);
  return first;
}

}  // namespace

void PlateDesignValues(const modGlobal& g, const float raw[6], PlateDirection direction,
                       std::array<double, 3>& N, std::array<double, 3>& M) {
  double v[6];
  for (int k = 0; k < 6; ++k) {
    const float factor = k < kMx ? g.f_ForcePerLengthFactor : g.f_MomentPerLengthFactor;
    v[k] = CheckedValue(static_cast<double>(raw[k]) * static_cast<double>(factor));
  }
  if (direction == kPlateX) {
    WoodArmerPair(v[kNx], v[kNy], v[kNxy], N[1], N[2]);
    WoodArmerPair(v[kMx], v[kMy], v[kMxy], M[1], M[2]);
  } else {
    WoodArmerPair(v[kNy], v[kNx], v[kNxy], N[1], N[2]);
    WoodArmerPair(v[kMy], v[kMx], v[kMxy], M[1], M[2]);
  }
}

namespace {

// Fetches the six resultants of every combination and fills the design-value
// tables for one direction.
void FillDesignValues(int16_t element, PlateDirection direction) {
  const modGlobal& g = Global();
  modPlateDesignCSA94& state = PlateState();
  for (int c = 1; c <= g.i_NumLoadCombos; ++c) {
    float raw[6] = {};
    FetchPlateElementForces(element, static_cast<int16_t>(c), raw);
    PlateDesignValues(g, raw, direction, state.NPlusMinus(c), state.MPlusMinus(c));
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

void DesignDirection(int16_t element, PlateDirection direction) {
  PreparePlateStrip(element, direction);
  PlateStrip& s = PlateState().strip;
  if (s.status != DESIGN_PASS) {
    (*Fields(Global().PlateElement, direction).status)(element) = s.status;
    return;
  }

  FillDesignValues(element, direction);
  CollectUltimateCombos();
  DesignStripAxialBounds();
  if (s.status == DESIGN_PASS) {
    DesignStripSteel();
  }
  StoreDirection(element, direction);
}

void DesignPlateElement(int16_t e) {
  modGlobal& g = Global();
  PreparePlateStrip(e, kPlateElement);
  DesignDirection(e, kPlateX);
  DesignDirection(e, kPlateY);

  // A heavily reinforced y direction with two curtains needs ties.
  const PlateStrip& s = PlateState().strip;
  int16_t& statusY = g.PlateElement.bt_DsignStatus_y(e);
  if (statusY == DESIGN_PASS && static_cast<float>(s.rho) >= g.rho_ties && s.n == 2) {
    statusY = Pass_UseTies;
  }
  // A fault of this element's arithmetic stops the run in this element.
  CheckFloatFaults();
}

// The fetches of DesignPlateElement in its order, with the set-up that
// decides and checks them, and none of the designs.
void PlanPlateElementFetches(int16_t e) {
  PreparePlateStrip(e, kPlateElement);
  for (PlateDirection direction : {kPlateX, kPlateY}) {
    PreparePlateStrip(e, direction);
    if (PlateState().strip.status == DESIGN_PASS) {
      FillDesignValues(e, direction);
    }
  }
}

}  // namespace

void WoodArmerPair(const double& own, const double& other, const double& twist, double& plus,
                   double& minus) {
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

void DesignPlateElements() {
  modGlobal& g = Global();
  const int16_t first = StartPlateResults();
  if (first == 0) {
    Design().sErrorMessage = "There is no ultimate-load combination defined";
    throw RunTimeError(Design().sErrorMessage);
  }

  ElementPhase phase;
  phase.count = g.i_NumPlateElements;
  phase.planFetches = &PlanPlateElementFetches;
  phase.designElement = &DesignPlateElement;
  phase.saveResults = &SavePlateResults;
  phase.loadResults = &LoadPlateResults;
  phase.prepareWorker = [&host = PlateState()] { PlateState() = host; };
  RunElementPhase(phase);
}

}  // namespace ostrel
