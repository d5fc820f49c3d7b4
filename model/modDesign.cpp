#include "model/modDesign.h"

namespace ostrel {

namespace {
thread_local modDesign tDesign;
}  // namespace

modDesign& Design() { return tDesign; }

}  // namespace ostrel
