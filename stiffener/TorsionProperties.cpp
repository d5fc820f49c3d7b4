// Torsion section properties of a stiffener element: Acp and pcp of the
// outside of the concrete, Aoh and ph of the stirrup centreline, and the
// effective depths for shear along y and along z.
#include <cmath>

#include "stiffener/StiffenerShearTorsion.h"
#include "stiffener/modBeamDesignCSA94.h"

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
ShearDepths ComputeShearDepths(const modBeamDesignCSA94& s, double pi) {
  const double h = s.d_Height;
  const double w = s.d_Width;
  const double ay = h - 2 * s.d_CoverY;  // between the two bar lines across y
  const double az = w - 2 * s.d_CoverZ;  // between the two bar lines across z
  switch (s.i_RFTType) {
    case 0:  // bars on the two faces parallel to y
      return {h / 2 + ay / 4, w - s.d_CoverZ};
    case 1:  // bars on the two faces parallel to z
      return {h - s.d_CoverY, w / 2 + az / 4};
    case 2: {  // bars on all four faces: the two kinds of bar line weighted by length
      const double depthY = h / 2 + ((ay / 2 + az) * (ay / 2)) / (ay + az);
      const double depthZ = w / 2 + ((az / 2 + ay) * (az / 2)) / (ay + az);
      return {depthY, depthZ};
    }
    default: {  // bars on a circle: centroid of half the circle at 2R/pi
      double depthY = h / 2 + ay / pi;
      double depthZ = w / 2 + az / pi;
      if (s.i_SectionType == 1) {
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

void ComputeTorsionSectionProperties() { ComputeTorsionSectionProperties(BeamState()); }

void ComputeTorsionSectionProperties(modBeamDesignCSA94& s) {
  const double pi = 4 * std::atan(1.0);
  const double h = s.d_Height;
  const double w = s.d_Width;

  // The stored flange sizes take part whether or not the element counts as
  // flanged: a zero width contributes nothing.
  const double left = EffectiveOverhang(s.d_FlangeWidth[1], s.d_FlangeThickness[1], w,
                                        s.bt_Projection);
  const double right = EffectiveOverhang(s.d_FlangeWidth[2], s.d_FlangeThickness[2], w,
                                         s.bt_Projection);
  const double leftArea = left * s.d_FlangeThickness[1];
  const double rightArea = right * s.d_FlangeThickness[2];

  if (s.i_SectionType == 0) {
    s.d_Acp = h * w + rightArea + leftArea;
    s.d_Pcp = 2 * (h + w) + 2 * right + 2 * left;
  } else {
    s.d_Acp = (pi * (w * w)) / 4 + rightArea + leftArea;
    s.d_Pcp = pi * w + 2 * right + 2 * left;
  }

  // Centreline of the outermost closed stirrup, at the stirrup cover line.
  const double stirrupZ = w - 2 * s.d_CoverZst;
  if (s.i_RFTType == 3) {
    s.d_Aoh = ((stirrupZ * stirrupZ) * pi) / 4;
    s.d_Ph = stirrupZ * pi;
  } else {
    const double stirrupY = h - 2 * s.d_CoverYst;
    s.d_Aoh = stirrupZ * stirrupY;
    s.d_Ph = 2 * (stirrupZ + stirrupY);
  }

  const ShearDepths depths = ComputeShearDepths(s, pi);
  s.d_ShearDepthY = depths.y;
  s.d_ShearDepthZ = depths.z;
}

}  // namespace ostrel
