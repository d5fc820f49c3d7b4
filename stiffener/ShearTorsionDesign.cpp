// Shear and torsion design of a stiffener section by the simplified method of
// CSA A23.3-94 (compression diagonals at 45 degrees): the upper limit of the
// shear stress, the stirrups for shear with the torsion acting with it, and
// the torsion stirrups with their longitudinal steel. Only the end-1 forces of
// each ultimate combination are designed for.
#include <cmath>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "stiffener/StiffenerShearTorsion.h"

namespace ostrel {

namespace {

// Starts the governing slots at the end-1 values of the first ultimate
// combination, which stand when no combination needs any steel.
void StartGoverningSlots(const StiffenerForces& f, StiffenerRecord& r) {
  const int j = f.firstUltimateCombo;
  r.govPu = f.Pu(j, 1);
  r.govTu = std::fabs(f.Tu(j, 1));
  r.govVu = std::fabs(f.Vu(j, 1));
  r.govCombo = f.firstUltimateCombo;
}

// Cracking-torque term k * lambda * phiC * sqrt(f'c) * Acp^2 / pcp; torsion
// up to a tenth of it is neglected.
double TorsionThresholdTerm(const StiffenerSection& s, double kShear) {
  return ((kShear * s.lambdaPhiSqrtFc) * (s.Acp * s.Acp)) / s.pcp;
}

// One-leg torsion stirrup area per unit length for torsion t, with the
// enclosed area of the shear flow taken as 0.85 Aoh.
double TorsionStirrups(const StiffenerSection& s, double kShear, double t) {
  const double ao = 0.85 * s.Aoh;
  return t / (((2 * kShear) * ao) * s.phiFyStirrup);
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

// What the shear design of one combination needs from the section, computed
// once per direction: the concrete shear resistance without axial force, the
// shear above which the spacing limits halve, the torsion threshold term and
// the size-effect factor.
struct ShearTerms {
  double vc0;
  double vLimit;
  double tc;
  double g0;
};

// Stirrups per unit length for the shear v and torsion t of one combination
// with axial force p (demand -2 when neither needs any), with their spacing
// (-1 when none is set).
void CombinationStirrups(const StiffenerSection& s, const ShearDirection& sh, double kShear,
                         const ShearTerms& k, double p, double v, double t, double& total,
                         double& spacing) {
  const double d = sh.depth;
  double demand = -2;  // no stirrups needed for shear
  spacing = -1;
  // Axial tension reduces the concrete contribution, down to nothing.
  double axial = 1;
  if (p > 0) {
    axial = 1 - p / ((0.6 * s.lambdaPhiSqrtFc) * s.geo.areaGross);
    if (axial < 0) {
      axial = 0;
    }
  }
  const double vc = (axial * 0.2) * k.vc0;
  if (k.g0 * vc < v) {
    double vs = v - vc;
    if (!(vs > 0)) {
      vs = 0;
    }
    if (v > k.vLimit) {
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
    demand = vs / ((kShear * s.phiFyStirrup) * d);
  }
  double torsion = 0;
  if (t > 0.1 * k.tc) {
    if (demand < 0) {
      demand = 0;
    }
    torsion = TorsionStirrups(s, kShear, t);
    const double perimeterLimit = s.ph / 8;
    if (!(spacing >= 0 && perimeterLimit >= spacing)) {
      spacing = perimeterLimit;
    }
    if (spacing > 300) {
      spacing = 300;
    }
  }
  total = demand + 2 * torsion;
}

}  // namespace

void CheckMaxShearStress(const StiffenerSection& s, const StiffenerForces& f,
                         const ShearDirection& sh, uint8_t direction, StiffenerRecord& r) {
  const double c1 = 0.2 * s.lambdaPhiSqrtFc;   // concrete share of the shear stress
  const double c2 = 0.8 * s.lambdaPhiSqrtFc;   // largest steel share
  const double c3 = 0.25 * s.phiFc;            // crushing of the diagonals
  double best = -1;

  for (const int16_t k : f.ultimateCombos) {
    const double p = f.Pu(k, 1);
    const double v = std::fabs(f.Vu(k, 1));
    const double t = std::fabs(f.Tu(k, 1));
    const double stress = v / (sh.depth * sh.width);
    const double excess = stress - c1 > 0 ? stress - c1 : 0.0;
    const double steelRatio = excess / c2;
    const double crushingRatio = ((t * s.ph) / (s.Aoh * s.Aoh) + stress) / c3;
    const double ratio = steelRatio > crushingRatio ? steelRatio : crushingRatio;
    if (ratio > best) {
      best = ratio;
      r.govSpacing = 0;
      r.AvOverS = 0;
      r.govPu = p;
      r.govTu = t;
      r.govVu = v;
      r.govCombo = k;
    }
  }

  if (best > 1.00001) {
    r.status = direction == 1 ? Fail_ShearStressExceedMaximum_y : Fail_ShearStressExceedMaximum_z;
  }
}

void DesignShearSteel(const StiffenerSection& s, const StiffenerForces& f,
                      const ShearDirection& sh, const StiffenerSettings& settings,
                      StiffenerRecord& r) {
  const double kShear = settings.kShear;
  const double d = sh.depth;
  const double bw = sh.width;

  r.AvOverS = -1;
  r.govSpacing = -1;
  StartGoverningSlots(f, r);

  const ShearTerms terms{((kShear * s.lambdaPhiSqrtFc) * bw) * d,
                         ((0.1 * s.lambdaPhiFc) * bw) * d, TorsionThresholdTerm(s, kShear),
                         StirrupThresholdFactor(d)};
  for (const int16_t k : f.ultimateCombos) {
    const double p = f.Pu(k, 1);
    const double v = std::fabs(f.Vu(k, 1));
    const double t = std::fabs(f.Tu(k, 1));
    double total = 0;
    double spacing = 0;
    CombinationStirrups(s, sh, kShear, terms, p, v, t, total, spacing);
    if (total > r.AvOverS) {
      r.govPu = p;
      r.govTu = t;
      r.govVu = v;
      r.govCombo = k;
      r.AvOverS = total;
      r.govSpacing = spacing;
    }
  }

  if (r.AvOverS <= -0.0001) {
    r.AvOverS = 0;
    return;
  }
  // Minimum stirrups 0.06 sqrt(f'c) bw / fy.
  const double minimum =
      ((0.06 * (s.phiSqrtFc / settings.phiC)) * bw) / (s.phiFyStirrup / settings.phiS);
  if (r.AvOverS < minimum) {
    r.AvOverS = minimum;
  }
}

void DesignTorsionSteel(const StiffenerSection& s, const StiffenerForces& f,
                        const StiffenerSettings& settings, StiffenerRecord& r) {
  const double kShear = settings.kShear;

  r.AtOverS = -1;
  r.govSpacing = -1;
  r.Al = 0;
  StartGoverningSlots(f, r);

  const double tc = TorsionThresholdTerm(s, kShear);

  for (const int16_t k : f.ultimateCombos) {
    const double p = f.Pu(k, 1);
    const double t = std::fabs(f.Tu(k, 1));
    if (!(t > 0.1 * tc)) {
      continue;
    }
    const double at = TorsionStirrups(s, kShear, t);
    double spacing = s.ph / 8;
    if (spacing > 300) {
      spacing = 300;
    }
    const double al = ToFloat32(((at * s.ph) * s.phiFyStirrup) / s.phiFy);
    if (at > r.AtOverS) {
      r.govPu = p;
      r.govTu = t;
      r.govVu = 0;
      r.govCombo = k;
      r.AtOverS = at;
      r.Al = al;
      r.govSpacing = spacing;
    }
  }

  // No minimum torsion reinforcement.
  if (r.AtOverS < 0) {
    r.AtOverS = 0;
  }
}

}  // namespace ostrel
