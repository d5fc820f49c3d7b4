#include "Report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <tuple>
#include <vector>

#include "ReportAssets.h"
#include "ResultsOutput.h"

namespace ostrel::cli {
namespace {

using ojson = nlohmann::ordered_json;

constexpr int kPass = 0, kUseTies = 1;

bool Failed(int status) { return status != kPass && status != kUseTies; }

// The class an element is coloured by in the elevation.
const char* StatusClass(int status) {
  return status == kPass ? "pass" : status == kUseTies ? "ties" : "fail";
}

struct Units {
  bool si;
  const char* length() const { return si ? "mm" : "in"; }
  const char* force() const { return si ? "kN" : "kip"; }
  const char* moment() const { return si ? "kN-m" : "kip-ft"; }
  const char* force_per_length() const { return si ? "kN/m" : "kip/ft"; }
  const char* moment_per_length() const { return si ? "kN-m/m" : "kip-ft/ft"; }
  const char* stress() const { return si ? "MPa" : "ksi"; }
};

// Four significant digits: what a chart or a table needs, and a third of
// the size of every digit of a double.
double Round4(double v) {
  if (!std::isfinite(v) || v == 0) return 0;
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", v);
  return std::strtod(text, nullptr);
}

std::string Text(double v, const char* format = "%.3g") {
  char text[48];
  std::snprintf(text, sizeof text, std::fabs(v) >= 1000 ? "%.0f" : format, v);
  return text;
}

std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// JSON inside a <script> element: no '<' may end the element early.
std::string ScriptJson(const ojson& value) {
  const std::string text = value.dump(-1, ' ', false, ojson::error_handler_t::replace);
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '<') {
      out += "\\u003c";
    } else {
      out += c;
    }
  }
  return out;
}

// "1-9, 11, 13-20" for sorted element numbers.
std::string Ranges(const std::vector<int>& numbers) {
  std::string out;
  for (size_t i = 0; i < numbers.size();) {
    size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    if (!out.empty()) out += ", ";
    out += std::to_string(numbers[i]);
    if (j > i) out += "&ndash;" + std::to_string(numbers[j]);
    i = j + 1;
  }
  return out;
}

struct ReportBuilder {
  ReportBuilder(const Job& j, const DesignResults& r, const ReportContext& c,
                const ElementExplainer& e)
      : job(j), results(r), context(c), explain(e) {}

  const Job& job;
  const DesignResults& results;
  const ReportContext& context;
  const ElementExplainer& explain;
  Units units{job.bt_units == 1};

  std::vector<ojson> plate_explained, stiffener_explained;
  ojson charts = ojson::object();  // chart definitions by the id of their element
  ojson datasets = ojson::object();
  // Curves by content: elements of one section at one steel ratio share
  // their curves, which a chart names by their index here.
  ojson curve_pool = ojson::array();
  std::map<std::string, int> curve_index;

  int Pooled(ojson rows) {
    std::string key = rows.dump();
    const auto [it, added] = curve_index.emplace(std::move(key), static_cast<int>(curve_pool.size()));
    if (added) curve_pool.push_back(std::move(rows));
    return it->second;
  }
  int expected_charts = 0;

  std::string Combination(int c) const {
    if (c < 1 || c > job.NumCombos()) return c == 0 ? "none" : std::to_string(c);
    const auto i = static_cast<size_t>(c - 1);
    return job.combination_names.empty() ? std::to_string(c)
                                         : std::to_string(c) + " (" + job.combination_names[i] + ")";
  }

  static double Dc(const ojson& governing) {
    const auto it = governing.find("dc");
    return it != governing.end() && it->is_number() ? it->get<double>() : -1;
  }
  static double PlateDc(const ojson& e) {
    return std::max(Dc(e["governing"]["x"]), Dc(e["governing"]["y"]));
  }
  static int PlateStatus(const ojson& e) {
    const int x = e["status"]["x"].get<int>(), y = e["status"]["y"].get<int>();
    return Failed(x) ? x : Failed(y) ? y : std::max(x, y);
  }

  void AddChart(std::string& html, const std::string& id, ojson definition,
                std::vector<std::string> data_sets = {}) {
    html += "<div class=\"chart\" id=\"" + id + "\" data-chart></div>";
    charts[id] = {{"chart", std::move(definition)}, {"shared", std::move(data_sets)}};
    ++expected_charts;
  }

  // An element's explanation with its curves; when the curves cannot be
  // evaluated, the explanation without them and why ("curves_error").
  ojson WithCurves(bool plate, int element) const {
    try {
      return explain(plate, element, true);
    } catch (const std::exception& e) {
      ojson out = explain(plate, element, false);
      out["curves_error"] = e.what();
      return out;
    }
  }

  // ---- title block and model ----------------------------------------------

  std::string TitleBlock() const {
    const std::string title =
        job.description.empty() ? "Design of " + context.job_name : job.description;
    std::string html = "<header class=\"title\"><h1>Wall reinforcement design</h1><p class=\"job\">" +
                       Escape(title) + "</p><table class=\"facts\">";
    const std::pair<const char*, std::string> rows[] = {
        {"Job file", context.job_name},
        {"Designed", context.date},
        {"Design standard", "CSA A23.3-94"},
        {"Program", "ostrel-design " + context.program_version},
        {"Library", "OstrelDesignCSA94 " + context.library_version},
        {"Units", units.si ? "SI (mm, kN, MPa, kN-m)" : "US (in, kip, ksi, kip-ft)"}};
    for (const auto& [k, v] : rows) {
      html += "<tr><th>" + std::string(k) + "</th><td>" + Escape(v) + "</td></tr>";
    }
    return html + "</table></header>";
  }

