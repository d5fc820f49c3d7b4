// Section state of a stiffener element for the flexure tests: the run's
// design constants, f'c = 30, fy = 400, Es = 200000, normal density.
#ifndef OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H
#define OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "model/modGlobal.h"
#include "model/modDesign.h"
#include "stiffener/StiffenerFlexure.h"
#include "stiffener/modBeamDesignCSA94.h"

namespace ostrel {

class FlexureFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    BeamState() = modBeamDesignCSA94{};
    Design().i_SuspendFlag = 0;
    SetDesignConstants();
    ClearFloatFaults();
  }
  void TearDown() override { BeamState() = modBeamDesignCSA94{}; }

  // Combinations 1..n of the given types (0 service, 1 ultimate).
  static void SetCombos(std::initializer_list<int16_t> types) {
    modGlobal& g = Global();
    g.i_NumLoadCombos = static_cast<int16_t>(types.size());
    g.LoadCombo.bt_ComboType.Create(g.i_NumLoadCombos);
    int k = 1;
    for (const int16_t t : types) {
      g.LoadCombo.bt_ComboType(k++) = t;
    }
    modBeamDesignCSA94& s = BeamState();
    for (ComboEndArray* a : {&s.d_ComboPu, &s.d_ComboMuy, &s.d_ComboMuz, &s.d_ComboMomentAngle}) {
      a->Create(g.i_NumLoadCombos);
    }
  }

  // End forces of one ultimate combination as the driver prepares them.
  static void SetForces(int k, int end, double pu, double muy, double muz) {
    modBeamDesignCSA94& s = BeamState();
    muz = std::fabs(muz) < 0.0001 ? 0.0001 : muz;
    s.d_ComboPu(k, end) = pu;
    s.d_ComboMuy(k, end) = muy;
    s.d_ComboMuz(k, end) = muz;
    s.d_ComboMomentAngle(k, end) = std::atan(std::fabs(muy) / std::fabs(muz));
  }

  // A web W x H (shape 0 rectangle, else circle of diameter W) with the given
  // bar arrangement and covers, ratios 1 % to 4 %, geometry built.
  static modBeamDesignCSA94& Rectangle(double w, double h, int16_t arrangement, double cover,
                                       int16_t shape = 0) {
    const modGlobal& g = Global();
    modBeamDesignCSA94& s = BeamState();
    s.i_SectionType = shape;
    s.d_Width = w;
    s.d_Height = h;
    s.i_RFTType = arrangement;
    s.d_CoverY = s.d_CoverZ = cover;
    s.d_RatioMin = 0.01;
    s.d_RatioMax = 0.04;
    s.d_PhiFy = s.d_PhiFyComp = g.phi_s * 400.0;
    s.d_PhiEs = g.phi_s * 200000.0;
    s.d_EpsYield = s.d_PhiFy / s.d_PhiEs;
    s.d_EpsYieldComp = -s.d_PhiFyComp / s.d_PhiEs;
    s.d_Beta1 = 0.97 - 0.0025 * 30;
    s.d_BlockStress = g.phi_c * (0.85 - 0.0015 * 30) * 30;
    BuildSectionGeometry();
    return s;
  }

  // The trial steel: total area and the area of each bar.
  static void SetSteel(double as) {
    BeamState().d_As = as;
    BeamState().flex.d_BarArea = as / BeamState().geo.d_NumBars;
  }

  // The element status and the governing record.
  static void ExpectRecord(int16_t status, int16_t combo, double muy, double muz, double pu) {
    const modBeamDesignCSA94& s = BeamState();
    EXPECT_EQ(s.i_ElementStatus, status);
    EXPECT_EQ(s.i_GovCombo, combo);
    EXPECT_EQ(s.d_GovMuy, muy);
    EXPECT_EQ(s.d_GovMuz, muz);
    EXPECT_EQ(s.d_GovPu, pu);
  }
};

}  // namespace ostrel

#endif  // OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H
