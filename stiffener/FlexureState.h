// Working values of the flexure search and of the section kernel: the
// constants the kernel needs (copied once per element by StartFlexureWork,
// so that the inner loops read them next to the frame), the current frame
// the kernel integrates, the yield strains and depth ratios of the current
// steel, the capacity points of the axial force under check, the steel of
// the trial and the snapshot of the governing record of the last passing
// trial.
#ifndef OSTREL_STIFFENER_FLEXURESTATE_H
#define OSTREL_STIFFENER_FLEXURESTATE_H

#include <array>
#include <cstdint>

#include "model/SearchTrialTree.h"
#include "stiffener/SectionGeometry.h"
#include "stiffener/StiffenerSection.h"

namespace ostrel {

// A depth trial of a solve in one fixed direction: depth, factored force and
// its resistance factor, the bracket (cLo, fLo, cHi, fHi) before it, and the
// moments once a solve ended here.
struct DepthTrial {
  double c;
  double F;
  double phi;
  double arrival[4];
  bool hasMoments;
  double Ma;
  double Mb;
};

// The first trials of the depth solves of one steel check in one fixed
// direction (every solve of it starts from the same two depths and the same
// bracket ends), keyed by force.
using DepthTrialTree = SearchTrialTree<DepthTrial>;

struct FlexureWork {
  // Design constants, widened from the model's 32-bit values.
  double epsCu = 0;
  double epsT = 0;
  double kPmax = 0;
  double kPcomp = 0;
  double kPtens = 0;
  // The run's suspend flag, polled by the capacity searches.
  const int16_t* suspendFlag = &kNeverSuspended;

  // Current frame: the rotated section the kernel integrates.
  OutlineArray frameVertexU{};
  OutlineArray frameVertexW{};
  FlangeArray frameLeftFlangeU{};
  FlangeArray frameLeftFlangeW{};
  FlangeArray frameRightFlangeU{};
  FlangeArray frameRightFlangeW{};
  BarArray frameBarU{};
  BarArray frameBarW{};
  double frameTop = 0;
  double frameBottomBar = 0;

  // Yield strains of the kernel: tension, and compression (negative), the
  // latter kept below the crushing strain by the angle search.
  double epsYield = 0;
  double epsYieldComp = 0;

  // Depth ratios and axial resistances for the current steel and yield
  // strains (independent of the direction).
  double kb = 0;  // tension bar just yielding
  double kc = 0;  // lowest bar just yielding in compression
  double kt = 0;  // tension bar at the strain limit
  double Pt = 0;  // tensile resistance
  double Po = 0;  // squash load

  // Depth trials of the current steel check, per direction (see
  // StartCapacityCheck).
  std::array<DepthTrialTree, kNumDirections + 1> checkTrials;

  // Capacity moments of the eight directions for the axial force under check.
  DirectionArray capMuy{};
  DirectionArray capMuz{};

  // Steel of the trial, its bounds and the raised minimum ratio.
  double As = 0;
  double rhoMin = 0;
  double AsMin = 0;
  double AsMax = 0;
  double barArea = 0;

  // Governing record of the last passing trial of the ratio search.
  int16_t snapGovCombo = 0;
  double snapGovMuy = 0;
  double snapGovMuz = 0;
  double snapGovPu = 0;
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_FLEXURESTATE_H
