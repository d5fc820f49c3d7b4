// A held design of nN nodes, nP plates and nS stiffeners whose result fields
// all hold distinct values (statuses stay within enum_DESIGN_STATUS).
#ifndef OSTREL_TESTS_SUPPORT_HELDDESIGN_H
#define OSTREL_TESTS_SUPPORT_HELDDESIGN_H

#include <type_traits>

#include "model/modGlobal.h"

namespace ostrel::test {

inline void HoldDesign(int nN, int nP, int nS) {
  modGlobal& g = Global();
  g.i_NumNodes = static_cast<int16_t>(nN);
  g.i_NumPlateElements = static_cast<int16_t>(nP);
  g.i_NumStiffenerElements = static_cast<int16_t>(nS);
  g.bt_DesignDoneFlag = 1;
  double next = 0.25;
  auto fill = [&](int n, auto&... fields) {
    auto one = [&](auto& f) {
      f.Create(n);
      for (int i = 1; i <= n; ++i)
        f(i) = static_cast<std::remove_reference_t<decltype(f(i))>>(next + i);
      next += 10;
    };
    (one(fields), ...);
  };
  typNode& d = g.Node;
  fill(nN, d.f_Dx_Negative, d.f_Dx_Positive, d.f_Dy_Negative, d.f_Dy_Positive, d.f_Dz_Negative,
       d.f_Dz_Positive, d.i_Dx_Neg_combo, d.i_Dx_Pos_combo, d.i_Dy_Neg_combo, d.i_Dy_Pos_combo,
       d.i_Dz_Neg_combo, d.i_Dz_Pos_combo);
  typPlateElement& p = g.PlateElement;
  fill(nP, p.bt_NumCurtains, p.f_AreaOfSteel_x, p.f_RatioOfSteel_x, p.i_DesignComboIndex_x,
       p.f_Mu_x, p.f_Pu_x, p.bt_DesignStatus_x, p.f_AreaOfSteel_y, p.f_RatioOfSteel_y,
       p.i_DesignComboIndex_y, p.f_Mu_y, p.f_Pu_y, p.bt_DesignStatus_y);
  typStiffenerElement& s = g.StiffenerElement;
  fill(nS, s.f_As, s.f_RatioOfSteel, s.i_DesignComboIndex_flex, s.f_Muy, s.f_Muz, s.f_Pu_flex,
       s.bt_DesignStatus_flex, s.f_AvOverS_y, s.i_DesignComboIndex_y, s.f_Pu_y, s.f_Vu_y, s.f_Tu_y,
       s.f_Spacing_y, s.f_AvOverS_z, s.i_DesignComboIndex_z, s.f_Pu_z, s.f_Vu_z, s.f_Tu_z,
       s.f_Spacing_z, s.f_AtOverS, s.f_Al, s.i_DesignComboIndex_tor, s.f_Pu_tor, s.f_Tu_tor,
       s.f_Vu_tor, s.f_Spacing_tor, s.bt_DesignStatus_Shear);
  for (int i = 1; i <= nP; ++i)
    p.bt_DesignStatus_x(i) = i % 9, p.bt_DesignStatus_y(i) = (i + 3) % 9;
  for (int i = 1; i <= nS; ++i)
    s.bt_DesignStatus_flex(i) = (i + 1) % 9, s.bt_DesignStatus_Shear(i) = (i + 5) % 9;
}

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_HELDDESIGN_H
