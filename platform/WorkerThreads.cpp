#include "platform/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace ostrel {

namespace {
std::atomic<int32_t> gWorkerThreads{1};
}  // namespace

void SetWorkerThreads(int32_t n) {
  gWorkerThreads.store(std::clamp<int32_t>(n < 0 ? 1 : n, 0, kMaxWorkerThreads));
}

int32_t WorkerThreads() {
  const int32_t n = gWorkerThreads.load();
  if (n != 0) {
    return n;
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return std::clamp<int32_t>(static_cast<int32_t>(hardware), 1, kMaxWorkerThreads);
}

}  // namespace ostrel
