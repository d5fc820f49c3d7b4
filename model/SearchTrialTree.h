// The first trials of a family of bracketed searches that all start alike.
//
// The neutral-axis searches of one steel check start from the same bracket
// and the same two fixed trials, and the first halving step depends only on
// the bracket those two trials leave, each of which narrows the bracket on
// the side of the sought value its own value falls. Those first trials are
// therefore the same in every search of the family that falls on the same
// sides: the tree keeps them, each with the trial that follows it on either
// side, so that a later search replays them instead of computing them again.
// The interpolation steps after them depend on the value sought, so no later
// trial is kept.
#ifndef OSTREL_MODEL_SEARCHTRIALTREE_H
#define OSTREL_MODEL_SEARCHTRIALTREE_H

#include <cstddef>
#include <vector>

namespace ostrel {

template <class Trial>
class SearchTrialTree {
 public:
  // Index of no trial.
  static constexpr int kNone = -1;
  // Trials that do not depend on the value sought: two fixed ones and one
  // halving step.
  static constexpr int kSharedTrials = 3;
  // At most 1 + 2 + 4 trials are kept.
  static constexpr int kCapacity = 7;

  // What a replay reads: the trials after this one and their values, [0] on
  // the low side of the bracket, [1] on the high side.
  struct Link {
    int next[2];
    double nextValue[2];
  };

  void Clear() {
    links_.clear();
    trials_.clear();
    rootValue_ = 0;
  }
  bool Empty() const { return links_.empty(); }
  int Size() const { return static_cast<int>(links_.size()); }
  // The value of the first trial, the first kept.
  double RootValue() const { return rootValue_; }
  const Link& LinkAt(int index) const { return links_[static_cast<std::size_t>(index)]; }
  const Trial& TrialAt(int index) const { return trials_[static_cast<std::size_t>(index)]; }
  Trial& TrialAt(int index) { return trials_[static_cast<std::size_t>(index)]; }

  // Keeps a trial with its value, reached from `parent` (kNone for the first
  // trial) on `side`; returns its index, kNone when the tree is full.
  int Add(int parent, int side, const Trial& trial, double value) {
    if (links_.size() == static_cast<std::size_t>(kCapacity)) {
      return kNone;
    }
    const int index = static_cast<int>(links_.size());
    links_.push_back({{kNone, kNone}, {0, 0}});
    trials_.push_back(trial);
    if (parent == kNone) {
      rootValue_ = value;
    } else {
      Link& from = links_[static_cast<std::size_t>(parent)];
      from.next[side] = index;
      from.nextValue[side] = value;
    }
    return index;
  }

 private:
  std::vector<Link> links_;
  std::vector<Trial> trials_;
  double rootValue_ = 0;
};

}  // namespace ostrel

#endif  // OSTREL_MODEL_SEARCHTRIALTREE_H
