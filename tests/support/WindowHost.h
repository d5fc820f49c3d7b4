// A scripted progress-window host: records what the window shows at every
// pump, runs a script there (which may click buttons or call the component),
// and once the run has ended presses the button left to close the window.
#ifndef OSTREL_TESTS_SUPPORT_WINDOWHOST_H
#define OSTREL_TESTS_SUPPORT_WINDOWHOST_H

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "OstrelDesignCSA94.h"

namespace ostrel::test {

struct ViewRecord {
  std::string Caption, Label1, lblStatus, lblCounter, Command1Caption, Command2Caption;
  bool Command1Enabled = false, Command2Enabled = false;
};

class ScriptedWindowHost {
 public:
  using Script = std::function<void(ScriptedWindowHost&, const ViewRecord&)>;

  explicit ScriptedWindowHost(Script script = {}) : script_(std::move(script)) {
    OstrelDesignCSA94_SetWindowHost(&Pump, this);
  }
  ~ScriptedWindowHost() { OstrelDesignCSA94_SetWindowHost(nullptr, nullptr); }
  ScriptedWindowHost(const ScriptedWindowHost&) = delete;
  ScriptedWindowHost& operator=(const ScriptedWindowHost&) = delete;

  static void Click(int button) { OstrelDesignCSA94_ClickButton(button); }
  const std::vector<ViewRecord>& views() const { return views_; }
  const ViewRecord& last() const { return views_.back(); }
  bool Saw(const std::function<bool(const ViewRecord&)>& pred) const {
    return std::any_of(views_.begin(), views_.end(), pred);
  }

  bool closeWhenEnded = true;
  // Past this many pumps Command2 is clicked at every pump, so a run that
  // never ends cannot hang the test program.
  size_t limit = 200000;

 private:
  static void Pump(void* context, const OstrelProgressView* v) {
    auto* self = static_cast<ScriptedWindowHost*>(context);
    const ViewRecord r{v->Caption,         v->Label1,          v->lblStatus,
                       v->lblCounter,      v->Command1Caption, v->Command2Caption,
                       v->Command1Enabled != 0, v->Command2Enabled != 0};
    self->views_.push_back(r);
    if (self->views_.size() > self->limit) return Click(2);
    if (self->script_) self->script_(*self, r);
    const bool completed = r.Command1Caption == "&Close" && r.Command1Enabled;
    const bool failed = r.Command1Caption == "Close" && !r.Command1Enabled;
    if (self->closeWhenEnded && (completed || failed)) Click(completed ? 1 : 2);
  }

  Script script_;
  std::vector<ViewRecord> views_;
};

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_WINDOWHOST_H