  std::string Model() const {
    int ultimate = 0;
    for (uint8_t t : job.combinations) ultimate += t == 1;
    std::string html = "<section id=\"model\"><h2>Model</h2><p>" + std::to_string(job.l_NumNodes) +
                       " nodes, " + std::to_string(job.plates.size()) + " plate elements, " +
                       std::to_string(job.stiffeners.size()) + " stiffener elements, " +
                       std::to_string(job.NumCombos()) + " load combinations (" +
                       std::to_string(ultimate) + " ultimate, " +
                       std::to_string(job.NumCombos() - ultimate) + " service)" +
                       (job.geometry.present ? "" : "; the job gives no geometry, so the wall is not drawn") +
                       ".</p>";
    const std::string L = units.length(), S = units.stress();
    // Plates grouped by their properties.
    std::map<std::vector<float>, std::vector<int>> plates;
    for (size_t e = 0; e < job.plates.size(); ++e) {
      const PlateInput& p = job.plates[e];
      plates[{p.f_Thickness, static_cast<float>(p.bt_NumCurtains), p.f_fc, p.f_fy, p.f_Es,
              p.f_CoverToRFT_X, p.f_CoverToRFT_Y, p.f_MinRatioOfRFT, p.f_MaxRatioOfRFT,
              p.f_MinRatioOfRFT_v, p.f_MaxRatioOfRFT_v}]
          .push_back(static_cast<int>(e + 1));
    }
    html += "<h3>Plate sections and materials</h3><table class=\"data\"><thead><tr><th>Elements</th>"
            "<th>Thickness [" + L + "]</th><th>Curtains</th><th>f'c [" + S + "]</th><th>fy [" + S +
            "]</th><th>Es [" + S + "]</th><th>Cover x / y [" + L +
            "]</th><th>Ratio x min&ndash;max [%]</th><th>Ratio y min&ndash;max [%]</th></tr></thead><tbody>";
    for (const auto& [k, elements] : plates) {
      html += "<tr><td>" + Ranges(elements) + "</td><td>" + Text(k[0]) + "</td><td>" + Text(k[1]) +
              "</td><td>" + Text(k[2]) + "</td><td>" + Text(k[3]) + "</td><td>" + Text(k[4]) +
              "</td><td>" + Text(k[5]) + " / " + Text(k[6]) + "</td><td>" + Text(k[7]) + "&ndash;" +
              Text(k[8]) + "</td><td>" + Text(k[9]) + "&ndash;" + Text(k[10]) + "</td></tr>";
    }
    html += "</tbody></table>";
    std::map<std::vector<float>, std::vector<int>> stiffeners;
    for (size_t e = 0; e < job.stiffeners.size(); ++e) {
      const StiffenerInput& s = job.stiffeners[e];
      stiffeners[{static_cast<float>(s.bt_SectionType), s.f_SectionWidth, s.f_sectionHeight,
                  s.f_LeftFlangeWidth, s.f_LeftFlangeThickness, s.f_RightFlangeWidth,
                  s.f_RightFlangeThickness, s.f_fc, s.f_fy, s.f_Cover_Z, s.f_Cover_Y,
                  s.f_MinRatioOfRFT, s.f_MaxRatioOfRFT}]
          .push_back(static_cast<int>(e + 1));
    }
    html += "<h3>Stiffener sections and materials</h3><table class=\"data\"><thead><tr><th>Elements</th>"
            "<th>Section</th><th>Width &times; height [" + L + "]</th><th>Flanges left / right, width &times; thickness [" +
            L + "]</th><th>f'c [" + S + "]</th><th>fy [" + S + "]</th><th>Cover z / y [" + L +
            "]</th><th>Ratio min&ndash;max [%]</th></tr></thead><tbody>";
    for (const auto& [k, elements] : stiffeners) {
      html += "<tr><td>" + Ranges(elements) + "</td><td>" +
              (k[0] == 1 ? "circular" : "rectangular") + "</td><td>" + Text(k[1]) + " &times; " +
              Text(k[2]) + "</td><td>" + Text(k[3]) + " &times; " + Text(k[4]) + " / " +
              Text(k[5]) + " &times; " + Text(k[6]) + "</td><td>" + Text(k[7]) + "</td><td>" +
              Text(k[8]) + "</td><td>" + Text(k[9]) + " / " + Text(k[10]) + "</td><td>" +
              Text(k[11]) + "&ndash;" + Text(k[12]) + "</td></tr>";
    }
    html += "</tbody></table><h3>Load combinations</h3><table class=\"data\"><thead><tr><th>No.</th>"
            "<th>Name</th><th>Type</th></tr></thead><tbody>";
    for (int c = 1; c <= job.NumCombos(); ++c) {
      const auto i = static_cast<size_t>(c - 1);
      html += "<tr><td>" + std::to_string(c) + "</td><td>" +
              Escape(job.combination_names.empty() ? "" : job.combination_names[i]) + "</td><td>" +
              (job.combinations[i] == 1 ? "ultimate" : "service") + "</td></tr>";
    }
    return html + "</tbody></table></section>";
  }

  // ---- summary --------------------------------------------------------------

  std::string Summary() const {
    std::map<std::string, std::array<int, 4>> counts;  // plates x, plates y, stiffeners
    for (const ojson& e : plate_explained) {
      ++counts[e["status_name"]["x"].get<std::string>()][0];
      ++counts[e["status_name"]["y"].get<std::string>()][1];
    }
    for (const ojson& e : stiffener_explained) ++counts[e["status_name"].get<std::string>()][2];
    std::string html =
        "<section id=\"summary\"><h2>Summary</h2><table class=\"data\"><thead><tr><th>Status</th>"
        "<th>Plates, x</th><th>Plates, y</th><th>Stiffeners</th></tr></thead><tbody>";
    for (const auto& [name, n] : counts) {
      html += "<tr><td>" + Escape(name) + "</td><td>" + std::to_string(n[0]) + "</td><td>" +
              std::to_string(n[1]) + "</td><td>" + std::to_string(n[2]) + "</td></tr>";
    }
    html += "</tbody></table><h3>Failed elements</h3>";
    std::string rows;
    int failed = 0;
    const auto add = [&](const char* kind, const ojson& e, int status) {
      ++failed;
      rows += "<tr class=\"fail\"><td>" + std::string(kind) + " " +
              std::to_string(e["element"].get<int>()) + "</td><td>" + Escape(StatusName(status)) +
              "</td><td>" + Escape(e["reason"].get<std::string>()) + "</td></tr>";
    };
    for (const ojson& e : plate_explained) {
      if (Failed(PlateStatus(e))) add("plate", e, PlateStatus(e));
    }
    for (const ojson& e : stiffener_explained) {
      if (Failed(e["status"].get<int>())) add("stiffener", e, e["status"].get<int>());
    }
    if (failed == 0) return html + "<p>No element failed.</p></section>";
    return html + "<p>" + std::to_string(failed) +
           " elements failed.</p><table class=\"data\" id=\"failed\"><thead><tr><th>Element</th>"
           "<th>Status</th><th>Reason</th></tr></thead><tbody>" +
           rows + "</tbody></table></section>";
  }

