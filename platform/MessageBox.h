// Modal message boxes: every box the component shows is one call of the
// host's registered handler (process-wide), with the component's title.
#ifndef OSTREL_PLATFORM_MESSAGEBOX_H
#define OSTREL_PLATFORM_MESSAGEBOX_H

#include <string>

#include "OstrelDesignCSA94.h"

namespace ostrel {

inline constexpr const char* kMessageBoxTitle = "OstrelDesignCSA94";

// Shows one message box with an OK button and the title "OstrelDesignCSA94";
// returns when the host's handler returns (the person pressed OK).
void ShowMessageBox(const std::string& text);

// Registers the host's handler (nullptr: the built-in one, which writes the
// text to standard error).
void SetMessageBoxHandler(OstrelMessageBoxHandler handler, void* context);

}  // namespace ostrel

#endif  // OSTREL_PLATFORM_MESSAGEBOX_H
