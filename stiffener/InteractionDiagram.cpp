// Interaction diagrams of a stiffener section from the design's own
// capacity routines, on a section state of the diagram's own.
#include "stiffener/InteractionDiagram.h"

#include <cmath>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "stiffener/StiffenerDesign.h"
#include "stiffener/StiffenerFlexure.h"
#include "stiffener/StiffenerShearTorsion.h"
#include "stiffener/modBeamDesignCSA94.h"

namespace ostrel {

namespace {

// Size of the demands the contour is traced with (N-mm). The ratio scales
// with the demand, so any size gives the same contour; a large one keeps the
// 0.0001 floor of Muz from turning the demand.
constexpr double kContourDemand = 1e9;

// Writes one load into end `end` of combination k of the state's tables.
void SetLoad(modBeamDesignCSA94& s, int k, int end, double P, double Muy, double Muz) {
  s.d_ComboPu(k, end) = P;
  s.d_ComboMuy(k, end) = Muy;
  s.d_ComboMuz(k, end) = Muz;
}

void StartCombinations(modBeamDesignCSA94& s, int count) {
  s.d_ComboPu.Create(count);
  s.d_ComboMuy.Create(count);
  s.d_ComboMuz.Create(count);
  s.d_ComboMomentAngle.Create(count);
}

}  // namespace

StiffenerInteraction::StiffenerInteraction(const modGlobal& model, int e, double ratio)
    : s_(std::make_unique<modBeamDesignCSA94>()) {
  modBeamDesignCSA94& s = *s_;
  s.i_ElementStatus = DESIGN_PASS;
  PrepareSectionState(model, e, s);
  if (!CoversFit(s)) {
    throw CapacityRefusal("the covers leave no room for the bars");
  }
  BuildSectionGeometry(model, s);
  ComputeTorsionSectionProperties(s);
  // The steel as a ratio trial of the flexure search sets it.
  s.d_As = ratio * s.geo.d_AreaWeb;
  s.flex.d_BarArea = s.d_As / s.geo.d_NumBars;
  StartCapacityCheck(s);
  CheckFloatFaults();
}

void StiffenerInteraction::FindAxialResistances() {
  if (resistancesKnown_) {
    return;
  }
  // One set of capacity points fixes the axial resistances of this steel.
  modBeamDesignCSA94& s = *s_;
  ComputeCapacityPoints(s, 0.0);
  pt_ = s.flex.d_Pt;
  cap_ = -(s.flex.k_Pmax * s.flex.d_Po);
  resistancesKnown_ = true;
}

double StiffenerInteraction::TensileResistance() {
  FindAxialResistances();
  return pt_;
}

double StiffenerInteraction::CompressiveCap() {
  FindAxialResistances();
  return cap_;
}

StiffenerInteraction::~StiffenerInteraction() = default;

bool StiffenerInteraction::Flanged() const { return s_->bt_HasFlanges != 0; }

double StiffenerInteraction::DirectionAngleDeg(int d) { return d == 8 ? 270.0 : (d - 1) * 15.0; }

StiffenerInteraction::Point StiffenerInteraction::PointOf(int d, double P) const {
  const modBeamDesignCSA94& s = *s_;
  Point p;
  p.P = P;
  p.Muy = s.flex.d_CapMuy[d];
  p.Muz = s.flex.d_CapMuz[d];
  // Back into the frame of the direction: Ma, the moment about the neutral
  // axis, is negative when the face toward +w is compressed.
  p.M = -(p.Muz * s.geo.d_DirCos[d] + p.Muy * s.geo.d_DirSin[d]);
  return p;
}

StiffenerInteraction::Point StiffenerInteraction::Capacity(int d, double P) {
  ComputeCapacityPoints(*s_, P);
  return PointOf(d, P);
}

void StiffenerInteraction::Curves(int first, int last, int n, Point* points, Point* control) {
  modBeamDesignCSA94& s = *s_;
  FindAxialResistances();
  // One set of capacity points serves every direction at one axial force.
  auto atForce = [&](double P, Point* out, int stride) {
    ComputeCapacityPoints(s, P);
    for (int d = first; d <= last; ++d) {
      out[(d - first) * stride] = PointOf(d, P);
    }
  };
  for (int i = 0; i < n; ++i) {
    const double P = i == n - 1 ? cap_ : pt_ + (cap_ - pt_) * (static_cast<double>(i) / (n - 1));
    atForce(P, points + i, n);
  }
  if (control == nullptr) {
    return;
  }
  atForce(pt_, control + kTension, kNumControl);
  atForce(0.0, control + kPureBending, kNumControl);
  atForce(cap_, control + kCap, kNumControl);
  for (int d = first; d <= last; ++d) {
    // Balanced: the depth solve's first trial, the extreme bar at yield as
    // the concrete reaches its crushing strain; a solve for that force ends
    // there.
    LoadCapacityDirection(s, d);
    const double depth = s.flex.d_FrameTop - s.flex.d_FrameBottomBar;
    double F = 0;
    ComputeSectionForce(s, F, depth * s.flex.d_Kb);
    control[(d - first) * kNumControl + kBalanced] = Capacity(d, s.flex.k_Pcomp * F);
  }
  CheckFloatFaults();
}

void StiffenerInteraction::MomentCurve(double angle, int n, Point* points) {
  FindAxialResistances();
  const double muy = kContourDemand * std::sin(angle);
  const double muz = kContourDemand * std::cos(angle);
  if (Flanged() && std::fabs(muz) > 1e-6 * kContourDemand) {
    throw CapacityRefusal("a flanged section is checked for Muy alone: its moment direction is "
                          "90 or 270 degrees");
  }
  for (int i = 0; i < n; ++i) {
    const double P = i == n - 1 ? cap_ : pt_ + (cap_ - pt_) * (static_cast<double>(i) / (n - 1));
    double ratio = 0;
    Point& p = points[i];
    p.P = P;
    if (DemandCapacity(P, muy, Flanged() ? 0.0 : muz, ratio) && ratio > 0) {
      p.Muy = muy / ratio;
      p.Muz = Flanged() ? 0.0 : muz / ratio;
    }
    p.M = std::hypot(p.Muy, p.Muz);
  }
  CheckFloatFaults();
}

int StiffenerInteraction::Contour(double P, int k, double* muy, double* muz) {
  modBeamDesignCSA94& s = *s_;
  if (Flanged()) {
    throw CapacityRefusal("a flanged section is checked for Muy alone and has no Muy-Muz contour");
  }
  // Two demand directions per combination, one at each end.
  const int combos = (k + 1) / 2;
  StartCombinations(s, combos);
  const double quarter = (4 * std::atan(1.0)) / 2;
  for (int j = 0; j < 2 * combos; ++j) {
    const int c = j / 2 + 1;
    const int end = j % 2 + 1;
    if (j >= k) {
      SetLoad(s, c, end, P, 0, 0);
      continue;
    }
    const double psi = quarter * (static_cast<double>(j) / (k - 1));
    const double demandMuz = j == k - 1 ? 0.0 : kContourDemand * std::cos(psi);
    SetLoad(s, c, end, P, kContourDemand * std::sin(psi), demandMuz);
  }
  int written = 0;
  for (int c = 1; c <= combos; ++c) {
    PrepareUltimateMoments(s, c);
    const EndRatios ratios = CombinationRatios(s, c);
    for (int end = 1; end <= 2; ++end) {
      const int j = 2 * (c - 1) + end - 1;
      if (j >= k || !ratios.has[end] || !(ratios.r[end] > 0)) {
        continue;
      }
      muy[written] = std::fabs(s.d_ComboMuy(c, end)) / ratios.r[end];
      muz[written] = (j == k - 1 ? 0.0 : std::fabs(s.d_ComboMuz(c, end))) / ratios.r[end];
      ++written;
    }
  }
  CheckFloatFaults();
  return written;
}

bool StiffenerInteraction::DemandCapacity(double P, double Muy, double Muz, double& ratio) {
  modBeamDesignCSA94& s = *s_;
  // Beyond the squash load the depth solve has no answer (the design's
  // axial bounds never let a check get there): the ratio is the axial one.
  FindAxialResistances();
  if (P < -s.flex.d_Po) {
    ratio = P / -s.flex.d_Po;
    return true;
  }
  StartCombinations(s, 1);
  SetLoad(s, 1, 1, P, Muy, Muz);
  // The other end: a demand the check answers without a search of its own
  // (a zero moment sits on the first contour point), or, flanged, the same.
  if (Flanged()) {
    SetLoad(s, 1, 2, P, Muy, Muz);
  } else {
    SetLoad(s, 1, 2, P, 0, 0);
  }
  PrepareUltimateMoments(s, 1);
  const EndRatios ratios = CombinationRatios(s, 1);
  CheckFloatFaults();
  ratio = ratios.has[1] ? ratios.r[1] : 0.0;
  return ratios.has[1];
}

ShearStressCheck StiffenerInteraction::ShearStress(bool alongY, double V, double T,
                                                   bool& checked) {
  modBeamDesignCSA94& s = *s_;
  PrepareShearDirection(s, alongY);
  // A flanged element gets no shear check along y.
  checked = !(alongY && s.bt_HasFlanges != 0);
  const ShearStressCheck check = ShearStressRatios(s, std::fabs(V), std::fabs(T));
  CheckFloatFaults();
  return check;
}

}  // namespace ostrel
