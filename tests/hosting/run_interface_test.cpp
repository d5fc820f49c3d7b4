// A host's session through the C interface: the model sent through one
// object and run through another, the envelope read, saved, reset and
// restored; and the interface's own guards against NULL.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

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
  bool operator==(const Envelope& o) const {
    return std::equal(f, f + 6, o.f) && std::equal(c, c + 6, o.c);
  }
};

uint8_t Query(clsDesignCSA94* obj, int32_t node, Envelope& e) {
  return clsDesignCSA94_Get_Envelope_Displacement(obj, node, &e.f[0], &e.c[0], &e.f[1], &e.c[1],
                                                  &e.f[2], &e.c[2], &e.f[3], &e.c[3], &e.f[4],
                                                  &e.c[4], &e.f[5], &e.c[5]);
}

TEST(RunInterface, DesignQuerySaveResetAndRestoreThroughTwoObjects) {
  ResetGlobalState();
  FakeAnalysis analysis;
  analysis.Register();
  MessageCapture boxes;
  clsDesignCSA94* a = clsDesignCSA94_Create();
  clsDesignCSA94* b = clsDesignCSA94_Create();
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("ostrel-run-interface-" + std::to_string(getpid())))
                               .string();
  std::remove(path.c_str());
  analysis.SetDisplacement(1, 2, 0.5f, -0.25f, 1.0f);
  analysis.SetDisplacement(1, 3, -0.5f, 0.75f, 1.0f);
  ASSERT_EQ(clsDesignCSA94_SetUnits(a, 0), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfNodes(a, 2), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(a, 3), 0);
  ASSERT_EQ(clsDesignCSA94_SetComboType(a, 1, 1), 0);
  {
    ScriptedWindowHost host;
    ASSERT_EQ(clsDesignCSA94_RunDesign(b), 0);
  }
  uint8_t done = 0;
  ASSERT_EQ(clsDesignCSA94_DesignDone(a, &done), 0);
  EXPECT_EQ(done, 1);
  Envelope e, restored;
  ASSERT_EQ(Query(a, 1, e), 0);  // x-, x+, y-, y+, z-, z+ with their combinations
  const Envelope expected{{-0.5f, 0.5f, -0.25f, 0.75f, 0.0f, 1.0f}, {3, 2, 2, 3, 2, 2}};
  EXPECT_TRUE(e == expected);

  int32_t offset = 0;
  ASSERT_EQ(clsDesignCSA94_SaveResults(a, path.c_str(), &offset), 0);
  EXPECT_EQ(offset, 1);
  ASSERT_EQ(clsDesignCSA94_ResetDesign(b), 0);
  EXPECT_EQ(Query(a, 1, restored), 1);
  EXPECT_EQ(boxes.texts(), std::vector<std::string>{
                               "clsWallDesign::Get_Envelope_Displacement: Design is not done"});
  ASSERT_EQ(clsDesignCSA94_ReadResults(b, path.c_str(), offset), 0);
  ASSERT_EQ(Query(a, 1, restored), 0);
  EXPECT_TRUE(restored == expected);

  // NULL objects and pointers are failed calls: no box, nothing written.
  float f = 0;
  int16_t i = 0;
  uint8_t u = 0;
  EXPECT_EQ(clsDesignCSA94_RunDesign(nullptr), 1);
  EXPECT_EQ(clsDesignCSA94_DesignDone(a, nullptr), 1);
  EXPECT_EQ(
      clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(a, 1, &f, &f, &f, &f, &f, &f, &u, nullptr),
      1);
  EXPECT_EQ(clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(nullptr, 1, &f, &f, &i, &f, &f, &f, &f,
                                                             &u, &u),
            1);
  EXPECT_EQ(clsDesignCSA94_SaveResults(a, nullptr, &offset), 1);
  EXPECT_EQ(clsDesignCSA94_SaveResults(a, path.c_str(), nullptr), 1);
  EXPECT_EQ(clsDesignCSA94_ReadResults(a, nullptr, 1), 1);
  EXPECT_EQ(offset, 1);
  EXPECT_EQ(boxes.count(), 1u);
  clsDesignCSA94_Release(a);
  clsDesignCSA94_Release(b);
  std::remove(path.c_str());
  ResetGlobalState();
}

}  // namespace
}  // namespace ostrel::test
