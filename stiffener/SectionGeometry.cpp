// Section geometry and bar layout of a stiffener element: the web outline
// (rectangle or inscribed 24-gon), the two flange rectangles, the bars, the
// areas, and every part rotated into the eight fixed bending directions.
#include <cmath>

#include "model/CrMath.h"
#include "stiffener/StiffenerFlexure.h"

namespace ostrel {

namespace {

void BuildOutline(const StiffenerSection& s, SectionGeometry& g) {
  const double w = s.width;
  const double h = s.height;
  if (s.sectionType == 0) {
    g.vertexZ[1] = -w / 2;
    g.vertexY[1] = -h / 2;
    g.vertexZ[2] = w / 2;
    g.vertexY[2] = -h / 2;
    g.vertexZ[3] = w / 2;
    g.vertexY[3] = h / 2;
    g.vertexZ[4] = -w / 2;
    g.vertexY[4] = h / 2;
    return;
  }
  // Regular 24-gon inscribed in the circle, from the +z axis counter-clockwise.
  const double step = 2 * g.pi / 24;
  for (int i = 1; i <= g.numVertices; ++i) {
    const double angle = (i - 1) * step;
    g.vertexZ[i] = (w / 2) * DesignCos(angle);
    g.vertexY[i] = (w / 2) * DesignSin(angle);
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
void BuildFlanges(const StiffenerSection& s, SectionGeometry& g) {
  if (s.hasFlanges != 1) {
    g.leftFlangeZ = {};
    g.leftFlangeY = {};
    g.rightFlangeZ = {};
    g.rightFlangeY = {};
    return;
  }
  const double h = s.height;
  const double bL = s.flangeWidth[1];
  const double bR = s.flangeWidth[2];
  g.leftFlangeY = {0, -h / 2, -h / 2, -h / 2 - bL, -h / 2 - bL};
  g.rightFlangeY = {0, h / 2 + bR, h / 2 + bR, h / 2, h / 2};
  FlangeZ(s.projection, s.width, s.flangeThickness[1], g.leftFlangeZ);
  FlangeZ(s.projection, s.width, s.flangeThickness[2], g.rightFlangeZ);
}

void ComputeAreas(const StiffenerSection& s, SectionGeometry& g) {
  // Trapezoid rule over the closed outline: positive for counter-clockwise.
  const int n = g.numVertices;
  double area = 0;
  for (int j = 1; j <= n; ++j) {
    const int next = j == n ? 1 : j + 1;
    area = area + 0.5 * (g.vertexZ[j] + g.vertexZ[next]) * (g.vertexY[next] - g.vertexY[j]);
  }
  g.areaWeb = area;
  double bL = 0, bR = 0, tL = 0, tR = 0;
  if (s.hasFlanges == 1) {
    bL = s.flangeWidth[1];
    bR = s.flangeWidth[2];
    tL = s.flangeThickness[1];
    tR = s.flangeThickness[2];
  }
  g.areaGross = area + bL * tL + bR * tR;
}

// Five bars at the centres of five equal strips of each bar line, so no bar
// stands on a corner.
void BuildBars(const StiffenerSection& s, SectionGeometry& g) {
  const double h = s.height;
  const double w = s.width;
  const double a = h / 2 - s.coverY;
  const double b = w / 2 - s.coverZ;
  const auto facesAlongY = [&](int first) {  // two faces parallel to y
    const double sp = (h - 2 * s.coverY) / 5;
    for (int j = 1; j <= 5; ++j) {
      g.barZ[first + j] = -b;
      g.barY[first + j] = -a + (j - 0.5) * sp;
      g.barZ[first + j + 5] = b;
      g.barY[first + j + 5] = -a + (j - 0.5) * sp;
    }
  };
  const auto facesAlongZ = [&]() {  // two faces parallel to z
    const double sp = (w - 2 * s.coverZ) / 5;
    for (int j = 1; j <= 5; ++j) {
      g.barZ[j] = -b + (j - 0.5) * sp;
      g.barY[j] = -a;
      g.barZ[j + 5] = -b + (j - 0.5) * sp;
      g.barY[j + 5] = a;
    }
  };
  switch (s.barLayout) {
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
      const double r = (w - 2 * s.coverZ) / 2;
      const double step = 2 * g.pi / g.numBars;
      for (int i = 1; i <= g.numBars; ++i) {
        const double angle = (i - 1) * step;
        g.barZ[i] = r * DesignCos(angle);
        g.barY[i] = r * DesignSin(angle);
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
  const double step = (g.pi * 0.5) / 6;
  for (int d = 1; d <= kNumDirections; ++d) {
    const double angle = d <= 7 ? (d - 1) * step : g.pi * 1.5;
    const double c = DesignCos(angle);
    const double sn = DesignSin(angle);
    g.dirCos[d] = c;
    g.dirSin[d] = sn;
    double top = 0;
    double lowest = 0;
    RotatePoints(g.vertexZ, g.vertexY, g.numVertices, c, sn, g.rotVertexU[d],
                 g.rotVertexW[d], top, lowest);
    RotatePoints(g.leftFlangeZ, g.leftFlangeY, kFlangeVertices, c, sn,
                 g.rotLeftFlangeU[d], g.rotLeftFlangeW[d], top, lowest);
    RotatePoints(g.rightFlangeZ, g.rightFlangeY, kFlangeVertices, c, sn,
                 g.rotRightFlangeU[d], g.rotRightFlangeW[d], top, lowest);
    g.topFibre[d] = top;
    g.sectionDepth[d] = top - lowest;
    double barTop = 0;  // not used: only the extreme tension bar matters
    double bottomBar = 0;
    RotatePoints(g.barZ, g.barY, g.numBars, c, sn, g.rotBarU[d], g.rotBarW[d], barTop,
                 bottomBar);
    g.bottomBar[d] = bottomBar;
  }
}

}  // namespace

void BuildSectionGeometry(StiffenerSection& s) {
  SectionGeometry& g = s.geo;
  g = SectionGeometry{};  // every array re-created with all entries 0
  g.pi = 4 * DesignAtan(1.0);
  g.numVertices = s.sectionType == 0 ? 4 : 24;
  g.numBars = (s.barLayout == 0 || s.barLayout == 1) ? 10 : 20;

  BuildOutline(s, g);
  BuildFlanges(s, g);
  ComputeAreas(s, g);
  BuildBars(s, g);
  BuildDirections(g);
}

void StartFlexureWork(const StiffenerSettings& settings, FlexureWork& x) {
  x.epsCu = settings.epsCu;
  x.epsT = settings.epsT;
  x.kPmax = settings.kPmax;
  x.kPcomp = settings.kPcomp;
  x.kPtens = settings.kPtens;
  x.suspendFlag = settings.suspendFlag;
  x.frameVertexU = {};
  x.frameVertexW = {};
  x.frameLeftFlangeU = {};
  x.frameLeftFlangeW = {};
  x.frameRightFlangeU = {};
  x.frameRightFlangeW = {};
  x.frameBarU = {};
  x.frameBarW = {};
}

}  // namespace ostrel
