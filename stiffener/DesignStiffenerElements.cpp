// TEMPORARY (replaced by the stiffener design driver): lets the run link meanwhile.
#include "component/CheckedMath.h"
#include "stiffener/StiffenerDesign.h"
namespace ostrel {
void DesignStiffenerElements() { throw RunTimeError("stiffener design not built yet"); }
}  // namespace ostrel
