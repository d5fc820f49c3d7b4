// Element designs on worker threads: whatever happens in a run (it completes,
// an analysis-results call fails, an element's arithmetic faults, the user
// suspends or cancels, the host changes the model from its pump), the host
// sees the run on one thread: the same calls of its analysis-results class,
// all on its own thread and in the same order, the same views at the same
// pumps, the same messages and the same stored results, bit for bit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <thread>

#include "OstrelDesignCSA94.hpp"
#include "golden/GoldenModels.h"
#include "support/MessageCapture.h"
#include "support/StoredResults.h"
#include "support/WindowHost.h"

// The scenarios name the members they set; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace ostrel::golden {
namespace {

using test::FakeAnalysis;
using test::ScriptedWindowHost;
using test::ViewRecord;

const std::string kPlateMessage =
    "modDesign::WallDesign- unexpected error during Calculating plate element reinforcement";
const std::string kStiffenerMessage =
    "modDesign::WallDesign- unexpected error during Calculating stiffener element reinforcement";

// What a host observes of one run.
struct RunRecord {
  uint8_t result = 9, done = 9;
  std::vector<std::string> calls;  // "operation item combination"
  bool callsOnHostThread = true;
  std::vector<std::string> views;  // phase | counter | Command1 at every pump
  std::vector<std::string> boxes;
  std::vector<size_t> suspendedCalls;  // calls made so far, at each suspended pump
  std::string results;                 // every stored result after the run
};

struct Scenario {
  std::string name;
  std::function<void(GoldenModel&, FakeAnalysis&)> change;
  std::function<void(const ViewRecord&, RunRecord&, size_t calls)> script;
  // What the run must show on one thread; empty: completes without a message.
  std::vector<std::string> boxes;
  uint8_t done = 1;
  std::string lastCall;  // the start of the last call, "" not checked
};

// Designs the mixed wall (40 plates, 45 stiffeners) on a thread of its own
// (a fresh model there) with the given number of workers.
RunRecord Record(int32_t workers, const Scenario& scenario) {
  OstrelDesignCSA94_SetWorkerThreads(workers);
  RunRecord r;
  std::thread([&] {
    GoldenModel model = BuildGoldenModels().front();
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
    EXPECT_EQ(problems, std::vector<std::string>{});
    r.result = clsDesignCSA94_RunDesign(obj);
    clsDesignCSA94_DesignDone(obj, &r.done);
    for (const FakeAnalysis::Call& c : fake->calls) {
      r.calls.push_back(c.op + " " + std::to_string(c.item) + " " + std::to_string(c.combo));
      r.callsOnHostThread = r.callsOnHostThread && c.thread == std::this_thread::get_id();
    }
    r.boxes = boxes.texts();
    r.results = test::StoredResults();
    clsDesignCSA94_Release(obj);
  }).join();
  OstrelDesignCSA94_SetWorkerThreads(1);
  return r;
}

bool Suspended(const ViewRecord& v) { return v.Command1Caption == "&Continue"; }

// A script step at one counter of one phase, once.
auto At(const char* phase, const char* counter, std::function<void(RunRecord&)> act) {
  return [=](const ViewRecord& v, RunRecord& r, size_t calls) {
    if (v.lblStatus == phase && v.lblCounter == counter && !Suspended(v) &&
        r.suspendedCalls.empty()) {
      r.suspendedCalls.push_back(calls);
      act(r);
    } else if (Suspended(v)) {
      r.suspendedCalls.push_back(calls);
      act(r);
    }
  };
}

void ExpectSameRun(const Scenario& s, const RunRecord& one, const RunRecord& two) {
  SCOPED_TRACE(s.name);
  EXPECT_EQ(one.boxes, s.boxes);
  EXPECT_EQ(one.done, s.done);
  if (!s.lastCall.empty()) {
    EXPECT_EQ(one.calls.back().rfind(s.lastCall, 0), 0u) << one.calls.back();
  }
  EXPECT_EQ(two.result, one.result);
  EXPECT_EQ(two.done, one.done);
  EXPECT_TRUE(two.callsOnHostThread);
  EXPECT_EQ(two.views, one.views);
  EXPECT_EQ(two.boxes, one.boxes);
  EXPECT_EQ(two.suspendedCalls, one.suspendedCalls);
  EXPECT_TRUE(two.results == one.results);
  EXPECT_EQ(two.calls, one.calls);
}

TEST(WorkerThreads, TheSettingResolvesZeroAndBoundsOthers) {
  const unsigned hardware = std::thread::hardware_concurrency();
  const int32_t cases[][2] = {{0, hardware == 0 ? 1 : int32_t(std::min(hardware, 64u))},
                              {-3, 1}, {1000, 64}, {64, 64}, {3, 3}, {1, 1}};
  for (const auto& c : cases) {
    clsDesignCSA94::SetWorkerThreads(c[0]);
    EXPECT_EQ(OstrelDesignCSA94_GetWorkerThreads(), c[1]) << c[0];
  }
}

// Runs that a host cannot tell apart from the one-thread run in any way.
TEST(WorkerThreads, TwoWorkersShowTheHostTheOneThreadRun) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::string saved = (std::filesystem::temp_directory_path() /
                             ("ostrel-workers-" + std::to_string(getpid()) + ".bin"))
                                .string();
  std::filesystem::remove(saved);
  std::thread([&] {  // the second golden model's design, saved to a file of its own
    const GoldenModel other = BuildGoldenModels()[1];
    FakeAnalysis fake;
    LoadAnalysis(fake, other);
    fake.Register();
    clsDesignCSA94* obj = clsDesignCSA94_Create();
    std::vector<std::string> problems;
    SendModel(obj, other, problems);
    int32_t offset = 0;
    EXPECT_EQ(
        clsDesignCSA94_RunDesign(obj) + clsDesignCSA94_SaveResults(obj, saved.c_str(), &offset), 0);
    clsDesignCSA94_Release(obj);
  }).join();
  auto fail = [](const char* op, int nth, int32_t value) {
    return [=](GoldenModel&, FakeAnalysis& f) { f.FailAt(op, nth, value); };
  };
  auto atPlate20 = [](std::function<void(clsDesignCSA94*)> change) {
    return At(" plate design", " 20/ 40", [change](RunRecord& r) {
      if (r.suspendedCalls.size() > 1) return;
      clsDesignCSA94* o = clsDesignCSA94_Create();
      change(o);
      clsDesignCSA94_Release(o);
    });
  };
  const golden::PlateInput p = BuildGoldenModels().front().plates[29];
  const Scenario scenarios[] = {
      {.name = "complete run"},
      {.name = "failed plate call in element 28",
       .change = fail("GetPlateElementForces", 401, -1),
       .boxes = {kPlateMessage}, .done = 0, .lastCall = "GetPlateElementForces 28 "},
      {.name = "plate call reporting status 1 late in the plate phase",
       .change = fail("GetPlateElementForces", 480, 1), .done = 0,
       .lastCall = "GetPlateElementForces"},
      {.name = "failed stiffener call in the shear round of element 24",
       .change = fail("GetStiffenerElementForces", 895, -7), .boxes = {kStiffenerMessage},
       .done = 0, .lastCall = "GetStiffenerElementForces 24 5"},
      {.name = "NaN moment of plate 25",
       .change = [nan](GoldenModel&,
                       FakeAnalysis& f) { f->plateForces[{25, 4}] = {0, 0, 0, nan, 0, 0}; },
       .boxes = {kPlateMessage}, .done = 0, .lastCall = "GetPlateElementForces 25 "},
      {.name = "host code raising floating-point flags in every fetch and pump",
       .change = [](GoldenModel&, FakeAnalysis& f) { f->raiseFloatFaults = true; },
       .script =
           [](const ViewRecord&, RunRecord&, size_t) {
             volatile double zero = 0.0;
             volatile double invalid = zero / zero;
             (void)invalid;
           }},
      {.name = "cancel at stiffener 20",
       .script = At(" stiffener design", " 20/ 45",
                    [](RunRecord&) { ScriptedWindowHost::Click(2); }),
       .done = 0, .lastCall = "GetStiffenerElementForces 19 "},
      {.name = "suspend at plate 15, cancel while suspended",
       .script = At(" plate design", " 15/ 40",
                    [](RunRecord& r) {
                      ScriptedWindowHost::Click(r.suspendedCalls.size() == 1 ? 1 : 2);
                    }),
       .done = 0},
      // Suspending holds back every new element (no call while suspended);
      // Continue finishes the run as if it had never been suspended.
      {.name = "suspend at stiffener 12 for four pumps",
       .script = At(" stiffener design", " 12/ 45",
                    [](RunRecord& r) {
                      const size_t n = r.suspendedCalls.size();
                      if (n == 1 || n == 5) ScriptedWindowHost::Click(1);
                      if (n > 1) {
                        EXPECT_EQ(r.suspendedCalls[n - 1], r.suspendedCalls[n - 2]);
                      }
                    })},
      // The host changes the model from its pump: the elements before that
      // pump were designed on the model before, the elements after it on the
      // changed model.
      {.name = "restore another design at plate 20",
       .script = atPlate20([&](clsDesignCSA94* o) {
         EXPECT_EQ(clsDesignCSA94_ReadResults(o, saved.c_str(), 1), 0);
       })},
      {.name = "thicken plate 30 at plate 20",
       .script = atPlate20([&](clsDesignCSA94* o) {
         EXPECT_EQ(clsDesignCSA94_SetPlateElementProperties(
                       o, 30, p.thickness * 1.5f, p.fc, p.fy, p.es, p.minX, p.maxX, p.minY,
                       p.maxY, p.curtains, p.coverX, p.coverY),
                   0);
       })},
  };
  const RunRecord plain = Record(1, scenarios[0]);
  for (const Scenario& s : scenarios) {
    const RunRecord one = Record(1, s);
    ExpectSameRun(s, one, Record(2, s));
    // A run that completes stores the plain run's results unless the host
    // changed the model.
    const bool changed = s.name.find("at plate 20") != std::string::npos;
    if (one.done == 1) {
      EXPECT_EQ(one.results == plain.results, !changed) << s.name;
    }
  }
  std::filesystem::remove(saved);
}

