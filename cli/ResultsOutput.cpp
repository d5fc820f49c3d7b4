#include "ResultsOutput.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>
#include <sstream>

namespace ostrel::cli {
namespace {

enum class Quantity {
  None,
  Length,
  Force,
  Moment,
  ForcePerLength,
  MomentPerLength,
  Area,
  AreaPerLength,
  Percent,
  Status,
  Combo,    // a combination number, followed by a column of its name
  Spacing,  // a stirrup spacing: negative when no stirrups are required
};

// Host units of each result quantity. Displacements pass through the design
// unconverted and are labelled with the host's length unit.
const char* UnitName(Quantity q, UnitSystem units) {
  const bool si = units == UnitSystem::SI;
  switch (q) {
    case Quantity::Length:
    case Quantity::Spacing: return si ? "mm" : "in";
    case Quantity::Force: return si ? "kN" : "kip";
    case Quantity::Moment: return si ? "kN-m" : "kip-ft";
    case Quantity::ForcePerLength: return si ? "kN/m" : "kip/ft";
    case Quantity::MomentPerLength: return si ? "kN-m/m" : "kip-ft/ft";
    case Quantity::Area: return si ? "mm2" : "in2";
    case Quantity::AreaPerLength: return si ? "mm2/m" : "in2/ft";
    case Quantity::Percent: return "%";
    case Quantity::None:
    case Quantity::Combo:
    case Quantity::Status: return "";
  }
  return "";
}

// Which record of an item a column reads.
enum class Group { Record, Flexure, Shear, Torsion, Summary };

struct Column {
  const char* header;
  Quantity quantity;
  Group group;
  const char* key;
};

constexpr Column kNodeColumns[] = {
    {"Dx_Negative", Quantity::Length, Group::Record, "f_Dx_Negative"},
    {"Dx_Neg_combo", Quantity::Combo, Group::Record, "i_Dx_Neg_combo"},
    {"Dx_Positive", Quantity::Length, Group::Record, "f_Dx_Positive"},
    {"Dx_Pos_combo", Quantity::Combo, Group::Record, "i_Dx_Pos_combo"},
    {"Dy_Negative", Quantity::Length, Group::Record, "f_Dy_Negative"},
    {"Dy_Neg_combo", Quantity::Combo, Group::Record, "i_Dy_Neg_combo"},
    {"Dy_Positive", Quantity::Length, Group::Record, "f_Dy_Positive"},
    {"Dy_Pos_combo", Quantity::Combo, Group::Record, "i_Dy_Pos_combo"},
    {"Dz_Negative", Quantity::Length, Group::Record, "f_Dz_Negative"},
    {"Dz_Neg_combo", Quantity::Combo, Group::Record, "i_Dz_Neg_combo"},
    {"Dz_Positive", Quantity::Length, Group::Record, "f_Dz_Positive"},
    {"Dz_Pos_combo", Quantity::Combo, Group::Record, "i_Dz_Pos_combo"},
};

constexpr Column kPlateColumns[] = {
    {"NumCurtains", Quantity::None, Group::Record, "bt_NumCurtains"},
    {"As_x", Quantity::AreaPerLength, Group::Record, "f_AreaOfSteel_x"},
    {"Ratio_x", Quantity::Percent, Group::Record, "f_RatioOfSteel_x"},
    {"Mu_x", Quantity::MomentPerLength, Group::Record, "f_Mu_x"},
    {"Pu_x", Quantity::ForcePerLength, Group::Record, "f_Pu_x"},
    {"Combo_x", Quantity::Combo, Group::Record, "i_DesignComboIndex_x"},
    {"Status_x", Quantity::Status, Group::Record, "bt_DsignStatus_x"},
    {"As_y", Quantity::AreaPerLength, Group::Record, "f_AreaOfSteel_y"},
    {"Ratio_y", Quantity::Percent, Group::Record, "f_RatioOfSteel_y"},
    {"Mu_y", Quantity::MomentPerLength, Group::Record, "f_Mu_y"},
    {"Pu_y", Quantity::ForcePerLength, Group::Record, "f_Pu_y"},
    {"Combo_y", Quantity::Combo, Group::Record, "i_DesignComboIndex_y"},
    {"Status_y", Quantity::Status, Group::Record, "bt_DsignStatus_y"},
};

// The torsion query's shear (always 0), shear direction (always 2) and status
// (the shear status) add nothing to the table and are left out of it; the
// summary contributes only the governing stirrup spacing.
constexpr Column kStiffenerColumns[] = {
    {"As", Quantity::Area, Group::Flexure, "f_As"},
    {"Ratio", Quantity::Percent, Group::Flexure, "f_RatioOfSteel"},
    {"Muy", Quantity::Moment, Group::Flexure, "f_Muy"},
    {"Muz", Quantity::Moment, Group::Flexure, "f_Muz"},
    {"Pu", Quantity::Force, Group::Flexure, "f_Pu"},
    {"Combo_flex", Quantity::Combo, Group::Flexure, "i_DesignComboIndex"},
    {"Status_flex", Quantity::Status, Group::Flexure, "bt_DesignStatus"},
    {"AvOverS_y", Quantity::AreaPerLength, Group::Shear, "f_AvOverS_y"},
    {"Pu_y", Quantity::Force, Group::Shear, "f_Pu_y"},
    {"Vu_y", Quantity::Force, Group::Shear, "f_Vu_y"},
    {"Tu_y", Quantity::Moment, Group::Shear, "f_Tu_y"},
    {"Spacing_y", Quantity::Spacing, Group::Shear, "f_Spacing_y"},
    {"Combo_y", Quantity::Combo, Group::Shear, "i_DesignComboIndex_y"},
    {"AvOverS_z", Quantity::AreaPerLength, Group::Shear, "f_AvOverS_z"},
    {"Pu_z", Quantity::Force, Group::Shear, "f_Pu_z"},
    {"Vu_z", Quantity::Force, Group::Shear, "f_Vu_z"},
    {"Tu_z", Quantity::Moment, Group::Shear, "f_Tu_z"},
    {"Spacing_z", Quantity::Spacing, Group::Shear, "f_Spacing_z"},
    {"Combo_z", Quantity::Combo, Group::Shear, "i_DesignComboIndex_z"},
    {"AtOverS", Quantity::AreaPerLength, Group::Torsion, "f_AtOverS"},
    {"Al", Quantity::Area, Group::Torsion, "f_Al"},
    {"Pu_tor", Quantity::Force, Group::Torsion, "f_Pu"},
    {"Tu_tor", Quantity::Moment, Group::Torsion, "f_Tu"},
    {"Spacing_tor", Quantity::Spacing, Group::Torsion, "f_Spacing"},
    {"Combo_tor", Quantity::Combo, Group::Torsion, "i_DesignComboIndex"},
    {"ShearSpacing", Quantity::Spacing, Group::Summary, "f_ShearSpacing"},
    {"Status_shear", Quantity::Status, Group::Shear, "bt_DsignStatus"},
};

std::string ValueText(const ResultValue& v) {
  return v.is_float ? FloatText(v.f) : std::to_string(v.i);
}

bool IsStatusKey(const std::string& key) { return key.find("Status") != std::string::npos; }

// A JSON string literal.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + '"';
}

void AppendObject(std::string& out, const ResultRecord& record) {
  out += '{';
  for (size_t k = 0; k < record.size(); ++k) {
    if (k > 0) {
      out += ", ";
    }
    out += '"';
    out += record[k].key;
    out += "\": ";
    out += ValueText(record[k]);
    if (!record[k].is_float && IsStatusKey(record[k].key)) {
      out += ", \"";
      out += record[k].key;
      out += "_name\": \"" + StatusName(record[k].i) + '"';
    }
  }
  out += '}';
}

// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string out = "\"";
  for (const char c : text) {
    out += c;
    if (c == '"') {
      out += '"';
    }
  }
  return out + '"';
}

