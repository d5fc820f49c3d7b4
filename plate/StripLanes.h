// The neutral-axis searches of one combination check, side by side in the
// lanes of the machine's widest vectors (built only with OSTREL_LANES).
//
// Every lane performs the IEEE operations of the one-at-a-time search in the
// same order on the same values, so each search ends on the same trial after
// the same number of steps. The searches enter after their two trials at the
// balanced depths (taken once per sense of the moment by the caller), with
// the bracket those trials left and a step count of zero.
#ifndef OSTREL_PLATE_STRIPLANES_H
#define OSTREL_PLATE_STRIPLANES_H

#ifdef OSTREL_LANES

#include <cstddef>
#include <cstdint>

namespace ostrel {

// The strip's values every search of the check shares.
struct StripLaneSection {
  double t;
  double beta1;
  double alpha1PhiFc;
  double phiEs;
  double epsYt;
  double epsYc;
  double epsCu;
  double A1;  // steel area of one curtain
  int n;      // curtains, 1 or 2
};

// The searches, one entry per search in every array: what they look for
// and from where (read), and the trial each ends on with its step count
// (written).
struct StripLaneSearches {
  std::size_t count;
  const double* target;
  const double* d1;  // layer depths of the search's sense of the moment
  const double* d2;
  const double* Plo;  // the bracket after the two balanced trials
  const double* Phi;
  const double* cPlo;
  const double* cPhi;
  double* c;
  double* a;
  double* Cc;
  double* T1;
  double* T2;
  double* P;
  int16_t* steps;
};

// Runs the searches; false, with the outputs unusable, when a search would
// take more steps than its 16-bit counter holds or a floating-point fault
// flag went up on the way (the caller then repeats the check one search at a
// time, which ends with that search's own error).
bool SearchStripDepthsOnLanes(const StripLaneSection& section, const StripLaneSearches& searches);

// The instruction set the searches are dispatched to, and its lanes of
// doubles.
const char* StripLaneTarget();
std::size_t StripLaneCount();

}  // namespace ostrel

#endif  // OSTREL_LANES
#endif  // OSTREL_PLATE_STRIPLANES_H
