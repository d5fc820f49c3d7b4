// The resistance of one plate element's wall strip in one direction with a
// given steel, as the strip check of the design sees it: the axial
// force-moment curve per unit width and the demand/capacity ratio of one
// combination's resultants after the Wood-Armer step. Every value comes from
// the design's own routines (strip set-up, Wood-Armer values, moment
// resistance, combination ratio) on a strip of this object's own.
//
// Internal units: N/mm, N-mm/mm; axial force positive in tension.
#ifndef OSTREL_PLATE_STRIPINTERACTION_H
#define OSTREL_PLATE_STRIPINTERACTION_H

#include <array>
#include <cstdint>

#include "plate/modPlateDesignCSA94.h"

namespace ostrel {

class StripInteraction {
 public:
  // Strip of plate element e of `model` (input in the host's units, unit
  // factors and design constants set) in direction kPlateX or kPlateY with
  // the steel ratio `ratio` (a fraction of the thickness). Refuses (with
  // CapacityRefusal) when the direction fails its geometric checks.
  StripInteraction(const modGlobal& model, int16_t e, PlateDirection direction, double ratio);

  // Tensile resistance Tr and the compressive cap 0.8 P0 (negative).
  double TensileResistance() const { return tr_; }
  double CompressiveCap() const { return cap_; }

  // The closed curve in design values (N, M as the Wood-Armer tables hold
  // them): n >= 2 points with face B compressed (M >= 0 side) from pure
  // tension to the cap, then n points with face A compressed from the cap
  // back to pure tension; 2n values in each array.
  void Curve(int n, double* N, double* M);

  // The ratio the strip check finds for one combination with the six
  // resultants `raw` (host units), and its governing design pair (N, M).
  // An axial force beyond the compression resistance P0 gives N / P0.
  double DemandCapacity(const float raw[6], double& N, double& M);

 private:
  const modGlobal& model_;
  PlateDirection direction_;
  PlateStrip s_;
  double tr_ = 0;
  double p0_ = 0;
  double cap_ = 0;
};

}  // namespace ostrel

#endif  // OSTREL_PLATE_STRIPINTERACTION_H
