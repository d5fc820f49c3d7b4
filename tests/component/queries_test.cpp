// The result queries: refusals in their order with their exact messages,
// the field behind each output, narrowing, and the summary stirrup spacing.
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

TEST_F(Queries, OutputsComeFromTheirFieldsInArgumentOrder) {
  HoldDesign(2, 2, 2);
  ReleaseModelInput();  // the curtain count stays readable
  const typNode& n = Global().Node;
  const typPlateElement& p = Global().PlateElement;
  const typStiffenerElement& s = Global().StiffenerElement;
  using F = std::vector<float>;
  using I = std::vector<int>;
  auto floats = [](const Out& o, int count) { return F(o.f, o.f + count); };
  auto ints = [](const Out& o, int count) { return I(o.i, o.i + count); };
  auto bytes = [](const Out& o, int count) { return I(o.b, o.b + count); };
  Out o[6];
  for (int k = 0; k < 6; ++k) ASSERT_EQ(Query(d_, k, 2, o[k]), 0) << k;
  EXPECT_EQ(floats(o[0], 6),
            (F{float(n.f_Dx_Negative(2)), float(n.f_Dx_Positive(2)), float(n.f_Dy_Negative(2)),
               float(n.f_Dy_Positive(2)), float(n.f_Dz_Negative(2)), float(n.f_Dz_Positive(2))}));
  EXPECT_EQ(ints(o[0], 6), (I{n.i_Dx_Neg_combo(2), n.i_Dx_Pos_combo(2), n.i_Dy_Neg_combo(2),
                              n.i_Dy_Pos_combo(2), n.i_Dz_Neg_combo(2), n.i_Dz_Pos_combo(2)}));
  EXPECT_EQ(floats(o[1], 8), (F{float(p.f_AreaOfSteel_x(2)), p.f_RatioOfSteel_x(2),
                                float(p.f_Mu_x(2)), float(p.f_Pu_x(2)), float(p.f_AreaOfSteel_y(2)),
                                p.f_RatioOfSteel_y(2), float(p.f_Mu_y(2)), float(p.f_Pu_y(2))}));
  EXPECT_EQ(ints(o[1], 2), (I{p.i_DesignComboIndex_x(2), p.i_DesignComboIndex_y(2)}));
  EXPECT_EQ(bytes(o[1], 3), (I{p.bt_NumCurtains(2), p.bt_DesignStatus_x(2), p.bt_DesignStatus_y(2)}));
  EXPECT_EQ(floats(o[2], 5), (F{float(s.f_As(2)), s.f_RatioOfSteel(2), float(s.f_Muy(2)),
                                float(s.f_Muz(2)), float(s.f_Pu_flex(2))}));
  EXPECT_EQ(ints(o[2], 1), (I{s.i_DesignComboIndex_flex(2)}));
  EXPECT_EQ(bytes(o[2], 1), (I{s.bt_DesignStatus_flex(2)}));
  EXPECT_EQ(floats(o[3], 10),
            (F{float(s.f_AvOverS_y(2)), float(s.f_Pu_y(2)), float(s.f_Vu_y(2)), float(s.f_Tu_y(2)),
               float(s.f_Spacing_y(2)), float(s.f_AvOverS_z(2)), float(s.f_Pu_z(2)),
               float(s.f_Vu_z(2)), float(s.f_Tu_z(2)), float(s.f_Spacing_z(2))}));
  EXPECT_EQ(ints(o[3], 2), (I{s.i_DesignComboIndex_y(2), s.i_DesignComboIndex_z(2)}));
  EXPECT_EQ(bytes(o[3], 1), (I{s.bt_DesignStatus_Shear(2)}));
  // Torsion: no shear of its own (0) and shear direction 2.
  EXPECT_EQ(floats(o[4], 6), (F{float(s.f_AtOverS(2)), float(s.f_Al(2)), float(s.f_Pu_tor(2)), 0.0f,
                                float(s.f_Tu_tor(2)), float(s.f_Spacing_tor(2))}));
  EXPECT_EQ(ints(o[4], 1), (I{s.i_DesignComboIndex_tor(2)}));
  EXPECT_EQ(bytes(o[4], 2), (I{2, s.bt_DesignStatus_Shear(2)}));
  EXPECT_EQ(floats(o[5], 6),
            (F{float(s.f_As(2)), float(s.f_Al(2)), float(s.f_AvOverS_y(2)), float(s.f_AvOverS_z(2)),
               float(s.f_AtOverS(2)), float(s.f_Spacing_y(2))}));
  EXPECT_EQ(bytes(o[5], 2), (I{s.bt_DesignStatus_flex(2), s.bt_DesignStatus_Shear(2)}));
  EXPECT_EQ(boxes_.count(), 0u);
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
