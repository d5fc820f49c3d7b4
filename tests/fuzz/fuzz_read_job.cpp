// The command line's job reader on arbitrary bytes: a job or a one-line
// InputError, never a crash or another exception. The table scanner and the
// general JSON parser must agree: both refuse the text, or both read the
// same job.
#include <cstring>

#include "FuzzSupport.h"
#include "Job.h"

using namespace ostrel::fuzz;
using ostrel::cli::InputError;
using ostrel::cli::Job;

namespace {

bool Read(Job (*parse)(std::string_view), std::string_view text, Job& job, std::string& error) {
  try {
    job = parse(text);
    return true;
  } catch (const InputError& e) {
    error = e.what();
    Require(!error.empty() && error.find('\n') == std::string::npos, "one-line error");
    return false;
  }
}

template <class T>
bool SameBytes(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Job fast, general;
  std::string fast_error, general_error;
  const bool fast_ok = Read(ostrel::cli::ParseJob, text, fast, fast_error);
  const bool general_ok =
      Read(ostrel::cli::ParseJobWithoutTableScanner, text, general, general_error);
  if (fast_ok != general_ok) {
    std::fprintf(stderr, "scanner: %s\ngeneral: %s\n", fast_ok ? "job" : fast_error.c_str(),
                 general_ok ? "job" : general_error.c_str());
  }
  Require(fast_ok == general_ok, "both readers accept or both refuse");
  if (!fast_ok) {
    return 0;
  }
  Require(SameBytes(fast.displacements, general.displacements) &&
              SameBytes(fast.plate_forces, general.plate_forces) &&
              SameBytes(fast.stiffener_forces, general.stiffener_forces),
          "both readers read the same tables");
  const size_t combos = fast.combinations.size();
  Require(fast.l_NumNodes >= 1 && fast.l_NumNodes <= 32767, "node count in range");
  Require(fast.displacements.size() == static_cast<size_t>(fast.l_NumNodes) * combos * 6 &&
              fast.plate_forces.size() == fast.plates.size() * combos * 6 &&
              fast.stiffener_forces.size() == fast.stiffeners.size() * combos * 12,
          "tables match the counts");
  const auto& g = fast.geometry;
  bool nodes_in_range = true;
  for (const auto& plate : g.plates) {
    for (int32_t n : plate) nodes_in_range = nodes_in_range && n >= 1 && n <= fast.l_NumNodes;
  }
  for (const auto& line : g.stiffeners) {
    for (int32_t n : line) nodes_in_range = nodes_in_range && n >= 1 && n <= fast.l_NumNodes;
  }
  Require(!g.present || (g.nodes.size() == static_cast<size_t>(fast.l_NumNodes) &&
                         g.plates.size() == fast.plates.size() &&
                         g.stiffeners.size() == fast.stiffeners.size() && nodes_in_range),
          "geometry matches the counts");
  return 0;
}
