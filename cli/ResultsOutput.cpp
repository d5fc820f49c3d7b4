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
};

// Host units of each result quantity. Displacements pass through the design
// unconverted and are labelled with the host's length unit.
const char* UnitName(Quantity q, UnitSystem units) {
  const bool si = units == UnitSystem::SI;
  switch (q) {
    case Quantity::Length: return si ? "mm" : "in";
    case Quantity::Force: return si ? "kN" : "kip";
    case Quantity::Moment: return si ? "kN-m" : "kip-ft";
    case Quantity::ForcePerLength: return si ? "kN/m" : "kip/ft";
    case Quantity::MomentPerLength: return si ? "kN-m/m" : "kip-ft/ft";
    case Quantity::Area: return si ? "mm2" : "in2";
    case Quantity::AreaPerLength: return si ? "mm2/m" : "in2/ft";
    case Quantity::Percent: return "%";
    case Quantity::None:
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
    {"Dx_Neg_combo", Quantity::None, Group::Record, "i_Dx_Neg_combo"},
    {"Dx_Positive", Quantity::Length, Group::Record, "f_Dx_Positive"},
    {"Dx_Pos_combo", Quantity::None, Group::Record, "i_Dx_Pos_combo"},
    {"Dy_Negative", Quantity::Length, Group::Record, "f_Dy_Negative"},
    {"Dy_Neg_combo", Quantity::None, Group::Record, "i_Dy_Neg_combo"},
    {"Dy_Positive", Quantity::Length, Group::Record, "f_Dy_Positive"},
    {"Dy_Pos_combo", Quantity::None, Group::Record, "i_Dy_Pos_combo"},
    {"Dz_Negative", Quantity::Length, Group::Record, "f_Dz_Negative"},
    {"Dz_Neg_combo", Quantity::None, Group::Record, "i_Dz_Neg_combo"},
    {"Dz_Positive", Quantity::Length, Group::Record, "f_Dz_Positive"},
    {"Dz_Pos_combo", Quantity::None, Group::Record, "i_Dz_Pos_combo"},
};

constexpr Column kPlateColumns[] = {
    {"NumCurtains", Quantity::None, Group::Record, "bt_NumCurtains"},
    {"As_x", Quantity::AreaPerLength, Group::Record, "f_AreaOfSteel_x"},
    {"Ratio_x", Quantity::Percent, Group::Record, "f_RatioOfSteel_x"},
    {"Mu_x", Quantity::MomentPerLength, Group::Record, "f_Mu_x"},
    {"Pu_x", Quantity::ForcePerLength, Group::Record, "f_Pu_x"},
    {"Combo_x", Quantity::None, Group::Record, "i_DesignComboIndex_x"},
    {"Status_x", Quantity::Status, Group::Record, "bt_DsignStatus_x"},
    {"As_y", Quantity::AreaPerLength, Group::Record, "f_AreaOfSteel_y"},
    {"Ratio_y", Quantity::Percent, Group::Record, "f_RatioOfSteel_y"},
    {"Mu_y", Quantity::MomentPerLength, Group::Record, "f_Mu_y"},
    {"Pu_y", Quantity::ForcePerLength, Group::Record, "f_Pu_y"},
    {"Combo_y", Quantity::None, Group::Record, "i_DesignComboIndex_y"},
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
    {"Combo_flex", Quantity::None, Group::Flexure, "i_DesignComboIndex"},
    {"Status_flex", Quantity::Status, Group::Flexure, "bt_DesignStatus"},
    {"AvOverS_y", Quantity::AreaPerLength, Group::Shear, "f_AvOverS_y"},
    {"Pu_y", Quantity::Force, Group::Shear, "f_Pu_y"},
    {"Vu_y", Quantity::Force, Group::Shear, "f_Vu_y"},
    {"Tu_y", Quantity::Moment, Group::Shear, "f_Tu_y"},
    {"Spacing_y", Quantity::Length, Group::Shear, "f_Spacing_y"},
    {"Combo_y", Quantity::None, Group::Shear, "i_DesignComboIndex_y"},
    {"AvOverS_z", Quantity::AreaPerLength, Group::Shear, "f_AvOverS_z"},
    {"Pu_z", Quantity::Force, Group::Shear, "f_Pu_z"},
    {"Vu_z", Quantity::Force, Group::Shear, "f_Vu_z"},
    {"Tu_z", Quantity::Moment, Group::Shear, "f_Tu_z"},
    {"Spacing_z", Quantity::Length, Group::Shear, "f_Spacing_z"},
    {"Combo_z", Quantity::None, Group::Shear, "i_DesignComboIndex_z"},
    {"AtOverS", Quantity::AreaPerLength, Group::Torsion, "f_AtOverS"},
    {"Al", Quantity::Area, Group::Torsion, "f_Al"},
    {"Pu_tor", Quantity::Force, Group::Torsion, "f_Pu"},
    {"Tu_tor", Quantity::Moment, Group::Torsion, "f_Tu"},
    {"Spacing_tor", Quantity::Length, Group::Torsion, "f_Spacing"},
    {"Combo_tor", Quantity::None, Group::Torsion, "i_DesignComboIndex"},
    {"ShearSpacing", Quantity::Length, Group::Summary, "f_ShearSpacing"},
    {"Status_shear", Quantity::Status, Group::Shear, "bt_DsignStatus"},
};

constexpr const char* kStatusNames[] = {
    "DESIGN_PASS",
    "Pass_UseTies",
    "Fail_MustUseTwoCurtains",
    "Fail_RequiredRFTExceedMaximum",
    "Fail_RFTOutOfSection",
    "Fail_CoverTooLarge",
    "Fail_MinRFTExceedMaximum",
    "Fail_ShearStreessExceedMaximum_y",
    "Fail_ShearStreessExceedMaximum_z",
};

std::string ValueText(const ResultValue& v) {
  return v.is_float ? FloatText(v.f) : std::to_string(v.i);
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
  }
  out += '}';
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
                  const Column (&columns)[N], UnitSystem units) {
  std::string out = first_header;
  for (const Column& c : columns) {
    out += ',';
    out += c.header;
    const std::string unit = UnitName(c.quantity, units);
    if (!unit.empty()) {
      out += " [" + unit + "]";
    }
  }
  out += '\n';
  for (size_t i = 0; i < items.size(); ++i) {
    out += std::to_string(i + 1);
    for (const Column& c : columns) {
      const ResultValue& v = Find(RecordOf(items[i], c.group), c.key);
      out += ',';
      out += c.quantity == Quantity::Status ? StatusName(v.i) : ValueText(v);
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
  constexpr int32_t count = static_cast<int32_t>(std::size(kStatusNames));
  if (status >= 0 && status < count) {
    return kStatusNames[status];
  }
  return std::to_string(status);
}

std::string ResultsJson(const DesignResults& results) {
  std::string out = "{\n  \"bt_DesignDoneFlag\": 1,\n";
  AppendArray(out, "nodes", results.nodes, AppendObject, false);
  AppendArray(out, "plates", results.plates, AppendObject, false);
  AppendArray(out, "stiffeners", results.stiffeners, AppendStiffener, true);
  out += "}\n";
  return out;
}

std::string NodesCsv(const DesignResults& results, UnitSystem units) {
  return Table("node", results.nodes, kNodeColumns, units);
}

std::string PlatesCsv(const DesignResults& results, UnitSystem units) {
  return Table("element", results.plates, kPlateColumns, units);
}

std::string StiffenersCsv(const DesignResults& results, UnitSystem units) {
  return Table("element", results.stiffeners, kStiffenerColumns, units);
}

std::string SummaryText(const DesignResults& results) {
  std::ostringstream out;
  out << "nodes: " << results.nodes.size() << "\n";

  std::map<int32_t, int> x_counts, y_counts;
  double max_ratio = -1;
  size_t max_element = 0;
  char max_direction = 'x';
  for (size_t e = 0; e < results.plates.size(); ++e) {
    const ResultRecord& p = results.plates[e];
    ++x_counts[Find(p, "bt_DsignStatus_x").i];
    ++y_counts[Find(p, "bt_DsignStatus_y").i];
    for (char direction : {'x', 'y'}) {
      const double ratio = Number(Find(p, std::string("f_RatioOfSteel_") + direction));
      if (ratio > max_ratio) {
        max_ratio = ratio, max_element = e + 1, max_direction = direction;
      }
    }
  }
  out << "plates: " << results.plates.size() << " elements; x: " << CountsByStatus(x_counts)
      << "; y: " << CountsByStatus(y_counts) << "\n";
  if (!results.plates.empty()) {
    out << "  largest plate steel ratio " << PercentText(max_ratio) << " at element "
        << max_element << " (" << max_direction << ")\n";
  }

  std::map<int32_t, int> flex_counts, shear_counts;
  max_ratio = -1;
  max_element = 0;
  for (size_t e = 0; e < results.stiffeners.size(); ++e) {
    const StiffenerResults& s = results.stiffeners[e];
    ++flex_counts[Find(s.summary, "bt_DesignStatus_flex").i];
    ++shear_counts[Find(s.summary, "bt_DesignStatus_Shear").i];
    const double ratio = Number(Find(s.flexure, "f_RatioOfSteel"));
    if (ratio > max_ratio) {
      max_ratio = ratio, max_element = e + 1;
    }
  }
  out << "stiffeners: " << results.stiffeners.size()
      << " elements; flexure: " << CountsByStatus(flex_counts)
      << "; shear and torsion: " << CountsByStatus(shear_counts) << "\n";
  if (!results.stiffeners.empty()) {
    out << "  largest stiffener steel ratio " << PercentText(max_ratio) << " at element "
        << max_element << "\n";
  }
  return out.str();
}

}  // namespace ostrel::cli
