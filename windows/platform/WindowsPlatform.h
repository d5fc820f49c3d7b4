// The component's platform services on Windows, connected to the library
// through its C interface hooks: message boxes as MessageBoxW, the progress
// window as a real modal Win32 window, and AnalysisResults created through COM
// and called by name through IDispatch.
#ifndef OSTREL_WINDOWS_PLATFORM_WINDOWSPLATFORM_H
#define OSTREL_WINDOWS_PLATFORM_WINDOWSPLATFORM_H

#include <windows.h>

#include <string>

#include "OstrelDesignCSA94.h"

namespace ostrel::windows {

// Installs the three hooks once per process and pins the module in memory
// (the design models live in thread-local storage that outlives any single
// object). False when the window class cannot be registered.
bool InstallPlatform(HMODULE module);

// Marks one RunDesign call on this thread; when the outermost call returns,
// the thread's progress window (already unloaded by the design) is destroyed
// and its owner enabled again.
class RunScope {
 public:
  RunScope();
  ~RunScope();
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
};

// The hooks, exposed for installation.
void ShowMessageBoxW(void* context, const char* text, const char* title);
void PumpProgressWindow(void* context, const OstrelProgressView* view);
bool RegisterProgressWindowClass(HMODULE module);
void DestroyProgressWindow();
const OstrelAnalysisResultsClass& ComAnalysisResultsClass();

// UTF-8 text of the library as UTF-16.
std::wstring Widen(const char* text);

}  // namespace ostrel::windows

#endif  // OSTREL_WINDOWS_PLATFORM_WINDOWSPLATFORM_H
