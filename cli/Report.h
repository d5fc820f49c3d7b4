// The design report: one self-contained HTML file with the model, the
// summary and reasons, the wall in elevation, every stiffener's interaction
// diagrams, the most loaded plates' strip curves and tables of every result.
// The charts are Vega-Lite chart definitions written here as JSON and drawn
// in the browser by the inlined Vega libraries; nothing is fetched.
#pragma once

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "DesignSession.h"
#include "Job.h"

namespace ostrel::cli {

// The explanation of one element (1-based) in the shape `ostrel-design
// explain` prints, with its curves when `with_curves`; throws on failure.
using ElementExplainer =
    std::function<nlohmann::ordered_json(bool plate, int element, bool with_curves)>;

struct ReportContext {
  std::string job_name;         // the job file as given on the command line
  std::string program_version;  // ostrel-design's
  std::string library_version;  // the loaded library's
  std::string date;             // when the design ran, as printed
};

// Stiffeners, and plates, whose diagrams are drawn when the report opens, by
// descending demand/capacity; the others are listed with a control that
// draws them, so that a report of thousands of elements opens in seconds.
inline constexpr int kStiffenersDrawn = 200;
inline constexpr int kPlatesDrawn = 100;
// The most loaded plates whose strip curves are shown besides every failed
// one.
inline constexpr int kPlatesShown = 20;

// The whole HTML document.
std::string ReportHtml(const Job& job, const DesignResults& results,
                       const ReportContext& context, const ElementExplainer& explain);

}  // namespace ostrel::cli