  // ---- the wall in elevation --------------------------------------------------

  // The plane the wall is drawn in: the two coordinates with the largest
  // extents, the vertical one being y or z.
  int h_axis = 0, v_axis = 1;
  void ChooseAxes() {
    std::array<float, 3> lo{}, hi{};
    for (size_t a = 0; a < 3; ++a) {
      lo[a] = hi[a] = job.geometry.nodes.empty() ? 0 : job.geometry.nodes[0][a];
    }
    for (const auto& n : job.geometry.nodes) {
      for (size_t a = 0; a < 3; ++a) lo[a] = std::min(lo[a], n[a]), hi[a] = std::max(hi[a], n[a]);
    }
    const auto extent = [&](int a) { return hi[static_cast<size_t>(a)] - lo[static_cast<size_t>(a)]; };
    const int flat = extent(2) <= extent(0) && extent(2) <= extent(1) ? 2
                     : extent(1) <= extent(0) ? 1 : 0;
    h_axis = flat == 0 ? 1 : 0;
    v_axis = flat == 2 ? 1 : 2;
  }

  ojson ElevationChart(const char* title, const char* plate_field, const char* stiffener_field,
                       bool status, const std::array<float, 4>& box) const {
    const char* names = "xyz";
    const std::string h = std::string(1, names[h_axis]) + " [" + units.length() + "]";
    const std::string v = std::string(1, names[v_axis]) + " [" + units.length() + "]";
    // To scale, within 520 x 520 pixels, so that the four drawings of a tall
    // wall stand side by side.
    const double ratio = box[1] > box[0] ? (box[3] - box[2]) / (box[1] - box[0]) : 1;
    const double width = ratio > 1 ? std::max(120.0, 520.0 / ratio) : 520.0;
    const double height = ratio > 1 ? 520.0 : std::max(120.0, 520.0 * ratio);
    ojson color = status
                      ? ojson{{"field", plate_field},
                              {"type", "nominal"},
                              {"title", "status"},
                              {"scale", {{"domain", {"pass", "ties", "fail"}},
                                         {"range", {"#4c9a5a", "#e0b03c", "#d1453b"}}}}}
                      : ojson{{"field", plate_field},
                              {"type", "quantitative"},
                              {"title", "steel ratio [%]"},
                              {"scale", {{"scheme", "blues"}, {"zero", true}}}};
    ojson stiffener_color = color;
    stiffener_color["field"] = stiffener_field;
    const ojson x = {{"field", "x1"}, {"type", "quantitative"}, {"title", h},
                     {"scale", {{"domain", {box[0], box[1]}}, {"nice", false}}}};
    const ojson y = {{"field", "y1"}, {"type", "quantitative"}, {"title", v},
                     {"scale", {{"domain", {box[2], box[3]}}, {"nice", false}}}};
    ojson plate_tip = ojson::array(
        {{{"field", "id"}, {"title", "plate"}}, {{"field", "status"}, {"title", "status"}},
         {{"field", "sx"}, {"title", "status x"}}, {{"field", "sy"}, {"title", "status y"}},
         {{"field", "rx"}, {"title", "ratio x [%]"}}, {{"field", "ry"}, {"title", "ratio y [%]"}},
         {{"field", "gx"}, {"title", "governing combination x"}},
         {{"field", "gy"}, {"title", "governing combination y"}},
         {{"field", "dc"}, {"title", "demand/capacity"}}});
    ojson stiffener_tip = ojson::array(
        {{{"field", "id"}, {"title", "stiffener"}}, {{"field", "sname"}, {"title", "status"}},
         {{"field", "r"}, {"title", "ratio [%]"}}, {{"field", "g"}, {"title", "governing combination"}},
         {{"field", "dc"}, {"title", "demand/capacity"}}});
    ojson layers = ojson::array();
    if (!job.plates.empty()) {
      layers.push_back({{"data", {{"name", "plates"}}},
                        {"mark", {{"type", "rect"}, {"stroke", "#ffffff"}, {"strokeWidth", 0.4}}},
                        {"encoding", {{"x", x}, {"x2", {{"field", "x2"}}}, {"y", y},
                                      {"y2", {{"field", "y2"}}}, {"color", color},
                                      {"tooltip", plate_tip}}}});
    }
    if (!job.stiffeners.empty()) {
      layers.push_back({{"data", {{"name", "stiffeners"}}},
                        {"mark", {{"type", "rule"}, {"strokeWidth", 5}, {"strokeCap", "butt"}}},
                        {"encoding", {{"x", x}, {"x2", {{"field", "x2"}}}, {"y", y},
                                      {"y2", {{"field", "y2"}}}, {"color", stiffener_color},
                                      {"tooltip", stiffener_tip}}}});
    }
    return {{"title", title}, {"width", width}, {"height", height}, {"layer", std::move(layers)}};
  }

