#include "run/ElementPhases.h"

#include "model/modGlobal.h"
#include "plate/PlateDesign.h"
#include "run/ElementWorkers.h"
#include "stiffener/StiffenerDesign.h"

namespace ostrel {

void DesignPlateElements() {
  StartPlatePhase();
  ElementPhase phase;
  phase.count = Global().i_NumPlateElements;
  phase.designElement = &DesignPlateElement;
  phase.saveResults = &SavePlateResults;
  phase.loadResults = &LoadPlateResults;
  phase.prepareWorker = CopyPlateStateToWorker();
  RunElementPhase(phase);
}

void DesignStiffenerElements() {
  StartStiffenerPhase();
  ElementPhase phase;
  phase.count = Global().i_NumStiffenerElements;
  phase.designElement = &DesignStiffenerElement;
  phase.saveResults = &SaveStiffenerResults;
  phase.loadResults = &LoadStiffenerResults;
  phase.prepareWorker = CopyStiffenerStateToWorker();
  RunElementPhase(phase);
}

}  // namespace ostrel
