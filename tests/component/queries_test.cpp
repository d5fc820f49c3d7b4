// The result queries: refusals in their order with their exact messages,
// the field behind each output, narrowing, and the summary stirrup spacing.
#include <gtest/gtest.h>

#include "OstrelDesignCSA94.hpp"
#include "support/HeldDesign.h"
#include "support/MessageCapture.h"
#include "support/Queries.h"

namespace ostrel::test {
namespace {

class Queries : public ::testing::Test {
 protected:
  void SetUp() override { ResetGlobalState(); }
  void TearDown() override { ResetGlobalState(); }
  // Every query for number n refuses with the message made by `text`, and
  // writes nothing.
  template <class Text>
  void ExpectRefused(int32_t n, Text text) {
    for (int k = 0; k < 6; ++k) {
      QueryOut o;
      EXPECT_EQ(Query(&d_, k, n, o), 1) << k;
      EXPECT_EQ(boxes_.last(), text("clsWallDesign::" + std::string(kQueryNames[k]), k)) << k;
      EXPECT_TRUE(o.f[0] == 77.0f && o.i[0] == 77 && o.b[0] == 77) << k;
    }
  }
  clsDesignCSA94 d_;
  MessageCapture boxes_;
};

TEST_F(Queries, RefuseWhenNotDoneThenOutsideTheCountThenOnMissingResults) {
  auto notDone = [](const std::string& name, int k) {
    return k == 0 ? name + ": Design is not done" : "Design is not done";
  };
  ExpectRefused(1, notDone);
  HoldDesign(2, 2, 2);
  for (int32_t bad : {0, 3}) {
    ExpectRefused(bad, [](const std::string& name, int k) {
      return name + (k == 0 ? ": Node number is out of range" : ": element number is out of range");
    });
  }
  Global().i_NumNodes = Global().i_NumPlateElements = Global().i_NumStiffenerElements = 3;
  ExpectRefused(3, [](const std::string& name, int) { return name + ": Unexpected error"; });
  ASSERT_EQ(d_.ResetDesign(), 0);
  ExpectRefused(1, notDone);
}

TEST_F(Queries, OutputsComeFromTheirFieldsInArgumentOrder) {
  HoldDesign(2, 2, 2);
  ReleaseModelInput();  // the curtain count stays readable
  const typNode& n = Global().Node;
  const typPlateElement& p = Global().PlateElement;
  const typStiffenerElement& s = Global().StiffenerElement;
  // The expected outputs of each query, by type in argument order.
  using V = std::vector<double>;
  const V expected[6][3] = {
      {{n.f_Dx_Negative(2), n.f_Dx_Positive(2), n.f_Dy_Negative(2), n.f_Dy_Positive(2),
        n.f_Dz_Negative(2), n.f_Dz_Positive(2)},
       {double(n.i_Dx_Neg_combo(2)), double(n.i_Dx_Pos_combo(2)), double(n.i_Dy_Neg_combo(2)),
        double(n.i_Dy_Pos_combo(2)), double(n.i_Dz_Neg_combo(2)), double(n.i_Dz_Pos_combo(2))},
       {}},
      {{p.f_AreaOfSteel_x(2), p.f_RatioOfSteel_x(2), p.f_Mu_x(2), p.f_Pu_x(2), p.f_AreaOfSteel_y(2),
        p.f_RatioOfSteel_y(2), p.f_Mu_y(2), p.f_Pu_y(2)},
       {double(p.i_DesignComboIndex_x(2)), double(p.i_DesignComboIndex_y(2))},
       {double(p.bt_NumCurtains(2)), double(p.bt_DesignStatus_x(2)), double(p.bt_DesignStatus_y(2))}},
      {{s.f_As(2), s.f_RatioOfSteel(2), s.f_Muy(2), s.f_Muz(2), s.f_Pu_flex(2)},
       {double(s.i_DesignComboIndex_flex(2))},
       {double(s.bt_DesignStatus_flex(2))}},
      {{s.f_AvOverS_y(2), s.f_Pu_y(2), s.f_Vu_y(2), s.f_Tu_y(2), s.f_Spacing_y(2), s.f_AvOverS_z(2),
        s.f_Pu_z(2), s.f_Vu_z(2), s.f_Tu_z(2), s.f_Spacing_z(2)},
       {double(s.i_DesignComboIndex_y(2)), double(s.i_DesignComboIndex_z(2))},
       {double(s.bt_DesignStatus_Shear(2))}},
      // Torsion: no shear of its own (0) and shear direction 2.
      {{s.f_AtOverS(2), s.f_Al(2), s.f_Pu_tor(2), 0, s.f_Tu_tor(2), s.f_Spacing_tor(2)},
       {double(s.i_DesignComboIndex_tor(2))},
       {2, double(s.bt_DesignStatus_Shear(2))}},
      {{s.f_As(2), s.f_Al(2), s.f_AvOverS_y(2), s.f_AvOverS_z(2), s.f_AtOverS(2), s.f_Spacing_y(2)},
       {},
       {double(s.bt_DesignStatus_flex(2)), double(s.bt_DesignStatus_Shear(2))}},
  };
  for (int k = 0; k < 6; ++k) {
    QueryOut o;
    ASSERT_EQ(Query(&d_, k, 2, o), 0) << k;
    V f, i, b, want = expected[k][0];
    for (double& v : want) v = float(v);  // narrowed to the interface's 32 bits
    f.assign(o.f, o.f + kQueryOutputs[k][0]);
    i.assign(o.i, o.i + kQueryOutputs[k][1]);
    b.assign(o.b, o.b + kQueryOutputs[k][2]);
    EXPECT_EQ(f, want) << k;
    EXPECT_EQ(i, expected[k][1]) << k;
    EXPECT_EQ(b, expected[k][2]) << k;
  }
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
    QueryOut o;
    ASSERT_EQ(Query(&d_, 5, 1, o), 0);
    EXPECT_EQ(o.f[5], float(c[3])) << c[0] << " " << c[1] << " " << c[2];
  }
}

TEST_F(Queries, ValuesBeyondTheInterfaceTypesFailWithoutOutput) {
  HoldDesign(1, 1, 1);
  Global().PlateElement.f_Mu_y(1) = 1e39;
  Global().StiffenerElement.bt_DesignStatus_flex(1) = 256;
  Global().StiffenerElement.f_Spacing_tor(1) = -1e300;  // narrowed even though not taken
  for (int k : {1, 2, 5}) {
    QueryOut o;
    EXPECT_EQ(Query(&d_, k, 1, o), 1);
    EXPECT_EQ(boxes_.last(), "clsWallDesign::" + std::string(kQueryNames[k]) + ": Unexpected error");
    EXPECT_TRUE(o.f[0] == 77.0f && o.b[0] == 77) << k;
  }
}

}  // namespace
}  // namespace ostrel::test