  // Rows of objects as column names and rows of values: a third of the text.
  static ojson Columns(const ojson& objects) {
    ojson columns = ojson::array(), rows = ojson::array();
    if (!objects.empty()) {
      for (const auto& item : objects[0].items()) columns.push_back(item.key());
    }
    for (const ojson& o : objects) {
      ojson row = ojson::array();
      for (const auto& item : o.items()) row.push_back(item.value());
      rows.push_back(std::move(row));
    }
    return {{"columns", std::move(columns)}, {"rows", std::move(rows)}};
  }

  std::string Elevation() {
    if (!job.geometry.present) return "";
    ChooseAxes();
    const auto& nodes = job.geometry.nodes;
    const auto H = [&](int n) { return nodes[static_cast<size_t>(n - 1)][static_cast<size_t>(h_axis)]; };
    const auto V = [&](int n) { return nodes[static_cast<size_t>(n - 1)][static_cast<size_t>(v_axis)]; };
    std::array<float, 4> box{H(1), H(1), V(1), V(1)};
    for (int n = 1; n <= static_cast<int>(nodes.size()); ++n) {
      box[0] = std::min(box[0], H(n)), box[1] = std::max(box[1], H(n));
      box[2] = std::min(box[2], V(n)), box[3] = std::max(box[3], V(n));
    }
    // A margin, so that the stiffeners on the edges are drawn whole.
    const float margin = 0.03f * std::max({box[1] - box[0], box[3] - box[2], 1e-3f});
    box = {box[0] - margin, box[1] + margin, box[2] - margin, box[3] + margin};
    ojson plates = ojson::array();
    for (size_t e = 0; e < job.plates.size(); ++e) {
      const ojson& x = plate_explained[e];
      const auto& q = job.geometry.plates[e];
      float h0 = H(q[0]), h1 = h0, v0 = V(q[0]), v1 = v0;
      for (int n : q) {
        h0 = std::min(h0, H(n)), h1 = std::max(h1, H(n)), v0 = std::min(v0, V(n)), v1 = std::max(v1, V(n));
      }
      const double dc = PlateDc(x);
      plates.push_back({{"id", e + 1}, {"x1", h0}, {"x2", h1}, {"y1", v0}, {"y2", v1},
                        {"rx", x["ratio"]["x"]}, {"ry", x["ratio"]["y"]},
                        {"status", StatusClass(PlateStatus(x))},
                        {"sx", x["status_name"]["x"]}, {"sy", x["status_name"]["y"]},
                        {"gx", x["governing"]["x"]["combination"]},
                        {"gy", x["governing"]["y"]["combination"]},
                        {"dc", dc >= 0 ? ojson(Round4(dc)) : ojson(nullptr)}});
    }
    ojson stiffeners = ojson::array();
    for (size_t e = 0; e < job.stiffeners.size(); ++e) {
      const ojson& x = stiffener_explained[e];
      const auto& l = job.geometry.stiffeners[e];
      const double dc = Dc(x["governing"]);
      stiffeners.push_back({{"id", e + 1}, {"x1", H(l[0])}, {"x2", H(l[1])}, {"y1", V(l[0])},
                            {"y2", V(l[1])}, {"r", x["ratio"]},
                            {"status", StatusClass(x["status"].get<int>())},
                            {"sname", x["status_name"]},
                            {"g", x["governing"]["combination"]},
                            {"dc", dc >= 0 ? ojson(Round4(dc)) : ojson(nullptr)}});
    }
    // The displacement envelope: the largest translation of each node over
    // every combination, from the design's node results.
    ojson points = ojson::array();
    const char* keys[] = {"f_Dx_Negative", "f_Dx_Positive", "f_Dy_Negative",
                          "f_Dy_Positive", "f_Dz_Negative", "f_Dz_Positive"};
    for (size_t n = 0; n < results.nodes.size() && n < nodes.size(); ++n) {
      std::array<double, 3> d{};
      for (size_t k = 0; k < 6; ++k) {
        d[k / 2] = std::max(d[k / 2], std::fabs(Number(Find(results.nodes[n], keys[k]))));
      }
      points.push_back({{"id", n + 1}, {"x1", H(static_cast<int>(n + 1))},
                        {"y1", V(static_cast<int>(n + 1))},
                        {"d", Round4(std::max({d[0], d[1], d[2]}))}, {"dx", Round4(d[0])},
                        {"dy", Round4(d[1])}, {"dz", Round4(d[2])}});
    }
    datasets["plates"] = Columns(plates);
    datasets["stiffeners"] = Columns(stiffeners);
    datasets["nodes"] = Columns(points);

    std::string html = "<section id=\"elevation\"><h2>The wall in elevation</h2>"
                       "<p>Hover over an element for its number, status, steel ratio and governing "
                       "combination. Stiffeners are drawn as thick lines, in the x and y drawings "
                       "coloured by their own steel ratio. The displacement envelope shows the "
                       "largest translation of each node over every combination.</p><div class=\"charts\">";
    AddChart(html, "elev-ratio-x", ElevationChart("Steel ratio, x", "rx", "r", false, box),
             {"plates", "stiffeners"});
    AddChart(html, "elev-ratio-y", ElevationChart("Steel ratio, y", "ry", "r", false, box),
             {"plates", "stiffeners"});
    AddChart(html, "elev-status", ElevationChart("Status", "status", "status", true, box),
             {"plates", "stiffeners"});
    ojson envelope = ElevationChart("Displacement envelope", "status",
                                    "status", true, box);
    ojson& layers = envelope["layer"];
    ojson outline = ojson::array();
    if (!job.plates.empty()) {
      ojson plate_layer = layers[0];
      plate_layer["mark"] = {{"type", "rect"}, {"fill", "#eeeeee"}, {"stroke", "#cccccc"},
                             {"strokeWidth", 0.4}};
      plate_layer["encoding"].erase("color");
      plate_layer["encoding"].erase("tooltip");
      outline.push_back(std::move(plate_layer));
    }
    const std::string length = units.length();
    outline.push_back(
        {{"data", {{"name", "nodes"}}},
         {"mark", {{"type", "circle"}, {"size", nodes.size() > 2000 ? 12 : 60}}},
         {"encoding",
          {{"x", layers[0]["encoding"]["x"]},
           {"y", layers[0]["encoding"]["y"]},
           {"color", {{"field", "d"}, {"type", "quantitative"}, {"title", "[" + length + "]"},
                      {"scale", {{"scheme", "orangered"}}}}},
           {"tooltip", ojson::array({{{"field", "id"}, {"title", "node"}},
                                     {{"field", "d"}, {"title", "largest [" + length + "]"}},
                                     {{"field", "dx"}, {"title", "|dx| [" + length + "]"}},
                                     {{"field", "dy"}, {"title", "|dy| [" + length + "]"}},
                                     {{"field", "dz"}, {"title", "|dz| [" + length + "]"}}})}}}});
    envelope["layer"] = std::move(outline);
    AddChart(html, "elev-displacement", std::move(envelope),
             job.plates.empty() ? std::vector<std::string>{"nodes"}
                                : std::vector<std::string>{"plates", "nodes"});
    return html + "</div></section>";
  }

