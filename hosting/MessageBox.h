// Modal message boxes: every box the component shows is one call of the
// host's registered handler (process-wide), with the component's title.
#ifndef OSTREL_HOSTING_MESSAGEBOX_H
#define OSTREL_HOSTING_MESSAGEBOX_H

#include <string>

namespace ostrel {

inline constexpr const char* kMessageBoxTitle = "OstrelDesignCSA94";

// Shows one message box with an OK button and the title "OstrelDesignCSA94";
// returns when the host's handler returns (the person pressed OK).
void ShowMessageBox(const std::string& text);

}  // namespace ostrel

#endif  // OSTREL_HOSTING_MESSAGEBOX_H
