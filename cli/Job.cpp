#include "Job.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <set>
#include <sstream>
#include <variant>

#include <nlohmann/json.hpp>

namespace ostrel::cli {
namespace {

using nlohmann::json;

std::string Child(const std::string& path, const std::string& key) {
  return path.empty() ? key : path + "." + key;
}

std::string Index(const std::string& path, size_t i) {
  return path + "[" + std::to_string(i) + "]";
}

std::string Describe(const json& value) {
  if (value.is_number()) {
    return value.dump();
  }
  return std::string(value.type_name());
}

// Keys beginning with '_' are comments; any other key not listed is most
// likely a misspelt name and is refused so that it cannot be silently ignored.
void CheckKeys(const json& object, const std::string& path, const std::set<std::string>& known) {
  for (const auto& [key, value] : object.items()) {
    (void)value;
    if (!key.empty() && key[0] == '_') {
      continue;
    }
    if (known.count(key) == 0) {
      throw InputError(Child(path, key), "unknown key");
    }
  }
}

const json& Member(const json& object, const std::string& path, const std::string& key) {
  auto it = object.find(key);
  if (it == object.end()) {
    throw InputError(Child(path, key), "missing key");
  }
  return *it;
}

const json& ObjectAt(const json& value, const std::string& path) {
  if (!value.is_object()) {
    throw InputError(path, "expected an object, got " + Describe(value));
  }
  return value;
}

const json& ArrayAt(const json& value, const std::string& path) {
  if (!value.is_array()) {
    throw InputError(path, "expected an array, got " + Describe(value));
  }
  return value;
}

const json& ArrayOfLength(const json& value, const std::string& path, size_t length,
                          const std::string& why) {
  ArrayAt(value, path);
  if (value.size() != length) {
    throw InputError(path, "has " + std::to_string(value.size()) + " entries, expected " +
                               std::to_string(length) + " (" + why + ")");
  }
  return value;
}

float ToFloat(const json& value, const std::string& path) {
  if (!value.is_number()) {
    throw InputError(path, "expected a number, got " + Describe(value));
  }
  // Anything that rounds to a finite 32-bit float is one: up to, not
  // including, FLT_MAX plus half its last place (2^128 - 2^103).
  constexpr double kFloatOverflow = 0x1.ffffffp127;
  const double d = value.get<double>();
  if (!std::isfinite(d) || std::fabs(d) >= kFloatOverflow) {
    throw InputError(path, value.dump() + " is beyond the range of a 32-bit float");
  }
  return static_cast<float>(d);
}

// A whole number in [lo, hi]; an integral value written as 2.0 is accepted.
int64_t ToWhole(const json& value, const std::string& path, int64_t lo, int64_t hi) {
  if (!value.is_number()) {
    throw InputError(path, "expected a whole number, got " + Describe(value));
  }
  int64_t n = 0;
  bool in_range = true;
  if (value.is_number_unsigned()) {
    const uint64_t u = value.get<uint64_t>();
    in_range = u <= static_cast<uint64_t>(hi);
    n = in_range ? static_cast<int64_t>(u) : hi;
  } else if (value.is_number_integer()) {
    n = value.get<int64_t>();
  } else {
    const double d = value.get<double>();
    if (std::trunc(d) != d) {
      throw InputError(path, "expected a whole number, got " + value.dump());
    }
    in_range = d >= static_cast<double>(lo) && d <= static_cast<double>(hi);
    n = in_range ? static_cast<int64_t>(d) : hi;
  }
  if (!in_range || n < lo || n > hi) {
    throw InputError(path, value.dump() + " is outside " + std::to_string(lo) + " to " +
                               std::to_string(hi));
  }
  return n;
}

uint8_t ToByte(const json& value, const std::string& path) {
  return static_cast<uint8_t>(ToWhole(value, path, 0, 255));
}

// One property of an element: its key and where it is stored.
template <class Record>
struct Field {
  const char* key;
  std::variant<float Record::*, uint8_t Record::*> target;
};

template <class Record, size_t N>
Record ParseRecord(const json& value, const std::string& path, const Field<Record> (&fields)[N]) {
  ObjectAt(value, path);
  std::set<std::string> known;
  for (const auto& field : fields) {
    known.insert(field.key);
  }
  CheckKeys(value, path, known);
  Record record;
  for (const auto& field : fields) {
    const std::string key_path = Child(path, field.key);
    const json& v = Member(value, path, field.key);
    if (auto* f = std::get_if<float Record::*>(&field.target)) {
      record.*(*f) = ToFloat(v, key_path);
    } else {
      record.*(std::get<uint8_t Record::*>(field.target)) = ToByte(v, key_path);
    }
  }
  return record;
}

constexpr Field<PlateInput> kPlateFields[] = {
    {"f_Thickness", &PlateInput::f_Thickness},
    {"f_fc", &PlateInput::f_fc},
    {"f_fy", &PlateInput::f_fy},
    {"f_Es", &PlateInput::f_Es},
    {"f_MinRatioOfRFT", &PlateInput::f_MinRatioOfRFT},
    {"f_MaxRatioOfRFT", &PlateInput::f_MaxRatioOfRFT},
    {"f_MinRatioOfRFT_v", &PlateInput::f_MinRatioOfRFT_v},
    {"f_MaxRatioOfRFT_v", &PlateInput::f_MaxRatioOfRFT_v},
    {"bt_NumCurtains", &PlateInput::bt_NumCurtains},
    {"f_CoverToRFT_X", &PlateInput::f_CoverToRFT_X},
    {"f_CoverToRFT_Y", &PlateInput::f_CoverToRFT_Y},
};

constexpr Field<StiffenerInput> kStiffenerFields[] = {
    {"bt_SectionType", &StiffenerInput::bt_SectionType},
    {"bt_SectionProjection", &StiffenerInput::bt_SectionProjection},
    {"f_SectionWidth", &StiffenerInput::f_SectionWidth},
    {"f_sectionHeight", &StiffenerInput::f_sectionHeight},
    {"f_LeftFlangeWidth", &StiffenerInput::f_LeftFlangeWidth},
    {"f_LeftFlangeThickness", &StiffenerInput::f_LeftFlangeThickness},
    {"f_RightFlangeWidth", &StiffenerInput::f_RightFlangeWidth},
    {"f_RightFlangeThickness", &StiffenerInput::f_RightFlangeThickness},
    {"f_fc", &StiffenerInput::f_fc},
    {"f_density", &StiffenerInput::f_density},
    {"f_fy", &StiffenerInput::f_fy},
    {"f_Es", &StiffenerInput::f_Es},
    {"f_MinRatioOfRFT", &StiffenerInput::f_MinRatioOfRFT},
    {"f_MaxRatioOfRFT", &StiffenerInput::f_MaxRatioOfRFT},
    {"bt_RFTType", &StiffenerInput::bt_RFTType},
    {"f_Cover_Z", &StiffenerInput::f_Cover_Z},
    {"f_Cover_Y", &StiffenerInput::f_Cover_Y},
    {"f_Cover_Z_st", &StiffenerInput::f_Cover_Z_st},
    {"f_Cover_Y_st", &StiffenerInput::f_Cover_Y_st},
    {"bt_DesignAsColumn", &StiffenerInput::bt_DesignAsColumn},
};

// analysis.<name>: one entry per item, one per combination, `values` numbers each.
std::vector<float> ParseTable(const json& analysis, const std::string& name, size_t items,
                              const std::string& items_why, size_t combos, int values) {
  const std::string path = Child("analysis", name);
  const json& table = ArrayOfLength(Member(analysis, "analysis", name), path, items, items_why);
  std::vector<float> out;
  out.reserve(items * combos * static_cast<size_t>(values));
  for (size_t i = 0; i < items; ++i) {
    const std::string item_path = Index(path, i);
    const json& per_combo =
        ArrayOfLength(table[i], item_path, combos, "one per load combination");
    for (size_t c = 0; c < combos; ++c) {
      const std::string combo_path = Index(item_path, c);
      const json& row = ArrayOfLength(per_combo[c], combo_path, static_cast<size_t>(values),
                                      "values of one combination");
      for (size_t v = 0; v < row.size(); ++v) {
        out.push_back(ToFloat(row[v], Index(combo_path, v)));
      }
    }
  }
  return out;
}

}  // namespace

Job ParseJob(const std::string& text) {
  json root;
  try {
    root = json::parse(text);
  } catch (const json::parse_error& e) {
    std::string what = e.what();
    // Drop the library's "[json.exception.parse_error.101] " tag.
    if (auto pos = what.find("] "); pos != std::string::npos) {
      what = what.substr(pos + 2);
    }
    throw InputError("", "not valid JSON: " + what);
  }
  ObjectAt(root, "(top level)");
  CheckKeys(root, "",
            {"bt_units", "l_NumNodes", "combinations", "plates", "stiffeners", "analysis"});

  Job job;
  job.bt_units = ToByte(Member(root, "", "bt_units"), "bt_units");
  job.l_NumNodes = static_cast<int32_t>(ToWhole(Member(root, "", "l_NumNodes"), "l_NumNodes",
                                                std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max()));

  const json& combos = ArrayAt(Member(root, "", "combinations"), "combinations");
  for (size_t c = 0; c < combos.size(); ++c) {
    job.combinations.push_back(ToByte(combos[c], Index("combinations", c)));
  }

  const json& plates = ArrayAt(Member(root, "", "plates"), "plates");
  for (size_t e = 0; e < plates.size(); ++e) {
    job.plates.push_back(ParseRecord(plates[e], Index("plates", e), kPlateFields));
  }
  const json& stiffeners = ArrayAt(Member(root, "", "stiffeners"), "stiffeners");
  for (size_t e = 0; e < stiffeners.size(); ++e) {
    job.stiffeners.push_back(ParseRecord(stiffeners[e], Index("stiffeners", e), kStiffenerFields));
  }

  const json& analysis = ObjectAt(Member(root, "", "analysis"), "analysis");
  CheckKeys(analysis, "analysis",
            {"available", "displacements", "plate_forces", "stiffener_forces"});
  job.available = ToByte(Member(analysis, "analysis", "available"), "analysis.available");
  const size_t combo_count = job.combinations.size();
  job.displacements =
      ParseTable(analysis, "displacements", static_cast<size_t>(job.NumNodeRows()),
                 "one per node, l_NumNodes", combo_count, kDisplacementValues);
  job.plate_forces = ParseTable(analysis, "plate_forces", job.plates.size(),
                                "one per plate element", combo_count, kPlateForceValues);
  job.stiffener_forces =
      ParseTable(analysis, "stiffener_forces", job.stiffeners.size(),
                 "one per stiffener element", combo_count, kStiffenerForceValues);
  return job;
}

std::string ReadWholeFile(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw InputError("", "is a directory");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw InputError("", "cannot be read");
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) {
    throw InputError("", "cannot be read");
  }
  return buffer.str();
}

}  // namespace ostrel::cli
