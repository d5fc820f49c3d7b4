// The host's analysis results: the outside source of every displacement and
// force a design run uses. The run sees it through this abstract class; the
// one production implementation adapts the C class the host registers.
#ifndef OSTREL_PLATFORM_ANALYSISRESULTS_H
#define OSTREL_PLATFORM_ANALYSISRESULTS_H

#include <cstdint>
#include <memory>

#include "OstrelDesignCSA94.h"

namespace ostrel {

// Each operation returns what the source returned: a negative value is a
// failed call; otherwise the low byte is the operation's status, 1 = failure.
class AnalysisResults {
 public:
  virtual ~AnalysisResults() = default;
  virtual int32_t ResultsAvailable(uint8_t& bt_Available) = 0;
  // dx, dy, dz, then three values the design ignores.
  virtual int32_t GetNodeDisplacement(int16_t node, int16_t combo, float (&d)[6]) = 0;
  // Nx, Ny, Nxy, Mx, My, Mxy per unit width.
  virtual int32_t GetPlateElementForces(int16_t element, int16_t combo, float (&f)[6]) = 0;
  // P, Vy, Vz, T, My, Mz at end 1, then the same at end 2.
  virtual int32_t GetStiffenerElementForces(int16_t element, int16_t combo, float (&f)[12]) = 0;
};

// The status of a returned value: true when it reports failure (status 1).
inline bool StatusFailed(int32_t returned) { return (returned & 0xFF) == 1; }

// Registers the class that creates the host's instances (copied; nullptr:
// none). Process-wide; a model that already holds an instance keeps it.
void RegisterAnalysisResultsClass(const OstrelAnalysisResultsClass* cls);

// Creates an instance through the registered class. The returned pointer
// releases the instance through the same class when the last owner lets go.
// No class registered, or a class that cannot create one, is a run-time error.
std::shared_ptr<AnalysisResults> CreateAnalysisResults();

// The calling thread's instance, created on first use (RunDesign).
AnalysisResults& EnsureAnalysisResults();

}  // namespace ostrel

#endif  // OSTREL_PLATFORM_ANALYSISRESULTS_H
