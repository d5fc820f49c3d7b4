// The state of one stiffener element for the flexure tests: the run's design
// constants, f'c = 30, fy = 400, Es = 200000, normal density.
#ifndef OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H
#define OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "stiffener/StiffenerFlexure.h"

namespace ostrel {

class FlexureFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    SetDesignConstants();
    ClearFloatFaults();
    const modGlobal& g = Global();
    StiffenerSettings settings;
    settings.eps_cu = g.eps_cu;
    settings.eps_t = g.eps_t;
    settings.k_Pmax = g.k_Pmax;
    settings.k_Pcomp = g.k_Pcomp;
    settings.k_Ptens = g.k_Ptens;
    StartFlexureWork(settings, x);
  }

  // Combinations 1..n of the given types (0 service, 1 ultimate).
  void SetCombos(std::initializer_list<int16_t> types) {
    const int n = static_cast<int>(types.size());
    for (ComboEndArray* a : {&f.d_ComboPu, &f.d_ComboMuy, &f.d_ComboMuz, &f.d_ComboMomentAngle}) {
      a->Create(n);
    }
    int k = 0;
    for (const int16_t t : types) {
      ++k;
      if (t == 1) f.ultimateCombos.push_back(static_cast<int16_t>(k));
    }
  }

  // End forces of one ultimate combination as the driver prepares them.
  void SetForces(int k, int end, double pu, double muy, double muz) {
    muz = std::fabs(muz) < 0.0001 ? 0.0001 : muz;
    f.d_ComboPu(k, end) = pu;
    f.d_ComboMuy(k, end) = muy;
    f.d_ComboMuz(k, end) = muz;
    f.d_ComboMomentAngle(k, end) = std::atan(std::fabs(muy) / std::fabs(muz));
  }

  // A web W x H (shape 0 rectangle, else circle of diameter W) with the given
  // bar arrangement and covers, ratios 1 % to 4 %, geometry built; the
  // flange fields keep what the test set.
  const StiffenerSection& Rectangle(double w, double h, int16_t arrangement, double cover,
                                    int16_t shape = 0) {
    const modGlobal& g = Global();
    s.i_SectionType = shape;
    s.d_Width = w;
    s.d_Height = h;
    s.i_RFTType = arrangement;
    s.d_CoverY = s.d_CoverZ = cover;
    s.d_RatioMin = 0.01;
    s.d_RatioMax = 0.04;
    s.d_PhiFy = s.d_PhiFyComp = g.phi_s * 400.0;
    s.d_PhiEs = g.phi_s * 200000.0;
    s.d_Beta1 = 0.97 - 0.0025 * 30;
    s.d_BlockStress = g.phi_c * (0.85 - 0.0015 * 30) * 30;
    x.d_EpsYield = s.d_PhiFy / s.d_PhiEs;
    x.d_EpsYieldComp = -s.d_PhiFyComp / s.d_PhiEs;
    BuildSectionGeometry(s);
    return s;
  }

  // The trial steel: total area and the area of each bar.
  void SetSteel(double as) {
    x.d_As = as;
    x.d_BarArea = as / s.geo.d_NumBars;
  }

  // The element status and the governing record.
  void ExpectRecord(int16_t status, int16_t combo, double muy, double muz, double pu) const {
    EXPECT_EQ(r.i_ElementStatus, status);
    EXPECT_EQ(r.i_GovCombo, combo);
    EXPECT_EQ(r.d_GovMuy, muy);
    EXPECT_EQ(r.d_GovMuz, muz);
    EXPECT_EQ(r.d_GovPu, pu);
  }

  StiffenerSection s;
  StiffenerForces f;
  FlexureWork x;
  StiffenerRecord r;
};

}  // namespace ostrel

#endif  // OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H
