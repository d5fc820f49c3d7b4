// The design results as the engineer reads them: the results JSON, the three
// CSV tables with units in their headers, and a short summary.
#pragma once

#include <string>

#include "DesignSession.h"

namespace ostrel::cli {

// The host's unit system, as `bt_units` codes it.
enum class UnitSystem { US = 0, SI = 1 };

// A 32-bit float as text that reads back as the same float ("%.9g"); a value
// that is not finite (never a query result) is written as JSON null.
std::string FloatText(float value);

// Name of an enum_DESIGN_STATUS value, or the number when it is not one.
std::string StatusName(int32_t status);

// The results document: done flag, nodes, plates, stiffeners with their four
// query groups, keys in each query's output order.
std::string ResultsJson(const DesignResults& results);

std::string NodesCsv(const DesignResults& results, UnitSystem units);
std::string PlatesCsv(const DesignResults& results, UnitSystem units);
std::string StiffenersCsv(const DesignResults& results, UnitSystem units);

// Element counts by status and the largest steel ratio of each group with the
// element where it occurs; one line per item, each ending in '\n'.
std::string SummaryText(const DesignResults& results);

}  // namespace ostrel::cli
