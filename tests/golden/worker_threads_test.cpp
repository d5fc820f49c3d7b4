// Element designs on worker threads: whatever happens in a run (it completes,
// an analysis-results call fails, an element's arithmetic faults, the user
// suspends or cancels), the host sees the run on one thread: the same calls
// of its analysis-results class, all on its own thread and in the same order,
// the same counters at the same pumps, the same messages and the same stored
// results, bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "OstrelDesignCSA94.hpp"
#include "model/modGlobal.h"
#include "golden/GoldenModels.h"
#include "support/FakeAnalysis.h"
#include "support/MessageCapture.h"
#include "support/StoredResults.h"
#include "support/WindowHost.h"

namespace ostrel::golden {
namespace {

using test::FakeAnalysis;
using test::ScriptedWindowHost;
using test::StoredResults;
using test::ViewRecord;

constexpr char kPlatePhaseMessage[] =
    "modDesign::WallDesign- unexpected error during Calculating plate element reinforcement";
constexpr char kStiffenerPhaseMessage[] =
    "modDesign::WallDesign- unexpected error during Calculating stiffener element reinforcement";

// What a host observes of one run.
struct RunRecord {
  uint8_t result = 9;
  uint8_t done = 9;
  std::vector<std::string> calls;  // "operation item combination"
  bool callsOnHostThread = true;
  std::vector<std::string> views;  // phase | counter | Command1 at every pump
  std::vector<std::string> boxes;
  std::vector<size_t> suspendedCalls;  // calls made so far, at each suspended pump
  std::string results;                 // stored results after the run
};

struct Scenario {
  std::string name;
  std::function<void(GoldenModel&, FakeAnalysis&)> change;
  std::function<void(const ViewRecord&, RunRecord&, size_t calls)> script;
};

// Designs the model on a thread of its own (a fresh model there) with the
// given number of workers, recording what the host sees.
RunRecord Record(GoldenModel model, int32_t workers, const Scenario& scenario) {
  OstrelDesignCSA94_SetWorkerThreads(workers);
  RunRecord r;
  std::thread host([&] {
    FakeAnalysis fake;
    LoadAnalysis(fake, model);
    if (scenario.change) scenario.change(model, fake);
    fake.Register();
    test::MessageCapture boxes;
    ScriptedWindowHost window([&](ScriptedWindowHost&, const ViewRecord& v) {
      r.views.push_back(v.lblStatus + " |" + v.lblCounter + " | " + v.Command1Caption);
      if (scenario.script) scenario.script(v, r, fake->calls.size());
    });
    clsDesignCSA94* obj = clsDesignCSA94_Create();
    std::vector<std::string> problems;
    SendModel(obj, model, problems);
    EXPECT_TRUE(problems.empty());
    r.result = clsDesignCSA94_RunDesign(obj);
    clsDesignCSA94_DesignDone(obj, &r.done);
    for (const FakeAnalysis::Call& c : fake->calls) {
      r.calls.push_back(c.op + " " + std::to_string(c.item) + " " + std::to_string(c.combo));
      r.callsOnHostThread = r.callsOnHostThread && c.thread == std::this_thread::get_id();
    }
    r.boxes = boxes.texts();
    r.results = StoredResults();
    clsDesignCSA94_Release(obj);
  });
  host.join();
  OstrelDesignCSA94_SetWorkerThreads(1);
  return r;
}

GoldenModel MixedWall() { return BuildGoldenModels().front(); }  // 40 plates, 45 stiffeners

// "" when equal, else where two results texts first differ: the field (one
// line each) and the element (one value each).
std::string FirstDifferentLine(const std::string& a, const std::string& b) {
  if (a == b) return "";
  size_t line = 1, element = 1;
  for (size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i) {
    if (a[i] == '\n') ++line, element = 1;
    if (a[i] == ' ') ++element;
  }
  return "results differ in field " + std::to_string(line) + ", element " +
         std::to_string(element);
}

void ExpectSameRun(const RunRecord& one, const RunRecord& two, const std::string& name) {
  SCOPED_TRACE(name);
  EXPECT_EQ(two.result, one.result);
  EXPECT_EQ(two.done, one.done);
  EXPECT_TRUE(two.callsOnHostThread);
  EXPECT_EQ(two.calls, one.calls);
  EXPECT_EQ(two.views, one.views);
  EXPECT_EQ(two.boxes, one.boxes);
  EXPECT_EQ(two.suspendedCalls, one.suspendedCalls);
  EXPECT_EQ(FirstDifferentLine(two.results, one.results), "");
}

bool Suspended(const ViewRecord& v) { return v.Command1Caption == "&Continue"; }

TEST(WorkerThreads, TheSettingResolvesZeroAndBoundsOthers) {
  OstrelDesignCSA94_SetWorkerThreads(0);
  const unsigned hardware = std::thread::hardware_concurrency();
  EXPECT_EQ(OstrelDesignCSA94_GetWorkerThreads(),
            hardware == 0 ? 1 : static_cast<int32_t>(std::min(hardware, 64u)));
  OstrelDesignCSA94_SetWorkerThreads(-3);
  EXPECT_EQ(OstrelDesignCSA94_GetWorkerThreads(), 1);
  OstrelDesignCSA94_SetWorkerThreads(1000);
  EXPECT_EQ(OstrelDesignCSA94_GetWorkerThreads(), 64);
  OstrelDesignCSA94_SetWorkerThreads(3);
  EXPECT_EQ(clsDesignCSA94::GetWorkerThreads(), 3);
  clsDesignCSA94::SetWorkerThreads(1);
  EXPECT_EQ(OstrelDesignCSA94_GetWorkerThreads(), 1);
}

// Runs that a host cannot tell apart from the one-thread run in any way.
TEST(WorkerThreads, TwoWorkersShowTheHostTheOneThreadRun) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Scenario scenarios[] = {
      {"complete run", {}, {}},
      {"failed plate call in element 21",
       [](GoldenModel&, FakeAnalysis& f) { f.FailAt("GetPlateElementForces", 401, -1); },
       {}},
      {"plate call reporting status 1 late in the plate phase",
       [](GoldenModel&, FakeAnalysis& f) { f.FailAt("GetPlateElementForces", 480, 1); },
       {}},
      {"failed stiffener call in the shear round of element 24",
       [](GoldenModel&, FakeAnalysis& f) { f.FailAt("GetStiffenerElementForces", 895, -7); },
       {}},
      {"NaN moment of plate 25",
       [nan](GoldenModel&, FakeAnalysis& f) { f.SetPlateForces(25, 4, {0, 0, 0, nan, 0, 0}); },
       {}},
      {"host code raising floating-point flags in every fetch and pump",
       [](GoldenModel&, FakeAnalysis& f) { f->raiseFloatFaults = true; },
       [](const ViewRecord&, RunRecord&, size_t) {
         volatile double zero = 0.0;
         volatile double invalid = zero / zero;
         (void)invalid;
       }},
      {"cancel at stiffener 20",
       {},
       [](const ViewRecord& v, RunRecord&, size_t) {
         if (v.lblStatus == " stiffener design" && v.lblCounter == " 20/ 45") {
           ScriptedWindowHost::Click(2);
         }
       }},
      {"suspend at plate 15, cancel while suspended",
       {},
       [](const ViewRecord& v, RunRecord& r, size_t calls) {
         if (v.lblStatus == " plate design" && v.lblCounter == " 15/ 40" && !Suspended(v)) {
           ScriptedWindowHost::Click(1);
         } else if (Suspended(v)) {
           r.suspendedCalls.push_back(calls);
           ScriptedWindowHost::Click(2);
         }
       }},
  };
  std::vector<RunRecord> two;
  for (const Scenario& s : scenarios) {
    two.push_back(Record(MixedWall(), 2, s));
    ExpectSameRun(Record(MixedWall(), 1, s), two.back(), s.name);
  }

