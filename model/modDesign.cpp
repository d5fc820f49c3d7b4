#include "model/modDesign.h"

namespace ostrel {

namespace {
thread_local modDesign tlsDesign;
}  // namespace

modDesign& Design() { return tlsDesign; }

}  // namespace ostrel
