// The worker-thread setting of the C interface and the C++ API.
#include "OstrelDesignCSA94.h"
#include "OstrelDesignCSA94.hpp"
#include "run/ElementWorkers.h"

extern "C" OSTREL_API void OstrelDesignCSA94_SetWorkerThreads(int32_t n) {
  ostrel::SetWorkerThreads(n);
}

extern "C" OSTREL_API int32_t OstrelDesignCSA94_GetWorkerThreads(void) {
  return ostrel::WorkerThreads();
}

void clsDesignCSA94::SetWorkerThreads(int32_t n) { ostrel::SetWorkerThreads(n); }

int32_t clsDesignCSA94::GetWorkerThreads() { return ostrel::WorkerThreads(); }
