// Torsion section properties of a stiffener element: Acp and pcp of the
// outside of the concrete, Aoh and ph of the stirrup centreline, and the
// effective depths for shear along y and along z.
#include <cmath>

#include "model/CrMath.h"
#include "stiffener/StiffenerShearTorsion.h"

namespace ostrel {

namespace {

// Effective overhang of one flange: its width, but no more than four times
// its thickness and no more than the web stands out beyond the flange
// (half of that when the flanges are centred on the web).
double EffectiveOverhang(double width, double thickness, double webWidth, uint8_t projection) {
  double standOut = webWidth - thickness;
  if (projection == 1) {
    standOut = standOut / 2;
  }
  double overhang = width;
  if (overhang > 4 * thickness) {
    overhang = 4 * thickness;
  }
  if (overhang > standOut) {
    overhang = standOut;
  }
  return overhang;
}

struct ShearDepths {
  double y;
  double z;
};

// Distance from the compressed face to the centroid of the bars of the
// tension half, for each direction, by bar arrangement.
ShearDepths ComputeShearDepths(const StiffenerSection& s, double pi) {
  const double h = s.height;
  const double w = s.width;
  const double ay = h - 2 * s.coverY;  // between the two bar lines across y
  const double az = w - 2 * s.coverZ;  // between the two bar lines across z
  switch (s.barLayout) {
    case 0:  // bars on the two faces parallel to y
      return {h / 2 + ay / 4, w - s.coverZ};
    case 1:  // bars on the two faces parallel to z
      return {h - s.coverY, w / 2 + az / 4};
    case 2: {  // bars on all four faces: the two kinds of bar line weighted by length
      const double depthY = h / 2 + ((ay / 2 + az) * (ay / 2)) / (ay + az);
      const double depthZ = w / 2 + ((az / 2 + ay) * (az / 2)) / (ay + az);
      return {depthY, depthZ};
    }
    default: {  // bars on a circle: centroid of half the circle at 2R/pi
      double depthY = h / 2 + ay / pi;
      double depthZ = w / 2 + az / pi;
      if (s.sectionType == 1) {
        if (depthY < 0.8 * h) {
          depthY = 0.8 * h;
        }
        if (depthZ < 0.8 * w) {
          depthZ = 0.8 * w;
        }
      }
      return {depthY, depthZ};
    }
  }
}

}  // namespace

void ComputeTorsionSectionProperties(StiffenerSection& s) {
  const double pi = 4 * DesignAtan(1.0);
  const double h = s.height;
  const double w = s.width;

  // The stored flange sizes take part whether or not the element counts as
  // flanged: a zero width contributes nothing.
  const double left = EffectiveOverhang(s.flangeWidth[1], s.flangeThickness[1], w,
                                        s.projection);
  const double right = EffectiveOverhang(s.flangeWidth[2], s.flangeThickness[2], w,
                                         s.projection);
  const double leftArea = left * s.flangeThickness[1];
  const double rightArea = right * s.flangeThickness[2];

  if (s.sectionType == 0) {
    s.Acp = h * w + rightArea + leftArea;
    s.pcp = 2 * (h + w) + 2 * right + 2 * left;
  } else {
    s.Acp = (pi * (w * w)) / 4 + rightArea + leftArea;
    s.pcp = pi * w + 2 * right + 2 * left;
  }

  // Centreline of the outermost closed stirrup, at the stirrup cover line.
  const double stirrupZ = w - 2 * s.coverZst;
  if (s.barLayout == 3) {
    s.Aoh = ((stirrupZ * stirrupZ) * pi) / 4;
    s.ph = stirrupZ * pi;
  } else {
    const double stirrupY = h - 2 * s.coverYst;
    s.Aoh = stirrupZ * stirrupY;
    s.ph = 2 * (stirrupZ + stirrupY);
  }

  const ShearDepths depths = ComputeShearDepths(s, pi);
  s.shearDepthY = depths.y;
  s.shearDepthZ = depths.z;
}

}  // namespace ostrel
