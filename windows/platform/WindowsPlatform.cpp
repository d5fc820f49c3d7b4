#include "windows/platform/WindowsPlatform.h"

#include <mutex>

namespace ostrel::windows {

namespace {
thread_local int tRunDepth = 0;
}  // namespace

std::wstring Widen(const char* text) {
  if (text == nullptr || *text == '\0') return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// One modal box with an OK button only and no icon, owned by the thread's
// active window (the progress window during a run).
void ShowMessageBoxW(void* /*context*/, const char* text, const char* title) {
  MessageBoxW(GetActiveWindow(), Widen(text).c_str(), Widen(title).c_str(), MB_OK);
}

bool InstallPlatform(HMODULE module) {
  static std::once_flag once;
  static bool installed = false;
  std::call_once(once, [module] {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&InstallPlatform), &pinned);
    if (!RegisterProgressWindowClass(module)) return;
    OstrelDesignCSA94_SetMessageBoxHandler(&ShowMessageBoxW, nullptr);
    OstrelDesignCSA94_SetWindowHost(&PumpProgressWindow, nullptr);
    OstrelDesignCSA94_RegisterAnalysisResults(&ComAnalysisResultsClass());
    installed = true;
  });
  return installed;
}

RunScope::RunScope() { ++tRunDepth; }

RunScope::~RunScope() {
  if (--tRunDepth == 0) DestroyProgressWindow();
}

}  // namespace ostrel::windows
