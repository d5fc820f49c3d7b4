// The golden wall models as a text file written on Linux by
// golden_models_dump (from tests/golden/GoldenModels.cpp), read here by the
// Windows test client (model input) and the test AnalysisResults server
// (displacements and forces). Floats travel as the hex of their bits.
#ifndef OSTREL_WINDOWS_TESTS_GOLDENMODELFILE_H
#define OSTREL_WINDOWS_TESTS_GOLDENMODELFILE_H

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace ostrel::wintest {

struct Model {
  std::string name;
  int units = 1, nodes = 0;
  std::vector<int> comboTypes;
  // Plate: thickness, fc, fy, Es, min/max x, min/max y, curtains, cover x, cover y.
  std::vector<std::array<float, 11>> plates;
  // Stiffener: type, projection, width, height, left flange width and
  // thickness, right flange width and thickness, fc, density, fy, Es, min and
  // max ratio, bar arrangement, covers z, y, stirrup covers z, y.
  std::vector<std::array<float, 19>> stiffeners;
  std::map<std::pair<int, int>, std::array<float, 3>> displacements;  // (node, combo)
  std::map<std::pair<int, int>, std::array<float, 6>> plateForces;    // (element, combo)
  std::map<std::pair<int, int>, std::array<float, 12>> stiffenerForces;
};

inline float BitsToFloat(const std::string& hex) {
  const uint32_t bits = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

template <size_t N>
void ReadFloats(std::istringstream& in, std::array<float, N>& out) {
  for (float& v : out) {
    std::string hex;
    in >> hex;
    v = BitsToFloat(hex);
  }
}

// Reads every model of the file; an unreadable file gives no models.
inline std::vector<Model> ReadModels(const std::string& path) {
  std::vector<Model> models;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream in(line);
    std::string tag;
    in >> tag;
    if (tag == "model") {
      Model m;
      in >> m.name >> m.units >> m.nodes;
      for (int t; in >> t;) m.comboTypes.push_back(t);
      models.push_back(std::move(m));
    } else if (models.empty()) {
      continue;
    } else if (tag == "plate") {
      ReadFloats(in, models.back().plates.emplace_back());
    } else if (tag == "stiffener") {
      ReadFloats(in, models.back().stiffeners.emplace_back());
    } else {
      int item = 0, combo = 0;
      in >> item >> combo;
      Model& m = models.back();
      if (tag == "disp") ReadFloats(in, m.displacements[{item, combo}]);
      if (tag == "pforce") ReadFloats(in, m.plateForces[{item, combo}]);
      if (tag == "sforce") ReadFloats(in, m.stiffenerForces[{item, combo}]);
    }
  }
  return models;
}

}  // namespace ostrel::wintest

#endif  // OSTREL_WINDOWS_TESTS_GOLDENMODELFILE_H
