// Flexure of a stiffener section with axial load: geometry and bar layout,
// the axial bounds, the search of the longitudinal steel ratio, and the
// section's bending resistance under axial load. All of them work on
// BeamState() of the calling thread; the kernel, the depth solver and the
// capacity operations also come in overloads that take the state explicitly,
// which the searches use so that the inner loops reach the state directly.
//
// Units: N, mm, MPa, N-mm. Axial force and steel strain are positive in
// tension.
#ifndef OSTREL_STIFFENER_STIFFENERFLEXURE_H
#define OSTREL_STIFFENER_STIFFENERFLEXURE_H

namespace ostrel {

struct modBeamDesignCSA94;
struct modGlobal;

// Builds the outline, flanges, bars and the eight rotated frames of the
// element's section from the section state. It also copies, once per
// element, the design constants and the list of ultimate combinations that
// the flexure design of the element needs.
void BuildSectionGeometry();
void BuildSectionGeometry(const modGlobal& model, modBeamDesignCSA94& s);

// Raises the minimum steel ratio for the largest axial demands, or fails the
// element when the demand needs more than the maximum ratio.
void DesignAxialBounds();

// Searches the steel ratio that resists every ultimate combination.
void DesignFlexureSteel();

// Checks the current steel (d_As, d_BarArea) against every ultimate
// combination at both ends: status 0 when all are resisted, else 3; updates
// the governing record where a larger demand/capacity ratio is found.
void CheckSectionForCombos();

// Offsets of the plastic centroid (e_pc, for the axial force P) and of the
// gross-section centroid (e_c) of a flanged section from the web mid-plane.
void FlangeEccentricities(const double& P, double& e_pc, double& e_c);
void FlangeEccentricities(const modBeamDesignCSA94& s, double P, double& e_pc, double& e_c);

// Demand/capacity ratios of both ends of ultimate combination k for the
// current steel, as the combination check compares them with 1.0: the
// capacity for the axial force at end 1 serves both ends; biaxial against the
// contour of directions 1..7, or, for a flanged section, Muy alone about the
// plastic centroid against directions 7 and 8. has[end] is false when no
// contour segment holds the demand angle (the end gives no ratio). The depth
// solves replay the trials of the current check (StartCapacityCheck).
struct EndRatios {
  bool has[3] = {};
  double r[3] = {};
};
EndRatios CombinationRatios(modBeamDesignCSA94& s, int k);

// Section kernel: axial force F and moments Ma (about the neutral-axis
// direction u) and Mb (about w), both about the origin, for the
// neutral-axis depth c in the current frame.
void ComputeSectionResultants(double& F, double& Ma, double& Mb, const double& c);
void ComputeSectionResultants(modBeamDesignCSA94& s, double& F, double& Ma, double& Mb,
                              const double& c);

// Makes fixed direction d (1..8) the current frame of the kernel.
void LoadCapacityDirection(modBeamDesignCSA94& s, int d);

// Force-only twin of the kernel; returns the largest bar strain (before the
// yield limits), starting from -eps_cu.
double ComputeSectionForce(double& F, const double& c);
double ComputeSectionForce(modBeamDesignCSA94& s, double& F, const double& c);

// Neutral-axis depth of the current frame (concrete depth h) for which the
// section force equals P within 0.0001 N. phi receives the resistance factor
// of the last evaluation. Needs the depth ratios and axial resistances of
// flex (set by the two capacity operations).
double SolveNeutralAxisDepth(const double& P, const double& h, double& phi);
double SolveNeutralAxisDepth(modBeamDesignCSA94& s, const double& P, const double& h,
                             double& phi);

// Capacity moments d_CapMuy/d_CapMuz of the eight fixed directions for the
// axial force P.
void ComputeCapacityPoints(const double& P);
void ComputeCapacityPoints(modBeamDesignCSA94& s, const double& P);

// The same capacity points within one check of the current steel: the depth
// solves replay the trials that earlier calls since StartCapacityCheck met in
// the same direction, with bit-identical results. StartCapacityCheck must be
// called whenever the steel, the yield strains, the constants or the geometry
// may have changed.
void StartCapacityCheck(modBeamDesignCSA94& s);
void ComputeCheckCapacityPoints(modBeamDesignCSA94& s, const double& P);

// Demand/capacity ratio along the demand direction (|Muy|, |Muz|), found by
// turning the neutral axis between aLo and aHi until the capacity vector is
// parallel to the demand. Muz is raised to 0.0001 in place when smaller; the
// four angles are narrowed in place.
double ComputeCapacityAtDemandAngle(const double& P, const double& Muy, double& Muz,
                                    double& aHi, double& aLo, double& tHi, double& tLo);
double ComputeCapacityAtDemandAngle(modBeamDesignCSA94& s, const double& P,
                                    const double& Muy, double& Muz, double& aHi,
                                    double& aLo, double& tHi, double& tLo);

// Resistance factor for a bar strain: always 1.0, the material factors being
// already inside the factored strengths.
double ResistanceFactorForStrain(const double& strain);

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_STIFFENERFLEXURE_H