  // ---- stiffeners and plates ----------------------------------------------------
  //
  // Their charts share three chart definitions ("templates"): each element
  // brings only its title and data, as rows of numbers in the columns the
  // template names, which keeps a report of thousands of elements small.

  static ojson Axis(const std::string& field, const std::string& title) {
    return {{"field", field}, {"type", "quantitative"}, {"title", title}};
  }

  static ojson DemandLayer(const char* x, const char* y, ojson tooltip) {
    return {{"data", {{"name", "demands"}}},
            {"transform", {{{"calculate", "datum.g ? 'governing' : 'other'"}, {"as", "which"}}}},
            {"mark", {{"type", "point"}, {"filled", true}}},
            {"encoding",
             {{"x", {{"field", x}, {"type", "quantitative"}}},
              {"y", {{"field", y}, {"type", "quantitative"}}},
              {"shape", {{"field", "which"}, {"type", "nominal"}, {"title", "demand"},
                         {"scale", {{"domain", {"governing", "other"}},
                                    {"range", {"diamond", "circle"}}}}}},
              {"size", {{"field", "which"}, {"type", "nominal"}, {"legend", nullptr},
                        {"scale", {{"domain", {"governing", "other"}}, {"range", {160, 30}}}}}},
              {"color", {{"field", "which"}, {"type", "nominal"}, {"legend", nullptr},
                         {"scale", {{"domain", {"governing", "other"}},
                                    {"range", {"#d1453b", "#555555"}}}}}},
              {"tooltip", std::move(tooltip)}}}};
  }

  ojson Templates() const {
    const std::string F = units.force(), M = units.moment();
    const ojson stiffener_tip = ojson::array(
        {{{"field", "combination"}}, {{"field", "end"}}, {{"field", "P"}, {"title", "P [" + F + "]"}},
         {{"field", "Muy"}, {"title", "|Muy| [" + M + "]"}},
         {{"field", "Muz"}, {"title", "|Muz| [" + M + "]"}},
         {{"field", "dc"}, {"title", "demand/capacity"}}});
    const ojson stiffener_demands = {"g", "combination", "end", "P", "M", "Muy", "Muz", "dc"};
    const ojson pm = {
        {"columns", {{"curve", {"M", "P"}}, {"control", {"label", "M", "P"}},
                     {"demands", stiffener_demands}}},
        {"chart",
         {{"width", 300},
          {"height", 280},
          {"layer",
           {{{"data", {{"name", "curve"}}},
             {"mark", {{"type", "line"}, {"color", "#3a6ea5"}}},
             {"encoding", {{"x", Axis("M", "|M| [" + M + "]")},
                           {"y", Axis("P", "P [" + F + "], compression negative")},
                           {"order", {{"field", "i"}, {"type", "quantitative"}}}}}},
            {{"data", {{"name", "control"}}},
             {"layer",
              {{{"mark", {{"type", "point"}, {"shape", "square"}, {"color", "#3a6ea5"}}}},
               {{"mark", {{"type", "text"}, {"align", "left"}, {"dx", 6}, {"fontSize", 10}}},
                {"encoding", {{"text", {{"field", "label"}}}}}}}},
             {"encoding", {{"x", {{"field", "M"}, {"type", "quantitative"}}},
                           {"y", {{"field", "P"}, {"type", "quantitative"}}}}}},
            DemandLayer("M", "P", stiffener_tip)}}}}};
    const ojson mm = {
        {"columns", {{"curve", {"Muy", "Muz"}}, {"demands", stiffener_demands}}},
        {"chart",
         {{"width", 280},
          {"height", 280},
          {"layer",
           {{{"data", {{"name", "curve"}}},
             {"mark", {{"type", "line"}, {"color", "#3a6ea5"}}},
             {"encoding", {{"x", Axis("Muy", "|Muy| [" + M + "]")},
                           {"y", Axis("Muz", "|Muz| [" + M + "]")},
                           {"order", {{"field", "i"}, {"type", "quantitative"}}}}}},
            DemandLayer("Muy", "Muz", stiffener_tip)}}}}};
    const std::string PF = units.force_per_length(), PM = units.moment_per_length();
    ojson plate_demands = DemandLayer(
        "M", "P",
        ojson::array({{{"field", "dir"}, {"title", "direction"}}, {{"field", "combination"}},
                      {{"field", "P"}, {"title", "N [" + PF + "]"}},
                      {{"field", "M"}, {"title", "M [" + PM + "]"}},
                      {{"field", "dc"}, {"title", "demand/capacity"}}}));
    const ojson direction_colour = {
        {"field", "dir"}, {"type", "nominal"}, {"title", "direction"},
        {"scale", {{"domain", {"x", "y"}}, {"range", {"#3a6ea5", "#c0792b"}}}}};
    plate_demands["encoding"]["color"] = direction_colour;
    const ojson strip = {
        {"columns", {{"curve", {"dir", "N", "M"}},
                     {"demands", {"g", "dir", "combination", "P", "M", "dc"}}}},
        {"chart",
         {{"width", 420},
          {"height", 280},
          {"layer",
           {{{"data", {{"name", "curve"}}},
             {"mark", {{"type", "line"}}},
             {"encoding", {{"x", Axis("M", "M [" + PM + "]")},
                           {"y", Axis("N", "N [" + PF + "], compression negative")},
                           {"color", direction_colour},
                           {"detail", {{"field", "dir"}}},
                           {"order", {{"field", "i"}, {"type", "quantitative"}}}}}},
            std::move(plate_demands)}}}}};
    return {{"pm", pm}, {"mm", mm}, {"strip", strip}};
  }

