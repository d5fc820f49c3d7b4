// A restored design saved, read back and saved again gives two identical blocks.
#include <algorithm>

#include "FuzzSupport.h"

using namespace ostrel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static clsDesignCSA94* design = [] {
    OstrelDesignCSA94_SetMessageBoxHandler(&QuietBox, nullptr);
    return clsDesignCSA94_Create();
  }();
  static const std::string input = ScratchPath("roundtrip-in");
  static const std::string first = ScratchPath("roundtrip-1");
  static const std::string second = ScratchPath("roundtrip-2");

  WriteFile(input, data, size);
  if (clsDesignCSA94_ReadResults(design, input.c_str(), 1) != 0) {
    return 0;
  }
  std::remove(first.c_str());
  std::remove(second.c_str());
  int32_t offset1 = 0;
  Require(clsDesignCSA94_SaveResults(design, first.c_str(), &offset1) == 0, "first save");
  Require(offset1 == 1, "a new file's block starts at byte 1");
  Require(clsDesignCSA94_ReadResults(design, first.c_str(), offset1) == 0, "saved block reads");
  int32_t offset2 = 0;
  Require(clsDesignCSA94_SaveResults(design, second.c_str(), &offset2) == 0, "second save");
  const std::vector<uint8_t> a = ReadFile(first);
  const std::vector<uint8_t> b = ReadFile(second);
  Require(a == b, "the two saved blocks are byte-identical");
  // The saved block is the input's leading block, byte for byte.
  Require(a.size() <= size && std::equal(a.begin(), a.end(), data), "block reproduces its input");
  clsDesignCSA94_ResetDesign(design);
  return 0;
}
