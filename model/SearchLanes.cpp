#include "model/SearchLanes.h"

#include <atomic>

#ifdef OSTREL_LANES
// The width query is compiled once per vector target and dispatched at run
// time, like the searches themselves.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "model/SearchLanes.cpp"
#include "hwy/foreach_target.h"  // IWYU pragma: keep
#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace ostrel {
namespace HWY_NAMESPACE {

int DoublesPerVector() {
  return static_cast<int>(hwy::HWY_NAMESPACE::Lanes(hwy::HWY_NAMESPACE::ScalableTag<double>()));
}

}  // namespace HWY_NAMESPACE
}  // namespace ostrel
HWY_AFTER_NAMESPACE();
#endif  // OSTREL_LANES

#if !defined(OSTREL_LANES) || HWY_ONCE

namespace ostrel {

namespace {

#ifdef OSTREL_LANES
constexpr bool kLanesBuilt = true;
#else
constexpr bool kLanesBuilt = false;
#endif

std::atomic<bool> vectorLanes{kLanesBuilt};

}  // namespace

#ifdef OSTREL_LANES
HWY_EXPORT(DoublesPerVector);
#endif

bool VectorLanesBuilt() { return kLanesBuilt; }

void SetSearchLanes(SearchLanes lanes) {
  vectorLanes.store(kLanesBuilt && lanes == SearchLanes::kVector, std::memory_order_relaxed);
}

bool UseVectorLanes() { return vectorLanes.load(std::memory_order_relaxed); }

VectorLanesTarget DispatchedVectorLanes() {
  if (!UseVectorLanes()) {
    return {"one at a time", 1};
  }
#ifdef OSTREL_LANES
  const int64_t targets = hwy::SupportedTargets() & HWY_TARGETS;
  const int64_t best = targets & -targets;  // lowest bit: the widest target built
  return {hwy::TargetName(best), HWY_DYNAMIC_DISPATCH(DoublesPerVector)()};
#else
  return {"one at a time", 1};
#endif
}

}  // namespace ostrel

#endif  // !OSTREL_LANES || HWY_ONCE
