// The plate phase of a design run: every plate element designed in x and y as
// a wall strip of unit width under axial force and bending, to CSA A23.3-94.
//
// The strip routines work on the state they are given:
//   PlateStrip         the strip of one element and direction (thickness,
//                      factored strengths, curtains and covers, steel limits)
//                      and what the design finds (steel, status, governing
//                      combination and forces)
//   PlateDesignValues  the Wood-Armer design values of every combination and
//                      the list of the ultimate combinations
//   PlateSettings      the constants of the standard the run designs with
//   PlateStripWork     the trials the neutral-axis searches of one
//                      combination check share
// The driver (DesignPlateElements.cpp) fills them from the design model with
// PreparePlateStrip, PlateSettingsOf and the element's forces, calls
// DesignStripAxialBounds and DesignStripSteel, and stores what the strip
// holds; StripCapacityRatio and StripResultants give the capacity of one
// strip for one pair of forces.
//
// Units inside: N, mm, MPa, N/mm for forces per unit width, N-mm/mm for
// moments per unit width, mm2/mm for steel areas. Axial force is positive in
// tension.
#ifndef OSTREL_PLATE_MODPLATEDESIGNCSA94_H
#define OSTREL_PLATE_MODPLATEDESIGNCSA94_H

#include <array>
#include <cstdint>
#include <vector>

#include "model/SearchTrialTree.h"
#include "model/modGlobal.h"

namespace ostrel {

// The wall strip of the element and direction being designed.
struct PlateStrip {
  // Element level (set once per element).
  double t = 0;            // thickness
  double fc = 0;           // f'c
  double beta1 = 0;        // stress-block depth factor
  double alpha1PhiFc = 0;  // alpha1 * phi_c * f'c, the stress-block stress
  double phiFyT = 0;       // phi_s * fy limited to 500 MPa (tension steel)
  double phiFyC = 0;       // phi_s * fy limited to 400 MPa (compression steel)
  double phiEs = 0;        // phi_s * Es
  double epsYt = 0;        // tension yield strain
  double epsYc = 0;        // compression yield strain (positive)
  int16_t n = 0;           // curtains, 1 or 2

  // Direction level.
  double cover = 0;  // face A to the centre of the nearest curtain
  double e2 = 0;     // face B to the centre of the nearest curtain
  double rhoMin = 0;
  double rhoMax = 0;
  double AsMin = 0;
  double AsMax = 0;
  double As = 0;   // trial or final steel area
  double rho = 0;  // trial or final steel ratio
  double d1 = 0;   // layer depths from the compressed face, current check
  double d2 = 0;
  double yref = 0;  // depth about which moments are taken, current check
  int16_t status = DESIGN_PASS;
  int16_t govCombo = 0;
  double Mu = 0;
  double Pu = 0;
};

struct PlateSettings {
  double epsCu = 0;   // crushing strain of the concrete
  double epsT = 0;    // steel strain limit in tension
  double kPmax = 0;   // cap of the axial compression resistance
  double kPcomp = 0;  // resistance factor of the axial compression
};

struct PlateDesignValues {
  // Design values per combination: slot 1 positive, slot 2 negative
  // Wood-Armer value (index 0 unused).
  Array1<std::array<double, 3>> NPlusMinus;
  Array1<std::array<double, 3>> MPlusMinus;
  // The ultimate combinations in ascending order; the axial bounds and the
  // combination check visit only these.
  std::vector<int16_t> ultimateCombos;
};

// One trial depth c of the neutral-axis search with the stress-block depth,
// the concrete force, the two layer forces and the axial force they sum to.
struct AxialTrial {
  double c;
  double a;
  double Cc;
  double T1;
  double T2;
  double P;
};

// The bracket of the neutral-axis search: the axial forces at its two ends
// and their depths.
struct AxialBracket {
  double Plo;
  double Phi;
  double cPlo;
  double cPhi;
};

// The trial the strip's neutral-axis search keeps: its forces and the
// bracket the search held on reaching it.
struct StripTrial {
  AxialTrial forces;
  AxialBracket arrival;
};

// The first trials of the neutral-axis searches of one combination check
// with one sense of the moment (every search of it starts from the same
// bracket and the same two balanced depths), and the last search of the
// sense: a search for the same target, bit for bit, takes the same trials
// and ends on the same one.
class StripTrialTree : public SearchTrialTree<StripTrial> {
 public:
  void Clear() {
    SearchTrialTree<StripTrial>::Clear();
    hasLast = false;
  }
  bool hasLast = false;
  uint64_t lastTarget = 0;
  AxialTrial lastTrial{};
  int16_t lastSteps = 0;
};

struct PlateStripWork {
  // One tree per sense of the moment (face B compressed, face A compressed).
  std::array<StripTrialTree, 2> trees;
  // Steps taken by the last neutral-axis search (0 when a trial converged).
  int16_t lastSearchSteps = 0;
};

// Working state of the plate phase, one copy per thread; only the driver
// reaches it.
struct modPlateDesignCSA94 {
  PlateSettings settings;
  PlateStrip strip;
  PlateDesignValues values;
  PlateStripWork work;
};

// The calling thread's plate working state.
modPlateDesignCSA94& PlateState();

// What PreparePlateStrip sets up: the element-level values, or the values
// and checks of one direction.
enum PlateDirection : int { kPlateElement = 0, kPlateX = 1, kPlateY = 2 };

// Strip set-up of plate element `element` from the design model:
// kPlateElement for the element values, kPlateX / kPlateY for one direction
// with its status checks.
void PreparePlateStrip(int16_t element, PlateDirection direction, PlateStrip& strip);

// The constants of the standard the design model runs with.
PlateSettings PlateSettingsOf();

// Wood-Armer design values of one resultant from its own component, the
// component of the other direction and the twisting component.
void WoodArmerPair(double own, double other, double twist, double& plus, double& minus);

// Sizes the N+- and M+- tables for `combos` combinations (zero-filled).
void StartPlateTables(PlateDesignValues& values, int combos);

// Raises the minimum steel for the largest axial tension and compression,
// or fails the direction.
void DesignStripAxialBounds(PlateStrip& strip, const PlateDesignValues& values,
                            const PlateSettings& settings);

// Searches the steel ratio between the minimum and the maximum.
void DesignStripSteel(PlateStrip& strip, const PlateDesignValues& values,
                      const PlateSettings& settings, PlateStripWork& work);

// Checks the current steel against every ultimate combination.
void CheckStripForCombos(PlateStrip& strip, const PlateDesignValues& values,
                         const PlateSettings& settings, PlateStripWork& work);

// Demand/capacity ratio of one (Pu, Mu) pair, Mu >= 0, for the strip's
// current steel and layers; `steps` receives the search steps taken.
double StripCapacityRatio(PlateStrip& strip, const PlateSettings& settings, double Pu, double Mu,
                          int16_t& steps);

// Axial force and moment of the strip for a neutral-axis depth c.
void StripResultants(const PlateStrip& strip, const PlateSettings& settings, double c, double& P,
                     double& M);

// Offset of the plastic centroid of a one-curtain strip from mid-thickness.
double StripPlasticCentroidOffset(const PlateStrip& strip, double Pu);

// One step of the neutral-axis bracket: true when P is within 0.0001 of the
// target, otherwise the side of the bracket that P belongs to is replaced.
bool UpdateAxialBracket(double target, double P, double c, AxialBracket& bracket);

}  // namespace ostrel

#endif  // OSTREL_PLATE_MODPLATEDESIGNCSA94_H
