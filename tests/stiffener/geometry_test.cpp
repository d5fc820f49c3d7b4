// Section geometry: outline, bars, flanges, areas and the rotated frames.
#include <gtest/gtest.h>

#include <cmath>

#include "stiffener/flexure_fixture.h"

namespace ostrel {
namespace {

using GeometryTest = FlexureFixture;

TEST_F(GeometryTest, RectangleBarsAndRotatedFrames) {
  const SectionGeometry& g = Rectangle(400, 600, 0, 50).geo;
  EXPECT_EQ(g.d_NumVertices, 4.0);
  EXPECT_EQ(g.d_AreaWeb, 240000.0);
  for (int j = 1; j <= 5; ++j) {
    EXPECT_EQ(g.d_BarZ[j], -150.0);
    EXPECT_EQ(g.d_BarZ[j + 5], 150.0);
    EXPECT_EQ(g.d_BarY[j], -300.0 + 100 * j);
    EXPECT_EQ(g.d_BarY[j + 5], -300.0 + 100 * j);
  }
  // Direction: extreme compression fibre, concrete depth, extreme tension bar.
  const double rows[][5] = {{1, 300, 600, -200, 0},
                            {4, 353.553, 707.107, -247.487, 5e-4},  // (-200, 300), bar (150, -200)
                            {7, 200, 400, -150, 1e-9}};
  for (const auto& row : rows) {
    const int d = static_cast<int>(row[0]);
    EXPECT_NEAR(g.d_TopFibre[d], row[1], row[4]) << d;
    EXPECT_NEAR(g.d_SectionDepth[d], row[2], row[4]) << d;
    EXPECT_NEAR(g.d_BottomBar[d], row[3], row[4]) << d;
  }
  // Direction 7 compresses the -z face, direction 8 (270 degrees, a tiny
  // non-zero cosine) the +z face.
  EXPECT_NEAR(g.d_RotVertexW[7][1], 200, 1e-9);  // vertex (-200, -300)
  EXPECT_NEAR(g.d_RotVertexW[8][1], -200, 1e-9);
  EXPECT_NE(g.d_DirCos[8], 0.0);
  EXPECT_LT(std::fabs(g.d_DirCos[8]), 1e-15);
  // Four faces: bars 1-10 on the faces parallel to z, 11-20 as arrangement 0.
  Rectangle(400, 600, 2, 50);
  EXPECT_EQ(g.numBars, 20);
  EXPECT_EQ(g.d_BarZ[2], -60.0);
  EXPECT_EQ(g.d_BarY[7], 250.0);
  EXPECT_EQ(g.d_BarZ[20], 150.0);
  EXPECT_EQ(g.d_BarY[20], 200.0);
}

TEST_F(GeometryTest, CircleUsesTheWidthAndTheZCoverOnly) {
  const SectionGeometry& g = Rectangle(600, 999, 3, 50, 1).geo;
  s.d_CoverY = 80;
  BuildSectionGeometry(s);
  EXPECT_NEAR(g.d_AreaWeb, 12 * 300.0 * 300 * std::sin(g.d_PI / 12), 1e-7);  // the 24-gon
  EXPECT_EQ(g.d_BarZ[1], 250.0);
  EXPECT_NEAR(g.d_BarY[6], 250, 1e-12);  // 20 bars: 90 degrees
  for (int d = 1; d <= 7; ++d) {         // a vertex on the axis of each direction
    EXPECT_NEAR(g.d_TopFibre[d], 300, 1e-9) << d;
    EXPECT_NEAR(g.d_SectionDepth[d], 600, 1e-9) << d;
  }
}

TEST_F(GeometryTest, FlangesOnlyWhenTheSectionHasThem) {
  s.d_FlangeThickness = {0, 100, 120};  // without flanges: nothing is built
  const SectionGeometry& g = Rectangle(400, 600, 0, 50).geo;
  for (int v = 1; v <= 4; ++v) {
    EXPECT_EQ(g.d_LeftFlangeZ[v] + g.d_RightFlangeY[v], 0.0);
  }
  EXPECT_EQ(g.d_AreaGross, 240000.0);
  // Left flange 300 beyond the web, 100 thick, flush with z = +W/2; the right
  // one has a thickness but no width: it lies on the web's edge.
  s.bt_HasFlanges = 1;
  s.d_FlangeWidth = {0, 300, 0};
  Rectangle(400, 600, 0, 50);
  const double lz[] = {200, 100, 100, 200};
  const double ly[] = {-300, -300, -600, -600};
  for (int v = 1; v <= 4; ++v) {
    EXPECT_EQ(g.d_LeftFlangeZ[v], lz[v - 1]) << v;
    EXPECT_EQ(g.d_LeftFlangeY[v], ly[v - 1]) << v;
    EXPECT_EQ(g.d_RightFlangeY[v], 300.0) << v;
  }
  EXPECT_EQ(g.d_RightFlangeZ[2], 80.0);
  EXPECT_EQ(g.d_AreaGross, 270000.0);
  EXPECT_EQ(g.d_SectionDepth[1], 900.0);  // deeper downward only
  // Flush with z = -W/2, then centred on the mid-plane.
  const double projected[][3] = {{2, -100, -200}, {1, 50, -50}};
  for (const auto& p : projected) {
    s.bt_Projection = static_cast<uint8_t>(p[0]);
    Rectangle(400, 600, 0, 50);
    EXPECT_EQ(g.d_LeftFlangeZ[1], p[1]) << p[0];
    EXPECT_EQ(g.d_LeftFlangeZ[2], p[2]) << p[0];
  }
  EXPECT_EQ(g.d_RightFlangeZ[2], -60.0);
}

}  // namespace
}  // namespace ostrel
