// A scripted progress-window host for tests: records every view the
// component shows at its pumps, runs a script at each pump (which may click
// buttons or call back into the component), and by default closes the window
// once the run has ended, like a person pressing the remaining button.
#ifndef OSTREL_TESTS_SUPPORT_WINDOWHOST_H
#define OSTREL_TESTS_SUPPORT_WINDOWHOST_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "OstrelDesignCSA94.h"

namespace ostrel::test {

// A copy of what the window showed at one pump.
struct ViewRecord {
  std::string Caption;
  std::string Label1;
  std::string lblStatus;
  std::string lblCounter;
  std::string Command1Caption;
  bool Command1Enabled = false;
  std::string Command2Caption;
  bool Command2Enabled = false;

  // The run has ended: completed ("&Close" enabled) or failed ("Close" disabled).
  bool RunEnded() const {
    return (Command1Caption == "&Close" && Command1Enabled) ||
           (Command1Caption == "Close" && !Command1Enabled);
  }
};

class ScriptedWindowHost {
 public:
  // The script sees the host (for its records and pump count) and the view of
  // this pump; it may call Click or any component method.
  using Script = std::function<void(ScriptedWindowHost&, const ViewRecord&)>;

  explicit ScriptedWindowHost(Script script = {}) : script_(std::move(script)) {
    OstrelDesignCSA94_SetWindowHost(&ScriptedWindowHost::Pump, this);
  }
  ~ScriptedWindowHost() { OstrelDesignCSA94_SetWindowHost(nullptr, nullptr); }
  ScriptedWindowHost(const ScriptedWindowHost&) = delete;
  ScriptedWindowHost& operator=(const ScriptedWindowHost&) = delete;

  static void Click(int button) { OstrelDesignCSA94_ClickButton(button); }

  const std::vector<ViewRecord>& views() const { return views_; }
  size_t pumps() const { return views_.size(); }
  const ViewRecord& last() const { return views_.back(); }

  // Whether any recorded view satisfies the predicate.
  bool Saw(const std::function<bool(const ViewRecord&)>& pred) const {
    for (const ViewRecord& v : views_) {
      if (pred(v)) return true;
    }
    return false;
  }
  // The status texts in the order they first appeared (consecutive repeats merged).
  std::vector<std::string> StatusSequence() const {
    std::vector<std::string> seq;
    for (const ViewRecord& v : views_) {
      if (seq.empty() || seq.back() != v.lblStatus) seq.push_back(v.lblStatus);
    }
    return seq;
  }

  // After the run has ended, click Command1 when it reads "&Close", else
  // Command2 (on by default).
  bool closeWhenEnded = true;
  // Safety net: past this many pumps Command2 is clicked at every pump, so a
  // run that never ends cannot hang the test program; hitLimit records it.
  size_t limit = 200000;
  bool hitLimit = false;

 private:
  static std::string Text(const char* s) { return s ? std::string(s) : std::string("<NULL>"); }

  static void Pump(void* context, const OstrelProgressView* view) {
    auto* self = static_cast<ScriptedWindowHost*>(context);
    ViewRecord r;
    r.Caption = Text(view->Caption);
    r.Label1 = Text(view->Label1);
    r.lblStatus = Text(view->lblStatus);
    r.lblCounter = Text(view->lblCounter);
    r.Command1Caption = Text(view->Command1Caption);
    r.Command1Enabled = view->Command1Enabled != 0;
    r.Command2Caption = Text(view->Command2Caption);
    r.Command2Enabled = view->Command2Enabled != 0;
    self->views_.push_back(r);
    if (self->views_.size() > self->limit) {
      self->hitLimit = true;
      Click(2);
      return;
    }
    if (self->script_) self->script_(*self, r);
    if (self->closeWhenEnded && r.RunEnded()) {
      Click(r.Command1Caption == "&Close" ? 1 : 2);
    }
  }

  Script script_;
  std::vector<ViewRecord> views_;
};

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_WINDOWHOST_H
