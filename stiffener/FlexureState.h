// Working values of the flexure search and of the section kernel: the
// constants the kernel needs (copied once per element so that the inner
// loops never reach the model), the current frame the kernel integrates, the
// capacity points of the axial force under check, the steel of the trial and
// the snapshot of the governing record of the last passing trial.
#ifndef OSTREL_STIFFENER_FLEXURESTATE_H
#define OSTREL_STIFFENER_FLEXURESTATE_H

#include <array>
#include <cstdint>
#include <vector>

#include "stiffener/SectionGeometry.h"

namespace ostrel {

// The first trials of the neutral-axis depth solves of one steel check in one
// fixed direction. Within a check every solve in a direction starts from the
// same two depths and the same bracket ends, and the first halving step
// depends only on the bracket those two trials leave, which each narrows on
// the side its force falls. Those three trials are therefore the same in
// every solve that falls on the same sides, and the tree keeps them with the
// trial that follows each on either side. The interpolation step after them
// depends on the axial force sought, so no later trial is kept.
class DepthTrialTree {
 public:
  // Index of no trial.
  static constexpr int kNone = -1;
  // Trials that do not depend on the force sought: the two fixed depths and
  // one halving step.
  static constexpr int kSharedTrials = 3;
  // At most 1 + 2 + 4 trials are kept per direction.
  static constexpr int kCapacity = 7;

  // What a replay reads: the trials after this one and their forces, [0]
  // when the bracket's low end took this trial, [1] the high end.
  struct Link {
    int next[2];
    double nextF[2];
  };
  // A trial: depth, factored force and its resistance factor, the bracket
  // (cLo, fLo, cHi, fHi) before it, and the moments once a solve ended here.
  struct Trial {
    double c;
    double F;
    double phi;
    double arrival[4];
    bool hasMoments;
    double Ma;
    double Mb;
  };

  void Clear() {
    links_.clear();
    trials_.clear();
  }
  bool Empty() const { return links_.empty(); }
  int Size() const { return static_cast<int>(links_.size()); }
  // The first trial is the first kept.
  double RootF() const { return trials_.front().F; }
  const Link& LinkAt(int index) const { return links_[static_cast<size_t>(index)]; }
  Trial& TrialAt(int index) { return trials_[static_cast<size_t>(index)]; }

  // Keeps a trial reached from `parent` (kNone for the first trial) on
  // `side`; returns its index, kNone when the tree is full.
  int Add(int parent, int side, const Trial& trial) {
    if (links_.size() == static_cast<size_t>(kCapacity)) {
      return kNone;
    }
    const int index = static_cast<int>(links_.size());
    links_.push_back({{kNone, kNone}, {0, 0}});
    trials_.push_back(trial);
    if (parent != kNone) {
      Link& from = links_[static_cast<size_t>(parent)];
      from.next[side] = index;
      from.nextF[side] = trial.F;
    }
    return index;
  }

 private:
  std::vector<Link> links_;
  std::vector<Trial> trials_;
};

struct FlexureWork {
  // Design constants, widened from the model's 32-bit values.
  double eps_cu = 0;
  double eps_t = 0;
  double k_Pmax = 0;
  double k_Pcomp = 0;
  double k_Ptens = 0;
  // The ultimate combinations in ascending order.
  std::vector<int16_t> ultimateCombos;

  // Current frame: the rotated section the kernel integrates.
  OutlineArray d_FrameVertexU{};
  OutlineArray d_FrameVertexW{};
  FlangeArray d_FrameLeftFlangeU{};
  FlangeArray d_FrameLeftFlangeW{};
  FlangeArray d_FrameRightFlangeU{};
  FlangeArray d_FrameRightFlangeW{};
  BarArray d_FrameBarU{};
  BarArray d_FrameBarW{};
  double d_FrameTop = 0;
  double d_FrameBottomBar = 0;

  // Depth ratios and axial resistances for the current steel and yield
  // strains (independent of the direction).
  double d_Kb = 0;  // tension bar just yielding
  double d_Kc = 0;  // lowest bar just yielding in compression
  double d_Kt = 0;  // tension bar at the strain limit
  double d_Pt = 0;  // tensile resistance
  double d_Po = 0;  // squash load

  // Depth trials of the current steel check, per direction (see
  // StartCapacityCheck).
  std::array<DepthTrialTree, kNumDirections + 1> checkTrials;

  // Capacity moments of the eight directions for the axial force under check.
  DirectionArray d_CapMuy{};
  DirectionArray d_CapMuz{};

  // Steel of the trial.
  double d_AsMin = 0;
  double d_AsMax = 0;
  double d_BarArea = 0;

  // Governing record of the last passing trial of the ratio search.
  int16_t snapGovCombo = 0;
  double snapGovMuy = 0;
  double snapGovMuz = 0;
  double snapGovPu = 0;
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_FLEXURESTATE_H
