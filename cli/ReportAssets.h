// The files a report inlines, as built into the program.
#pragma once

#include <string_view>

namespace ostrel::cli {

std::string_view ostrel_vega();
std::string_view ostrel_vega_lite();
std::string_view ostrel_vega_embed();
std::string_view ostrel_licence_vega();
std::string_view ostrel_licence_vega_lite();
std::string_view ostrel_licence_vega_embed();
std::string_view ostrel_report_js();
std::string_view ostrel_report_css();

}  // namespace ostrel::cli