// A value rounded for reading: `digits` significant digits, no exponent for
// ordinary magnitudes.
std::string RoundedText(float value, int digits) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(value));
  return buffer;
}

std::string CsvValue(const Column& c, const ResultValue& v, const ResultsContext& context) {
  switch (c.quantity) {
    case Quantity::Status: return StatusName(v.i);
    case Quantity::Spacing:
      // The library's -1 (or -1/25.4 in) means no stirrups are required in
      // that direction; it must never be read as a spacing.
      if (v.f < 0) {
        return "no stirrups required";
      }
      break;
    default: break;
  }
  return v.is_float ? RoundedText(v.f, context.precision) : std::to_string(v.i);
}

std::string ComboName(int32_t combo, const ResultsContext& context) {
  if (combo < 1 || static_cast<size_t>(combo) > context.combination_names.size()) {
    return "";
  }
  return CsvField(context.combination_names[static_cast<size_t>(combo - 1)]);
}

template <class Item, class Writer>
void AppendArray(std::string& out, const char* name, const std::vector<Item>& items,
                 Writer write_item, bool last) {
  out += "  \"";
  out += name;
  out += "\": [";
  for (size_t i = 0; i < items.size(); ++i) {
    out += i == 0 ? "\n    " : ",\n    ";
    write_item(out, items[i]);
  }
  out += items.empty() ? "]" : "\n  ]";
  out += last ? "\n" : ",\n";
}