  // One templated chart: its element in the page and its entry in `store`.
  void TemplatedChart(std::string& html, ojson& store, int& count, const std::string& id,
                             const char* name, const std::string& title, ojson data) {
    html += "<div class=\"chart\" id=\"" + id + "\" data-chart></div>";
    store[id] = {{"t", name}, {"title", title}, {"data", std::move(data)}};
    ++count;
  }

  static std::string NoDiagram(const ojson& e) {
    return e.contains("curves_error")
               ? "<p class=\"note\">No diagram: " + Escape(e["curves_error"].get<std::string>()) +
                     ".</p></div>"
               : "<p>No diagram: the section leaves nothing to evaluate.</p></div>";
  }

  // The P-M curve in the direction nearest the governing demand, and the
  // Muy-Muz contour at the governing axial force.
  std::string StiffenerSection(const ojson& e, ojson& store, int& count) {
    const int n = e["element"].get<int>();
    const int status = e["status"].get<int>();
    const int gov = e["governing"]["combination"].get<int>();
    const double dc = Dc(e["governing"]);
    std::string html = "<div class=\"element stiffener " + std::string(StatusClass(status)) +
                       "\" id=\"stiffener-" + std::to_string(n) + "\"><h3>Stiffener " +
                       std::to_string(n) + " &mdash; " + Escape(StatusName(status)) +
                       "</h3><p class=\"facts\">steel ratio " + Text(e["ratio"].get<double>()) +
                       " %, governing combination " + Escape(Combination(gov)) +
                       ", demand/capacity " + (dc >= 0 ? Text(dc, "%.3f") : "&ndash;") +
                       "</p><p class=\"reason\">" + Escape(e["reason"].get<std::string>()) + "</p>";
    const ojson curves = e.contains("curves") ? e["curves"] : ojson();
    if (!curves.is_object() || !curves.contains("directions")) return html + NoDiagram(e);
    // The governing demand: the end of the governing combination with the
    // larger demand/capacity.
    double gy = 0, gz = 0, best = -1;
    int gov_end = 0;
    for (const ojson& d : e["demands"]) {
      const double r = d["dc"].is_number() ? d["dc"].get<double>() : -1;
      if (d["combination"].get<int>() == gov && r > best) {
        best = r, gy = d["Muy"].get<double>(), gz = d["Muz"].get<double>(),
        gov_end = d["end"].get<int>();
      }
    }
    const bool flanged = curves["contour"].is_null();
    // 0 degrees: bending about z alone (Muz); 90 degrees: Muy alone, which
    // is all the check of a flanged section takes.
    const double angle = flanged ? 90 : std::atan2(std::fabs(gy), std::fabs(gz)) * 180.0 / M_PI;
    const ojson* direction = nullptr;
    double nearest = 1e9;
    for (const ojson& d : curves["directions"]) {
      const double a = d["angle_deg"].get<double>();
      if (a <= 90 && std::fabs(a - angle) < nearest) nearest = std::fabs(a - angle), direction = &d;
    }
    if (direction == nullptr) return html + NoDiagram(e);
    ojson curve = ojson::array(), control = ojson::array(), demands = ojson::array();
    for (const ojson& p : (*direction)["points"]) {
      curve.push_back({Round4(std::fabs(p[1].get<double>())), Round4(p[0].get<double>())});
    }
    for (const ojson& p : (*direction)["control_points"]) {
      control.push_back({p["label"], Round4(std::fabs(p["M"].get<double>())),
                         Round4(p["P"].get<double>())});
    }
    for (const ojson& d : e["demands"]) {
      const double muy = d["Muy"].get<double>(), muz = d["Muz"].get<double>();
      const bool is_gov = d["combination"].get<int>() == gov && d["end"].get<int>() == gov_end;
      const ojson row = {is_gov ? 1 : 0, d["combination"], d["end"],
                         Round4(d["P"].get<double>()),
                         Round4(flanged ? std::fabs(muy) : std::hypot(muy, muz)),
                         Round4(std::fabs(muy)), Round4(std::fabs(muz)),
                         d["dc"].is_number() ? ojson(Round4(d["dc"].get<double>())) : ojson(nullptr)};
      // The governing demand last, so that it is drawn on top.
      is_gov ? demands.insert(demands.end(), row) : demands.insert(demands.begin(), row);
    }
    const std::string id = "s" + std::to_string(n);
    html += "<div class=\"charts\">";
    TemplatedChart(html, store, count, id + "-pm", "pm",
                   "P\u2013M, direction " +
                       Text((*direction)["angle_deg"].get<double>(), "%.0f") + "\u00b0" +
                       (flanged ? " (Muy)" : ""),
                   {{"curve", Pooled(std::move(curve))}, {"control", std::move(control)},
                    {"demands", demands}});
    if (flanged) {
      html += "<p class=\"note\">Flanged section: the check takes Muy alone, so there is no "
              "Muy&ndash;Muz contour.</p>";
    } else {
      ojson contour = ojson::array();
      for (const ojson& p : curves["contour"]["points"]) {
        contour.push_back({Round4(p[0].get<double>()), Round4(p[1].get<double>())});
      }
      TemplatedChart(html, store, count, id + "-mm", "mm",
                     "Muy\u2013Muz at P = " + Text(curves["contour"]["P"].get<double>()) + " " +
                         units.force(),
                     {{"curve", Pooled(std::move(contour))}, {"demands", std::move(demands)}});
    }
    return html + "</div></div>";
  }

