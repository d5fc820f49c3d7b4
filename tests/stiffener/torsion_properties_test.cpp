// Torsion section properties: outside area and perimeter with effective
// flange overhangs, the stirrup centreline, and the shear depths.
#include <gtest/gtest.h>

#include <cmath>

#include "stiffener/StiffenerShearTorsion.h"
#include "stiffener/modBeamDesignCSA94.h"

namespace ostrel {
namespace {

const double kPi = 4 * std::atan(1.0);

// W x H web, bar covers 50, stirrup covers 40, no flanges.
modBeamDesignCSA94& Section(int16_t type, double w, double h, int16_t arrangement) {
  modBeamDesignCSA94& s = BeamState() = modBeamDesignCSA94{};
  s.i_SectionType = type;
  s.d_Width = w;
  s.d_Height = h;
  s.i_RFTType = arrangement;
  s.d_CoverY = s.d_CoverZ = 50;
  s.d_CoverYst = s.d_CoverZst = 40;
  return s;
}

TEST(TorsionProperties, RectangularWebForEveryArrangement) {
  modBeamDesignCSA94& s = Section(0, 400, 600, 0);
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_Aoh, 320.0 * 520.0);
  EXPECT_DOUBLE_EQ(s.d_Ph, 1680);
  EXPECT_DOUBLE_EQ(s.d_ShearDepthY, 425);
  EXPECT_DOUBLE_EQ(s.d_ShearDepthZ, 350);
  EXPECT_DOUBLE_EQ(s.d_Acp, 240000);
  EXPECT_DOUBLE_EQ(s.d_Pcp, 2000);

  // ay = 500, az = 300 between opposite bar lines.
  s.i_RFTType = 1;
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_ShearDepthY, 550);
  EXPECT_DOUBLE_EQ(s.d_ShearDepthZ, 275);
  s.i_RFTType = 2;
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_ShearDepthY, 471.875);
  EXPECT_DOUBLE_EQ(s.d_ShearDepthZ, 321.875);
  // A circle of bars in a rectangular web: circular stirrup, no 0.8 floor.
  s.i_RFTType = 3;
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_ShearDepthZ, 200 + 300 / kPi);
  EXPECT_DOUBLE_EQ(s.d_Ph, 320 * kPi);
  EXPECT_DOUBLE_EQ(s.d_Aoh, 320.0 * 320.0 * kPi / 4);
}

TEST(TorsionProperties, CircularWebUsesCircleAreasAndTheDepthFloor) {
  modBeamDesignCSA94& s = Section(1, 500, 500, 3);
  s.bt_Projection = 1;
  s.d_FlangeWidth[2] = 1000;  // 4t = 800, stand-out (500 - 200) / 2 = 150
  s.d_FlangeThickness[2] = 200;
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_ShearDepthY, 400);  // 250 + 400/pi = 377.3 is below 0.8 D
  EXPECT_DOUBLE_EQ(s.d_ShearDepthZ, 400);
  EXPECT_NEAR(s.d_Acp, kPi * 500 * 500 / 4 + 150 * 200, 1e-6);
  EXPECT_NEAR(s.d_Pcp, 500 * kPi + 300, 1e-9);
  EXPECT_NEAR(s.d_Aoh, 420.0 * 420.0 * kPi / 4, 1e-6);
  s.d_CoverY = s.d_CoverZ = 10;  // the bar centroid now lies beyond the floor
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_ShearDepthY, 250 + 480 / kPi);
}

TEST(TorsionProperties, FlangeOverhangLimits) {
  modBeamDesignCSA94& s = Section(0, 400, 600, 0);
  // Left: min(600, 4 x 100, 400 - 100) = 300. Right: min(200, 240, 340) = 200.
  s.d_FlangeWidth = {0, 600, 200};
  s.d_FlangeThickness = {0, 100, 60};
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_Acp, 240000 + 200 * 60 + 300 * 100);
  EXPECT_DOUBLE_EQ(s.d_Pcp, 2000 + 400 + 600);
  s.d_FlangeWidth[2] = 500;  // 4t governs
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_Acp, 240000 + 240 * 60 + 300 * 100);
  s.bt_Projection = 1;  // centred flanges halve the stand-out: 150 and 170
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_Acp, 240000 + 170 * 60 + 150 * 100);
  EXPECT_DOUBLE_EQ(s.d_Aoh, 320.0 * 520.0);  // the flanges never enter the stirrup

  // Stored sizes count even when the element is not flanged: a sliver, and a
  // flange thicker than the web with its negative stand-out.
  s.bt_Projection = 0;
  s.d_FlangeWidth = {0, 0.00005, 50};
  s.d_FlangeThickness = {0, 100, 450};
  ComputeTorsionSectionProperties();
  EXPECT_DOUBLE_EQ(s.d_Acp, 240000 + (-50.0) * 450 + 0.00005 * 100);
  EXPECT_DOUBLE_EQ(s.d_Pcp, 2000 - 100 + 0.0001);
}

}  // namespace
}  // namespace ostrel
