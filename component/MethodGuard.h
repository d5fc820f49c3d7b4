// The common frame of every public method: clear the floating-point flags,
// run the method's body, and turn a refusal or any unexpected failure into
// one message box and the result 1. No exception leaves a public method.
#ifndef OSTREL_COMPONENT_METHODGUARD_H
#define OSTREL_COMPONENT_METHODGUARD_H

#include <cstdint>
#include <functional>
#include <string>

namespace ostrel {

// What a method body reports: done, or refused with its message.
struct Outcome {
  bool done = true;
  std::string message;

  static Outcome Done() { return Outcome{}; }
  static Outcome Refused(std::string text) { return Outcome{false, std::move(text)}; }
};

// The line the two element-property methods append to every box they show:
// "\r\n" then, for example, "Plate Element: " and the element number.
std::string ElementLine(const char* prefix, long long elementNumber);

// Runs a public method. Returns 0 when the body is done; otherwise shows the
// refusal message (or, for any exception, unexpectedMessage), followed by
// suffix, in one message box and returns 1.
uint8_t RunPublicMethod(const char* unexpectedMessage, const std::string& suffix,
                        const std::function<Outcome()>& body);

inline uint8_t RunPublicMethod(const char* unexpectedMessage,
                               const std::function<Outcome()>& body) {
  return RunPublicMethod(unexpectedMessage, std::string(), body);
}

}  // namespace ostrel

#endif  // OSTREL_COMPONENT_METHODGUARD_H