  std::string PlateSection(const ojson& e, ojson& store, int& count) {
    const int n = e["element"].get<int>();
    const int status = PlateStatus(e);
    const double dc = PlateDc(e);
    std::string html =
        "<div class=\"element plate " + std::string(StatusClass(status)) + "\" id=\"plate-" +
        std::to_string(n) + "\"><h3>Plate " + std::to_string(n) + " &mdash; " +
        Escape(e["status_name"]["x"].get<std::string>()) + " (x), " +
        Escape(e["status_name"]["y"].get<std::string>()) + " (y)</h3><p class=\"facts\">steel ratio " +
        Text(e["ratio"]["x"].get<double>()) + " % (x), " + Text(e["ratio"]["y"].get<double>()) +
        " % (y); governing combination " +
        Escape(Combination(e["governing"]["x"]["combination"].get<int>())) + " (x), " +
        Escape(Combination(e["governing"]["y"]["combination"].get<int>())) +
        " (y); demand/capacity " + (dc >= 0 ? Text(dc, "%.3f") : "&ndash;") +
        "</p><p class=\"reason\">" + Escape(e["reason"].get<std::string>()) + "</p>";
    ojson curve = ojson::array(), demands = ojson::array();
    for (const char* d : {"x", "y"}) {
      if (!e.contains("curves")) break;
      for (const ojson& p : e["curves"][d]) {
        curve.push_back({d, Round4(p[0].get<double>()), Round4(p[1].get<double>())});
      }
    }
    if (curve.empty()) return html + NoDiagram(e);
    for (const ojson& d : e["demands"]) {
      const std::string dir = d["direction"].get<std::string>();
      const bool gov = d["combination"] == e["governing"][dir]["combination"];
      const ojson row = {gov ? 1 : 0, dir, d["combination"],
                         Round4(d["P"].get<double>()), Round4(d["M"].get<double>()),
                         Round4(d["dc"].get<double>())};
      gov ? demands.insert(demands.end(), row) : demands.insert(demands.begin(), row);
    }
    html += "<div class=\"charts\">";
    TemplatedChart(html, store, count, "p" + std::to_string(n), "strip",
                   "Strip N\u2013M, plate " + std::to_string(n),
                   {{"curve", Pooled(std::move(curve))}, {"demands", std::move(demands)}});
    return html + "</div></div>";
  }

  // Elements drawn in `order`: the first `drawn` with their charts,
  // the others listed with a control that draws them.
  std::string DrawnOrListed(const std::vector<size_t>& order, bool plate, ojson& more) {
    const size_t drawn = static_cast<size_t>(plate ? kPlatesDrawn : kStiffenersDrawn);
    std::string html, rest;
    for (size_t k = 0; k < order.size(); ++k) {
      const int n = static_cast<int>(order[k] + 1);
      const ojson e = WithCurves(plate, n);
      if (k < drawn) {
        html += plate ? PlateSection(e, charts, expected_charts)
                      : StiffenerSection(e, charts, expected_charts);
        continue;
      }
      ojson store = ojson::object();
      int count = 0;
      std::string section = plate ? PlateSection(e, store, count) : StiffenerSection(e, store, count);
      const double dc = plate ? PlateDc(e) : Dc(e["governing"]);
      const int status = plate ? PlateStatus(e) : e["status"].get<int>();
      rest += "<tr><td>" + std::to_string(n) + "</td><td>" + Escape(StatusName(status)) +
              "</td><td>" + (dc >= 0 ? Text(dc, "%.3f") : "&ndash;") +
              "</td><td><button type=\"button\" class=\"show\" data-more=\"" +
              std::to_string(more.size()) + "\">show</button></td></tr>";
      more.push_back({{"html", std::move(section)}, {"charts", std::move(store)}});
    }
    if (!rest.empty()) {
      const size_t listed = order.size() - drawn;
      html += std::string("<h3>Further ") + (plate ? "plates" : "stiffeners") + "</h3><p>The diagrams of the " +
              std::to_string(listed) + (plate ? " further plates" : " stiffeners") +
              " with the lowest demand/capacity are drawn on request.</p>"
              "<table class=\"data more\"><thead><tr><th>" + (plate ? "Plate" : "Stiffener") +
              "</th><th>Status</th><th>Demand/capacity</th><th></th></tr></thead><tbody>" + rest +
              "</tbody></table>";
    }
    return html;
  }