void AppendStiffener(std::string& out, const StiffenerResults& s) {
  out += "{\"flexure\": ";
  AppendObject(out, s.flexure);
  out += ",\n     \"shear\": ";
  AppendObject(out, s.shear);
  out += ",\n     \"torsion\": ";
  AppendObject(out, s.torsion);
  out += ",\n     \"summary\": ";
  AppendObject(out, s.summary);
  out += '}';
}

const ResultRecord& RecordOf(const ResultRecord& record, Group) { return record; }

const ResultRecord& RecordOf(const StiffenerResults& s, Group group) {
  switch (group) {
    case Group::Shear: return s.shear;
    case Group::Torsion: return s.torsion;
    case Group::Summary: return s.summary;
    case Group::Flexure:
    case Group::Record: break;
  }
  return s.flexure;
}

// Headers never contain commas or quotes, and neither do numbers or status
// names, so no field needs quoting.
template <class Item, size_t N>
std::string Table(const char* first_header, const std::vector<Item>& items,
                  const Column (&columns)[N], const ResultsContext& context) {
  const bool names = !context.combination_names.empty();
  std::string out = first_header;
  for (const Column& c : columns) {
    out += ',';
    out += c.header;
    const std::string unit = UnitName(c.quantity, context.units);
    if (!unit.empty()) {
      out += " [" + unit + "]";
    }
    if (names && c.quantity == Quantity::Combo) {
      out += ',';
      out += c.header;
      out += "_name";
    }
  }
  out += '\n';
  for (size_t i = 0; i < items.size(); ++i) {
    out += std::to_string(i + 1);
    for (const Column& c : columns) {
      const ResultValue& v = Find(RecordOf(items[i], c.group), c.key);
      out += ',';
      out += CsvValue(c, v, context);
      if (names && c.quantity == Quantity::Combo) {
        out += ',';
        out += ComboName(v.i, context);
      }
    }
    out += '\n';
  }
  return out;
}

std::string CountsByStatus(const std::map<int32_t, int>& counts) {
  std::string out;
  for (const auto& [status, count] : counts) {
    if (!out.empty()) {
      out += ", ";
    }
    out += std::to_string(count) + " " + StatusName(status);
  }
  return out.empty() ? "none" : out;
}

std::string PercentText(double ratio) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3g %%", ratio);
  return buffer;
}

// DESIGN_PASS and Pass_UseTies are passes; every other status is a failure.
bool IsFailure(int32_t status) { return status >= 2; }

struct LargestRatio {
  double ratio = -1;
  size_t element = 0;
  std::string direction;
  void Note(double r, size_t e, const char* d) {
    if (r > ratio) {
      ratio = r, element = e, direction = d;
    }
  }
  std::string Text(const char* among) const {
    if (element == 0) {
      return std::string("no ") + among + " elements";
    }
    return PercentText(ratio) + " at element " + std::to_string(element) +
           (direction.empty() ? "" : " (" + direction + ")") + " among " + among;
  }
};

// "  Fail_...: elements 3, 7, ... and 12 more", one line per failing status.
std::string FailureLines(const std::map<int32_t, std::vector<size_t>>& failures) {
  constexpr size_t kListed = 10;
  std::string out;
  for (const auto& [status, elements] : failures) {
    if (elements.empty()) {
      continue;
    }
    out += "  " + StatusName(status) + ": element" + (elements.size() > 1 ? "s " : " ");
    for (size_t k = 0; k < elements.size() && k < kListed; ++k) {
      out += (k == 0 ? "" : ", ") + std::to_string(elements[k]);
    }
    if (elements.size() > kListed) {
      out += " and " + std::to_string(elements.size() - kListed) + " more";
    }
    out += '\n';
  }
  return out;
}

}  // namespace

