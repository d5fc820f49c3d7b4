#include "component/MethodGuard.h"

#include "model/CheckedMath.h"
#include "platform/MessageBox.h"

namespace ostrel {

std::string ElementLine(const char* prefix, long long elementNumber) {
  return std::string("\r\n") + prefix + std::to_string(elementNumber);
}

uint8_t RunPublicMethod(const char* unexpectedMessage, const std::string& suffix,
                        const std::function<Outcome()>& body) {
  std::string message = unexpectedMessage;
  try {
    ClearFloatFaults();
    Outcome outcome = body();
    if (outcome.done) {
      return 0;
    }
    message = std::move(outcome.message);
  } catch (...) {
    // Any run-time failure inside the method: its unexpected-error message.
  }
  ShowMessageBox(message + suffix);
  return 1;
}

}  // namespace ostrel
