// Section geometry and bar layout of the stiffener element being designed:
// the concrete web outline, the two flange rectangles, the equal bars that
// stand for the longitudinal steel, and all of them seen from the eight fixed
// bending directions.
//
// Arrays are 1-based (slot 0 unused) with a fixed capacity, so that one
// element's geometry never allocates; the counts say how many slots are used.
// Per-direction arrays are indexed [direction][vertex or bar], so that one
// direction's outline and bars are contiguous for the section kernel.
#ifndef OSTREL_STIFFENER_SECTIONGEOMETRY_H
#define OSTREL_STIFFENER_SECTIONGEOMETRY_H

#include <array>

namespace ostrel {

inline constexpr int kMaxOutlineVertices = 24;  // circular web: a 24-gon
inline constexpr int kMaxBars = 20;
inline constexpr int kFlangeVertices = 4;
inline constexpr int kNumDirections = 8;

using OutlineArray = std::array<double, kMaxOutlineVertices + 1>;
using BarArray = std::array<double, kMaxBars + 1>;
using FlangeArray = std::array<double, kFlangeVertices + 1>;
using DirectionArray = std::array<double, kNumDirections + 1>;

struct SectionGeometry {
  double pi = 0;
  int numVertices = 0;  // 4 or 24
  int numBars = 0;      // 10 or 20

  // Web outline (counter-clockwise) and flange rectangles, (z, y), origin at
  // the centre of the web.
  OutlineArray vertexZ{};
  OutlineArray vertexY{};
  FlangeArray leftFlangeZ{};
  FlangeArray leftFlangeY{};
  FlangeArray rightFlangeZ{};
  FlangeArray rightFlangeY{};

  double areaWeb = 0;    // base of the steel ratio
  double areaGross = 0;  // web plus both flange rectangles

  BarArray barZ{};
  BarArray barY{};

  // The eight directions: u along the neutral axis, w toward the compressed
  // face (u = z c + y s, w = -z s + y c).
  DirectionArray dirCos{};
  DirectionArray dirSin{};
  std::array<OutlineArray, kNumDirections + 1> rotVertexU{};
  std::array<OutlineArray, kNumDirections + 1> rotVertexW{};
  std::array<FlangeArray, kNumDirections + 1> rotLeftFlangeU{};
  std::array<FlangeArray, kNumDirections + 1> rotLeftFlangeW{};
  std::array<FlangeArray, kNumDirections + 1> rotRightFlangeU{};
  std::array<FlangeArray, kNumDirections + 1> rotRightFlangeW{};
  std::array<BarArray, kNumDirections + 1> rotBarU{};
  std::array<BarArray, kNumDirections + 1> rotBarW{};
  DirectionArray topFibre{};      // extreme compression fibre, >= 0
  DirectionArray sectionDepth{};  // extent of the concrete along w
  DirectionArray bottomBar{};     // w of the extreme tension bar, <= 0
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_SECTIONGEOMETRY_H
