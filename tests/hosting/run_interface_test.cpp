// A host's whole session through the C interface: registering the analysis
// results and a window host, sending a model through one object, running it
// through another, reading the envelope, saving it to a project file and
// restoring it after a reset; and the interface's own guards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "OstrelDesignCSA94.h"
#include "component/modGlobal.h"
#include "support/FakeAnalysis.h"
#include "support/MessageCapture.h"
#include "support/WindowHost.h"

namespace ostrel::test {
namespace {

struct Envelope {
  float f[6] = {};
  int16_t c[6] = {};
};

uint8_t Query(clsDesignCSA94* obj, int32_t node, Envelope& e) {
  return clsDesignCSA94_Get_Envelope_Displacement(obj, node, &e.f[0], &e.c[0], &e.f[1], &e.c[1],
                                                  &e.f[2], &e.c[2], &e.f[3], &e.c[3], &e.f[4],
                                                  &e.c[4], &e.f[5], &e.c[5]);
}

class RunInterface : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    analysis_.Register();
    a_ = clsDesignCSA94_Create();
    b_ = clsDesignCSA94_Create();
    ASSERT_NE(a_, nullptr);
    ASSERT_NE(b_, nullptr);
    path_ = (std::filesystem::temp_directory_path() /
             ("ostrel-run-interface-" + std::to_string(getpid()) + ".bin"))
                .string();
    std::remove(path_.c_str());
  }
  void TearDown() override {
    clsDesignCSA94_Release(a_);
    clsDesignCSA94_Release(b_);
    std::remove(path_.c_str());
    ResetGlobalState();
  }

  // Two nodes; combination 1 ultimate, 2 and 3 service.
  void SendModel(clsDesignCSA94* obj) {
    ASSERT_EQ(clsDesignCSA94_SetUnits(obj, 0), 0);
    ASSERT_EQ(clsDesignCSA94_SetNumberOfNodes(obj, 2), 0);
    ASSERT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(obj, 3), 0);
    ASSERT_EQ(clsDesignCSA94_SetComboType(obj, 1, 1), 0);
  }

  FakeAnalysis analysis_;
  MessageCapture boxes_;
  clsDesignCSA94* a_ = nullptr;
  clsDesignCSA94* b_ = nullptr;
  std::string path_;
};

TEST_F(RunInterface, DesignQuerySaveResetAndRestore) {
  analysis_.SetDisplacement(1, 2, 0.5f, -0.25f, 1.0f);
  analysis_.SetDisplacement(1, 3, -0.5f, 0.75f, 1.0f);
  analysis_.SetDisplacement(2, 3, 2.0f, 0.0f, -3.0f);
  analysis_.SetDisplacement(2, 1, 100.0f, 100.0f, 100.0f);  // ultimate
  SendModel(a_);
  ScriptedWindowHost host;
  ASSERT_EQ(clsDesignCSA94_RunDesign(b_), 0);
  EXPECT_EQ(host.last().Command1Caption, "&Close");
  uint8_t done = 0;
  ASSERT_EQ(clsDesignCSA94_DesignDone(a_, &done), 0);
  EXPECT_EQ(done, 1);

  Envelope e;
  ASSERT_EQ(Query(a_, 1, e), 0);
  // Argument order: x negative, x positive, y negative, ... each with its combination.
  EXPECT_EQ(e.f[0], -0.5f);
  EXPECT_EQ(e.c[0], 3);
  EXPECT_EQ(e.f[1], 0.5f);
  EXPECT_EQ(e.c[1], 2);
  EXPECT_EQ(e.f[2], -0.25f);
  EXPECT_EQ(e.c[2], 2);
  EXPECT_EQ(e.f[3], 0.75f);
  EXPECT_EQ(e.c[3], 3);
  EXPECT_EQ(e.f[4], 0.0f);
  EXPECT_EQ(e.c[4], 2);
  EXPECT_EQ(e.f[5], 1.0f);
  EXPECT_EQ(e.c[5], 2);
  Envelope node2;
  ASSERT_EQ(Query(b_, 2, node2), 0);
  EXPECT_EQ(node2.f[1], 2.0f);
  EXPECT_EQ(node2.f[4], -3.0f);

  int32_t offset = 0;
  ASSERT_EQ(clsDesignCSA94_SaveResults(a_, path_.c_str(), &offset), 0);
  EXPECT_EQ(offset, 1);
  ASSERT_EQ(clsDesignCSA94_ResetDesign(b_), 0);
  Envelope refused;
  EXPECT_EQ(Query(a_, 1, refused), 1);
  EXPECT_EQ(boxes_.last(), "clsWallDesign::Get_Envelope_Displacement: Design is not done");

  ASSERT_EQ(clsDesignCSA94_ReadResults(b_, path_.c_str(), offset), 0);
  ASSERT_EQ(clsDesignCSA94_DesignDone(a_, &done), 0);
  EXPECT_EQ(done, 1);
  Envelope restored;
  ASSERT_EQ(Query(a_, 1, restored), 0);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(restored.f[k], e.f[k]) << k;
    EXPECT_EQ(restored.c[k], e.c[k]) << k;
  }
  EXPECT_EQ(boxes_.count(), 1u);
}

TEST_F(RunInterface, CancelFromTheWindowHostLeavesNoDesign) {
  SendModel(a_);
  ScriptedWindowHost host([](ScriptedWindowHost&, const ViewRecord& v) {
    if (v.lblStatus == " displacement envelope") OstrelDesignCSA94_ClickButton(2);
  });
  ASSERT_EQ(clsDesignCSA94_RunDesign(a_), 0);
  uint8_t done = 9;
  ASSERT_EQ(clsDesignCSA94_DesignDone(a_, &done), 0);
  EXPECT_EQ(done, 0);
  EXPECT_EQ(analysis_.CallCount("GetNodeDisplacement"), 0);
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(RunInterface, NullPointersAndObjectsAreFailedCalls) {
  float f = 0;
  int16_t i = 0;
  uint8_t b = 0;
  EXPECT_EQ(clsDesignCSA94_RunDesign(nullptr), 1);
  EXPECT_EQ(clsDesignCSA94_Get_Envelope_Displacement(a_, 1, &f, &i, &f, &i, &f, &i, &f, &i, &f,
                                                     &i, &f, nullptr),
            1);
  EXPECT_EQ(clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(a_, 1, &f, &f, &f, &f, &f, &f, &b,
                                                             nullptr),
            1);
  EXPECT_EQ(clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(nullptr, 1, &f, &f, &i, &f, &f, &f,
                                                             &f, &b, &b),
            1);
  int32_t offset = 5;
  EXPECT_EQ(clsDesignCSA94_SaveResults(a_, nullptr, &offset), 1);
  EXPECT_EQ(clsDesignCSA94_SaveResults(a_, path_.c_str(), nullptr), 1);
  EXPECT_EQ(clsDesignCSA94_ReadResults(a_, nullptr, 1), 1);
  EXPECT_EQ(offset, 5);
  // Refused at the interface: no message box, and nothing written to disk.
  EXPECT_EQ(boxes_.count(), 0u);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

}  // namespace
}  // namespace ostrel::test
