// Section geometry and bar layout: outlines, flange rectangles, bar
// positions, areas and the eight rotated frames.
#include <gtest/gtest.h>

#include <cmath>

#include "stiffener/flexure_fixture.h"

namespace ostrel {
namespace {

using GeometryTest = FlexureFixture;

const double kPi = 4 * std::atan(1.0);

TEST_F(GeometryTest, RectangularWebWithBarsOnTheFacesParallelToY) {
  const SectionGeometry& g = Rectangle(400, 600, 0, 50).geo;
  EXPECT_EQ(g.d_NumVertices, 4.0);
  EXPECT_EQ(g.d_NumBars, 10.0);
  EXPECT_DOUBLE_EQ(g.d_AreaWeb, 240000);
  EXPECT_DOUBLE_EQ(g.d_AreaGross, 240000);
  const double ys[] = {-200, -100, 0, 100, 200};
  for (int j = 1; j <= 5; ++j) {
    EXPECT_DOUBLE_EQ(g.d_BarZ[j], -150) << j;
    EXPECT_DOUBLE_EQ(g.d_BarZ[j + 5], 150) << j;
    EXPECT_NEAR(g.d_BarY[j], ys[j - 1], 1e-12) << j;
    EXPECT_NEAR(g.d_BarY[j + 5], ys[j - 1], 1e-12) << j;
  }
  // Four faces: bars 11 to 20 on the faces parallel to y.
  const SectionGeometry& g2 = Rectangle(400, 600, 2, 50).geo;
  EXPECT_EQ(g2.numBars, 20);
  EXPECT_NEAR(g2.d_BarZ[2], -60, 1e-12);
  EXPECT_DOUBLE_EQ(g2.d_BarY[8], 250);
  EXPECT_DOUBLE_EQ(g2.d_BarZ[20], 150);
  EXPECT_NEAR(g2.d_BarY[20], 200, 1e-12);
}

TEST_F(GeometryTest, RotatedFramesOfTheRectangle) {
  const SectionGeometry& g = Rectangle(400, 600, 0, 50).geo;
  // Direction 1 (0 degrees): w = y.
  EXPECT_DOUBLE_EQ(g.d_TopFibre[1], 300);
  EXPECT_DOUBLE_EQ(g.d_SectionDepth[1], 600);
  EXPECT_NEAR(g.d_BottomBar[1], -200, 1e-12);
  // Direction 4 (45 degrees): top fibre from (-200, 300), bottom bar (150, -200).
  EXPECT_NEAR(g.d_TopFibre[4], 353.553, 0.0005);
  EXPECT_NEAR(g.d_SectionDepth[4], 707.107, 0.0005);
  EXPECT_NEAR(g.d_BottomBar[4], -247.487, 0.0005);
  // Directions 7 and 8 bend about y: the web width is the depth.
  EXPECT_NEAR(g.d_TopFibre[7], 200, 1e-9);
  EXPECT_NEAR(g.d_SectionDepth[7], 400, 1e-9);
  EXPECT_NEAR(g.d_BottomBar[7], -150, 1e-9);
  // Direction 7 compresses the -z face, direction 8 the +z face.
  EXPECT_NEAR(g.d_RotVertexW[7][1], 200, 1e-9);   // vertex (-200, -300)
  EXPECT_NEAR(g.d_RotVertexW[8][1], -200, 1e-9);
  // 270 degrees: the cosine is a tiny non-zero number, not 0.
  EXPECT_NE(g.d_DirCos[8], 0.0);
  EXPECT_LT(std::fabs(g.d_DirCos[8]), 1e-15);
  EXPECT_DOUBLE_EQ(g.d_DirSin[8], -1);
}

TEST_F(GeometryTest, CircularWebIsTheInscribed24Gon) {
  const SectionGeometry& g = Circle(600, 50).geo;
  const double r = 300;
  EXPECT_NEAR(g.d_AreaWeb, 12 * r * r * std::sin(kPi / 12), 1e-7);
  EXPECT_LT(g.d_AreaWeb, kPi * r * r * 0.99);
  EXPECT_NEAR(g.d_VertexY[7], 300, 1e-12);
  // Bars on the circle of radius D/2 - cZ.
  EXPECT_DOUBLE_EQ(g.d_BarZ[1], 250);
  EXPECT_NEAR(g.d_BarY[6], 250, 1e-12);
  // A vertex on the axis of every direction from 0 to 90 degrees.
  for (int d = 1; d <= 7; ++d) {
    EXPECT_NEAR(g.d_TopFibre[d], 300, 1e-9) << d;
    EXPECT_NEAR(g.d_SectionDepth[d], 600, 1e-9) << d;
  }
}

TEST_F(GeometryTest, FlangesOnlyWhenTheSectionHasThem) {
  modBeamDesignCSA94& s = BeamState();
  // Thicknesses without flange widths: nothing is built.
  s.bt_HasFlanges = 0;
  s.d_FlangeThickness = {0, 100, 100};
  Rectangle(400, 600, 0, 50);
  for (int v = 1; v <= 4; ++v) {
    EXPECT_EQ(s.geo.d_LeftFlangeZ[v], 0.0);
    EXPECT_EQ(s.geo.d_RightFlangeY[v], 0.0);
  }
  EXPECT_DOUBLE_EQ(s.geo.d_AreaGross, 240000);
  EXPECT_DOUBLE_EQ(s.geo.d_SectionDepth[1], 600);

  // Left flange 300 beyond the web, 100 thick, flush with z = +W/2; the right
  // flange has no width but a thickness: it lies on the web's edge.
  s.bt_HasFlanges = 1;
  s.bt_Projection = 0;
  s.d_FlangeWidth = {0, 300, 0};
  s.d_FlangeThickness = {0, 100, 120};
  const SectionGeometry& g = Rectangle(400, 600, 0, 50).geo;
  const double lz[] = {200, 100, 100, 200};
  const double ly[] = {-300, -300, -600, -600};
  for (int v = 1; v <= 4; ++v) {
    EXPECT_DOUBLE_EQ(g.d_LeftFlangeZ[v], lz[v - 1]) << v;
    EXPECT_DOUBLE_EQ(g.d_LeftFlangeY[v], ly[v - 1]) << v;
    EXPECT_DOUBLE_EQ(g.d_RightFlangeY[v], 300) << v;
  }
  EXPECT_DOUBLE_EQ(g.d_RightFlangeZ[2], 80);
  EXPECT_DOUBLE_EQ(g.d_AreaGross, 240000 + 30000);
  EXPECT_DOUBLE_EQ(g.d_AreaWeb, 240000);
  // The flange deepens direction 1 downward and direction 8 (w = z) not at all.
  EXPECT_DOUBLE_EQ(g.d_TopFibre[1], 300);
  EXPECT_DOUBLE_EQ(g.d_SectionDepth[1], 900);
  EXPECT_NEAR(g.d_SectionDepth[8], 400, 1e-9);

  // Centred on the mid-plane.
  s.bt_Projection = 1;
  Rectangle(400, 600, 0, 50);
  EXPECT_DOUBLE_EQ(s.geo.d_LeftFlangeZ[1], 50);
  EXPECT_DOUBLE_EQ(s.geo.d_LeftFlangeZ[3], -50);
  EXPECT_DOUBLE_EQ(s.geo.d_RightFlangeZ[2], -60);
}

}  // namespace
}  // namespace ostrel
