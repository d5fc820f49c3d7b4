// The process-wide number of worker threads for the element designs of
// every later run.
#ifndef OSTREL_PLATFORM_WORKERTHREADS_H
#define OSTREL_PLATFORM_WORKERTHREADS_H

#include <cstdint>

namespace ostrel {

// 1 designs on the host's thread alone (the default), 0 one per hardware
// thread. A negative number counts as 1; more than kMaxWorkerThreads as that
// many.
inline constexpr int kMaxWorkerThreads = 64;
void SetWorkerThreads(int32_t n);

// The number of worker threads a run would now use (the setting resolved).
int32_t WorkerThreads();

}  // namespace ostrel

#endif  // OSTREL_PLATFORM_WORKERTHREADS_H
