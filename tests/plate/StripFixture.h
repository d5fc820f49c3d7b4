// A fresh SI model with one plate element on this thread, the design
// constants set, and helpers to fill the design-value tables by hand.
#ifndef OSTREL_TESTS_PLATE_STRIPFIXTURE_H
#define OSTREL_TESTS_PLATE_STRIPFIXTURE_H

#include <gtest/gtest.h>

#include <vector>

#include "component/CheckedMath.h"
#include "component/modGlobal.h"
#include "plate/modPlateDesignCSA94.h"

namespace ostrel::test {

struct PlateInput {
  float t = 200;
  double fc = 30;
  double fy = 400;
  double Es = 200000;
  double minX = 0.25, maxX = 4;  // percent
  double minY = 0.25, maxY = 4;
  int16_t curtains = 2;
  float coverX = 40, coverY = 40;
};

class StripFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    PlateState() = modPlateDesignCSA94{};
    ClearFloatFaults();
    Global().bt_units = 1;
    SetUnitFactors();
    SetDesignConstants();
  }
  void TearDown() override { ResetGlobalState(); }

  // One element with the given input; the element values are prepared.
  void Element(const PlateInput& in) {
    modGlobal& g = Global();
    typPlateElement& p = g.PlateElement;
    g.i_NumPlateElements = 1;
    for (Array1<double>* f : {&p.f_fc, &p.f_fy, &p.f_Es, &p.f_MinRatioOfRFT, &p.f_MaxRatioOfRFT,
                              &p.f_MinRatioOfRFT_v, &p.f_MaxRatioOfRFT_v}) {
      f->Create(1);
    }
    p.f_Thickness.Create(1);
    p.bt_NumCurtains.Create(1);
    p.f_CoverToRFT.Create(1);
    p.f_Thickness(1) = in.t;
    p.f_fc(1) = in.fc;
    p.f_fy(1) = in.fy;
    p.f_Es(1) = in.Es;
    p.f_MinRatioOfRFT(1) = in.minX;
    p.f_MaxRatioOfRFT(1) = in.maxX;
    p.f_MinRatioOfRFT_v(1) = in.minY;
    p.f_MaxRatioOfRFT_v(1) = in.maxY;
    p.bt_NumCurtains(1) = in.curtains;
    p.f_CoverToRFT(1) = {0, in.coverX, in.coverY, 0};
    PreparePlateStrip(1, kPlateElement);
  }

  // Combinations typed 0 (service) or 1 (ultimate), with empty tables.
  void Combos(const std::vector<int16_t>& types) {
    modGlobal& g = Global();
    g.i_NumLoadCombos = static_cast<int16_t>(types.size());
    g.LoadCombo.bt_ComboType.Create(static_cast<int>(types.size()));
    for (size_t k = 0; k < types.size(); ++k) {
      g.LoadCombo.bt_ComboType(static_cast<long long>(k + 1)) = types[k];
    }
    StartPlateTables(g.i_NumLoadCombos);
    CollectUltimateCombos();
  }

  // Design values of combination c: (N+, N-) and (M+, M-).
  void Values(int c, double nPlus, double nMinus, double mPlus, double mMinus) {
    PlateState().NPlusMinus(c) = {0, nPlus, nMinus};
    PlateState().MPlusMinus(c) = {0, mPlus, mMinus};
  }

  // Sets the layers for a moment compressing face B (the usual case).
  void FaceBCompressed() {
    PlateStrip& s = S();
    s.d1 = s.e2;
    s.d2 = s.t - s.cover;
    s.yref = s.t / 2;
  }

  static PlateStrip& S() { return PlateState().strip; }
};

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_PLATE_STRIPFIXTURE_H