std::string FloatText(float value) {
  if (!std::isfinite(value)) {
    return "null";
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
  return buffer;
}

std::string StatusName(int32_t status) {
  // The library's own names of its statuses; a code it does not know stays a number.
  if (const char* name = OstrelDesignCSA94_StatusName(status)) {
    return name;
  }
  return std::to_string(status);
}

std::string ResultsJson(const DesignResults& results, const ResultsContext& context) {
  std::string out = "{\n  \"bt_DesignDoneFlag\": 1,\n  \"units\": ";
  out += context.units == UnitSystem::SI ? "\"SI\",\n" : "\"US\",\n";
  if (!context.combination_names.empty()) {
    out += "  \"combination_names\": [";
    for (size_t c = 0; c < context.combination_names.size(); ++c) {
      out += (c == 0 ? "" : ", ") + Quoted(context.combination_names[c]);
    }
    out += "],\n";
  }
  AppendArray(out, "nodes", results.nodes, AppendObject, false);
  AppendArray(out, "plates", results.plates, AppendObject, false);
  AppendArray(out, "stiffeners", results.stiffeners, AppendStiffener, true);
  out += "}\n";
  return out;
}

std::string NodesCsv(const DesignResults& results, const ResultsContext& context) {
  return Table("node", results.nodes, kNodeColumns, context);
}

std::string PlatesCsv(const DesignResults& results, const ResultsContext& context) {
  return Table("element", results.plates, kPlateColumns, context);
}

std::string StiffenersCsv(const DesignResults& results, const ResultsContext& context) {
  return Table("element", results.stiffeners, kStiffenerColumns, context);
}

std::string SummaryText(const DesignResults& results) {
  std::ostringstream out;
  out << "nodes: " << results.nodes.size() << "\n";

  // Plates: an element passes when both directions do (statuses 0 and 1).
  std::map<int32_t, int> x_counts, y_counts;
  std::map<int32_t, std::vector<size_t>> plate_failures;
  LargestRatio plate_all, plate_passing;
  for (size_t e = 0; e < results.plates.size(); ++e) {
    const ResultRecord& p = results.plates[e];
    const int32_t sx = Find(p, "bt_DsignStatus_x").i, sy = Find(p, "bt_DsignStatus_y").i;
    ++x_counts[sx];
    ++y_counts[sy];
    for (int32_t s : {sx, sy}) {
      if (IsFailure(s) && (plate_failures[s].empty() || plate_failures[s].back() != e + 1)) {
        plate_failures[s].push_back(e + 1);
      }
    }
    for (const char* direction : {"x", "y"}) {
      const double ratio = Number(Find(p, std::string("f_RatioOfSteel_") + direction));
      plate_all.Note(ratio, e + 1, direction);
      if (!IsFailure(sx) && !IsFailure(sy)) {
        plate_passing.Note(ratio, e + 1, direction);
      }
    }
  }
  out << "plates: " << results.plates.size() << " elements; x: " << CountsByStatus(x_counts)
      << "; y: " << CountsByStatus(y_counts) << "\n";
  out << FailureLines(plate_failures);
  if (!results.plates.empty()) {
    out << "  largest plate steel ratio: " << plate_passing.Text("passing") << "; "
        << plate_all.Text("all") << "\n";
  }

  std::map<int32_t, int> flex_counts, shear_counts;
  std::map<int32_t, std::vector<size_t>> stiffener_failures;
  LargestRatio stiffener_all, stiffener_passing;
  for (size_t e = 0; e < results.stiffeners.size(); ++e) {
    const StiffenerResults& s = results.stiffeners[e];
    const int32_t flex = Find(s.summary, "bt_DesignStatus_flex").i;
    const int32_t shear = Find(s.summary, "bt_DesignStatus_Shear").i;
    ++flex_counts[flex];
    ++shear_counts[shear];
    for (int32_t status : {flex, shear}) {
      if (IsFailure(status) &&
          (stiffener_failures[status].empty() || stiffener_failures[status].back() != e + 1)) {
        stiffener_failures[status].push_back(e + 1);
      }
    }
    const double ratio = Number(Find(s.flexure, "f_RatioOfSteel"));
    stiffener_all.Note(ratio, e + 1, "");
    if (!IsFailure(flex) && !IsFailure(shear)) {
      stiffener_passing.Note(ratio, e + 1, "");
    }
  }
  out << "stiffeners: " << results.stiffeners.size()
      << " elements; flexure: " << CountsByStatus(flex_counts)
      << "; shear and torsion: " << CountsByStatus(shear_counts) << "\n";
  out << FailureLines(stiffener_failures);
  if (!results.stiffeners.empty()) {
    out << "  largest stiffener steel ratio: " << stiffener_passing.Text("passing") << "; "
        << stiffener_all.Text("all") << "\n";
  }
  return out.str();
}

}  // namespace ostrel::cli
