// The first phase of a run: for every node, the most positive and the most
// negative displacement in x, y and z over the service combinations, with the
// combination that gives each. Displacements are stored as delivered.
#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "run/modDesign.h"

namespace ostrel {

namespace {

// The node fields run from 1 to the node count; a count below 1 leaves no
// such range, so the allocation itself fails (as reading a stored design
// with no nodes does).
void CreateNodeFields(int count) {
  if (count < 1) {
    throw RunTimeError("node fields cannot be allocated for fewer than 1 node");
  }
  typNode& n = Global().Node;
  for (Array1<double>* f : {&n.f_Dx_Positive, &n.f_Dx_Negative, &n.f_Dy_Positive,
                            &n.f_Dy_Negative, &n.f_Dz_Positive, &n.f_Dz_Negative}) {
    f->Create(count);
  }
  for (Array1<int16_t>* f : {&n.i_Dx_Pos_combo, &n.i_Dx_Neg_combo, &n.i_Dy_Pos_combo,
                             &n.i_Dy_Neg_combo, &n.i_Dz_Pos_combo, &n.i_Dz_Neg_combo}) {
    f->Create(count);
  }
}

// One direction of one node's envelope.
struct Extremes {
  Array1<double>& positive;
  Array1<int16_t>& positiveCombo;
  Array1<double>& negative;
  Array1<int16_t>& negativeCombo;

  void Start(int16_t node, int16_t firstService) {
    positive(node) = 0;
    negative(node) = 0;
    positiveCombo(node) = firstService;
    negativeCombo(node) = firstService;
  }
  // Strict comparisons: the first combination reaching an extreme keeps it.
  void Take(int16_t node, int16_t combo, float v) {
    if (static_cast<float>(positive(node)) < v) {
      positive(node) = v;
      positiveCombo(node) = combo;
    }
    if (static_cast<float>(negative(node)) > v) {
      negative(node) = v;
      negativeCombo(node) = combo;
    }
  }
};

bool IsService(int16_t combo) { return Global().LoadCombo.bt_ComboType(combo) == 0; }

}  // namespace

void ComputeDisplacementEnvelope() {
  modGlobal& g = Global();
  const int16_t numNodes = g.i_NumNodes;
  const int16_t numCombos = g.i_NumLoadCombos;
  CreateNodeFields(numNodes);

  int16_t firstService = 0;
  for (int16_t c = 1; c <= numCombos && c > 0; ++c) {
    if (IsService(c)) {
      firstService = c;
      break;
    }
  }
  if (firstService == 0) {
    Design().sErrorMessage = "There is no Service-load combination defined";
    throw RunTimeError("no service-load combination");
  }

  typNode& n = g.Node;
  Extremes directions[3] = {
      {n.f_Dx_Positive, n.i_Dx_Pos_combo, n.f_Dx_Negative, n.i_Dx_Neg_combo},
      {n.f_Dy_Positive, n.i_Dy_Pos_combo, n.f_Dy_Negative, n.i_Dy_Neg_combo},
      {n.f_Dz_Positive, n.i_Dz_Pos_combo, n.f_Dz_Negative, n.i_Dz_Neg_combo},
  };

  for (int node = 1; node <= numNodes; ++node) {
    const int16_t nodeNumber = ToInt16(node);
    const std::string counter = CounterText(node, numNodes);
    PumpWhileSuspended();
    SetCounterLabel(counter);
    for (Extremes& e : directions) {
      e.Start(nodeNumber, firstService);
    }
    for (int combo = firstService; combo <= numCombos; ++combo) {
      const int16_t comboNumber = ToInt16(combo);
      if (!IsService(comboNumber)) {
        continue;
      }
      float d[6] = {};
      FetchNodeDisplacement(nodeNumber, comboNumber, d);
      // A NaN or an infinity delivered by the analysis would make the
      // comparisons meaningless: it stops the run with the phase message.
      for (int k = 0; k < 3; ++k) {
        CheckedValue(d[k]);
      }
      for (int k = 0; k < 3; ++k) {
        directions[k].Take(nodeNumber, comboNumber, d[k]);
      }
      CheckFloatFaults();
    }
  }
}

}  // namespace ostrel
