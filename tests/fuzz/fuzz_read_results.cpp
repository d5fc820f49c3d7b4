// ReadResults on arbitrary bytes at an arbitrary offset: it either restores a
// whole design (done, and whatever its queries answer is finite) or leaves the empty
// model (result 1, nothing answers); it never crashes or reads out of bounds.
#include <cstring>

#include "FuzzSupport.h"

using namespace ostrel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static clsDesignCSA94* design = [] {
    OstrelDesignCSA94_SetMessageBoxHandler(&QuietBox, nullptr);
    return clsDesignCSA94_Create();
  }();
  static const std::string path = ScratchPath("read");
  if (size < 2) {
    return 0;
  }
  // The first two bytes choose the offset (and may point past the end or below 1).
  const int32_t offset = static_cast<int16_t>(data[0] | (data[1] << 8)) % 300;
  WriteFile(path, data + 2, size - 2);

  const uint8_t result = clsDesignCSA94_ReadResults(design, path.c_str(), offset);
  uint8_t done = 9;
  Require(clsDesignCSA94_DesignDone(design, &done) == 0, "DesignDone answers");
  if (result == 0) {
    Require(done == 1, "a restored design is done");
    // Whatever a restored design answers is finite (a stored NaN is refused).
    for (int32_t n = 1; n <= 4; ++n) {
      QueryAll(design, n);
    }
  } else {
    Require(done == 0, "a failed read leaves no design");
    Require(QueryAll(design, 1) == 0, "a failed read leaves nothing to query");
  }
  clsDesignCSA94_ResetDesign(design);
  return 0;
}
