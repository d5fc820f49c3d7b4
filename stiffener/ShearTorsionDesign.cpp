// Shear and torsion design of a stiffener section by the simplified method of
// CSA A23.3-94 (compression diagonals at 45 degrees): the upper limit of the
// shear stress, the stirrups for shear with the torsion acting with it, and
// the torsion stirrups with their longitudinal steel. Only the end-1 forces of
// each ultimate combination are designed for.
#include <cmath>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "stiffener/StiffenerShearTorsion.h"
#include "stiffener/modBeamDesignCSA94.h"

namespace ostrel {

namespace {

bool IsUltimate(const modGlobal& g, int k) { return g.LoadCombo.bt_ComboType(k) == 1; }

// Starts the governing slots at the end-1 values of the first ultimate
// combination, which stand when no combination needs any steel.
void StartGoverningSlots(modBeamDesignCSA94& s) {
  const int j = s.i_FirstUltimateCombo;
  s.d_GovPu = s.d_ComboPu(j, 1);
  s.d_GovTu = std::fabs(s.d_ComboT(j, 1));
  s.d_GovVu = std::fabs(s.d_ComboV(j, 1));
  s.i_GovCombo = s.i_FirstUltimateCombo;
}

// Cracking-torque term k * lambda * phi_c * sqrt(f'c) * Acp^2 / pcp; torsion
// up to a tenth of it is neglected.
double TorsionThresholdTerm(const modBeamDesignCSA94& s, double kShear) {
  return ((kShear * s.d_LambdaPhiSqrtFc) * (s.d_Acp * s.d_Acp)) / s.d_Pcp;
}

// One-leg torsion stirrup area per unit length for torsion t, with the
// enclosed area of the shear flow taken as 0.85 Aoh.
double TorsionStirrups(const modBeamDesignCSA94& s, double kShear, double t) {
  const double ao = 0.85 * s.d_Aoh;
  return t / (((2 * kShear) * ao) * s.d_PhiFyStirrup);
}

// Size-effect factor applied to the concrete shear resistance when deciding
// whether stirrups are needed.
double StirrupThresholdFactor(double depth) {
  if (depth <= 300) {
    return 0.5;
  }
  double x = 1300 / (1000 + depth);
  if (x < 0.5) {
    x = 0.5;
  }
  return 0.5 * x;
}

}  // namespace

ShearStressCheck ShearStressRatios(const modBeamDesignCSA94& s, double v, double t) {
  ShearStressCheck out;
  const double c1 = 0.2 * s.d_LambdaPhiSqrtFc;  // concrete share of the shear stress
  const double c2 = 0.8 * s.d_LambdaPhiSqrtFc;  // largest steel share
  const double c3 = 0.25 * s.d_PhiFc;           // crushing of the diagonals
  out.shearStress = v / (s.d_ShearDepth * s.d_ShearWidth);
  out.shearLimit = c1 + c2;
  const double excess = out.shearStress - c1 > 0 ? out.shearStress - c1 : 0.0;
  out.steelRatio = excess / c2;
  out.combinedStress = (t * s.d_Ph) / (s.d_Aoh * s.d_Aoh) + out.shearStress;
  out.combinedLimit = c3;
  out.crushingRatio = out.combinedStress / c3;
  return out;
}

void CheckMaxShearStress(const uint8_t& bt_Direction) {
  const modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  double best = -1;

  for (int k = 1; k <= g.i_NumLoadCombos; ++k) {
    if (!IsUltimate(g, k)) {
      continue;
    }
    const double p = s.d_ComboPu(k, 1);
    const double v = std::fabs(s.d_ComboV(k, 1));
    const double t = std::fabs(s.d_ComboT(k, 1));
    const double ratio = ShearStressRatios(s, v, t).Governing();
    if (ratio > best) {
      best = ratio;
      s.d_GovSpacing = 0;
      s.d_AvOverS = 0;
      s.d_GovPu = p;
      s.d_GovTu = t;
      s.d_GovVu = v;
      s.i_GovCombo = static_cast<int16_t>(k);
    }
  }

  if (best > 1.00001) {
    s.i_ElementStatus = bt_Direction == 1 ? Fail_ShearStreessExceedMaximum_y
                                          : Fail_ShearStreessExceedMaximum_z;
  }
}

void DesignShearSteel() {
  const modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  const double kShear = g.k_shear;
  const double d = s.d_ShearDepth;
  const double bw = s.d_ShearWidth;

  s.d_AvOverS = -1;
  s.d_GovSpacing = -1;
  StartGoverningSlots(s);

  const double vc0 = ((kShear * s.d_LambdaPhiSqrtFc) * bw) * d;
  const double vLimit = ((0.1 * s.d_LambdaPhiFc) * bw) * d;
  const double tc = TorsionThresholdTerm(s, kShear);
  const double g0 = StirrupThresholdFactor(d);

  for (int k = 1; k <= g.i_NumLoadCombos; ++k) {
    if (!IsUltimate(g, k)) {
      continue;
    }
    double demand = -2;  // no stirrups needed for shear
    double spacing = -1;
    const double p = s.d_ComboPu(k, 1);
    const double v = std::fabs(s.d_ComboV(k, 1));
    const double t = std::fabs(s.d_ComboT(k, 1));

    // Axial tension reduces the concrete contribution, down to nothing.
    double axial = 1;
    if (p > 0) {
      axial = 1 - p / ((0.6 * s.d_LambdaPhiSqrtFc) * s.geo.d_AreaGross);
      if (axial < 0) {
        axial = 0;
      }
    }
    const double vc = (axial * 0.2) * vc0;

    if (g0 * vc < v) {
      double vs = v - vc;
      if (!(vs > 0)) {
        vs = 0;
      }
      if (v > vLimit) {
        spacing = 0.35 * d;
        if (spacing > 300) {
          spacing = 300;
        }
      } else {
        spacing = 0.7 * d;
        if (spacing > 600) {
          spacing = 600;
        }
      }
      demand = vs / ((kShear * s.d_PhiFyStirrup) * d);
    }

    double torsion = 0;
    if (t > 0.1 * tc) {
      if (demand < 0) {
        demand = 0;
      }
      torsion = TorsionStirrups(s, kShear, t);
      const double perimeterLimit = s.d_Ph / 8;
      if (!(spacing >= 0 && perimeterLimit >= spacing)) {
        spacing = perimeterLimit;
      }
      if (spacing > 300) {
        spacing = 300;
      }
    }

    const double total = demand + 2 * torsion;
    if (total > s.d_AvOverS) {
      s.d_GovPu = p;
      s.d_GovTu = t;
      s.d_GovVu = v;
      s.i_GovCombo = static_cast<int16_t>(k);
      s.d_AvOverS = total;
      s.d_GovSpacing = spacing;
    }
  }

  if (s.d_AvOverS <= -0.0001) {
    s.d_AvOverS = 0;
    return;
  }
  // Minimum stirrups 0.06 sqrt(f'c) bw / fy.
  const double minimum = ((0.06 * (s.d_PhiSqrtFc / g.phi_c)) * bw) / (s.d_PhiFyStirrup / g.phi_s);
  if (s.d_AvOverS < minimum) {
    s.d_AvOverS = minimum;
  }
}

void DesignTorsionSteel() {
  const modGlobal& g = Global();
  modBeamDesignCSA94& s = BeamState();
  const double kShear = g.k_shear;

  s.d_AtOverS = -1;
  s.d_GovSpacing = -1;
  s.d_Al = 0;
  StartGoverningSlots(s);

  const double tc = TorsionThresholdTerm(s, kShear);

  for (int k = 1; k <= g.i_NumLoadCombos; ++k) {
    if (!IsUltimate(g, k)) {
      continue;
    }
    const double p = s.d_ComboPu(k, 1);
    const double t = std::fabs(s.d_ComboT(k, 1));
    if (!(t > 0.1 * tc)) {
      continue;
    }
    const double at = TorsionStirrups(s, kShear, t);
    double spacing = s.d_Ph / 8;
    if (spacing > 300) {
      spacing = 300;
    }
    const double al = ToFloat32(((at * s.d_Ph) * s.d_PhiFyStirrup) / s.d_PhiFy);
    if (at > s.d_AtOverS) {
      s.d_GovPu = p;
      s.d_GovTu = t;
      s.d_GovVu = 0;
      s.i_GovCombo = static_cast<int16_t>(k);
      s.d_AtOverS = at;
      s.d_Al = al;
      s.d_GovSpacing = spacing;
    }
  }

  // No minimum torsion reinforcement.
  if (s.d_AtOverS < 0) {
    s.d_AtOverS = 0;
  }
}

}  // namespace ostrel
