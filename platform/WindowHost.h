// The host's window system: the callback that is shown the progress window
// at every pump (process-wide; NULL means the built-in host).
#ifndef OSTREL_PLATFORM_WINDOWHOST_H
#define OSTREL_PLATFORM_WINDOWHOST_H

#include "OstrelDesignCSA94.h"

namespace ostrel {

struct WindowHostSetting {
  OstrelWindowPump pump = nullptr;  // nullptr: the built-in host
  void* context = nullptr;
};

WindowHostSetting CurrentWindowHost();

// Registers the host's pump (nullptr: the built-in host).
void SetWindowHost(OstrelWindowPump pump, void* context);

}  // namespace ostrel

#endif  // OSTREL_PLATFORM_WINDOWHOST_H
