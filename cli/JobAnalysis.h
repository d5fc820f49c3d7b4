// The job's `analysis` section served as the library's analysis-results
// source, exactly as an analysis program would report it.
#pragma once

#include "Job.h"
#include "OstrelDesignCSA94.h"

namespace ostrel::cli {

// The class to register with OstrelDesignCSA94_RegisterAnalysisResults; the
// job must outlive every run that uses it.
OstrelAnalysisResultsClass AnalysisResultsFor(const Job& job);

}  // namespace ostrel::cli
