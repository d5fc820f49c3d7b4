// The C entry points through which a host plugs in its services: the message
// box handler, the window system, the analysis-results class, and the worker
// threads.
#include "OstrelDesignCSA94.h"
#include "platform/AnalysisResults.h"
#include "platform/MessageBox.h"
#include "platform/WindowHost.h"
#include "platform/WorkerThreads.h"
#include "run/frmDesign.h"

extern "C" {

OSTREL_API void OstrelDesignCSA94_SetMessageBoxHandler(OstrelMessageBoxHandler handler,
                                                       void* context) {
  ostrel::SetMessageBoxHandler(handler, context);
}

OSTREL_API void OstrelDesignCSA94_SetWindowHost(OstrelWindowPump pump, void* context) {
  ostrel::SetWindowHost(pump, context);
}

OSTREL_API void OstrelDesignCSA94_ClickButton(int32_t button) {
  try {
    ostrel::QueueButtonClick(button);
  } catch (...) {
    // Out of memory: the click is lost, as a click the window never saw.
  }
}

OSTREL_API void OstrelDesignCSA94_RegisterAnalysisResults(const OstrelAnalysisResultsClass* cls) {
  ostrel::RegisterAnalysisResultsClass(cls);
}

OSTREL_API void OstrelDesignCSA94_SetWorkerThreads(int32_t n) { ostrel::SetWorkerThreads(n); }

OSTREL_API int32_t OstrelDesignCSA94_GetWorkerThreads(void) { return ostrel::WorkerThreads(); }

}  // extern "C"
