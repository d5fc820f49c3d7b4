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
  double d_PI = 0;
  double d_NumVertices = 0;  // 4 or 24
  double d_NumBars = 0;      // 10 or 20
  int numVertices = 0;       // the same two counts as loop bounds
  int numBars = 0;

  // Web outline (counter-clockwise) and flange rectangles, (z, y), origin at
  // the centre of the web.
  OutlineArray d_VertexZ{};
  OutlineArray d_VertexY{};
  FlangeArray d_LeftFlangeZ{};
  FlangeArray d_LeftFlangeY{};
  FlangeArray d_RightFlangeZ{};
  FlangeArray d_RightFlangeY{};

  double d_AreaWeb = 0;    // base of the steel ratio
  double d_AreaGross = 0;  // web plus both flange rectangles

  BarArray d_BarZ{};
  BarArray d_BarY{};

  // The eight directions: u along the neutral axis, w toward the compressed
  // face (u = z c + y s, w = -z s + y c).
  DirectionArray d_DirCos{};
  DirectionArray d_DirSin{};
  std::array<OutlineArray, kNumDirections + 1> d_RotVertexU{};
  std::array<OutlineArray, kNumDirections + 1> d_RotVertexW{};
  std::array<FlangeArray, kNumDirections + 1> d_RotLeftFlangeU{};
  std::array<FlangeArray, kNumDirections + 1> d_RotLeftFlangeW{};
  std::array<FlangeArray, kNumDirections + 1> d_RotRightFlangeU{};
  std::array<FlangeArray, kNumDirections + 1> d_RotRightFlangeW{};
  std::array<BarArray, kNumDirections + 1> d_RotBarU{};
  std::array<BarArray, kNumDirections + 1> d_RotBarW{};
  DirectionArray d_TopFibre{};      // extreme compression fibre, >= 0
  DirectionArray d_SectionDepth{};  // extent of the concrete along w
  DirectionArray d_BottomBar{};     // w of the extreme tension bar, <= 0
};

}  // namespace ostrel

#endif  // OSTREL_STIFFENER_SECTIONGEOMETRY_H
