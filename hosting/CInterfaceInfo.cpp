// Library information of the C interface: the version and the names of the
// design statuses, so that a host never keeps its own copy of either.
#include <iterator>

#include "OstrelDesignCSA94.h"

namespace {

// Indexed by enum_DESIGN_STATUS; the names a host shows are these, letter
// for letter.
constexpr const char* kStatusNames[] = {
    "DESIGN_PASS",
    "Pass_UseTies",
    "Fail_MustUseTwoCurtains",
    "Fail_RequiredRFTExceedMaximum",
    "Fail_RFTOutOfSection",
    "Fail_CoverTooLarge",
    "Fail_MinRFTExceedMaximum",
    "Fail_ShearStreessExceedMaximum_y",
    "Fail_ShearStreessExceedMaximum_z",
};
static_assert(std::size(kStatusNames) == OSTREL_STATUS_Fail_ShearStreessExceedMaximum_z + 1);

}  // namespace

extern "C" OSTREL_API const char* OstrelDesignCSA94_Version(void) {
  return OSTREL_DESIGN_CSA94_VERSION;
}

extern "C" OSTREL_API const char* OstrelDesignCSA94_StatusName(int32_t status) {
  if (status < 0 || status >= static_cast<int32_t>(std::size(kStatusNames))) {
    return nullptr;
  }
  return kStatusNames[status];
}
