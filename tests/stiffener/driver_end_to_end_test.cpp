// A wall of plates and stiffeners designed through the C interface, its
// stiffener results read back through the queries, saved to a file, cleared
// and read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "OstrelDesignCSA94.h"
#include "support/FakeAnalysis.h"
#include "support/MessageCapture.h"
#include "support/WindowHost.h"

namespace {

struct Shear {
  float v[10] = {};
  int16_t comboY = 0, comboZ = 0;
  uint8_t status = 99;
  bool operator==(const Shear&) const = default;
};

Shear QueryShear(clsDesignCSA94* obj, int32_t e) {
  Shear q;
  float* v = q.v;
  EXPECT_EQ(clsDesignCSA94_Get_Envelope_StiffernerShearRFT(obj, e, &v[0], &q.comboY, &v[1], &v[2],
                                                           &v[3], &v[4], &v[5], &q.comboZ, &v[6],
                                                           &v[7], &v[8], &v[9], &q.status),
            0);
  return q;
}

TEST(StiffenerEndToEnd, MixedWallThroughRunQueriesAndResultsFile) {
  ostrel::test::FakeAnalysis fake;
  fake.Register();
  ostrel::test::MessageCapture capture;
  clsDesignCSA94* obj = clsDesignCSA94_Create();
  ASSERT_EQ(clsDesignCSA94_SetUnits(obj, 1), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfNodes(obj, 2), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfLoadCombinations(obj, 3), 0);
  for (int16_t k = 1; k <= 3; ++k) ASSERT_EQ(clsDesignCSA94_SetComboType(obj, k, k > 1), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfPlateElements(obj, 2), 0);
  ASSERT_EQ(clsDesignCSA94_SetNumberOfStiffenerElements(obj, 2), 0);
  for (int32_t e = 1; e <= 2; ++e) {
    ASSERT_EQ(clsDesignCSA94_SetPlateElementProperties(obj, e, 200, 30, 400, 200000, 0.25f, 4,
                                                       0.25f, 4, 2, 40, 50),
              0);
    const float flange = e == 2 ? 500.0f : 0.0f;  // the second stiffener is flanged
    ASSERT_EQ(clsDesignCSA94_SetStiffenerElementProperties(obj, e, 0, 1, 400, 600, flange, 150,
                                                           flange, 150, 30, 2400, 400, 200000, 1,
                                                           4, 0, 50, 50, 40, 40, 0),
              0);
    fake.SetPlateForces(e, 2, {-200, -150, 10, 5, 8, 1});
    fake.SetStiffenerForces(e, 1, {0, 900, 900, 200, 50, 0}, {});
    fake.SetStiffenerForces(e, 2, {-100, 0, 150, 0, 10, 20}, {0, 0, 800, 0, 0, 0});
    fake.SetStiffenerForces(e, 3, {-50, 0, 20, 30, 5, 0}, {});
  }
  fake.SetDisplacement(1, 1, 0.5f, -0.2f, 0.1f);

  ostrel::test::ScriptedWindowHost host;
  ASSERT_EQ(clsDesignCSA94_RunDesign(obj), 0);
  uint8_t done = 0;
  ASSERT_EQ(clsDesignCSA94_DesignDone(obj, &done), 0);
  ASSERT_EQ(done, 1) << capture.last();
  EXPECT_TRUE(host.Saw([](const ostrel::test::ViewRecord& v) {
    return v.lblStatus == " stiffener design" && v.lblCounter == " 2/ 2";
  }));
  EXPECT_EQ(fake.CallCount("GetStiffenerElementForces"), 2 * 4 * 3);

  // Element 1: the 30 kN-m torsion of combination 3 governs; element 2 gets
  // nothing along y.
  const Shear s1 = QueryShear(obj, 1), s2 = QueryShear(obj, 2);
  EXPECT_EQ(s1.comboZ, 3);
  EXPECT_NEAR(s1.v[5], 2 * 311.91774f, 1e-3);
  EXPECT_FLOAT_EQ(s1.v[9], 210);
  EXPECT_EQ(s2.v[0], 0);
  EXPECT_EQ(s2.v[4], -1);
  float at = 0, al = 0, pu = 0, vu = 7, tu = 0, spacing = 0;
  int16_t combo = 0;
  uint8_t direction = 0, status = 99;
  ASSERT_EQ(clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(obj, 1, &at, &al, &combo, &pu, &vu,
                                                             &tu, &spacing, &direction, &status),
            0);
  EXPECT_EQ(al, 524.0217895507812f);
  EXPECT_EQ(combo, 3);
  EXPECT_EQ(status, 0);

  const std::string path =
      (std::filesystem::temp_directory_path() / "ostrel_stiffener_e2e_results.bin").string();
  std::remove(path.c_str());
  int32_t offset = 0;
  ASSERT_EQ(clsDesignCSA94_SaveResults(obj, path.c_str(), &offset), 0);
  EXPECT_EQ(std::filesystem::file_size(path), 7u + 60 * 2 + 66 * 2 + 168 * 2);
  ASSERT_EQ(clsDesignCSA94_ResetDesign(obj), 0);
  ASSERT_EQ(clsDesignCSA94_ReadResults(obj, path.c_str(), offset), 0);
  EXPECT_TRUE(QueryShear(obj, 1) == s1);
  EXPECT_TRUE(QueryShear(obj, 2) == s2);
  float alAgain = 0;
  ASSERT_EQ(clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(obj, 1, &at, &alAgain, &combo, &pu,
                                                             &vu, &tu, &spacing, &direction,
                                                             &status),
            0);
  EXPECT_EQ(alAgain, al);
  EXPECT_EQ(capture.count(), 0u);
  std::remove(path.c_str());
  clsDesignCSA94_Release(obj);
}

}  // namespace
