// Run control that touches only the model and the settings: whether a design
// is held, clearing it, and the worker threads of later runs.
#include "OstrelDesignCSA94.hpp"
#include "component/MethodGuard.h"
#include "model/modGlobal.h"
#include "platform/WorkerThreads.h"

using namespace ostrel;

uint8_t clsDesignCSA94::ResetDesign() {
  return RunPublicMethod("clsWallDesign::ResetDesign: Unexpected error", [] {
    MarkModelChanged();
    ClearDesignResults();
    return Outcome::Done();
  });
}

uint8_t clsDesignCSA94::DesignDone(uint8_t& bt_DesignDoneFlag) {
  return RunPublicMethod("clsWallDesign::DesignDone: Unexpected error", [&] {
    bt_DesignDoneFlag = Global().bt_DesignDoneFlag;
    return Outcome::Done();
  });
}

void clsDesignCSA94::SetWorkerThreads(int32_t n) { ostrel::SetWorkerThreads(n); }

int32_t clsDesignCSA94::GetWorkerThreads() { return ostrel::WorkerThreads(); }
