// Shared pieces of the fuzz targets: quiet message boxes, a scratch file, and
// a walk over every query that checks what the host would read.
#ifndef OSTREL_TESTS_FUZZ_FUZZSUPPORT_H
#define OSTREL_TESTS_FUZZ_FUZZSUPPORT_H

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "OstrelDesignCSA94.h"
#include "tests/support/Queries.h"

namespace ostrel::fuzz {

inline void QuietBox(void*, const char*, const char*) {}

inline void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
  }
}

// A scratch file of this process, rewritten for every input.
inline std::string ScratchPath(const char* tag) {
  return std::string("/tmp/ostrel-fuzz-") + tag + "-" + std::to_string(getpid()) + ".bin";
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Require(f != nullptr, "scratch file opens");
  if (size > 0) {
    Require(std::fwrite(data, 1, size, f) == size, "scratch file written");
  }
  std::fclose(f);
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  Require(f != nullptr, "file opens for reading");
  int c;
  while ((c = std::fgetc(f)) != EOF) {
    bytes.push_back(static_cast<uint8_t>(c));
  }
  std::fclose(f);
  return bytes;
}

// Queries element n of every group; returns how many queries answered. Every
// value a query returns must be finite.
inline int QueryAll(clsDesignCSA94* d, int32_t n) {
  int answered = 0;
  for (int k = 0; k < 6; ++k) {
    test::QueryOut o;
    if (test::Query(d, k, n, o) == 0) {
      for (int j = 0; j < test::kQueryOutputs[k][0]; ++j)
        Require(std::isfinite(o.f[j]), test::kQueryNames[k]);
      ++answered;
    }
  }
  return answered;
}

}  // namespace ostrel::fuzz

#endif  // OSTREL_TESTS_FUZZ_FUZZSUPPORT_H
