// The state of one stiffener element for the flexure tests: the run's design
// constants, f'c = 30, fy = 400, Es = 200000, normal density.
#ifndef OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H
#define OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "model/CheckedMath.h"
#include "model/modGlobal.h"
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
    settings.epsCu = g.eps_cu;
    settings.epsT = g.eps_t;
    settings.kPmax = g.k_Pmax;
    settings.kPcomp = g.k_Pcomp;
    settings.kPtens = g.k_Ptens;
    StartFlexureWork(settings, x);
  }

  // Combinations 1..n of the given types (0 service, 1 ultimate).
  void SetCombos(std::initializer_list<int16_t> types) {
    const int n = static_cast<int>(types.size());
    for (ComboEndArray* a : {&f.Pu, &f.Muy, &f.Muz, &f.momentAngle}) {
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
    f.Pu(k, end) = pu;
    f.Muy(k, end) = muy;
    f.Muz(k, end) = muz;
    f.momentAngle(k, end) = std::atan(std::fabs(muy) / std::fabs(muz));
  }

  // A web W x H (shape 0 rectangle, else circle of diameter W) with the given
  // bar arrangement and covers, ratios 1 % to 4 %, geometry built; the
  // flange fields keep what the test set.
  const StiffenerSection& Rectangle(double w, double h, int16_t arrangement, double cover,
                                    int16_t shape = 0) {
    const modGlobal& g = Global();
    s.sectionType = shape;
    s.width = w;
    s.height = h;
    s.barLayout = arrangement;
    s.coverY = s.coverZ = cover;
    s.rhoMin = 0.01;
    s.rhoMax = 0.04;
    s.phiFy = s.phiFyComp = g.phi_s * 400.0;
    s.phiEs = g.phi_s * 200000.0;
    s.beta1 = 0.97 - 0.0025 * 30;
    s.blockStress = g.phi_c * (0.85 - 0.0015 * 30) * 30;
    x.epsYield = s.phiFy / s.phiEs;
    x.epsYieldComp = -s.phiFyComp / s.phiEs;
    BuildSectionGeometry(s);
    return s;
  }

  // The trial steel: total area and the area of each bar.
  void SetSteel(double as) {
    x.As = as;
    x.barArea = as / s.geo.numBars;
  }

  // Direction d of the built geometry as the kernel's frame.
  void LoadFrame(int d) {
    const SectionGeometry& g = s.geo;
    x.frameVertexU = g.rotVertexU[d], x.frameVertexW = g.rotVertexW[d];
    x.frameLeftFlangeU = g.rotLeftFlangeU[d], x.frameLeftFlangeW = g.rotLeftFlangeW[d];
    x.frameRightFlangeU = g.rotRightFlangeU[d], x.frameRightFlangeW = g.rotRightFlangeW[d];
    x.frameBarU = g.rotBarU[d], x.frameBarW = g.rotBarW[d];
    x.frameTop = g.topFibre[d], x.frameBottomBar = g.bottomBar[d];
  }

  // The element status and the governing record.
  void ExpectRecord(int16_t status, int16_t combo, double muy, double muz, double pu) const {
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(r.govCombo, combo);
    EXPECT_EQ(r.govMuy, muy);
    EXPECT_EQ(r.govMuz, muz);
    EXPECT_EQ(r.govPu, pu);
  }

  StiffenerSection s;
  StiffenerForces f;
  FlexureWork x;
  StiffenerRecord r;
};

}  // namespace ostrel

#endif  // OSTREL_TESTS_STIFFENER_FLEXURE_FIXTURE_H
