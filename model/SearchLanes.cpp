#include "model/SearchLanes.h"

#include <atomic>

namespace ostrel {

namespace {

#ifdef OSTREL_LANES
constexpr bool kLanesBuilt = true;
#else
constexpr bool kLanesBuilt = false;
#endif

std::atomic<bool> vectorLanes{kLanesBuilt};

}  // namespace

bool VectorLanesBuilt() { return kLanesBuilt; }

void SetSearchLanes(SearchLanes lanes) {
  vectorLanes.store(kLanesBuilt && lanes == SearchLanes::kVector, std::memory_order_relaxed);
}

bool UseVectorLanes() { return vectorLanes.load(std::memory_order_relaxed); }

}  // namespace ostrel
