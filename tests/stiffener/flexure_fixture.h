// Section state of a stiffener element for the flexure tests: the design
// constants of a run, materials f'c = 30, fy = 400, Es = 200000 (normal
// density), and a few webs built through BuildSectionGeometry.
#ifndef OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H
#define OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "component/modGlobal.h"
#include "run/modDesign.h"
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

  // Load combinations 1..types.size() of the given types (0 service, 1 ultimate).
  static void SetCombos(std::initializer_list<int16_t> types) {
    modGlobal& g = Global();
    g.i_NumLoadCombos = static_cast<int16_t>(types.size());
    g.LoadCombo.bt_ComboType.Create(g.i_NumLoadCombos);
    int k = 1;
    for (const int16_t t : types) {
      g.LoadCombo.bt_ComboType(k++) = t;
    }
    modBeamDesignCSA94& s = BeamState();
    s.d_ComboPu.Create(g.i_NumLoadCombos);
    s.d_ComboMuy.Create(g.i_NumLoadCombos);
    s.d_ComboMuz.Create(g.i_NumLoadCombos);
    s.d_ComboMomentAngle.Create(g.i_NumLoadCombos);
  }

  // End forces of one combination as the driver prepares them.
  static void SetForces(int k, int end, double pu, double muy, double muz) {
    modBeamDesignCSA94& s = BeamState();
    if (std::fabs(muz) < 0.0001) {
      muz = 0.0001;
    }
    s.d_ComboPu(k, end) = pu;
    s.d_ComboMuy(k, end) = muy;
    s.d_ComboMuz(k, end) = muz;
    s.d_ComboMomentAngle(k, end) = std::atan(std::fabs(muy) / std::fabs(muz));
  }

  // Factored strengths of f'c, fy and Es (MPa) as the driver derives them.
  static void SetMaterials(double fc, double fy, double es) {
    const modGlobal& g = Global();
    modBeamDesignCSA94& s = BeamState();
    const double phiS = g.phi_s;
    const double phiC = g.phi_c;
    s.d_PhiFy = phiS * std::fmin(fy, g.fy_max);
    s.d_PhiFyComp = phiS * std::fmin(fy, g.fyc_max);
    s.d_PhiEs = phiS * es;
    s.d_EpsYield = s.d_PhiFy / s.d_PhiEs;
    s.d_EpsYieldComp = -s.d_PhiFyComp / s.d_PhiEs;
    s.d_Beta1 = std::fmax(0.97 - 0.0025 * fc, 0.67);
    s.d_BlockStress = phiC * std::fmax(0.85 - 0.0015 * fc, 0.67) * fc;
  }

  // A rectangular web W x H with the given bar arrangement and covers, the
  // ratio limits 1 % to 4 %, and its geometry built.
  static modBeamDesignCSA94& Rectangle(double w, double h, int16_t arrangement, double cover,
                                       int16_t shape = 0) {
    modBeamDesignCSA94& s = BeamState();
    s.i_SectionType = shape;
    s.d_Width = w;
    s.d_Height = h;
    s.i_RFTType = arrangement;
    s.d_CoverY = cover;
    s.d_CoverZ = cover;
    s.d_RatioMin = 0.01;
    s.d_RatioMax = 0.04;
    SetMaterials(30, 400, 200000);
    BuildSectionGeometry();
    return s;
  }

  // Circular web of diameter D with 20 bars on a circle.
  static modBeamDesignCSA94& Circle(double diameter, double cover) {
    return Rectangle(diameter, diameter, 3, cover, 1);
  }

  // Sets the trial steel: total area and the area of each bar.
  static void SetSteel(double as) {
    modBeamDesignCSA94& s = BeamState();
    s.d_As = as;
    s.flex.d_BarArea = as / s.geo.d_NumBars;
  }
};

}  // namespace ostrel

#endif  // OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H