  // The scenarios stop where they are meant to.
  const RunRecord &complete = two[0], &status1 = two[2], &failedStiffener = two[3];
  EXPECT_EQ(complete.done, 1);
  EXPECT_TRUE(complete.boxes.empty());
  // The host's own arithmetic never stops the design.
  EXPECT_EQ(two[5].done, 1);
  EXPECT_EQ(two[5].results, complete.results);
  EXPECT_EQ(two[1].boxes, std::vector<std::string>{kPlatePhaseMessage});
  EXPECT_EQ(status1.done, 0);
  EXPECT_TRUE(status1.boxes.empty());  // status 1 stops the run silently
  EXPECT_EQ(status1.calls.back().rfind("GetPlateElementForces", 0), 0u);
  EXPECT_GT(std::count_if(complete.calls.begin(), complete.calls.end(),
                          [](const std::string& c) { return c.rfind("GetPlateElementForces", 0) == 0; }),
            480);
  EXPECT_EQ(failedStiffener.boxes, std::vector<std::string>{kStiffenerPhaseMessage});
  EXPECT_EQ(failedStiffener.calls.back(), "GetStiffenerElementForces 24 5");
  EXPECT_EQ(two[4].boxes, std::vector<std::string>{kPlatePhaseMessage});
  EXPECT_EQ(two[6].done, 0);  // cancelled
  EXPECT_TRUE(two[6].boxes.empty());
  EXPECT_EQ(two[6].calls.back().rfind("GetStiffenerElementForces 19 ", 0), 0u);
  EXPECT_EQ(two[7].done, 0);  // suspended, then cancelled
  EXPECT_EQ(two[7].suspendedCalls.size(), 1u);
}

// Suspending holds back every new element: while suspended no call is made;
// Continue finishes the run as if it had never been suspended.
TEST(WorkerThreads, SuspendHoldsNewWorkAndContinueFinishesTheSameRun) {
  const Scenario suspend{"suspend at stiffener 12 for five pumps", {},
                         [](const ViewRecord& v, RunRecord& r, size_t calls) {
                           if (v.lblStatus == " stiffener design" && v.lblCounter == " 12/ 45" &&
                               !Suspended(v) && r.suspendedCalls.empty()) {
                             ScriptedWindowHost::Click(1);
                           } else if (Suspended(v)) {
                             r.suspendedCalls.push_back(calls);
                             if (r.suspendedCalls.size() == 5) ScriptedWindowHost::Click(1);
                           }
                         }};
  const RunRecord one = Record(MixedWall(), 1, suspend);
  const RunRecord two = Record(MixedWall(), 2, suspend);
  ExpectSameRun(one, two, suspend.name);
  ASSERT_EQ(two.suspendedCalls.size(), 5u);
  EXPECT_EQ(two.suspendedCalls.front(), two.suspendedCalls.back());
  EXPECT_EQ(two.done, 1);
  EXPECT_EQ(FirstDifferentLine(two.results, Record(MixedWall(), 2, {}).results), "");
}

// An element whose arithmetic faults stops the run with exactly what the
// one-thread run stores and shows. The workers may have been handed the
// elements after it, so the calls made are the one-thread run's calls
// followed by at most those elements' calls.
TEST(WorkerThreads, AFaultInAnElementStopsWithTheOneThreadResults) {
  // This yield strain equals the crushing strain: a division by zero in the
  // flexure design of stiffener 30.
  const Scenario fault{"arithmetic fault in stiffener 30",
                       [](GoldenModel& m, FakeAnalysis&) {
                         m.stiffeners[29].fy = 229.376007f;
                         m.stiffeners[29].es = 65536.0f;
                       },
                       {}};
  const RunRecord one = Record(MixedWall(), 1, fault);
  const RunRecord two = Record(MixedWall(), 2, fault);
  EXPECT_EQ(one.boxes, std::vector<std::string>{kStiffenerPhaseMessage});
  EXPECT_EQ(one.views.back(), " stiffener design | 30/ 45 | Close");
  EXPECT_EQ(two.result, one.result);
  EXPECT_EQ(two.done, 0);
  EXPECT_EQ(two.boxes, one.boxes);
  EXPECT_EQ(FirstDifferentLine(two.results, one.results), "");
  EXPECT_EQ(two.views.back(), one.views.back());
  EXPECT_TRUE(two.callsOnHostThread);
  ASSERT_GE(two.calls.size(), one.calls.size());
  EXPECT_TRUE(std::equal(one.calls.begin(), one.calls.end(), two.calls.begin()));
  // At most 8 elements per worker ahead, each with 4 rounds of 10 combinations.
  EXPECT_LE(two.calls.size() - one.calls.size(), 2u * 8u * 4u * 10u);
}

// The design of a model, saved to a results file of its own.
std::string SavedDesign(const GoldenModel& model) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("ostrel-workers-" + std::to_string(getpid()) + ".bin"))
                               .string();
  std::filesystem::remove(path);
  std::thread host([&] {
    FakeAnalysis fake;
    LoadAnalysis(fake, model);
    fake.Register();
    clsDesignCSA94* obj = clsDesignCSA94_Create();
    std::vector<std::string> problems;
    SendModel(obj, model, problems);
    int32_t offset = 0;
    EXPECT_EQ(clsDesignCSA94_RunDesign(obj), 0);
    EXPECT_EQ(clsDesignCSA94_SaveResults(obj, path.c_str(), &offset), 0);
    clsDesignCSA94_Release(obj);
  });
  host.join();
  return path;
}

