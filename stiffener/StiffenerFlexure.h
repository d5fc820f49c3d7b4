// Flexure of a stiffener section with axial load: geometry and bar layout,
// the axial bounds, the search of the longitudinal steel ratio, and the
// section's bending resistance under axial load.
//
// Every routine works on the state it is given (StiffenerSection.h):
//   BuildSectionGeometry(section)              outline, flanges, bars, frames
//   StartFlexureWork(settings, work)           constants of the kernel
//   DesignSectionAxialBounds / DesignSectionSteel /
//   CheckSectionForCombos(section, forces, work, record)
//                                              the steel of the element
//   ComputeCapacityPoints(section, work, P)    the eight fixed capacities
//   ComputeCapacityAtDemandAngle(...)          the capacity along a demand
//   SectionResultants / SectionForce / SolveNeutralAxisDepth
//                                              the kernel of one frame
// The capacity routines need the steel of the trial in the work (As,
// barArea); the kernel routines need the depth ratios and the frame that a
// capacity routine left in the work.
//
// Units: N, mm, MPa, N-mm. Axial force and steel strain are positive in
// tension.
#ifndef OSTREL_STIFFENER_STIFFENERFLEXURE_H
#define OSTREL_STIFFENER_STIFFENERFLEXURE_H

#include "stiffener/FlexureState.h"
#include "stiffener/StiffenerSection.h"

namespace ostrel {

// Builds the outline, flanges, bars and the eight rotated frames of the
// section into section.geo.
void BuildSectionGeometry(StiffenerSection& section);

// Copies the constants of the kernel into the work and clears its frame.
void StartFlexureWork(const StiffenerSettings& settings, FlexureWork& work);

// Sets the steel bounds from the section's ratios, then raises the minimum
// for the largest axial demands, or fails the element (record) when the
// demand needs more than the maximum ratio.
void DesignSectionAxialBounds(const StiffenerSection& section, const StiffenerForces& forces,
                       FlexureWork& work, StiffenerRecord& record);

// Searches the steel ratio between the bounds that resists every ultimate
// combination; the record receives the steel and its governing values.
void DesignSectionSteel(const StiffenerSection& section, const StiffenerForces& forces,
                        FlexureWork& work, StiffenerRecord& record);

// Checks the trial steel (work.As, work.barArea) against every ultimate
// combination at both ends: status 0 when all are resisted, else 3; updates
// the governing record where a larger demand/capacity ratio is found.
void CheckSectionForCombos(const StiffenerSection& section, const StiffenerForces& forces,
                           FlexureWork& work, StiffenerRecord& record);

// Demand/capacity ratios of both ends of ultimate combination k for the
// trial steel, as CheckSectionForCombos compares them with 1.0: the capacity
// for the axial force at end 1 serves both ends; biaxial against the contour
// of directions 1..7, or, for a flanged section, Muy alone about the plastic
// centroid against directions 7 and 8. has[end] is false when no contour
// segment holds the demand angle (the end gives no ratio). The depth solves
// replay the trials of the current check (StartCapacityCheck).
struct EndRatios {
  bool has[3] = {};
  double r[3] = {};
};
EndRatios CombinationRatios(const StiffenerSection& section, const StiffenerForces& forces,
                            FlexureWork& work, int k);

// Makes fixed direction d (1..8) the work's frame.
void LoadCapacityDirection(const StiffenerSection& section, FlexureWork& work, int d);

// Offsets of the plastic centroid (e_pc, for the axial force P and steel
// area as) and of the gross-section centroid (e_c) of a flanged section from
// the web mid-plane.
void FlangeEccentricities(const StiffenerSection& section, double as, double P, double& e_pc,
                          double& e_c);

// Section kernel: axial force F and moments Ma (about the neutral-axis
// direction u) and Mb (about w), both about the origin, for the
// neutral-axis depth c in the work's frame.
void SectionResultants(const StiffenerSection& section, const FlexureWork& work, double c,
                       double& F, double& Ma, double& Mb);

// Force-only twin of the kernel; returns the largest bar strain (before the
// yield limits), starting from -eps_cu.
double SectionForce(const StiffenerSection& section, const FlexureWork& work, double c,
                    double& F);

// Neutral-axis depth of the work's frame (concrete depth h) for which the
// section force equals P within 0.0001 N. phi receives the resistance factor
// of the last evaluation.
double SolveNeutralAxisDepth(const StiffenerSection& section, const FlexureWork& work, double P,
                             double h, double& phi);

// Capacity moments work.capMuy / capMuz of the eight fixed directions
// for the axial force P.
void ComputeCapacityPoints(const StiffenerSection& section, FlexureWork& work, double P);

// The same capacity points within one check of the trial steel: the depth
// solves replay the trials that earlier calls since StartCapacityCheck met in
// the same direction, with bit-identical results. StartCapacityCheck must be
// called whenever the steel, the section or the constants may have changed.
void StartCapacityCheck(FlexureWork& work);
void ComputeCheckCapacityPoints(const StiffenerSection& section, FlexureWork& work, double P);

// The neutral-axis angles (aLo, aHi) whose capacity vectors make the angles
// (tLo, tHi) with the z axis, on either side of the demand.
struct AngleBracket {
  double aHi;
  double aLo;
  double tHi;
  double tLo;
};

// Demand/capacity ratio along the demand direction (|Muy|, |Muz|, Muz raised
// to 0.0001 when smaller), found by turning the neutral axis within the
// bracket until the capacity vector is parallel to the demand.
double ComputeCapacityAtDemandAngle(const StiffenerSection& section, FlexureWork& work, double P,
                                    double Muy, double Muz, AngleBracket bracket);

#ifdef OSTREL_LANES
// The same searches on vector lanes, with results equal bit for bit to the
// one-at-a-time routines; false, with the state to be discarded (the caller
// clears the fault flags and does the work one at a time), when a search
// met a floating-point fault or a guard.
//
// The capacity points of the axial forces P[0..count-1] within one check
// (StartCapacityCheck first), into capMuy[i] / capMuz[i]; the work is left as
// ComputeCheckCapacityPoints leaves it after the last force.
bool ComputeCheckCapacityPointsOnLanes(const StiffenerSection& section, FlexureWork& work,
                                       const double* P, int count, DirectionArray* capMuy,
                                       DirectionArray* capMuz);

// One demand of ComputeCapacityAtDemandAngle.
struct AngleDemand {
  double P;
  double Muy;
  double Muz;
  AngleBracket bracket;
};

// The demand/capacity ratios of demands[0..count-1] (before their absolute
// value). With leaveFrame the work is left as the last demand's search
// leaves it; else its frame and strains are those it came with.
bool CapacitiesAtDemandAnglesOnLanes(const StiffenerSection& section, FlexureWork& work,
                                     const AngleDemand* demands, int count, double* ratios,
                                     bool leaveFrame);
#endif

// Resistance factor for a bar strain: always 1.0, the material factors being
// already inside the factored strengths.
inline double ResistanceFactorForStrain(double /*strain*/) { return 1.0; }

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERFLEXURE_H
