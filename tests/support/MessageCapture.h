// Records every message box the component shows while the capture is alive
// (tests run one at a time, so one capture is enough).
#ifndef OSTREL_TESTS_SUPPORT_MESSAGECAPTURE_H
#define OSTREL_TESTS_SUPPORT_MESSAGECAPTURE_H

#include <string>
#include <vector>

#include "OstrelDesignCSA94.h"

namespace ostrel::test {

class MessageCapture {
 public:
  MessageCapture() { OstrelDesignCSA94_SetMessageBoxHandler(&Record, this); }
  ~MessageCapture() { OstrelDesignCSA94_SetMessageBoxHandler(nullptr, nullptr); }
  MessageCapture(const MessageCapture&) = delete;
  MessageCapture& operator=(const MessageCapture&) = delete;

  const std::vector<std::string>& texts() const { return texts_; }
  const std::vector<std::string>& titles() const { return titles_; }
  size_t count() const { return texts_.size(); }
  std::string last() const { return texts_.empty() ? std::string() : texts_.back(); }
  void clear() { texts_.clear(), titles_.clear(); }

 private:
  static void Record(void* self, const char* text, const char* title) {
    static_cast<MessageCapture*>(self)->texts_.emplace_back(text);
    static_cast<MessageCapture*>(self)->titles_.emplace_back(title);
  }
  std::vector<std::string> texts_, titles_;
};

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_MESSAGECAPTURE_H
