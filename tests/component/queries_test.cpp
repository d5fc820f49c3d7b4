// The result queries: refusals in their order with their exact messages,
// narrowing, and the summary stirrup spacing. (Which field each output
// shows is pinned by the golden results, which hold every query's outputs.)
#include <gtest/gtest.h>

#include "OstrelDesignCSA94.hpp"
#include "support/HeldDesign.h"
#include "support/MessageCapture.h"

namespace ostrel::test {
namespace {

// The outputs of one query in argument order, by type; untouched entries keep 77.
struct Out {
  float f[12];
  int16_t i[6];
  uint8_t b[3];
  Out() { std::fill(f, f + 12, 77.0f), std::fill(i, i + 6, 77), std::fill(b, b + 3, 77); }
};

// Query k (0 displacement, 1 plate, 2-5 stiffener flexure, shear, torsion, summary).
uint8_t Query(clsDesignCSA94& d, int k, int32_t n, Out& o) {
  float* f = o.f;
  int16_t* i = o.i;
  uint8_t* b = o.b;
  switch (k) {
    case 0:
      return d.Get_Envelope_Displacement(n, f[0], i[0], f[1], i[1], f[2], i[2], f[3], i[3], f[4],
                                         i[4], f[5], i[5]);
    case 1:
      return d.Get_Envelope_PlateFlexureRFT(n, b[0], f[0], f[1], f[2], f[3], i[0], b[1], f[4], f[5],
                                            f[6], f[7], i[1], b[2]);
    case 2:
      return d.Get_Envelope_StiffernerFlexureRFT(n, f[0], f[1], i[0], f[2], f[3], f[4], b[0]);
    case 3:
      return d.Get_Envelope_StiffernerShearRFT(n, f[0], i[0], f[1], f[2], f[3], f[4], f[5], i[1],
                                               f[6], f[7], f[8], f[9], b[0]);
    case 4:
      return d.Get_Envelope_StiffernerTorsionRFT(n, f[0], f[1], i[0], f[2], f[3], f[4], f[5], b[0],
                                                 b[1]);
    default:
      return d.Get_Envelope_StiffernerRFTSummary(n, f[0], f[1], f[2], f[3], f[4], f[5], b[0], b[1]);
  }
}

const char* const kNames[] = {
    "Get_Envelope_Displacement",         "Get_Envelope_PlateFlexureRFT",
    "Get_Envelope_StiffernerFlexureRFT", "Get_Envelope_StiffernerShearRFT",
    "Get_Envelope_StiffernerTorsionRFT", "Get_Envelope_StiffernerRFTSummary"};

class Queries : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobalState(); }
  void TearDown() override { ResetGlobalState(); }
  // Every query for number n must refuse with the message made by `text`.
  template <class Text>
  void ExpectRefused(int32_t n, Text text) {
    for (int k = 0; k < 6; ++k) {
      Out o;
      EXPECT_EQ(Query(d_, k, n, o), 1) << k;
      EXPECT_EQ(boxes_.last(), text(k)) << k;
      EXPECT_TRUE(o.f[0] == 77.0f && o.i[0] == 77 && o.b[0] == 77) << k;  // nothing written
    }
  }
  clsDesignCSA94 d_;
  MessageCapture boxes_;
};

TEST_F(Queries, RefuseWhenNotDoneThenOutsideTheCountThenOnMissingResults) {
  auto notDone = [](int k) {
    return k == 0 ? "clsWallDesign::Get_Envelope_Displacement: Design is not done"
                  : "Design is not done";
  };
  ExpectRefused(1, notDone);
  HoldDesign(2, 2, 2);
  for (int32_t bad : {0, 3}) {
    ExpectRefused(bad, [](int k) {
      return "clsWallDesign::" + std::string(kNames[k]) +
             (k == 0 ? ": Node number is out of range" : ": element number is out of range");
    });
  }
  Global().i_NumNodes = Global().i_NumPlateElements = Global().i_NumStiffenerElements = 3;
  ExpectRefused(
      3, [](int k) { return "clsWallDesign::" + std::string(kNames[k]) + ": Unexpected error"; });
  ASSERT_EQ(d_.ResetDesign(), 0);
  ExpectRefused(1, notDone);
}

TEST_F(Queries, SummarySpacingTakesTheSmallestPositiveCandidate) {
  HoldDesign(1, 0, 1);
  const double cases[][4] = {// y, z, torsion, expected
                             {150, 100, 0, 100}, {-1, 200, 120, 120}, {0, 200, 120, 0},
                             {0, -5, 120, 0},    {-1, -2, -3, -1},    {90, 120, 100, 90},
                             {-1, 1e-50, 70, 0}};  // 1e-50 is above 0, and narrows to 0
  for (const auto& c : cases) {
    typStiffenerElement& s = Global().StiffenerElement;
    s.f_Spacing_y(1) = c[0], s.f_Spacing_z(1) = c[1], s.f_Spacing_tor(1) = c[2];
    Out o;
    ASSERT_EQ(Query(d_, 5, 1, o), 0);
    EXPECT_EQ(o.f[5], float(c[3])) << c[0] << " " << c[1] << " " << c[2];
  }
}

TEST_F(Queries, ValuesBeyondTheInterfaceTypesFailWithoutOutput) {
  HoldDesign(1, 1, 1);
  Global().PlateElement.f_Mu_y(1) = 1e39;
  Global().StiffenerElement.bt_DesignStatus_flex(1) = 256;
  Global().StiffenerElement.f_Spacing_tor(1) = -1e300;  // narrowed even though not taken
  for (int k : {1, 2, 5}) {
    Out o;
    EXPECT_EQ(Query(d_, k, 1, o), 1);
    EXPECT_EQ(boxes_.last(), "clsWallDesign::" + std::string(kNames[k]) + ": Unexpected error");
    EXPECT_TRUE(o.f[0] == 77.0f && o.b[0] == 77) << k;
  }
}

}  // namespace
}  // namespace ostrel::test
