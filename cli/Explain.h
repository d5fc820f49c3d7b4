// Why an element came out as it did: its demands against the capacity the
// design compared them with, from the library's capacity functions, as one
// JSON object per element.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "DesignSession.h"
#include "Job.h"

namespace ostrel::cli {

// The library could not evaluate an element (it has shown its message).
class ExplainError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class ElementKind { Plate, Stiffener };

// The explanation of element `element` (1-based) of a designed job:
//   {"element", "kind", "units", "ratio", "status", "status_name", "reason",
//    "governing": {"combination", "dc"}, "demands": [...], "curves": ...}
// evaluated at the designed ratio (at the maximum for an element that needs
// more steel than that), or at `ratio` (percent) when given. A plate has
// "ratio", "status", "status_name" and "governing" per direction
// ({"x": ..., "y": ...}), and a demand per combination and direction
// {"combination", "direction", "P", "M", "dc"} with the governing Wood-Armer
// pair; a stiffener a demand per combination and end {"combination", "end",
// "P", "Muy", "Muz", "dc"}, P being the axial force at end 1, for which the
// design computes the capacity of both ends. Without `with_curves` the
// "curves" key is left out. Throws ExplainError.
nlohmann::ordered_json ExplainElement(const Job& job, const DesignResults& results,
                                      ElementKind kind, int element,
                                      std::optional<float> ratio, bool with_curves);

// The results JSON with the explanation (without curves) of every element
// added under "explain". Throws ExplainError.
std::string WithExplanations(const std::string& results_json, const Job& job,
                             const DesignResults& results);

}  // namespace ostrel::cli
