// The plate phase of a design run: every plate element designed in x and y as
// a wall strip of unit width under axial force and bending, to CSA A23.3-94.
//
// Units inside: N, mm, MPa, N/mm for forces per unit width, N-mm/mm for
// moments per unit width, mm2/mm for steel areas. Axial force is positive in
// tension.
#ifndef OSTREL_PLATE_MODPLATEDESIGNCSA94_H
#define OSTREL_PLATE_MODPLATEDESIGNCSA94_H

#include <array>
#include <cstdint>
#include <vector>

#include "component/modGlobal.h"

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

// Working state of the plate phase, one copy per thread.
struct modPlateDesignCSA94 {
  PlateStrip strip;
  // Design values per combination: slot 1 positive, slot 2 negative
  // Wood-Armer value (index 0 unused).
  Array1<std::array<double, 3>> NPlusMinus;
  Array1<std::array<double, 3>> MPlusMinus;
  // The ultimate combinations in ascending order (see CollectUltimateCombos).
  std::vector<int16_t> ultimateCombos;
  // Steps taken by the last neutral-axis search (0 when a trial converged).
  int16_t lastSearchSteps = 0;
};

// The calling thread's plate working state.
modPlateDesignCSA94& PlateState();

// What PreparePlateStrip sets up: the element-level values, or the values
// and checks of one direction.
enum PlateDirection : int { kPlateElement = 0, kPlateX = 1, kPlateY = 2 };

// Designs every plate element of the model (the run's plate phase).
void DesignPlateElements();

// Wood-Armer design values of one resultant from its own component, the
// component of the other direction and the twisting component.
void WoodArmerPair(const double& own, const double& other, const double& twist, double& plus,
                   double& minus);

// Design values N+- and M+- (slot 1 plus, slot 2 minus) of one direction
// from the six resultants Nx, Ny, Nxy, Mx, My, Mxy of one combination in the
// host's units (g's unit factors).
void PlateDesignValues(const modGlobal& g, const float raw[6], PlateDirection direction,
                       std::array<double, 3>& N, std::array<double, 3>& M);

// Strip set-up of plate element `element`: kPlateElement for the element
// values, kPlateX / kPlateY for one direction with its status checks.
void PreparePlateStrip(int16_t element, PlateDirection direction);
// The same for element `element` of model g (its unit factors and design
// constants), into strip s.
void PreparePlateStrip(const modGlobal& g, int16_t element, PlateDirection direction,
                       PlateStrip& s);

// Sizes the N+- and M+- tables for `combos` combinations (zero-filled).
void StartPlateTables(int combos);

// Lists the ultimate combinations of the model in ascending order; the axial
// bounds and the combination check visit only these.
void CollectUltimateCombos();

// Raises the minimum steel for the largest axial tension and compression,
// or fails the direction.
void DesignStripAxialBounds();

// Searches the steel ratio between the minimum and the maximum.
void DesignStripSteel();

// Checks the current steel against every ultimate combination.
void CheckStripForCombos();

// Demand/capacity ratio of one (Pu, Mu) pair, Mu >= 0.
double StripCapacityRatio(const double& Pu, const double& Mu);

// Axial force and moment of the strip for a neutral-axis depth c.
void StripSectionResultants(const double& c, double& P, double& M);

// Offset of the plastic centroid of a one-curtain strip from mid-thickness.
double StripPlasticCentroidOffset(const double& Pu);
double StripPlasticCentroidOffset(const PlateStrip& s, double Pu);

// The ratio the combination check finds for one combination, for the steel
// of strip s: the largest over the four design pairs (N[i], M[j]) of its
// Wood-Armer values (slot 1 positive, slot 2 negative), each moment (as
// stored) taken about the plastic centroid, its sign picking the compressed
// face and the layers; i and j name the governing pair.
struct StripComboRatio {
  double r;
  int i;
  int j;
};
StripComboRatio StripCombinationRatio(PlateStrip& s, double epsCu, double epsT,
                                      const std::array<double, 3>& N,
                                      const std::array<double, 3>& M);

// Compression resistance P0 (negative), tensile resistance Tr and moment
// resistance Mr about the plastic centroid of strip s for the axial force Pu,
// with face B (faceB) or face A compressed: what the ratio of a pair divides by.
struct StripResistance {
  double P0;
  double Tr;
  double Mr;
};
StripResistance StripMomentResistance(PlateStrip& s, double epsCu, double epsT, double Pu,
                                      bool faceB);

// One step of the neutral-axis bracket: true when P is within 0.0001 of the
// target, otherwise the side of the bracket that P belongs to is replaced.
bool UpdateAxialBracket(const double& target, const double& P, const double& c, double& Plo,
                        double& Phi, double& cPlo, double& cPhi);

}  // namespace ostrel

#endif  // OSTREL_PLATE_MODPLATEDESIGNCSA94_H