// An element whose arithmetic faults stops the run with exactly what the
// one-thread run stores and shows. The workers may have been handed the
// elements after it, so the calls made are the one-thread run's calls
// followed by at most those elements' calls.
TEST(WorkerThreads, AFaultInAnElementStopsWithTheOneThreadResults) {
  // This yield strain equals the crushing strain: a division by zero in the
  // flexure design of stiffener 30.
  const Scenario fault{.name = "arithmetic fault in stiffener 30",
                       .change = [](GoldenModel& m, FakeAnalysis&) {
                         m.stiffeners[29].fy = 229.376007f;
                         m.stiffeners[29].es = 65536.0f;
                       }};
  const RunRecord one = Record(1, fault);
  const RunRecord two = Record(2, fault);
  EXPECT_EQ(one.boxes, std::vector<std::string>{kStiffenerMessage});
  EXPECT_EQ(one.views.back(), " stiffener design | 30/ 45 | Close");
  EXPECT_EQ(two.result, one.result);
  EXPECT_EQ(two.done, 0);
  EXPECT_EQ(two.boxes, one.boxes);
  EXPECT_TRUE(two.results == one.results);
  EXPECT_EQ(two.views.back(), one.views.back());
  EXPECT_TRUE(two.callsOnHostThread);
  ASSERT_GE(two.calls.size(), one.calls.size());
  EXPECT_TRUE(std::equal(one.calls.begin(), one.calls.end(), two.calls.begin()));
  // At most 8 elements per worker ahead, each with 4 rounds of 10 combinations.
  EXPECT_LE(two.calls.size() - one.calls.size(), 2u * 8u * 4u * 10u);
}

}  // namespace
}  // namespace ostrel::golden
