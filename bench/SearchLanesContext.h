// Names, in the benchmark's context, the way the element searches ran: the
// vector target and its width, or one at a time. OSTREL_BENCH_SEARCH=scalar
// in the environment runs them one at a time, for before-and-after figures
// from one build.
#ifndef OSTREL_BENCH_SEARCHLANESCONTEXT_H
#define OSTREL_BENCH_SEARCHLANESCONTEXT_H

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "model/SearchLanes.h"

namespace ostrel::bench {

inline const bool kSearchLanesContext = [] {
  const char* chosen = std::getenv("OSTREL_BENCH_SEARCH");
  if (chosen != nullptr && std::strcmp(chosen, "scalar") == 0) {
    SetSearchLanes(SearchLanes::kScalar);
  }
  const VectorLanesTarget target = DispatchedVectorLanes();
  std::string text = target.name;
  if (target.doubles > 1) {
    text += ", " + std::to_string(target.doubles) + " doubles per vector";
  }
  benchmark::AddCustomContext("search_lanes", text);
  return true;
}();

}  // namespace ostrel::bench

#endif  // OSTREL_BENCH_SEARCHLANESCONTEXT_H