// A host that changes the model from its pump in the middle of the plate
// phase (it restores another design, or changes an element still to come):
// on one thread the elements before that pump were designed and stored on
// the model before the change, the elements after it on the changed model.
TEST(WorkerThreads, ModelChangesFromAPumpReachOnlyTheElementsAfterIt) {
  const std::vector<GoldenModel> models = BuildGoldenModels();
  const std::string saved = SavedDesign(models[1]);  // 40 plates and 45 stiffeners too
  auto atPlate20 = [](std::function<void(clsDesignCSA94*)> change) {
    return [change](const ViewRecord& v, RunRecord& r, size_t) {
      if (v.lblStatus == " plate design" && v.lblCounter == " 20/ 40" && r.suspendedCalls.empty()) {
        r.suspendedCalls.push_back(0);  // once
        clsDesignCSA94* o = clsDesignCSA94_Create();
        change(o);
        clsDesignCSA94_Release(o);
      }
    };
  };
  const PlateInput p = MixedWall().plates[29];
  const Scenario scenarios[] = {
      {"restore another design at plate 20", {}, atPlate20([&](clsDesignCSA94* o) {
         EXPECT_EQ(clsDesignCSA94_ReadResults(o, saved.c_str(), 1), 0);
       })},
      {"thicken plate 30 at plate 20", {}, atPlate20([&](clsDesignCSA94* o) {
         EXPECT_EQ(clsDesignCSA94_SetPlateElementProperties(
                       o, 30, p.thickness * 1.5f, p.fc, p.fy, p.es, p.minX, p.maxX, p.minY,
                       p.maxY, p.curtains, p.coverX, p.coverY),
                   0);
       })},
  };
  const RunRecord plain = Record(MixedWall(), 1, {});
  for (const Scenario& s : scenarios) {
    const RunRecord one = Record(MixedWall(), 1, s);
    ExpectSameRun(one, Record(MixedWall(), 2, s), s.name);
    EXPECT_NE(FirstDifferentLine(one.results, plain.results), "") << s.name;
  }
  std::filesystem::remove(saved);
}

}  // namespace
}  // namespace ostrel::golden
