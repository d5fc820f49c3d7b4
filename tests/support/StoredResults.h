// Every result field of the calling thread's model as text, one line per
// field, each value as the hex of its bytes ("-" for a field not allocated):
// what a run stored, whether or not it completed, to compare bit for bit.
#ifndef OSTREL_TESTS_SUPPORT_STOREDRESULTS_H
#define OSTREL_TESTS_SUPPORT_STOREDRESULTS_H

#include <cstdio>
#include <cstring>
#include <string>

#include "model/modGlobal.h"

namespace ostrel::test {

inline std::string StoredResults() {
  const modGlobal& g = Global();
  std::string out;
  auto dump = [&out](const auto& array) {
    for (int e = 1; e <= array.Size(); ++e) {
      const auto value = array(e);
      unsigned char bytes[sizeof value];
      std::memcpy(bytes, &value, sizeof value);
      char hex[3];
      for (unsigned char b : bytes) std::snprintf(hex, sizeof hex, "%02x", b), out += hex;
      out += ' ';
    }
    out += array.Allocated() ? "\n" : "-\n";
  };
  VisitPlateResultFields([&](auto field) { dump(g.PlateElement.*field); });
  VisitStiffenerResultFields([&](auto field) { dump(g.StiffenerElement.*field); });
  return out;
}

}  // namespace ostrel::test

#endif  // OSTREL_TESTS_SUPPORT_STOREDRESULTS_H
