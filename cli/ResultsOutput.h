// The design results as the engineer reads them: the results JSON, the three
// CSV tables with units in their headers, and a short summary.
#pragma once

#include <string>
#include <vector>

#include "DesignSession.h"

namespace ostrel::cli {

// The host's unit system, as `bt_units` codes it.
enum class UnitSystem { US = 0, SI = 1 };

// What the results carry beside the library's values: the unit system, the
// job's combination names (empty when it gave none) and, for the CSV tables,
// the significant digits each value is rounded to.
struct ResultsContext {
  UnitSystem units = UnitSystem::SI;
  std::vector<std::string> combination_names;
  int precision = 4;
};

// A 32-bit float as text that reads back as the same float ("%.9g"); a value
// that is not finite (never a query result) is written as JSON null.
std::string FloatText(float value);

// Name of an enum_DESIGN_STATUS value, or the number when it is not one.
std::string StatusName(int32_t status);

// The results document: done flag, units, combination names (when given),
// nodes, plates, stiffeners with their four query groups, keys in each
// query's output order, every status followed by its name ("..._name").
// Values are exactly what the queries returned.
std::string ResultsJson(const DesignResults& results, const ResultsContext& context);

// The CSV tables, values rounded to context.precision significant digits.
std::string NodesCsv(const DesignResults& results, const ResultsContext& context);
std::string PlatesCsv(const DesignResults& results, const ResultsContext& context);
std::string StiffenersCsv(const DesignResults& results, const ResultsContext& context);

// Element counts by status, the failing elements of each status (up to ten
// numbers), and the largest steel ratio among the passing elements and among
// all; one line per item, each ending in '\n'.
std::string SummaryText(const DesignResults& results);

}  // namespace ostrel::cli
