// Section geometry and bar layout of a stiffener element: the web outline
// (rectangle or inscribed 24-gon), the two flange rectangles, the bars, the
// areas, and every part rotated into the eight fixed bending directions.
#include <cmath>

#include "component/modGlobal.h"
#include "stiffener/StiffenerFlexure.h"
#include "stiffener/modBeamDesignCSA94.h"

namespace ostrel {

namespace {

void BuildOutline(const modBeamDesignCSA94& s, SectionGeometry& g) {
  const double w = s.d_Width;
  const double h = s.d_Height;
  if (s.i_SectionType == 0) {
    g.d_VertexZ[1] = -w / 2;
    g.d_VertexY[1] = -h / 2;
    g.d_VertexZ[2] = w / 2;
    g.d_VertexY[2] = -h / 2;
    g.d_VertexZ[3] = w / 2;
    g.d_VertexY[3] = h / 2;
    g.d_VertexZ[4] = -w / 2;
    g.d_VertexY[4] = h / 2;
    return;
  }
  // Regular 24-gon inscribed in the circle, from the +z axis counter-clockwise.
  const double step = 2 * g.d_PI / 24;
  for (int i = 1; i <= g.numVertices; ++i) {
    const double angle = (i - 1) * step;
    g.d_VertexZ[i] = (w / 2) * std::cos(angle);
    g.d_VertexY[i] = (w / 2) * std::sin(angle);
  }
}

// z of the four vertices of one flange rectangle of thickness t.
void FlangeZ(uint8_t projection, double w, double t, FlangeArray& z) {
  if (projection == 0) {  // flush with the face z = +W/2
    z = {0, w / 2, w / 2 - t, w / 2 - t, w / 2};
  } else if (projection == 2) {  // flush with the face z = -W/2
    z = {0, -w / 2 + t, -w / 2, -w / 2, -w / 2 + t};
  } else {  // centred on the web's mid-plane
    z = {0, t / 2, -t / 2, -t / 2, t / 2};
  }
}

// The left flange continues the section below the web, the right one above.
void BuildFlanges(const modBeamDesignCSA94& s, SectionGeometry& g) {
  if (s.bt_HasFlanges != 1) {
    g.d_LeftFlangeZ = {};
    g.d_LeftFlangeY = {};
    g.d_RightFlangeZ = {};
    g.d_RightFlangeY = {};
    return;
  }
  const double h = s.d_Height;
  const double bL = s.d_FlangeWidth[1];
  const double bR = s.d_FlangeWidth[2];
  g.d_LeftFlangeY = {0, -h / 2, -h / 2, -h / 2 - bL, -h / 2 - bL};
  g.d_RightFlangeY = {0, h / 2 + bR, h / 2 + bR, h / 2, h / 2};
  FlangeZ(s.bt_Projection, s.d_Width, s.d_FlangeThickness[1], g.d_LeftFlangeZ);
  FlangeZ(s.bt_Projection, s.d_Width, s.d_FlangeThickness[2], g.d_RightFlangeZ);
}

void ComputeAreas(const modBeamDesignCSA94& s, SectionGeometry& g) {
  // Trapezoid rule over the closed outline: positive for counter-clockwise.
  const int n = g.numVertices;
  double area = 0;
  for (int j = 1; j <= n; ++j) {
    const int next = j == n ? 1 : j + 1;
    area = area + 0.5 * (g.d_VertexZ[j] + g.d_VertexZ[next]) * (g.d_VertexY[next] - g.d_VertexY[j]);
  }
  g.d_AreaWeb = area;
  double bL = 0, bR = 0, tL = 0, tR = 0;
  if (s.bt_HasFlanges == 1) {
    bL = s.d_FlangeWidth[1];
    bR = s.d_FlangeWidth[2];
    tL = s.d_FlangeThickness[1];
    tR = s.d_FlangeThickness[2];
  }
  g.d_AreaGross = area + bL * tL + bR * tR;
}

// Five bars at the centres of five equal strips of each bar line, so no bar
// stands on a corner.
void BuildBars(const modBeamDesignCSA94& s, SectionGeometry& g) {
  const double h = s.d_Height;
  const double w = s.d_Width;
  const double a = h / 2 - s.d_CoverY;
  const double b = w / 2 - s.d_CoverZ;
  const auto facesAlongY = [&](int first) {  // two faces parallel to y
    const double sp = (h - 2 * s.d_CoverY) / 5;
    for (int j = 1; j <= 5; ++j) {
      g.d_BarZ[first + j] = -b;
      g.d_BarY[first + j] = -a + (j - 0.5) * sp;
      g.d_BarZ[first + j + 5] = b;
      g.d_BarY[first + j + 5] = -a + (j - 0.5) * sp;
    }
  };
  const auto facesAlongZ = [&]() {  // two faces parallel to z
    const double sp = (w - 2 * s.d_CoverZ) / 5;
    for (int j = 1; j <= 5; ++j) {
      g.d_BarZ[j] = -b + (j - 0.5) * sp;
      g.d_BarY[j] = -a;
      g.d_BarZ[j + 5] = -b + (j - 0.5) * sp;
      g.d_BarY[j + 5] = a;
    }
  };
  switch (s.i_RFTType) {
    case 0:
      facesAlongY(0);
      break;
    case 1:
      facesAlongZ();
      break;
    case 2:
      facesAlongZ();
      facesAlongY(10);
      break;
    default: {  // on a circle
      const double r = (w - 2 * s.d_CoverZ) / 2;
      const double step = 2 * g.d_PI / g.d_NumBars;
      for (int i = 1; i <= g.numBars; ++i) {
        const double angle = (i - 1) * step;
        g.d_BarZ[i] = r * std::cos(angle);
        g.d_BarY[i] = r * std::sin(angle);
      }
      break;
    }
  }
}

// Rotates n points into direction d, tracking the highest and lowest w.
template <std::size_t N>
void RotatePoints(const std::array<double, N>& z, const std::array<double, N>& y, int n,
                  double c, double sn, std::array<double, N>& u, std::array<double, N>& w,
                  double& top, double& bottom) {
  for (int v = 1; v <= n; ++v) {
    u[v] = z[v] * c + y[v] * sn;
    w[v] = -z[v] * sn + y[v] * c;
    if (w[v] > top) {
      top = w[v];
    }
    if (w[v] < bottom) {
      bottom = w[v];
    }
  }
}

void BuildDirections(SectionGeometry& g) {
  const double step = (g.d_PI * 0.5) / 6;
  for (int d = 1; d <= kNumDirections; ++d) {
    const double angle = d <= 7 ? (d - 1) * step : g.d_PI * 1.5;
    const double c = std::cos(angle);
    const double sn = std::sin(angle);
    g.d_DirCos[d] = c;
    g.d_DirSin[d] = sn;
    double top = 0;
    double lowest = 0;
    RotatePoints(g.d_VertexZ, g.d_VertexY, g.numVertices, c, sn, g.d_RotVertexU[d],
                 g.d_RotVertexW[d], top, lowest);
    RotatePoints(g.d_LeftFlangeZ, g.d_LeftFlangeY, kFlangeVertices, c, sn,
                 g.d_RotLeftFlangeU[d], g.d_RotLeftFlangeW[d], top, lowest);
    RotatePoints(g.d_RightFlangeZ, g.d_RightFlangeY, kFlangeVertices, c, sn,
                 g.d_RotRightFlangeU[d], g.d_RotRightFlangeW[d], top, lowest);
    g.d_TopFibre[d] = top;
    g.d_SectionDepth[d] = top - lowest;
    double barTop = 0;  // not used: only the extreme tension bar matters
    double bottomBar = 0;
    RotatePoints(g.d_BarZ, g.d_BarY, g.numBars, c, sn, g.d_RotBarU[d], g.d_RotBarW[d], barTop,
                 bottomBar);
    g.d_BottomBar[d] = bottomBar;
  }
}

// The constants and the ultimate combinations of the run, copied once per
// element so that the searches never read the model.
void LoadFlexureInputs(const modGlobal& gl, FlexureWork& x) {
  x.eps_cu = gl.eps_cu;
  x.eps_t = gl.eps_t;
  x.k_Pmax = gl.k_Pmax;
  x.k_Pcomp = gl.k_Pcomp;
  x.k_Ptens = gl.k_Ptens;
  x.ultimateCombos.clear();
  for (int k = 1; k <= gl.i_NumLoadCombos; ++k) {
    if (gl.LoadCombo.bt_ComboType(k) == 1) {
      x.ultimateCombos.push_back(static_cast<int16_t>(k));
    }
  }
}

}  // namespace

void BuildSectionGeometry() { BuildSectionGeometry(Global(), BeamState()); }

void BuildSectionGeometry(const modGlobal& model, modBeamDesignCSA94& s) {
  SectionGeometry& g = s.geo;
  g = SectionGeometry{};  // every array re-created with all entries 0
  g.d_PI = 4 * std::atan(1.0);
  g.numVertices = s.i_SectionType == 0 ? 4 : 24;
  g.numBars = (s.i_RFTType == 0 || s.i_RFTType == 1) ? 10 : 20;
  g.d_NumVertices = g.numVertices;
  g.d_NumBars = g.numBars;

  BuildOutline(s, g);
  BuildFlanges(s, g);
  ComputeAreas(s, g);
  BuildBars(s, g);
  BuildDirections(g);

  FlexureWork& x = s.flex;
  x.d_FrameVertexU = {};
  x.d_FrameVertexW = {};
  x.d_FrameLeftFlangeU = {};
  x.d_FrameLeftFlangeW = {};
  x.d_FrameRightFlangeU = {};
  x.d_FrameRightFlangeW = {};
  x.d_FrameBarU = {};
  x.d_FrameBarW = {};
  LoadFlexureInputs(model, x);
}

}  // namespace ostrel
