// Writes the golden wall models (tests/golden/GoldenModels.cpp) as text for
// the Windows test programs under Wine: the models are generated once, here,
// and both platforms design exactly the same bits.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "golden/GoldenModels.h"

namespace {

void Hex(std::FILE* f, float v) {
  uint32_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  std::fprintf(f, " %08" PRIx32, bits);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FILE\n", argv[0]);
    return 2;
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
