// The resistance of one stiffener section with a given steel, as the
// flexure and shear checks of the design see it: axial force-moment curves
// in the eight fixed directions, the Muy-Muz contour at an axial force, the
// demand/capacity ratio of one load and the shear stress limits. Every value
// comes from the design's own routines (section state, geometry, capacity
// points, capacity along a demand direction, combination ratio, shear stress
// check) on a state of this object's own, so a diagram and the design can
// never disagree.
//
// Internal units: N, mm, MPa, N-mm; axial force positive in tension.
#ifndef OSTREL_STIFFENER_INTERACTIONDIAGRAM_H
#define OSTREL_STIFFENER_INTERACTIONDIAGRAM_H

#include <memory>

#include "component/CheckedMath.h"
#include "stiffener/StiffenerShearTorsion.h"

namespace ostrel {

struct modGlobal;
struct modBeamDesignCSA94;

class StiffenerInteraction {
 public:
  // Control points of a curve, in this order.
  enum ControlPoint { kTension = 0, kPureBending = 1, kBalanced = 2, kCap = 3, kNumControl = 4 };

  // A capacity point: axial force, the capacity moments as the design's
  // capacity points give them (signed), and the moment about the neutral
  // axis of the direction, positive when it compresses the face toward
  // which the direction's w axis points.
  struct Point {
    double P = 0;
    double Muy = 0;
    double Muz = 0;
    double M = 0;
  };

  // Section of stiffener element e of `model` (input in the host's units,
  // unit factors and design constants set) carrying the steel ratio `ratio`
  // (a fraction of the web area). Refuses when the covers leave no room for
  // the bars.
  StiffenerInteraction(const modGlobal& model, int e, double ratio);
  ~StiffenerInteraction();
  StiffenerInteraction(const StiffenerInteraction&) = delete;
  StiffenerInteraction& operator=(const StiffenerInteraction&) = delete;

  bool Flanged() const;
  // Neutral-axis angle of fixed direction d (1..8), degrees.
  static double DirectionAngleDeg(int d);
  // Tensile resistance Pt and the compressive cap 0.8 Po (negative).
  double TensileResistance();
  double CompressiveCap();

  // Capacity of fixed direction d (1..8) for the axial force P.
  Point Capacity(int d, double P);

  // For each fixed direction d = first..last (within 1..8): n >= 2 points
  // from pure tension to the compressive cap, equally spaced in P, into
  // points[(d - first) * n ...], and the four control points into
  // control[(d - first) * 4 ...] (control may be null).
  void Curves(int first, int last, int n, Point* points, Point* control);

  // n >= 2 points from pure tension to the compressive cap, equally spaced
  // in P, of the capacity along the moment direction `angle` (radians from
  // the +Muz axis toward +Muy): each the unit demand of that direction scaled
  // by the inverse of its demand/capacity ratio, exactly as the check
  // measures it. A flanged section (Muy alone) takes only the directions of
  // +Muy and -Muy.
  void MomentCurve(double angle, int n, Point* points);

  // The capacity moments (magnitudes) at axial force P for k >= 2 demand
  // directions from pure Muz (0 degrees) to pure Muy (90 degrees), each the
  // demand scaled by its demand/capacity ratio. Directions for which the
  // check gives no ratio are left out; returns how many points were written.
  // Not for a flanged section (its check takes Muy alone).
  int Contour(double P, int k, double* muy, double* muz);

  // The ratio the combination check compares with 1.0 for the load (P, Muy,
  // Muz) at one end; false when the check gives it no ratio (no contour
  // segment holds its angle). An axial compression beyond the squash load
  // Po gives the axial ratio -P / Po.
  bool DemandCapacity(double P, double Muy, double Muz, double& ratio);

  // The shear stress check of one direction (along y, or along z) for the
  // shear V and the torsion T; `checked` is false where the design makes no
  // such check (along y in a flanged section).
  ShearStressCheck ShearStress(bool alongY, double V, double T, bool& checked);

 private:
  void FindAxialResistances();
  // Direction d of the capacity points the state holds, at axial force P.
  Point PointOf(int d, double P) const;

  std::unique_ptr<modBeamDesignCSA94> s_;
  bool resistancesKnown_ = false;
  double pt_ = 0;
  double cap_ = 0;
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_INTERACTIONDIAGRAM_H
