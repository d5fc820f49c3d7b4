#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

#include "model/CheckedMath.h"

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

void SetMessageBoxHandler(OstrelMessageBoxHandler handler, void* context) {
  std::lock_guard<std::mutex> lock(gHandlerMutex);
  gHandler.handler = handler ? handler : &DefaultMessageBox;
  gHandler.context = handler ? context : nullptr;
}

}  // namespace ostrel
