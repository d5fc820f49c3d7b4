#include "hosting/MessageBox.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "OstrelDesignCSA94.h"
#include "component/CheckedMath.h"

namespace ostrel {

namespace {

void DefaultMessageBox(void* /*context*/, const char* text, const char* title) {
  std::fprintf(stderr, "%s: %s\n", title, text);
  std::fflush(stderr);
}

struct HandlerSetting {
  OstrelMessageBoxHandler handler = &DefaultMessageBox;
  void* context = nullptr;
};

std::mutex gHandlerMutex;
HandlerSetting gHandler;

HandlerSetting CurrentHandler() {
  std::lock_guard<std::mutex> lock(gHandlerMutex);
  return gHandler;
}

}  // namespace

void ShowMessageBox(const std::string& text) {
  const HandlerSetting setting = CurrentHandler();
  FloatFlagsScope host;
  setting.handler(setting.context, text.c_str(), kMessageBoxTitle);
}

}  // namespace ostrel

extern "C" OSTREL_API void OstrelDesignCSA94_SetMessageBoxHandler(
    OstrelMessageBoxHandler handler, void* context) {
  std::lock_guard<std::mutex> lock(ostrel::gHandlerMutex);
  ostrel::gHandler.handler = handler ? handler : &ostrel::DefaultMessageBox;
  ostrel::gHandler.context = handler ? context : nullptr;
}
