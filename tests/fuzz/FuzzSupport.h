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

namespace ostrel::fuzz {

inline void QuietBox(void*, const char*, const char*) {}

inline void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
  }
}

inline void RequireFinite(float v, const char* what) { Require(std::isfinite(v), what); }

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
  float f[14];
  int16_t i[6];
  uint8_t b[4];
  if (clsDesignCSA94_Get_Envelope_Displacement(d, n, &f[0], &i[0], &f[1], &i[1], &f[2], &i[2],
                                               &f[3], &i[3], &f[4], &i[4], &f[5], &i[5]) == 0) {
    for (int k = 0; k < 6; ++k) RequireFinite(f[k], "displacement envelope");
    ++answered;
  }
  if (clsDesignCSA94_Get_Envelope_PlateFlexureRFT(d, n, &b[0], &f[0], &f[1], &f[2], &f[3], &i[0],
                                                  &b[1], &f[4], &f[5], &f[6], &f[7], &i[1],
                                                  &b[2]) == 0) {
    for (int k = 0; k < 8; ++k) RequireFinite(f[k], "plate results");
    ++answered;
  }
  if (clsDesignCSA94_Get_Envelope_StiffernerFlexureRFT(d, n, &f[0], &f[1], &i[0], &f[2], &f[3],
                                                       &f[4], &b[0]) == 0) {
    for (int k = 0; k < 5; ++k) RequireFinite(f[k], "stiffener flexure");
    ++answered;
  }
  if (clsDesignCSA94_Get_Envelope_StiffernerShearRFT(d, n, &f[0], &i[0], &f[1], &f[2], &f[3],
                                                     &f[4], &f[5], &i[1], &f[6], &f[7], &f[8],
                                                     &f[9], &b[0]) == 0) {
    for (int k = 0; k < 10; ++k) RequireFinite(f[k], "stiffener shear");
    ++answered;
  }
  if (clsDesignCSA94_Get_Envelope_StiffernerTorsionRFT(d, n, &f[0], &f[1], &i[0], &f[2], &f[3],
                                                       &f[4], &f[5], &b[0], &b[1]) == 0) {
    for (int k = 0; k < 6; ++k) RequireFinite(f[k], "stiffener torsion");
    ++answered;
  }
  if (clsDesignCSA94_Get_Envelope_StiffernerRFTSummary(d, n, &f[0], &f[1], &f[2], &f[3], &f[4],
                                                       &f[5], &b[0], &b[1]) == 0) {
    for (int k = 0; k < 6; ++k) RequireFinite(f[k], "stiffener summary");
    ++answered;
  }
  return answered;
}

}  // namespace ostrel::fuzz

#endif  // OSTREL_TESTS_FUZZ_FUZZSUPPORT_H
