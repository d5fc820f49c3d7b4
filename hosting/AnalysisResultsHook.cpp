// The analysis-results hook of the C interface: the class through which the
// component creates the host's analysis-results instance.
#include "OstrelDesignCSA94.h"
#include "run/AnalysisResults.h"

extern "C" OSTREL_API void OstrelDesignCSA94_RegisterAnalysisResults(
    const OstrelAnalysisResultsClass* cls) {
  ostrel::RegisterAnalysisResultsClass(cls);
}
