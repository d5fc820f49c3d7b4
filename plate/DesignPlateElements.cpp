// TEMPORARY (replaced by the plate design): lets the run link meanwhile.
#include "component/CheckedMath.h"
#include "plate/modPlateDesignCSA94.h"
namespace ostrel {
void DesignPlateElements() { throw RunTimeError("plate design not built yet"); }
}  // namespace ostrel
