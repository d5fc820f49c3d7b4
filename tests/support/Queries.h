// Every result query of the C interface by number (0 displacement, 1 plate,
// 2 to 5 stiffener flexure, shear, torsion and summary), its outputs kept by
// type in argument order; entries a query does not write keep 77.
#ifndef OSTREL_TESTS_SUPPORT_QUERIES_H
#define OSTREL_TESTS_SUPPORT_QUERIES_H

#include <algorithm>
#include <cstdint>

#include "OstrelDesignCSA94.h"

namespace ostrel::test {

inline const char* const kQueryNames[6] = {
    "Get_Envelope_Displacement",         "Get_Envelope_PlateFlexureRFT",
    "Get_Envelope_StiffernerFlexureRFT", "Get_Envelope_StiffernerShearRFT",
    "Get_Envelope_StiffernerTorsionRFT", "Get_Envelope_StiffernerRFTSummary"};
// How many floats, 16-bit and 8-bit outputs each query has.
inline constexpr int kQueryOutputs[6][3] = {{6, 6, 0}, {8, 2, 3}, {5, 1, 1},
                                            {10, 2, 1}, {6, 1, 2}, {6, 0, 2}};

struct QueryOut {
  float f[12];
  int16_t i[6];
  uint8_t b[3];
  QueryOut() { std::fill(f, f + 12, 77.0f), std::fill(i, i + 6, 77), std::fill(b, b + 3, 77); }
};

inline uint8_t Query(clsDesignCSA94* d, int k, int32_t n, QueryOut& o) {
  float* f = o.f;
  int16_t* i = o.i;
  uint8_t* b = o.b;
  switch (k) {
    case 0:
      return clsDesignCSA94_Get_Envelope_Displacement(d, n, f, i, f + 1, i + 1, f + 2, i + 2, f + 3,
                                                      i + 3, f + 4, i + 4, f + 5, i + 5);
    case 1:
      return clsDesignCSA94_Get_Envelope_PlateFlexureRFT(d, n, b, f, f + 1, f + 2, f + 3, i, b + 1,
                                                         f + 4, f + 5, f + 6, f + 7, i + 1, b + 2);
    case 2:
      return clsDesignCSA94_Get_Envelope_StiffernerFlexureRFT(d, n, f, f + 1, i, f + 2, f + 3,
                                                              f + 4, b);
    case 3:
      return clsDesignCSA94_Get_Envelope_StiffernerShearRFT(d, n, f, i, f + 1, f + 2, f + 3, f + 4,
                                                            f + 5, i + 1, f + 6, f + 7, f + 8,
                                                            f + 9, b);
    case 4:
      return clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(d, n, f, f + 1, i, f + 2, f + 3,
                                                              f + 4, f + 5, b, b + 1);
    default:
      return clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(d, n, f, f + 1, f + 2, f + 3, f + 4,
                                                              f + 5, b, b + 1);
  }
}

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_QUERIES_H
