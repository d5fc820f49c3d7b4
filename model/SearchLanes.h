// Which way the element searches run: side by side in the lanes of the
// machine's vectors, or one at a time.
//
// Both ways perform, for every search, the same IEEE operations on the same
// values in the same order, so they give the same results bit for bit, the
// same step counts and the same faults; the lanes only run independent
// searches (the combinations of one check, the directions of one capacity
// computation) together. The one-at-a-time way is kept as the reference the
// lanes are tested against, and is the only way in a build without vector
// lanes (OSTREL_LANES undefined: the Windows build, or a machine without the
// SIMD library).
#ifndef OSTREL_MODEL_SEARCHLANES_H
#define OSTREL_MODEL_SEARCHLANES_H

namespace ostrel {

enum class SearchLanes { kVector, kScalar };

// Whether this build has the vector lanes.
bool VectorLanesBuilt();

// The way the searches of every thread run from now on (tests, fuzz targets
// and benchmarks compare the two); kVector in a build without lanes is taken
// as kScalar. Process-wide, so a run's worker threads follow it. Not to be
// changed while a design runs.
void SetSearchLanes(SearchLanes lanes);

// True when the searches run on vector lanes.
bool UseVectorLanes();

// The vector target the searches dispatch to on this machine and the number
// of doubles a vector of it holds: {"AVX3", 8} with AVX-512, {"AVX2", 4},
// {"one at a time", 1} without lanes.
struct VectorLanesTarget {
  const char* name;
  int doubles;
};
VectorLanesTarget DispatchedVectorLanes();

}  // namespace ostrel

#endif  // OSTREL_MODEL_SEARCHLANES_H
