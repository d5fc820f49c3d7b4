// RunDesign: checks that analysis results exist and runs the design inside
// the modal progress window.
#include "OstrelDesignCSA94.hpp"
#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "platform/MessageBox.h"
#include "platform/AnalysisResults.h"
#include "run/frmDesign.h"

using namespace ostrel;

uint8_t clsDesignCSA94::RunDesign() {
  const char* const unexpected = "clsWallDesign::RunDesign: Unexpected error";
  std::string message;
  try {
    ClearFloatFaults();
    MarkModelChanged();
    AnalysisResults& source = EnsureAnalysisResults();
    uint8_t available = 0;
    const int32_t returned = source.ResultsAvailable(available);
    if (returned < 0) {
      throw RunTimeError("ResultsAvailable failed");
    }
    if (StatusFailed(returned)) {
      return 1;  // the source has reported its own failure: no message
    }
    if (available == 0) {
      message = "Analysis results are not available";
    } else {
      // A call made from inside a running design (its window is open)
      // shows nothing and starts nothing.
      if (Global().bt_DesignWindowOpen == 0) {
        ShowDesignWindowModal();
      }
      return 0;
    }
  } catch (...) {
    message = unexpected;
  }
  ShowMessageBox(message);
  return 1;
}
