// The capacity functions agree with the design on every golden model: each
// passing element whose ratio is above its minimum has governing
// demand/capacity <= 1 at its designed ratio and some > 1 (or an axial force
// beyond the section's axial resistance) 0.01 percentage points lower; each
// element failing for steel has some > 1 (or the axial force beyond) at its
// maximum; and points of the curves and of the contour have
// demand/capacity 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "OstrelDesignCSA94.hpp"
#include "golden/GoldenModels.h"
#include "support/FakeAnalysis.h"
#include "support/MessageCapture.h"

namespace ostrel::golden {
namespace {

constexpr int kPass = 0, kUseTies = 1, kFailSteel = 3;

OstrelStiffenerProperties Section(const StiffenerInput& s) {
  return {s.sectionType, s.projection, s.width, s.height, s.leftFlangeWidth,
          s.leftFlangeThickness, s.rightFlangeWidth, s.rightFlangeThickness, s.fc, s.density,
          s.fy, s.es, s.minRatio, s.maxRatio, s.rftType, s.coverZ, s.coverY, s.coverZst,
          s.coverYst, 0};
}

OstrelPlateProperties Plate(const PlateInput& p) {
  return {p.thickness, p.fc, p.fy, p.es, p.minX, p.maxX, p.minY, p.maxY, p.curtains,
          p.coverX, p.coverY};
}

// What one steel ratio gives an element: the largest demand/capacity over
// its ultimate combinations, and whether an axial force of them (with the
// design's margins) lies beyond its axial resistance.
struct Verdict {
  double worst = 0;
  bool axialBeyond = false;
  bool Fails() const { return worst > 1.0 || axialBeyond; }
};

class CapacityConsistency : public ::testing::TestWithParam<GoldenModel> {
 protected:
  Verdict Stiffener(const GoldenModel& m, int e, float ratio) {
    const OstrelStiffenerProperties s = Section(m.stiffeners[e]);
    std::vector<OstrelCurvePoint> curve, control;
    EXPECT_EQ(clsDesignCSA94::StiffenerCurve(m.units, s, ratio, 1, 2, curve, control), 0);
    Verdict v;
    for (size_t k = 0; k < m.comboTypes.size(); ++k) {
      if (m.comboTypes[k] != 1) continue;
      const std::array<float, 12>& f = m.stiffenerForces[e][k];
      v.axialBeyond |= f[0] * 1.0001 < control[3].d_P || f[0] * 1.0001 * 1.01 > control[0].d_P;
      for (int end = 0; end < 2; ++end) {
        double dc = 0;
        bool has = false;
        EXPECT_EQ(clsDesignCSA94::StiffenerDemandCapacity(m.units, s, ratio, f[0], f[end * 6 + 4],
                                                          f[end * 6 + 5], dc, has),
                  0);
        v.worst = std::max(v.worst, dc);
      }
    }
    return v;
  }
  Verdict PlateDirection(const GoldenModel& m, int e, uint8_t direction, float ratio) {
    const OstrelPlateProperties p = Plate(m.plates[e]);
    std::vector<double> N, M;
    EXPECT_EQ(clsDesignCSA94::PlateStripCurve(m.units, p, ratio, direction, 2, N, M), 0);
    Verdict v;
    for (size_t k = 0; k < m.comboTypes.size(); ++k) {
      if (m.comboTypes[k] != 1) continue;
      double dc = 0, n = 0, mu = 0;
      EXPECT_EQ(clsDesignCSA94::PlateStripDemandCapacity(m.units, p, ratio, direction,
                                                         m.plateForces[e][k], dc, n, mu),
                0);
      v.worst = std::max(v.worst, dc);
      // The Wood-Armer values of the axial force, against the cap and Tr.
      const std::array<float, 6>& f = m.plateForces[e][k];
      const double own = direction == OSTREL_PLATE_X ? f[0] : f[1];
      const double other = direction == OSTREL_PLATE_X ? f[1] : f[0];
      const double twist = std::abs(double(f[2]));
      const double plus = other + twist < 0 ? own + std::abs(twist * twist / other) : own + twist;
      const double minus = other - twist > 0 ? own - std::abs(twist * twist / other) : own - twist;
      v.axialBeyond |= minus * 1.0001 < N[1] || plus * 1.0001 * 1.01 > N[0];
    }
    return v;
  }
};

// Checks the designed ratio against its neighbourhood; `label` names the
// element in a failure.
void ExpectDesignAgrees(int status, float ratio, float minimum, float maximum,
                        const std::function<Verdict(float)>& at, const std::string& label) {
  if (status == kPass || status == kUseTies) {
    EXPECT_LE(at(ratio).worst, 1.0 + 1e-9) << label << " at its ratio " << ratio;
    if (ratio > minimum + 0.0101f) {
      EXPECT_TRUE(at(ratio - 0.01f).Fails()) << label << " at " << ratio - 0.01f;
    }
  } else if (status == kFailSteel) {
    EXPECT_TRUE(at(maximum).Fails()) << label << " at its maximum " << maximum;
  }
}

TEST_P(CapacityConsistency, DesignedRatiosSitAtDemandCapacityOne) {
  const GoldenModel& m = GetParam();
  std::thread([&] {
    test::FakeAnalysis fake;
    LoadAnalysis(fake, m);
    fake.Register();
    test::MessageCapture capture;
    clsDesignCSA94* obj = clsDesignCSA94_Create();
    std::vector<std::string> problems;
    SendModel(obj, m, problems);
    ASSERT_EQ(clsDesignCSA94_RunDesign(obj), 0);
    for (int32_t e = 1; e <= static_cast<int32_t>(m.stiffeners.size()); ++e) {
      float as, ratio, muy, muz, pu;
      int16_t combo;
      uint8_t status;
      ASSERT_EQ(clsDesignCSA94_Get_Envelope_StiffernerFlexureRFT(obj, e, &as, &ratio, &combo, &muy,
                                                                 &muz, &pu, &status),
                0);
      const StiffenerInput& s = m.stiffeners[e - 1];
      ExpectDesignAgrees(status, ratio, s.minRatio, s.maxRatio,
                         [&](float r) { return Stiffener(m, e - 1, r); },
                         m.name + " stiffener " + std::to_string(e));
    }
    for (int32_t e = 1; e <= static_cast<int32_t>(m.plates.size()); ++e) {
      uint8_t curtains, sx, sy;
      float a[2], r[2], mu[2], pu[2];
      int16_t c[2];
      ASSERT_EQ(clsDesignCSA94_Get_Envelope_PlateFlexureRFT(obj, e, &curtains, &a[0], &r[0],
                                                            &mu[0], &pu[0], &c[0], &sx, &a[1],
                                                            &r[1], &mu[1], &pu[1], &c[1], &sy),
                0);
      const PlateInput& p = m.plates[e - 1];
      ExpectDesignAgrees(sx, r[0], std::max(p.minX, 0.2f), p.maxX,
                         [&](float q) { return PlateDirection(m, e - 1, OSTREL_PLATE_X, q); },
                         m.name + " plate x " + std::to_string(e));
      ExpectDesignAgrees(sy, r[1], std::max(p.minY, 0.15f), p.maxY,
                         [&](float q) { return PlateDirection(m, e - 1, OSTREL_PLATE_Y, q); },
                         m.name + " plate y " + std::to_string(e));
    }
    EXPECT_EQ(capture.count(), 0u) << capture.last();
    clsDesignCSA94_Release(obj);
  }).join();
}

// A point of a curve or of the contour, given back as a load, has
// demand/capacity 1 (within the rounding of the load to 32-bit floats).
TEST_P(CapacityConsistency, CurveAndContourPointsHaveDemandCapacityOne) {
  const GoldenModel& m = GetParam();
  test::MessageCapture capture;
  for (size_t e = 0; e < std::min<size_t>(m.stiffeners.size(), 6); ++e) {
    const OstrelStiffenerProperties s = Section(m.stiffeners[e]);
    const float ratio = 2.5f;
    std::vector<OstrelCurvePoint> curve, control;
    if (clsDesignCSA94::StiffenerCurve(m.units, s, ratio, 0, 12, curve, control) != 0) continue;
    const bool flanged = s.f_LeftFlangeWidth > 0.0001f || s.f_RightFlangeWidth > 0.0001f;
    for (int d = flanged ? 7 : 1; d <= (flanged ? 8 : 7); ++d) {
      for (int i = 1; i < 11; ++i) {
        const OstrelCurvePoint& q = curve[static_cast<size_t>((d - 1) * 12 + i)];
        double dc = 0;
        bool has = false;
        ASSERT_EQ(clsDesignCSA94::StiffenerDemandCapacity(m.units, s, ratio, float(q.d_P),
                                                          float(q.d_Muy), float(q.d_Muz), dc, has),
                  0);
        if (flanged) continue;  // about the plastic centroid: checked through the contour
        EXPECT_NEAR(dc, 1.0, 1e-4) << m.name << " stiffener " << e + 1 << " direction " << d;
      }
    }
    if (flanged) continue;
    std::vector<double> muy, muz;
    const float P = float(control[1].d_P + control[2].d_P) / 2;
    ASSERT_EQ(clsDesignCSA94::StiffenerContour(m.units, s, ratio, P, 9, muy, muz), 0);
    for (size_t j = 0; j < muy.size(); ++j) {
      double dc = 0;
      bool has = false;
      ASSERT_EQ(clsDesignCSA94::StiffenerDemandCapacity(m.units, s, ratio, P, float(muy[j]),
                                                        float(muz[j]), dc, has),
                0);
      EXPECT_NEAR(dc, 1.0, 1e-4) << m.name << " stiffener " << e + 1 << " contour " << j;
    }
  }
  for (size_t e = 0; e < std::min<size_t>(m.plates.size(), 6); ++e) {
    const OstrelPlateProperties p = Plate(m.plates[e]);
    std::vector<double> N, M;
    if (clsDesignCSA94::PlateStripCurve(m.units, p, 1.0f, OSTREL_PLATE_Y, 10, N, M) != 0) continue;
    for (size_t i = 1; i + 1 < N.size(); ++i) {
      if (i == 9 || i == 10) continue;  // the cap, where the axial ratio governs
      double dc = 0, n = 0, mu = 0;
      ASSERT_EQ(clsDesignCSA94::PlateStripDemandCapacity(
                    m.units, p, 1.0f, OSTREL_PLATE_Y, {0, float(N[i]), 0, 0, float(M[i]), 0}, dc,
                    n, mu),
                0);
      EXPECT_NEAR(dc, 1.0, 1e-4) << m.name << " plate " << e + 1 << " point " << i;
    }
  }
  EXPECT_EQ(capture.count(), 0u) << capture.last();
}

INSTANTIATE_TEST_SUITE_P(Golden, CapacityConsistency, ::testing::ValuesIn(BuildGoldenModels()),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace ostrel::golden