  std::string Stiffeners(ojson& more) {
    if (job.stiffeners.empty()) return "";
    std::vector<size_t> order(job.stiffeners.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return Dc(stiffener_explained[a]["governing"]) > Dc(stiffener_explained[b]["governing"]);
    });
    return "<section id=\"stiffeners\"><h2>Stiffeners</h2><p>Each stiffener's axial "
           "force&ndash;moment curve in the direction nearest its governing demand and "
           "its Muy&ndash;Muz contour at the governing axial force, with the demand of "
           "every ultimate combination at both ends; ordered by demand/capacity.</p>" +
           DrawnOrListed(order, false, more) + "</section>";
  }

  // The kPlatesShown plates with the highest demand/capacity and every failed
  // plate, by demand/capacity.
  std::string Plates(ojson& more) {
    if (job.plates.empty()) return "";
    std::vector<size_t> order(job.plates.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return PlateDc(plate_explained[a]) > PlateDc(plate_explained[b]);
    });
    std::vector<size_t> chosen;
    for (size_t k = 0; k < order.size(); ++k) {
      if ((k < static_cast<size_t>(kPlatesShown) && PlateDc(plate_explained[order[k]]) >= 0) ||
          Failed(PlateStatus(plate_explained[order[k]]))) {
        chosen.push_back(order[k]);
      }
    }
    return "<section id=\"plates\"><h2>Plates</h2><p>The strip's axial force&ndash;moment "
           "curves in x and y with the Wood&ndash;Armer demand of every ultimate combination, "
           "for the " + std::to_string(kPlatesShown) + " plates with the highest "
           "demand/capacity and every failed plate.</p>" +
           DrawnOrListed(chosen, true, more) + "</section>";
  }

  // ---- tables ---------------------------------------------------------------------

  // A CSV table of the results as columns and rows for the page's script;
  // numbers as numbers, the rest as text.
  static ojson TableOf(const std::string& csv) {
    ojson columns = ojson::array(), rows = ojson::array();
    std::istringstream in(csv);
    std::string line;
    bool header = true;
    while (std::getline(in, line)) {
      ojson row = ojson::array();
      std::string cell;
      std::istringstream cells(line);
      while (std::getline(cells, cell, ',')) {
        if (header) {
          columns.push_back(cell);
          continue;
        }
        char* end = nullptr;
        const double v = std::strtod(cell.c_str(), &end);
        if (!cell.empty() && end != nullptr && *end == '\0') {
          row.push_back(v);
        } else {
          row.push_back(cell);
        }
      }
      if (!header) rows.push_back(std::move(row));
      header = false;
    }
    return {{"columns", std::move(columns)}, {"rows", std::move(rows)}};
  }

  ojson Tables() const {
    ResultsContext csv;
    csv.units = units.si ? UnitSystem::SI : UnitSystem::US;
    csv.precision = 4;
    ojson plates = TableOf(PlatesCsv(results, csv));
    ojson stiffeners = TableOf(StiffenersCsv(results, csv));
    plates["columns"].push_back("Demand/capacity");
    for (size_t i = 0; i < plates["rows"].size(); ++i) {
      const double dc = PlateDc(plate_explained[i]);
      plates["rows"][i].push_back(dc >= 0 ? ojson(Round4(dc)) : ojson(""));
    }
    stiffeners["columns"].push_back("Demand/capacity");
    for (size_t i = 0; i < stiffeners["rows"].size(); ++i) {
      const double dc = Dc(stiffener_explained[i]["governing"]);
      stiffeners["rows"][i].push_back(dc >= 0 ? ojson(Round4(dc)) : ojson(""));
    }
    return {{"nodes", TableOf(NodesCsv(results, csv))},
            {"plates", std::move(plates)},
            {"stiffeners", std::move(stiffeners)}};
  }

  std::string Build() {
    for (size_t e = 0; e < job.plates.size(); ++e) {
      plate_explained.push_back(explain(true, static_cast<int>(e + 1), false));
    }
    for (size_t e = 0; e < job.stiffeners.size(); ++e) {
      stiffener_explained.push_back(explain(false, static_cast<int>(e + 1), false));
    }
    ojson more = ojson::array();
    std::string body = TitleBlock();
    body += "<nav class=\"contents\"><a href=\"#model\">Model</a><a href=\"#summary\">Summary</a>";
    if (job.geometry.present) body += "<a href=\"#elevation\">Elevation</a>";
    if (!job.stiffeners.empty()) body += "<a href=\"#stiffeners\">Stiffeners</a>";
    if (!job.plates.empty()) body += "<a href=\"#plates\">Plates</a>";
    body += "<a href=\"#tables\">Tables</a></nav>";
    body += Model();
    body += Summary();
    body += Elevation();
    body += Stiffeners(more);
    body += Plates(more);
    body += "<section id=\"tables\"><h2>Tables</h2><p>Values rounded to four significant digits. "
            "Click a heading to sort; filter by status or by any text.</p>"
            "<div class=\"table\" data-table=\"nodes\"><h3>Nodes: displacement envelope</h3></div>"
            "<div class=\"table\" data-table=\"plates\"><h3>Plate elements</h3></div>"
            "<div class=\"table\" data-table=\"stiffeners\"><h3>Stiffener elements</h3></div></section>";

    const ojson data = {{"expected_charts", expected_charts},
                        {"templates", Templates()},
                        {"charts", std::move(charts)},
                        {"datasets", std::move(datasets)},
                        {"curves", std::move(curve_pool)},
                        {"more", std::move(more)},
                        {"tables", Tables()}};
    std::string html;
    html.reserve(body.size() + 1200000);
    html += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
            "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
            "script-src 'unsafe-inline' 'unsafe-eval'; style-src 'unsafe-inline'; img-src data:\">"
            "<title>" + Escape(job.description.empty() ? context.job_name : job.description) +
            " &mdash; design report</title><style>";
    html += ostrel_report_css();
    html += "</style></head><body>";
    html += body;
    html += "<script type=\"application/json\" id=\"report-data\">" + ScriptJson(data) + "</script>\n";
    for (std::string_view js : {ostrel_vega(), ostrel_vega_lite(), ostrel_vega_embed()}) {
      html += "<script>";
      html += js;
      html += "</script>\n";
    }
    html += "<script>";
    html += ostrel_report_js();
    html += "</script>\n<!-- The charts are drawn by Vega, Vega-Lite and vega-embed, inlined above "
            "under these licences:\n\nVega:\n";
    html += ostrel_licence_vega();
    html += "\nVega-Lite:\n";
    html += ostrel_licence_vega_lite();
    html += "\nvega-embed:\n";
    html += ostrel_licence_vega_embed();
    html += "-->\n</body></html>\n";
    return html;
  }
};

}  // namespace

std::string ReportHtml(const Job& job, const DesignResults& results, const ReportContext& context,
                       const ElementExplainer& explain) {
  ReportBuilder builder(job, results, context, explain);
  return builder.Build();
}

}  // namespace ostrel::cli
