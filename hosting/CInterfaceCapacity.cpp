// The C interface of the capacity functions: thin wrappers over the static
// methods of clsDesignCSA94 that copy the results into the caller's buffers.
// A missing buffer is refused like any other argument; nothing is written
// unless the function is done.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "OstrelDesignCSA94.h"
#include "OstrelDesignCSA94.hpp"
#include "hosting/MessageBox.h"

namespace {

// Every pointer given must be set; otherwise one message and result 1.
template <class... Pointers>
bool Present(const char* name, const Pointers*... pointers) {
  if (((pointers != nullptr) && ...)) {
    return true;
  }
  try {
    ostrel::ShowMessageBox(std::string(name) + ": a required pointer argument is NULL");
  } catch (...) {
    // Nothing leaves the interface.
  }
  return false;
}

template <class Body>
uint8_t Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return 1;
  }
}

}  // namespace

extern "C" {

OSTREL_API uint8_t OstrelDesignCSA94_StiffenerCurve(uint8_t bt_units,
                                                    const OstrelStiffenerProperties* section,
                                                    float f_RatioOfSteel, int32_t l_Direction,
                                                    int32_t l_NumPoints, OstrelCurvePoint* points,
                                                    OstrelCurvePoint* control) {
  return Guarded([&]() -> uint8_t {
    if (!Present("OstrelDesignCSA94_StiffenerCurve", section, points)) {
      return 1;
    }
    std::vector<OstrelCurvePoint> p;
    std::vector<OstrelCurvePoint> c;
    if (clsDesignCSA94::StiffenerCurve(bt_units, *section, f_RatioOfSteel, l_Direction,
                                       l_NumPoints, p, c) != 0) {
      return 1;
    }
    std::copy(p.begin(), p.end(), points);
    if (control != nullptr) {
      std::copy(c.begin(), c.end(), control);
    }
    return 0;
  });
}

OSTREL_API uint8_t OstrelDesignCSA94_StiffenerMomentCurve(uint8_t bt_units,
                                                          const OstrelStiffenerProperties* section,
                                                          float f_RatioOfSteel, double d_AngleDeg,
                                                          int32_t l_NumPoints,
                                                          OstrelCurvePoint* points) {
  return Guarded([&]() -> uint8_t {
    if (!Present("OstrelDesignCSA94_StiffenerMomentCurve", section, points)) {
      return 1;
    }
    std::vector<OstrelCurvePoint> p;
    if (clsDesignCSA94::StiffenerMomentCurve(bt_units, *section, f_RatioOfSteel, d_AngleDeg,
                                             l_NumPoints, p) != 0) {
      return 1;
    }
    std::copy(p.begin(), p.end(), points);
    return 0;
  });
}

OSTREL_API uint8_t OstrelDesignCSA94_StiffenerContour(uint8_t bt_units,
                                                      const OstrelStiffenerProperties* section,
                                                      float f_RatioOfSteel, float f_P,
                                                      int32_t l_NumDirections, double* d_Muy,
                                                      double* d_Muz, int32_t* l_NumPoints) {
  return Guarded([&]() -> uint8_t {
    if (!Present("OstrelDesignCSA94_StiffenerContour", section, d_Muy, d_Muz, l_NumPoints)) {
      return 1;
    }
    std::vector<double> muy;
    std::vector<double> muz;
    if (clsDesignCSA94::StiffenerContour(bt_units, *section, f_RatioOfSteel, f_P,
                                         l_NumDirections, muy, muz) != 0) {
      return 1;
    }
    std::copy(muy.begin(), muy.end(), d_Muy);
    std::copy(muz.begin(), muz.end(), d_Muz);
    *l_NumPoints = static_cast<int32_t>(muy.size());
    return 0;
  });
}

OSTREL_API uint8_t OstrelDesignCSA94_StiffenerDemandCapacity(
    uint8_t bt_units, const OstrelStiffenerProperties* section, float f_RatioOfSteel, float f_P,
    float f_Muy, float f_Muz, double* d_Ratio, uint8_t* bt_HasRatio) {
  return Guarded([&]() -> uint8_t {
    if (!Present("OstrelDesignCSA94_StiffenerDemandCapacity", section, d_Ratio)) {
      return 1;
    }
    double ratio = 0;
    bool has = false;
    if (clsDesignCSA94::StiffenerDemandCapacity(bt_units, *section, f_RatioOfSteel, f_P, f_Muy,
                                                f_Muz, ratio, has) != 0) {
      return 1;
    }
    *d_Ratio = ratio;
    if (bt_HasRatio != nullptr) {
      *bt_HasRatio = has ? 1 : 0;
    }
    return 0;
  });
}

OSTREL_API uint8_t OstrelDesignCSA94_StiffenerShearStress(uint8_t bt_units,
                                                          const OstrelStiffenerProperties* section,
                                                          float f_Vy, float f_Vz, float f_T,
                                                          OstrelShearCheck* along_y,
                                                          OstrelShearCheck* along_z) {
  return Guarded([&]() -> uint8_t {
    if (!Present("OstrelDesignCSA94_StiffenerShearStress", section, along_y, along_z)) {
      return 1;
    }
    OstrelShearCheck y{};
    OstrelShearCheck z{};
    if (clsDesignCSA94::StiffenerShearStress(bt_units, *section, f_Vy, f_Vz, f_T, y, z) != 0) {
      return 1;
    }
    *along_y = y;
    *along_z = z;
    return 0;
  });
}

OSTREL_API uint8_t OstrelDesignCSA94_PlateStripCurve(uint8_t bt_units,
                                                     const OstrelPlateProperties* plate,
                                                     float f_RatioOfSteel, uint8_t bt_Direction,
                                                     int32_t l_NumPoints, double* d_N,
                                                     double* d_M) {
  return Guarded([&]() -> uint8_t {
    if (!Present("OstrelDesignCSA94_PlateStripCurve", plate, d_N, d_M)) {
      return 1;
    }
    std::vector<double> n;
    std::vector<double> m;
    if (clsDesignCSA94::PlateStripCurve(bt_units, *plate, f_RatioOfSteel, bt_Direction,
                                        l_NumPoints, n, m) != 0) {
      return 1;
    }
    std::copy(n.begin(), n.end(), d_N);
    std::copy(m.begin(), m.end(), d_M);
    return 0;
  });
}

OSTREL_API uint8_t OstrelDesignCSA94_PlateStripDemandCapacity(
    uint8_t bt_units, const OstrelPlateProperties* plate, float f_RatioOfSteel,
    uint8_t bt_Direction, const float f_Forces[6], double* d_Ratio, double* d_N, double* d_M) {
  return Guarded([&]() -> uint8_t {
    if (!Present("OstrelDesignCSA94_PlateStripDemandCapacity", plate, f_Forces, d_Ratio)) {
      return 1;
    }
    std::array<float, 6> forces{};
    std::copy(f_Forces, f_Forces + 6, forces.begin());
    double ratio = 0;
    double n = 0;
    double m = 0;
    if (clsDesignCSA94::PlateStripDemandCapacity(bt_units, *plate, f_RatioOfSteel, bt_Direction,
                                                 forces, ratio, n, m) != 0) {
      return 1;
    }
    *d_Ratio = ratio;
    if (d_N != nullptr) {
      *d_N = n;
    }
    if (d_M != nullptr) {
      *d_M = m;
    }
    return 0;
  });
}

}  // extern "C"
