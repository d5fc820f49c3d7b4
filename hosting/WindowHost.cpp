// The window-system hooks of the C interface: the host's pump callback and
// the button clicks it sends.
#include "hosting/WindowHost.h"

#include <mutex>

#include "run/frmDesign.h"

namespace ostrel {

namespace {
std::mutex gWindowHostMutex;
WindowHostSetting gWindowHost;
}  // namespace

WindowHostSetting CurrentWindowHost() {
  std::lock_guard<std::mutex> lock(gWindowHostMutex);
  return gWindowHost;
}

}  // namespace ostrel

extern "C" OSTREL_API void OstrelDesignCSA94_SetWindowHost(OstrelWindowPump pump,
                                                           void* context) {
  std::lock_guard<std::mutex> lock(ostrel::gWindowHostMutex);
  ostrel::gWindowHost.pump = pump;
  ostrel::gWindowHost.context = pump ? context : nullptr;
}

extern "C" OSTREL_API void OstrelDesignCSA94_ClickButton(int32_t button) {
  try {
    ostrel::QueueButtonClick(button);
  } catch (...) {
    // Out of memory: the click is lost, as a click the window never saw.
  }
}
