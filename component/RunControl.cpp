// Run control that touches only the model: whether a design is held, and
// clearing it.
#include "OstrelDesignCSA94.hpp"
#include "component/MethodGuard.h"
#include "component/modGlobal.h"

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
