// Writes the golden wall models (tests/golden/GoldenModels.cpp) as text for
// the Windows test programs under Wine: the models are generated once, here,
// and both platforms design exactly the same bits. With a second file name,
// also writes angles and ratios with their CrSin, CrCos and CrAtan values, which
// the Windows build of the same functions must reproduce bit for bit.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "golden/GoldenModels.h"
#include "model/CrMath.h"

namespace {

void Hex(std::FILE* f, float v) {
  uint32_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  std::fprintf(f, " %08" PRIx32, bits);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s MODELS_FILE [TRIG_FILE]\n", argv[0]);
    return 2;
  }
  if (argc == 3) {
    std::FILE* t = std::fopen(argv[2], "w");
    if (t == nullptr) {
      std::fprintf(stderr, "cannot write %s\n", argv[2]);
      return 1;
    }
    // Angles over four turns and ratios over 24 decades, on a fixed grid.
    for (int i = 0; i < 100000; ++i) {
      const double a = i * (8 * 3.141592653589793 / 100000) - 4 * 3.141592653589793;
      const double r = std::pow(10.0, (i - 50000) * 24.0 / 100000);
      for (double x : {a, r}) {
        std::fprintf(t, "%a %a %a %a\n", x, ostrel::CrSin(x), ostrel::CrCos(x), ostrel::CrAtan(x));
      }
    }
    if (std::fclose(t) != 0) return 1;
  }
  std::FILE* f = std::fopen(argv[1], "w");
  if (f == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  for (const ostrel::golden::GoldenModel& m : ostrel::golden::BuildGoldenModels()) {
    std::fprintf(f, "model %s %d %d", m.name.c_str(), m.units, m.nodes);
    for (uint8_t t : m.comboTypes) std::fprintf(f, " %d", t);
    std::fprintf(f, "\n");
    for (const auto& p : m.plates) {
      std::fprintf(f, "plate");
      for (float v : {p.thickness, p.fc, p.fy, p.es, p.minX, p.maxX, p.minY, p.maxY,
                      static_cast<float>(p.curtains), p.coverX, p.coverY})
        Hex(f, v);
      std::fprintf(f, "\n");
    }
    for (const auto& s : m.stiffeners) {
      std::fprintf(f, "stiffener");
      for (float v : {static_cast<float>(s.sectionType), static_cast<float>(s.projection), s.width,
                      s.height, s.leftFlangeWidth, s.leftFlangeThickness, s.rightFlangeWidth,
                      s.rightFlangeThickness, s.fc, s.density, s.fy, s.es, s.minRatio, s.maxRatio,
                      static_cast<float>(s.rftType), s.coverZ, s.coverY, s.coverZst, s.coverYst})
        Hex(f, v);
      std::fprintf(f, "\n");
    }
    for (size_t k = 0; k < m.comboTypes.size(); ++k) {
      for (size_t n = 0; n < m.displacements.size(); ++n) {
        std::fprintf(f, "disp %zu %zu", n + 1, k + 1);
        for (float v : m.displacements[n][k]) Hex(f, v);
        std::fprintf(f, "\n");
      }
      for (size_t e = 0; e < m.plateForces.size(); ++e) {
        std::fprintf(f, "pforce %zu %zu", e + 1, k + 1);
        for (float v : m.plateForces[e][k]) Hex(f, v);
        std::fprintf(f, "\n");
      }
      for (size_t e = 0; e < m.stiffenerForces.size(); ++e) {
        std::fprintf(f, "sforce %zu %zu", e + 1, k + 1);
        for (float v : m.stiffenerForces[e][k]) Hex(f, v);
        std::fprintf(f, "\n");
      }
    }
  }
  return std::fclose(f) == 0 ? 0 : 1;
}
