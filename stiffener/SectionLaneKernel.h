// The section kernel on vector lanes: the force (and, when asked, the
// moments) of several neutral-axis depths at once, each lane in its own frame
// of the same section. Every lane performs the IEEE operations of the
// one-at-a-time kernel in the same order, so each lane's results equal, bit
// for bit, those of the one-at-a-time kernel on the lane's frame and depth.
//
// Frames are stored point by point: vertex j (or bar j) of lane L is at
// [j * kMaxSectionLanes + L], so that point j of all lanes is one vector.
#ifndef OSTREL_STIFFENER_SECTIONLANEKERNEL_H
#define OSTREL_STIFFENER_SECTIONLANEKERNEL_H

#ifdef OSTREL_LANES

#include <cstddef>
#include <cstdint>

#include "stiffener/SectionGeometry.h"

namespace ostrel {

// The most lanes of doubles any vector width gives (512-bit vectors).
inline constexpr int kMaxSectionLanes = 8;

struct alignas(64) SectionLanes {
  // The frames, 1-based like the one-at-a-time frame (slot 0 unused).
  double vertexU[(kMaxOutlineVertices + 1) * kMaxSectionLanes];
  double vertexW[(kMaxOutlineVertices + 1) * kMaxSectionLanes];
  double leftFlangeU[(kFlangeVertices + 1) * kMaxSectionLanes];
  double leftFlangeW[(kFlangeVertices + 1) * kMaxSectionLanes];
  double rightFlangeU[(kFlangeVertices + 1) * kMaxSectionLanes];
  double rightFlangeW[(kFlangeVertices + 1) * kMaxSectionLanes];
  double barU[(kMaxBars + 1) * kMaxSectionLanes];
  double barW[(kMaxBars + 1) * kMaxSectionLanes];
  double top[kMaxSectionLanes];
  // Per evaluation: the depth of each lane in, its force, moments and
  // largest bar strain out.
  double c[kMaxSectionLanes];
  double F[kMaxSectionLanes];
  double Ma[kMaxSectionLanes];
  double Mb[kMaxSectionLanes];
  double strain[kMaxSectionLanes];
};

// What the kernel reads besides the frames: the section's counts and
// strengths and the strains and bar area of the current steel.
struct SectionLaneConstants {
  int numVertices;
  int numBars;
  bool flanges;
  double beta1;
  double blockStress;
  double phiEs;
  double epsCu;
  double epsYield;
  double epsYieldComp;
  double barArea;
};

// The depth solves of the lanes: the bracket (cLo, fLo, cHi, fHi) with its
// copy `before` from the last halving step, the trial number t, the force P
// sought, the solve's effective depth d and concrete depth h. A lane takes
// part where `plain` is 1.
struct alignas(64) DepthLaneSteps {
  double plain[kMaxSectionLanes];
  double P[kMaxSectionLanes];
  double d[kMaxSectionLanes];
  double h[kMaxSectionLanes];
  double cLo[kMaxSectionLanes];
  double fLo[kMaxSectionLanes];
  double cHi[kMaxSectionLanes];
  double fHi[kMaxSectionLanes];
  double beforeCLo[kMaxSectionLanes];
  double beforeFLo[kMaxSectionLanes];
  double beforeCHi[kMaxSectionLanes];
  double beforeFHi[kMaxSectionLanes];
  // In: the resistance factor of each lane's bar strain (used from the
  // third trial on). Out: the factor of the trial just taken.
  double phi[kMaxSectionLanes];
  int64_t t[kMaxSectionLanes];
  // Out: 1 where the trial converged, 1 where a guard ends the solve.
  double converged[kMaxSectionLanes];
  double guard[kMaxSectionLanes];
};

// What every solve of a batch shares: the depth ratios, resistance factors
// and axial resistances of the steel, and beta1.
struct DepthLaneConstants {
  double kt;
  double kc;
  double kPcomp;
  double kPtens;
  double Pt;
  double Po;
  double beta1;
  long maxSteps;
};

// One step of the plain lanes after an evaluation of the force at the
// trial depth c (SectionLanes): the trial's factored force, the test of
// convergence, the narrowed bracket, the stall and step guards, and the
// depth of the next trial into c.
void StepDepthLanes(const DepthLaneConstants& k, DepthLaneSteps& steps, SectionLanes& lanes);

// EvaluateSectionLanes, then, with `step`, StepDepthLanes with the
// resistance factors of the lanes' strains. Returns the lanes (bit L) whose
// step converged or met a guard.
unsigned EvaluateAndStepLanes(const SectionLaneConstants& k, const DepthLaneConstants& kd,
                              SectionLanes& lanes, DepthLaneSteps& steps, bool moments,
                              bool step);

// The points (z, y) 1..n turned to the neutral-axis angle (cosine ca, sine
// sa) into lane L's points (u, w), as the one-at-a-time frame turns them:
// u = z ca + y sa, w = -z sa + y ca. Also the highest and lowest w, each
// against 0.
void TurnPointsIntoLane(const double* z, const double* y, int n, double ca, double sa,
                        double* u, double* w, int L, double& top, double& lowest);

// Lanes of the vector width the machine runs (at most kMaxSectionLanes).
int SectionLaneCount();

// Evaluates every lane: F and strain, and Ma, Mb with `moments`.
void EvaluateSectionLanes(const SectionLaneConstants& k, SectionLanes& lanes, bool moments);

// Arithmetic operations of one lane's evaluation, as the kernel performs
// them (for the throughput figures of the benchmarks).
long SectionLaneFlops(const SectionLaneConstants& k, bool moments);

}  // namespace ostrel

#endif  // OSTREL_LANES

#endif  // OSTREL_STIFFENER_SECTIONLANEKERNEL_H
