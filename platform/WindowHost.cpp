// The host's window system: the pump callback it registered.
#include "platform/WindowHost.h"

#include <mutex>

namespace ostrel {

namespace {
std::mutex gWindowHostMutex;
WindowHostSetting gWindowHost;
}  // namespace

WindowHostSetting CurrentWindowHost() {
  std::lock_guard<std::mutex> lock(gWindowHostMutex);
  return gWindowHost;
}

void SetWindowHost(OstrelWindowPump pump, void* context) {
  std::lock_guard<std::mutex> lock(gWindowHostMutex);
  gWindowHost.pump = pump;
  gWindowHost.context = pump ? context : nullptr;
}

}  // namespace ostrel
