// A fixed set of wall models with their analysis results, drawn from fixed
// seeds with exact integer-to-float scaling (no std:: distributions, whose
// output differs between standard libraries), designed through the C
// interface, every result written out as exact bit patterns.
#ifndef OSTREL_TESTS_GOLDEN_GOLDENMODELS_H
#define OSTREL_TESTS_GOLDEN_GOLDENMODELS_H

#include <array>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "OstrelDesignCSA94.h"
#include "support/FakeAnalysis.h"

namespace ostrel::golden {

struct PlateInput {
  float thickness, fc, fy, es, minX, maxX, minY, maxY;
  uint8_t curtains;
  float coverX, coverY;
};

struct StiffenerInput {
  uint8_t sectionType, projection;
  float width, height, leftFlangeWidth, leftFlangeThickness, rightFlangeWidth,
      rightFlangeThickness, fc, density, fy, es, minRatio, maxRatio;
  uint8_t rftType;
  float coverZ, coverY, coverZst, coverYst;
};

// One model in the host's units; analysis results indexed [item - 1][combo - 1].
struct GoldenModel {
  std::string name;
  uint8_t units = 1;  // 0 US customary, 1 SI
  int nodes = 0;
  std::vector<uint8_t> comboTypes;  // 0 service, 1 ultimate
  std::vector<PlateInput> plates;
  std::vector<StiffenerInput> stiffeners;
  std::vector<std::vector<std::array<float, 3>>> displacements;
  std::vector<std::vector<std::array<float, 6>>> plateForces;
  std::vector<std::vector<std::array<float, 12>>> stiffenerForces;
};

// Parameterised tests name a model by its name (not its bytes, which
// include padding).
inline void PrintTo(const GoldenModel& model, std::ostream* out) { *out << model.name; }

// Every status the design reported: plate x, plate y, stiffener flexure, shear.
using StatusTally = std::array<std::set<int>, 4>;

std::vector<GoldenModel> BuildGoldenModels();

// Sends the model's input through the C interface; refusals go to `problems`.
void SendModel(clsDesignCSA94* obj, const GoldenModel& m, std::vector<std::string>& problems);

// Loads the model's analysis results into the test source.
void LoadAnalysis(test::FakeAnalysis& fake, const GoldenModel& m);

// Designs the model on a thread of its own and returns every result as text;
// a refused input or a run that does not complete goes to `problems`.
std::string DesignAndSerialize(const GoldenModel& model, StatusTally& tally,
                               std::vector<std::string>& problems);

}  // namespace ostrel::golden

#endif  // OSTREL_TESTS_GOLDEN_GOLDENMODELS_H
