// Interaction diagrams of a stiffener section from the design's own
// capacity routines, on a section state of the diagram's own.
#include "stiffener/InteractionDiagram.h"

#include <cmath>

#include "model/CheckedMath.h"
#include "model/CrMath.h"
#include "model/modGlobal.h"
#include "stiffener/StiffenerDesign.h"
#include "stiffener/StiffenerFlexure.h"
#include "stiffener/StiffenerShearTorsion.h"

namespace ostrel {

namespace {

// Size of the demands the contour is traced with (N-mm). The ratio scales
// with the demand, so any size gives the same contour; a large one keeps the
// 0.0001 floor of Muz from turning the demand.
constexpr double kContourDemand = 1e9;

// Writes one load into end `end` of combination k of the forces.
void SetLoad(StiffenerForces& f, int k, int end, double P, double Muy, double Muz) {
  f.Pu(k, end) = P;
  f.Muy(k, end) = Muy;
  f.Muz(k, end) = Muz;
}

void StartCombinations(StiffenerForces& f, int count) {
  f.Pu.Create(count);
  f.Muy.Create(count);
  f.Muz.Create(count);
  f.momentAngle.Create(count);
}

}  // namespace

StiffenerInteraction::StiffenerInteraction(const modGlobal& model, int e, double ratio)
    : section_(StiffenerSectionOf(model, static_cast<int16_t>(e))),
      work_(std::make_unique<FlexureWork>()) {
  if (!CoversFit(section_)) {
    throw CapacityRefusal("the covers leave no room for the bars");
  }
  FlexureWork& x = *work_;
  StartFlexureWork(StiffenerSettingsOf(model), x);
  // The steel as a ratio trial of the flexure search sets it.
  x.As = ratio * section_.geo.areaWeb;
  x.barArea = x.As / section_.geo.numBars;
  StartCapacityCheck(x);
  CheckFloatFaults();
}

void StiffenerInteraction::FindAxialResistances() {
  if (resistancesKnown_) {
    return;
  }
  // One set of capacity points fixes the axial resistances of this steel.
  FlexureWork& x = *work_;
  ComputeCapacityPoints(section_, x, 0.0);
  pt_ = x.Pt;
  cap_ = -(x.kPmax * x.Po);
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

bool StiffenerInteraction::Flanged() const { return section_.hasFlanges != 0; }

double StiffenerInteraction::DirectionAngleDeg(int d) { return d == 8 ? 270.0 : (d - 1) * 15.0; }

StiffenerInteraction::Point StiffenerInteraction::PointOf(int d, double P) const {
  Point p;
  p.P = P;
  p.Muy = work_->capMuy[d];
  p.Muz = work_->capMuz[d];
  // Back into the frame of the direction: Ma, the moment about the neutral
  // axis, is negative when the face toward +w is compressed.
  p.M = -(p.Muz * section_.geo.dirCos[d] + p.Muy * section_.geo.dirSin[d]);
  return p;
}

StiffenerInteraction::Point StiffenerInteraction::Capacity(int d, double P) {
  ComputeCapacityPoints(section_, *work_, P);
  return PointOf(d, P);
}

void StiffenerInteraction::Curves(int first, int last, int n, Point* points, Point* control) {
  FlexureWork& x = *work_;
  FindAxialResistances();
  // One set of capacity points serves every direction at one axial force.
  auto atForce = [&](double P, Point* out, int stride) {
    ComputeCapacityPoints(section_, x, P);
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
    LoadCapacityDirection(section_, x, d);
    const double depth = x.frameTop - x.frameBottomBar;
    double F = 0;
    SectionForce(section_, x, depth * x.kb, F);
    control[(d - first) * kNumControl + kBalanced] = Capacity(d, x.kPcomp * F);
  }
  CheckFloatFaults();
}

void StiffenerInteraction::MomentCurve(double angle, int n, Point* points) {
  FindAxialResistances();
  const double muy = kContourDemand * DesignSin(angle);
  const double muz = kContourDemand * DesignCos(angle);
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
  StiffenerForces& f = forces_;
  if (Flanged()) {
    throw CapacityRefusal("a flanged section is checked for Muy alone and has no Muy-Muz contour");
  }
  // Beyond the squash load or the tensile resistance the section carries no
  // moment and the depth solve has no answer: the contour is empty.
  FindAxialResistances();
  if (P < -work_->Po || P > pt_) {
    return 0;
  }
  // Two demand directions per combination, one at each end.
  const int combos = (k + 1) / 2;
  StartCombinations(f, combos);
  const double quarter = (4 * DesignAtan(1.0)) / 2;
  for (int j = 0; j < 2 * combos; ++j) {
    const int c = j / 2 + 1;
    const int end = j % 2 + 1;
    if (j >= k) {
      SetLoad(f, c, end, P, 0, 0);
      continue;
    }
    const double psi = quarter * (static_cast<double>(j) / (k - 1));
    const double demandMuz = j == k - 1 ? 0.0 : kContourDemand * DesignCos(psi);
    SetLoad(f, c, end, P, kContourDemand * DesignSin(psi), demandMuz);
  }
  int written = 0;
  for (int c = 1; c <= combos; ++c) {
    PrepareUltimateMoments(f, c);
    const EndRatios ratios = CombinationRatios(section_, f, *work_, c);
    for (int end = 1; end <= 2; ++end) {
      const int j = 2 * (c - 1) + end - 1;
      if (j >= k || !ratios.has[end] || !(ratios.r[end] > 0)) {
        continue;
      }
      muy[written] = std::fabs(f.Muy(c, end)) / ratios.r[end];
      muz[written] = (j == k - 1 ? 0.0 : std::fabs(f.Muz(c, end))) / ratios.r[end];
      ++written;
    }
  }
  CheckFloatFaults();
  return written;
}

bool StiffenerInteraction::DemandCapacity(double P, double Muy, double Muz, double& ratio) {
  StiffenerForces& f = forces_;
  // Beyond the squash load the depth solve has no answer (the design's
  // axial bounds never let a check get there): the ratio is the axial one.
  FindAxialResistances();
  if (P < -work_->Po) {
    ratio = P / -work_->Po;
    return true;
  }
  StartCombinations(f, 1);
  SetLoad(f, 1, 1, P, Muy, Muz);
  // The other end: a demand the check answers without a search of its own
  // (a zero moment sits on the first contour point), or, flanged, the same.
  if (Flanged()) {
    SetLoad(f, 1, 2, P, Muy, Muz);
  } else {
    SetLoad(f, 1, 2, P, 0, 0);
  }
  PrepareUltimateMoments(f, 1);
  const EndRatios ratios = CombinationRatios(section_, f, *work_, 1);
  CheckFloatFaults();
  ratio = ratios.has[1] ? ratios.r[1] : 0.0;
  return ratios.has[1];
}

ShearStressCheck StiffenerInteraction::ShearStress(bool alongY, double V, double T,
                                                   bool& checked) {
  // A flanged element gets no shear check along y.
  checked = !(alongY && section_.hasFlanges != 0);
  const ShearStressCheck check =
      ShearStressRatios(section_, ShearDirectionOf(section_, alongY), std::fabs(V), std::fabs(T));
  CheckFloatFaults();
  return check;
}

}  // namespace ostrel
