#include "Job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <charconv>
#include <functional>
#include <map>
#include <new>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <limits>
#include <set>
#include <sstream>
#include <tuple>
#include <type_traits>
#include <variant>

#include <simdjson.h>

namespace ostrel::cli {
namespace {

namespace od = simdjson::ondemand;

std::string Child(const std::string& path, std::string_view key) {
  return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string Index(const std::string& path, size_t i) {
  return path + "[" + std::to_string(i) + "]";
}

[[noreturn]] void NotJson(const std::string& path, simdjson::error_code error) {
  if (error == simdjson::MEMALLOC) {
    throw std::bad_alloc();  // the job is too large for this machine
  }
  throw InputError(path, std::string("not valid JSON: ") + simdjson::error_message(error));
}

const char* TypeName(od::json_type type) {
  switch (type) {
    case od::json_type::array: return "array";
    case od::json_type::object: return "object";
    case od::json_type::number: return "number";
    case od::json_type::string: return "string";
    case od::json_type::boolean: return "boolean";
    case od::json_type::null: return "null";
  }
  return "value";
}

std::string_view Trimmed(std::string_view token) {
  while (!token.empty() && (token.back() == ' ' || token.back() == '\n' ||
                            token.back() == '\r' || token.back() == '\t')) {
    token.remove_suffix(1);
  }
  return token;
}

// Explains why a value could not be read as the number wanted: another type,
// a number beyond the range of a 64-bit float (1e999), or a malformed one.
[[noreturn]] void BadNumber(od::value& value, simdjson::error_code error, const std::string& path,
                            const char* wanted) {
  od::json_type type{};
  if (error == simdjson::INCORRECT_TYPE && !value.type().get(type) &&
      type != od::json_type::number) {
    throw InputError(path, std::string("expected ") + wanted + ", got " + TypeName(type));
  }
  const std::string text(Trimmed(value.raw_json_token()));
  errno = 0;
  char* end = nullptr;
  const double d = std::strtod(text.c_str(), &end);
  if (end != text.c_str() && *end == '\0' && errno == ERANGE && std::isinf(d)) {
    throw InputError(path, text + " is beyond the range of a 64-bit float");
  }
  NotJson(path, error);
}

template <class PathFn>
double ReadDouble(od::value value, const PathFn& path, const char* wanted = "a number") {
  double d = 0;
  if (const auto error = value.get_double().get(d)) {
    BadNumber(value, error, path(), wanted);
  }
  return d;
}

std::string NumberText(double d) {
  std::ostringstream out;
  out.precision(9);
  out << d;
  return out.str();
}

template <class PathFn>
float ReadFloat(od::value value, const PathFn& path) {
  // Anything that rounds to a finite 32-bit float is one: up to, not
  // including, FLT_MAX plus half its last place (2^128 - 2^103).
  constexpr double kFloatOverflow = 0x1.ffffffp127;
  const double d = ReadDouble(value, path);
  if (std::fabs(d) >= kFloatOverflow) {
    throw InputError(path(), NumberText(d) + " is beyond the range of a 32-bit float");
  }
  return static_cast<float>(d);
}

// A whole number in [lo, hi]; an integral value written as 2.0 is accepted.
template <class PathFn>
int64_t ReadWhole(od::value value, const PathFn& path, int64_t lo, int64_t hi) {
  const double d = ReadDouble(value, path, "a whole number");
  if (std::trunc(d) != d) {
    throw InputError(path(), "expected a whole number, got " + NumberText(d));
  }
  if (d < static_cast<double>(lo) || d > static_cast<double>(hi)) {
    throw InputError(path(), NumberText(d) + " is outside " + std::to_string(lo) + " to " +
                                 std::to_string(hi));
  }
  return static_cast<int64_t>(d);
}

template <class PathFn>
uint8_t ReadByte(od::value value, const PathFn& path) {
  return static_cast<uint8_t>(ReadWhole(value, path, 0, 255));
}

od::json_type TypeOf(od::value& value, const std::string& path) {
  od::json_type type{};
  if (const auto error = value.type().get(type)) {
    NotJson(path, error);
  }
  return type;
}

// The value at `path` as a container of the wanted kind (an object or an
// array), or the input error that names what it is instead.
template <typename Container>
Container ContainerOf(od::value value, const std::string& path) {
  constexpr bool kObject = std::is_same_v<Container, od::object>;
  constexpr od::json_type kWanted = kObject ? od::json_type::object : od::json_type::array;
  const od::json_type type = TypeOf(value, path);
  if (type != kWanted) {
    throw InputError(path, std::string(kObject ? "expected an object, got "
                                               : "expected an array, got ") +
                               TypeName(type));
  }
  Container container;
  const auto error = [&] {
    if constexpr (kObject) {
      return value.get_object().get(container);
    } else {
      return value.get_array().get(container);
    }
  }();
  if (error) {
    NotJson(path, error);
  }
  return container;
}

od::object ObjectOf(od::value value, const std::string& path) {
  return ContainerOf<od::object>(value, path);
}

od::array ArrayOf(od::value value, const std::string& path) {
  return ContainerOf<od::array>(value, path);
}

// The members of an object in file order, each key once: keys beginning with
// '_' are comments; `on_key` gets every other key and its value and returns
// false for a key it does not know (most likely a misspelt name, refused so
// that it cannot be silently ignored).
// `description`, when given, receives the text of a "_description" string.
template <class OnKey>
void ForEachMember(od::object object, const std::string& path, OnKey on_key,
                   std::string* description = nullptr) {
  std::set<std::string, std::less<>> seen;
  for (auto member : object) {
    std::string_view key;
    if (const auto error = member.unescaped_key().get(key)) {
      NotJson(path, error);
    }
    if (!seen.emplace(key).second) {
      throw InputError(Child(path, key), "duplicate key");
    }
    od::value value;
    if (const auto error = member.value().get(value)) {
      NotJson(Child(path, key), error);
    }
    if (!key.empty() && key[0] == '_') {
      std::string_view text;
      if (description != nullptr && key == "_description" && !value.get_string().get(text)) {
        *description = std::string(text);
      }
      continue;
    }
    if (!on_key(key, value)) {
      throw InputError(Child(path, key), "unknown key");
    }
  }
}

// What a property must be to describe a real element.
enum class Rule { Any, Positive, NotNegative };

// One property of an element: its key, where it is stored and its rule.
template <class Record>
struct Field {
  const char* key;
  std::variant<float Record::*, uint8_t Record::*> target;
  Rule rule = Rule::Any;
};

template <class Record, size_t N>
Record ParseRecord(od::value value, const std::string& path, const Field<Record> (&fields)[N]) {
  Record record;
  std::bitset<N> present;
  ForEachMember(ObjectOf(value, path), path, [&](std::string_view key, od::value v) {
    size_t k = 0;
    while (k < N && key != fields[k].key) {
      ++k;
    }
    if (k == N) {
      return false;
    }
    present.set(k);
    const Field<Record>& field = fields[k];
    const auto key_path = [&] { return Child(path, field.key); };
    if (auto* f = std::get_if<float Record::*>(&field.target)) {
      const float x = ReadFloat(v, key_path);
      if (field.rule == Rule::Positive && !(x > 0)) {
        throw InputError(key_path(), "must be greater than 0, got " + NumberText(x));
      }
      if (field.rule == Rule::NotNegative && x < 0) {
        throw InputError(key_path(), "must not be negative, got " + NumberText(x));
      }
      record.*(*f) = x;
    } else {
      record.*(std::get<uint8_t Record::*>(field.target)) = ReadByte(v, key_path);
    }
    return true;
  });
  for (size_t k = 0; k < N; ++k) {
    if (!present[k]) {
      throw InputError(Child(path, fields[k].key), "missing key");
    }
  }
  return record;
}

// An array of element records, each checked against the same field table.
template <class Record, size_t N>
std::vector<Record> ParseRecords(od::value value, const std::string& path,
                                 const Field<Record> (&fields)[N]) {
  std::vector<Record> records;
  for (auto entry : ArrayOf(value, path)) {
    const std::string entry_path = Index(path, records.size());
    od::value v;
    if (const auto error = entry.get(v)) {
      NotJson(entry_path, error);
    }
    records.push_back(ParseRecord(v, entry_path, fields));
  }
  return records;
}

constexpr Field<PlateInput> kPlateFields[] = {
    {"f_Thickness", &PlateInput::f_Thickness, Rule::Positive},
    {"f_fc", &PlateInput::f_fc, Rule::Positive},
    {"f_fy", &PlateInput::f_fy, Rule::Positive},
    {"f_Es", &PlateInput::f_Es, Rule::Positive},
    {"f_MinRatioOfRFT", &PlateInput::f_MinRatioOfRFT, Rule::NotNegative},
    {"f_MaxRatioOfRFT", &PlateInput::f_MaxRatioOfRFT, Rule::NotNegative},
    {"f_MinRatioOfRFT_v", &PlateInput::f_MinRatioOfRFT_v, Rule::NotNegative},
    {"f_MaxRatioOfRFT_v", &PlateInput::f_MaxRatioOfRFT_v, Rule::NotNegative},
    {"bt_NumCurtains", &PlateInput::bt_NumCurtains},
    {"f_CoverToRFT_X", &PlateInput::f_CoverToRFT_X, Rule::NotNegative},
    {"f_CoverToRFT_Y", &PlateInput::f_CoverToRFT_Y, Rule::NotNegative},
};

constexpr Field<StiffenerInput> kStiffenerFields[] = {
    {"bt_SectionType", &StiffenerInput::bt_SectionType},
    {"bt_SectionProjection", &StiffenerInput::bt_SectionProjection},
    {"f_SectionWidth", &StiffenerInput::f_SectionWidth, Rule::Positive},
    {"f_sectionHeight", &StiffenerInput::f_sectionHeight, Rule::Positive},
    {"f_LeftFlangeWidth", &StiffenerInput::f_LeftFlangeWidth, Rule::NotNegative},
    {"f_LeftFlangeThickness", &StiffenerInput::f_LeftFlangeThickness, Rule::NotNegative},
    {"f_RightFlangeWidth", &StiffenerInput::f_RightFlangeWidth, Rule::NotNegative},
    {"f_RightFlangeThickness", &StiffenerInput::f_RightFlangeThickness, Rule::NotNegative},
    {"f_fc", &StiffenerInput::f_fc, Rule::Positive},
    {"f_density", &StiffenerInput::f_density, Rule::Positive},
    {"f_fy", &StiffenerInput::f_fy, Rule::Positive},
    {"f_Es", &StiffenerInput::f_Es, Rule::Positive},
    {"f_MinRatioOfRFT", &StiffenerInput::f_MinRatioOfRFT, Rule::NotNegative},
    {"f_MaxRatioOfRFT", &StiffenerInput::f_MaxRatioOfRFT, Rule::NotNegative},
    {"bt_RFTType", &StiffenerInput::bt_RFTType},
    {"f_Cover_Z", &StiffenerInput::f_Cover_Z, Rule::NotNegative},
    {"f_Cover_Y", &StiffenerInput::f_Cover_Y, Rule::NotNegative},
    {"f_Cover_Z_st", &StiffenerInput::f_Cover_Z_st, Rule::NotNegative},
    {"f_Cover_Y_st", &StiffenerInput::f_Cover_Y_st, Rule::NotNegative},
    {"bt_DesignAsColumn", &StiffenerInput::bt_DesignAsColumn},
};

// One table of analysis values, read before the counts it must match are
// known (keys may come in any order): the rows' widths are checked as they
// are read, the item and combination counts afterwards.
struct Table {
  bool present = false;
  std::vector<float> values;
  std::vector<size_t> combos_of_item;
};

void ParseTable(od::value value, const std::string& path, size_t width, Table& table) {
  table.present = true;
  size_t i = 0;
  for (auto item : ArrayOf(value, path)) {
    od::value item_value;
    if (const auto error = item.get(item_value)) {
      NotJson(Index(path, i), error);
    }
    size_t c = 0;
    for (auto row : ArrayOf(item_value, Index(path, i))) {
      od::value row_value;
      if (const auto error = row.get(row_value)) {
        NotJson(Index(Index(path, i), c), error);
      }
      size_t v = 0;
      for (auto number : ArrayOf(row_value, Index(Index(path, i), c))) {
        od::value number_value;
        if (const auto error = number.get(number_value)) {
          NotJson(Index(Index(Index(path, i), c), v), error);
        }
        const float x = ReadFloat(number_value, [&] { return Index(Index(Index(path, i), c), v); });
        if (v < width) {
          table.values.push_back(x);
        }
        ++v;
      }
      if (v != width) {
        throw InputError(Index(Index(path, i), c),
                         "has " + std::to_string(v) + " entries, expected " +
                             std::to_string(width) + " (values of one combination)");
      }
      ++c;
    }
    table.combos_of_item.push_back(c);
    ++i;
  }
}

void CheckTable(const Table& table, const std::string& path, size_t items, const char* items_why,
                size_t combos) {
  if (!table.present) {
    throw InputError(path, "missing key");
  }
  if (table.combos_of_item.size() != items) {
    throw InputError(path, "has " + std::to_string(table.combos_of_item.size()) +
                               " entries, expected " + std::to_string(items) + " (" + items_why +
                               ")");
  }
  for (size_t i = 0; i < items; ++i) {
    if (table.combos_of_item[i] != combos) {
      throw InputError(Index(path, i), "has " + std::to_string(table.combos_of_item[i]) +
                                           " entries, expected " + std::to_string(combos) +
                                           " (one per load combination)");
    }
  }
}

void CheckCount(size_t count, const char* path, const char* what) {
  if (count > static_cast<size_t>(kMaxCount)) {
    throw InputError(path, "has " + std::to_string(count) + " " + what +
                               ", above the limit of 32,767");
  }
}

// The usual ranges of the standard, in MPa; a ksi is 6.894757 MPa.
constexpr double kUsualFcLow = 20, kUsualFcHigh = 80, kUsualFyHigh = 500;
constexpr double kMpaPerKsi = 6.894757;

// One warning line per rule: the first element that breaks it and how many.
struct RangeWarning {
  std::string first;
  double first_value = 0;
  int count = 0;
  void Note(const std::string& path, double value) {
    if (count++ == 0) {
      first = path, first_value = value;
    }
  }
};

void AddWarnings(Job& job) {
  const bool si = job.bt_units == 1;
  const double to_mpa = si ? 1.0 : kMpaPerKsi;
  const char* unit = si ? "MPa" : "ksi";
  RangeWarning fc, fy;
  auto check = [&](const std::string& path, float f_fc, float f_fy) {
    const double fc_mpa = f_fc * to_mpa, fy_mpa = f_fy * to_mpa;
    if (fc_mpa < kUsualFcLow || fc_mpa > kUsualFcHigh) {
      fc.Note(path + ".f_fc", f_fc);
    }
    if (fy_mpa > kUsualFyHigh) {
      fy.Note(path + ".f_fy", f_fy);
    }
  };
  for (size_t e = 0; e < job.plates.size(); ++e) {
    check(Index("plates", e), job.plates[e].f_fc, job.plates[e].f_fy);
  }
  for (size_t e = 0; e < job.stiffeners.size(); ++e) {
    check(Index("stiffeners", e), job.stiffeners[e].f_fc, job.stiffeners[e].f_fy);
  }
  auto more = [](int count) {
    return count > 1 ? " (and " + std::to_string(count - 1) +
                           (count == 2 ? " more element)" : " more elements)")
                     : std::string();
  };
  const std::string usual_fc = si ? "20 to 80 MPa" : "2.9 to 11.6 ksi (20 to 80 MPa)";
  const std::string usual_fy = si ? "500 MPa" : "72.5 ksi (500 MPa)";
  if (fc.count > 0) {
    job.warnings.push_back(fc.first + ": f'c of " + NumberText(fc.first_value) + " " + unit +
                           " is outside the usual " + usual_fc + " of CSA A23.3-94" +
                           more(fc.count) + "; designed as given");
  }
  if (fy.count > 0) {
    job.warnings.push_back(fy.first + ": fy of " + NumberText(fy.first_value) + " " + unit +
                           " is above the usual " + usual_fy + " of CSA A23.3-94" +
                           more(fy.count) + "; designed as given");
  }
}

// The analysis tables are almost all of a large job. They are read by a
// scanner of their own, straight from the text: arrays of arrays of rows of
// numbers need nothing more, and the parser's index of the whole text would
// hold about as many bytes as the text itself. The scanner walks the top
// level just far enough to find the tables; everything else, and a copy of
// the text with each table cut down to a 0, goes to the JSON parser. When
// the scanner meets anything it does not expect (a syntax error, an escaped
// key) it gives up and the JSON parser reads the whole text, tables and all,
// and reports what is wrong.
class TableScanner {
 public:
  struct Cut {
    size_t begin, end;  // the table's bytes, replaced by "0"
  };

  explicit TableScanner(std::string_view text) : text_(text) {}

  // False when the scanner gave up; throws InputError for a table's content.
  bool Scan(std::map<std::string, Table, std::less<>>& tables, std::vector<Cut>& cuts) {
    pos_ = 0;
    SkipWs();
    if (!Eat('{')) return false;
    SkipWs();
    if (Eat('}')) return true;
    for (;;) {
      std::string_view key;
      if (!Key(key)) return false;
      if (key == "analysis") {
        if (!ScanAnalysis(tables, cuts)) return false;
      } else if (!SkipValue()) {
        return false;
      }
      SkipWs();
      if (Eat('}')) return true;
      if (!Eat(',')) return false;
      SkipWs();
    }
  }

 private:
  static bool IsWs(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  void SkipWs() {
    while (!AtEnd() && IsWs(text_[pos_])) ++pos_;
  }
  bool Eat(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  // A string; `escaped` tells whether it holds a backslash.
  bool String(std::string_view& raw, bool& escaped) {
    if (!Eat('"')) return false;
    const size_t begin = pos_;
    escaped = false;
    while (!AtEnd()) {
      const char c = text_[pos_];
      if (c == '"') {
        raw = text_.substr(begin, pos_ - begin);
        ++pos_;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c == '\\') {
        escaped = true;
        ++pos_;
      }
      ++pos_;
    }
    return false;
  }

  // `"key" :` with the whitespace after it; an escaped key is left to the
  // JSON parser, which unescapes it.
  bool Key(std::string_view& key) {
    bool escaped = false;
    if (!String(key, escaped) || escaped) return false;
    SkipWs();
    if (!Eat(':')) return false;
    SkipWs();
    return true;
  }

  // Any value, without reading it: strings and nesting are followed, the
  // rest is left for the JSON parser to check.
  bool SkipValue() {
    int depth = 0;
    do {
      const char c = Peek();
      if (c == '"') {
        std::string_view raw;
        bool escaped = false;
        if (!String(raw, escaped)) return false;
      } else if (c == '{' || c == '[') {
        ++depth, ++pos_;
      } else if (c == '}' || c == ']') {
        if (--depth < 0) return false;
        ++pos_;
      } else if (c == '\0') {
        return false;
      } else {
        ++pos_;
      }
      if (depth > 0) {
        while (!AtEnd() && text_[pos_] != '"' && text_[pos_] != '{' && text_[pos_] != '[' &&
               text_[pos_] != '}' && text_[pos_] != ']') {
          ++pos_;
        }
      } else {
        // A scalar at the top: up to the next separator.
        while (!AtEnd() && text_[pos_] != ',' && text_[pos_] != '}' && text_[pos_] != ']' &&
               !IsWs(text_[pos_])) {
          ++pos_;
        }
      }
    } while (depth > 0);
    return true;
  }

  bool ScanAnalysis(std::map<std::string, Table, std::less<>>& tables, std::vector<Cut>& cuts) {
    if (Peek() != '{') return SkipValue();
    ++pos_;
    SkipWs();
    if (Eat('}')) return true;
    for (;;) {
      std::string_view key;
      if (!Key(key)) return false;
      const size_t width = key == "displacements"  ? kDisplacementValues
                           : key == "plate_forces" ? kPlateForceValues
                           : key == "stiffener_forces" ? kStiffenerForceValues
                                                        : 0;
      if (width > 0 && tables.count(key) == 0) {
        const size_t begin = pos_;
        Table table;
        if (!ReadTable("analysis." + std::string(key), width, table)) return false;
        tables.emplace(std::string(key), std::move(table));
        cuts.push_back({begin, pos_});
      } else if (!SkipValue()) {
        return false;
      }
      SkipWs();
      if (Eat('}')) return true;
      if (!Eat(',')) return false;
      SkipWs();
    }
  }

  // The type a value begins with, for the message when it is not the one
  // wanted; null when the text is not a value at all.
  const char* TypeAt() const {
    switch (Peek()) {
      case '{': return "object";
      case '[': return "array";
      case '"': return "string";
      case 't':
      case 'f': return "boolean";
      case 'n': return "null";
      default: return IsDigit(Peek()) || Peek() == '-' ? "number" : nullptr;
    }
  }

  // '[' of an array at `path`; gives up on a non-value, throws for another type.
  template <class PathFn>
  bool OpenArray(const PathFn& path) {
    if (Eat('[')) return true;
    const char* type = TypeAt();
    if (type == nullptr) return false;
    throw InputError(path(), std::string("expected an array, got ") + type);
  }

  // A number as JSON writes it, read as a float.
  template <class PathFn>
  bool Number(float& out, const PathFn& path) {
    const size_t begin = pos_;
    Eat('-');
    if (Eat('0')) {
    } else if (IsDigit(Peek())) {
      while (IsDigit(Peek())) ++pos_;
    } else {
      pos_ = begin;
      const char* type = TypeAt();
      if (type == nullptr || std::string_view(type) == "number") return false;
      throw InputError(path(), std::string("expected a number, got ") + type);
    }
    if (Eat('.')) {
      if (!IsDigit(Peek())) return false;
      while (IsDigit(Peek())) ++pos_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (!IsDigit(Peek())) return false;
      while (IsDigit(Peek())) ++pos_;
    }
    const char* first = text_.data() + begin;
    const char* last = text_.data() + pos_;
    double d = 0;
    const auto [end, error] = std::from_chars(first, last, d);
    if (error == std::errc::result_out_of_range) {
      // Overflow is refused; a value too small for a double reads as the
      // nearest one, 0 or subnormal, as every JSON reader takes it.
      const std::string token(first, last);
      d = std::strtod(token.c_str(), nullptr);
      if (std::isinf(d)) {
        throw InputError(path(), token + " is beyond the range of a 64-bit float");
      }
    } else if (error != std::errc() || end != last) {
      return false;
    }
    constexpr double kFloatOverflow = 0x1.ffffffp127;
    if (std::fabs(d) >= kFloatOverflow) {
      throw InputError(path(), NumberText(d) + " is beyond the range of a 32-bit float");
    }
    out = static_cast<float>(d);
    return true;
  }

  // Items of an array, each read by `item` (which returns false to give up).
  template <class Item>
  bool Elements(Item item) {
    SkipWs();
    if (Eat(']')) return true;
    for (size_t k = 0;; ++k) {
      if (!item(k)) return false;
      SkipWs();
      if (Eat(']')) return true;
      if (!Eat(',')) return false;
      SkipWs();
    }
  }

  bool ReadTable(const std::string& path, size_t width, Table& table) {
    table.present = true;
    if (!OpenArray([&] { return path; })) return false;
    const size_t first_item = pos_;
    return Elements([&](size_t i) {
      if (i == 1) {
        // Reserve for as many items as the first one's size says the rest
        // of the text can hold: room that is never filled is never touched,
        // and the table is not copied as it grows.
        const size_t item_bytes = std::max<size_t>(pos_ - first_item, 1);
        const size_t items = (text_.size() - first_item) / item_bytes + 1;
        try {
          table.values.reserve(table.values.size() * items);
        } catch (const std::bad_alloc&) {
          // Too much to ask at once: the table grows as it is read.
        }
      }
      if (!OpenArray([&] { return Index(path, i); })) return false;
      size_t combos = 0;
      const bool ok = Elements([&](size_t c) {
        if (!OpenArray([&] { return Index(Index(path, i), c); })) return false;
        size_t count = 0;
        const bool row_ok = Elements([&](size_t v) {
          float x = 0;
          if (!Number(x, [&] { return Index(Index(Index(path, i), c), v); })) return false;
          if (v < width) table.values.push_back(x);
          count = v + 1;
          return true;
        });
        if (!row_ok) return false;
        if (count != width) {
          throw InputError(Index(Index(path, i), c),
                           "has " + std::to_string(count) + " entries, expected " +
                               std::to_string(width) + " (values of one combination)");
        }
        combos = c + 1;
        return true;
      });
      table.combos_of_item.push_back(combos);
      return ok;
    });
  }

  std::string_view text_;
  size_t pos_ = 0;
};

// Rows of `width` entries: coordinates (finite 32-bit floats) or node
// numbers from 1 to `nodes`, each element's nodes distinct.
template <class Row>
void ParseGeometryRows(od::value value, const std::string& path, int32_t nodes,
                       std::vector<Row>& rows) {
  constexpr size_t width = std::tuple_size_v<Row>;
  size_t i = 0;
  for (auto item : ArrayOf(value, path)) {
    od::value row_value;
    if (const auto error = item.get(row_value)) {
      NotJson(Index(path, i), error);
    }
    const std::string row_path = Index(path, i);
    Row row{};
    size_t v = 0;
    for (auto entry : ArrayOf(row_value, row_path)) {
      od::value entry_value;
      if (const auto error = entry.get(entry_value)) {
        NotJson(Index(row_path, v), error);
      }
      if (v < width) {
        const auto entry_path = [&] { return Index(row_path, v); };
        if constexpr (std::is_same_v<typename Row::value_type, float>) {
          row[v] = ReadFloat(entry_value, entry_path);
        } else {
          row[v] = static_cast<int32_t>(ReadWhole(entry_value, entry_path, 1, nodes));
          for (size_t k = 0; k < v; ++k) {
            if (row[k] == row[v]) {
              throw InputError(entry_path(), "node " + std::to_string(row[v]) +
                                                 " is already a node of this element");
            }
          }
        }
      }
      ++v;
    }
    if (v != width) {
      throw InputError(row_path, "has " + std::to_string(v) + " entries, expected " +
                                     std::to_string(width));
    }
    rows.push_back(row);
    ++i;
  }
}

void CheckRows(size_t rows, const std::string& path, size_t expected, const char* why) {
  if (rows != expected) {
    throw InputError(path, "has " + std::to_string(rows) + " entries, expected " +
                               std::to_string(expected) + " (" + why + ")");
  }
}

// The optional "geometry": its node numbers are checked against l_NumNodes,
// which may come later in the file, so the nodes are read as whole numbers up
// to the library's limit here and compared with the count afterwards.
void ParseGeometry(od::value value, Geometry& geometry) {
  geometry.present = true;
  bool has_nodes = false;
  ForEachMember(ObjectOf(value, "geometry"), "geometry", [&](std::string_view key, od::value v) {
    const std::string path = Child("geometry", key);
    if (key == "nodes") {
      has_nodes = true;
      ParseGeometryRows(v, path, 0, geometry.nodes);
    } else if (key == "plates") {
      ParseGeometryRows(v, path, static_cast<int32_t>(kMaxCount), geometry.plates);
    } else if (key == "stiffeners") {
      ParseGeometryRows(v, path, static_cast<int32_t>(kMaxCount), geometry.stiffeners);
    } else {
      return false;
    }
    return true;
  });
  if (!has_nodes) {
    throw InputError("geometry.nodes", "missing key");
  }
}

void CheckGeometry(const Job& job) {
  const Geometry& g = job.geometry;
  if (!g.present) return;
  CheckRows(g.nodes.size(), "geometry.nodes", static_cast<size_t>(job.l_NumNodes),
            "one per node, l_NumNodes");
  CheckRows(g.plates.size(), "geometry.plates", job.plates.size(), "one per plate element");
  CheckRows(g.stiffeners.size(), "geometry.stiffeners", job.stiffeners.size(),
            "one per stiffener element");
  const auto check_nodes = [&](const auto& rows, const char* path) {
    for (size_t e = 0; e < rows.size(); ++e) {
      for (size_t k = 0; k < rows[e].size(); ++k) {
        if (rows[e][k] > job.l_NumNodes) {
          throw InputError(Index(Index(path, e), k),
                           "node " + std::to_string(rows[e][k]) + " is beyond l_NumNodes (" +
                               std::to_string(job.l_NumNodes) + ")");
        }
      }
    }
  };
  check_nodes(g.plates, "geometry.plates");
  check_nodes(g.stiffeners, "geometry.stiffeners");
}

Job ParsePadded(simdjson::padded_string_view text,
                std::map<std::string, Table, std::less<>>& scanned) {
  od::parser parser;
  od::document document;
  if (const auto error = parser.iterate(text).get(document)) {
    NotJson("", error);
  }
  od::json_type root_type{};
  if (const auto error = document.type().get(root_type)) {
    NotJson("", error);
  }
  if (root_type != od::json_type::object) {
    throw InputError("(top level)", std::string("expected an object, got ") + TypeName(root_type));
  }
  od::object root;
  if (const auto error = document.get_object().get(root)) {
    NotJson("", error);
  }

  Job job;
  std::set<std::string, std::less<>> present;
  Table displacements, plate_forces, stiffener_forces;
  bool has_names = false;
  ForEachMember(root, "", [&](std::string_view key, od::value value) {
    const std::string path(key);
    if (key == "bt_units") {
      job.bt_units = ReadByte(value, [&] { return path; });
    } else if (key == "l_NumNodes") {
      job.l_NumNodes = static_cast<int32_t>(ReadWhole(value, [&] { return path; },
                                                      std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max()));
    } else if (key == "combinations") {
      size_t c = 0;
      for (auto entry : ArrayOf(value, path)) {
        od::value v;
        if (const auto error = entry.get(v)) {
          NotJson(Index(path, c), error);
        }
        job.combinations.push_back(ReadByte(v, [&] { return Index(path, c); }));
        ++c;
      }
    } else if (key == "combination_names") {
      has_names = true;
      size_t c = 0;
      for (auto entry : ArrayOf(value, path)) {
        std::string_view name;
        if (const auto error = entry.get_string().get(name)) {
          if (error == simdjson::INCORRECT_TYPE) {
            throw InputError(Index(path, c), "expected a string");
          }
          NotJson(Index(path, c), error);
        }
        job.combination_names.emplace_back(name);
        ++c;
      }
    } else if (key == "plates") {
      job.plates = ParseRecords(value, path, kPlateFields);
    } else if (key == "stiffeners") {
      job.stiffeners = ParseRecords(value, path, kStiffenerFields);
    } else if (key == "geometry") {
      ParseGeometry(value, job.geometry);
    } else if (key == "analysis") {
      bool available = false;
      ForEachMember(ObjectOf(value, path), path, [&](std::string_view name, od::value v) {
        const std::string table_path = Child(path, name);
        if (name == "available") {
          job.available = ReadByte(v, [&] { return table_path; });
          available = true;
        } else if (name == "displacements" || name == "plate_forces" ||
                   name == "stiffener_forces") {
          Table& table = name == "displacements"  ? displacements
                         : name == "plate_forces" ? plate_forces
                                                  : stiffener_forces;
          const size_t width = name == "displacements"  ? kDisplacementValues
                               : name == "plate_forces" ? kPlateForceValues
                                                        : kStiffenerForceValues;
          auto it = scanned.find(name);
          if (it != scanned.end()) {
            table = std::move(it->second);  // read by the scanner; the text holds a 0
            scanned.erase(it);
          } else {
            ParseTable(v, table_path, width, table);
          }
        } else {
          return false;
        }
        return true;
      });
      if (!available) {
        throw InputError("analysis.available", "missing key");
      }
    } else {
      return false;
    }
    present.insert(path);
    return true;
  }, &job.description);
  if (document.current_location().error() != simdjson::OUT_OF_BOUNDS) {
    throw InputError("", "not valid JSON: more text after the top-level object");
  }
  for (const char* key :
       {"bt_units", "l_NumNodes", "combinations", "plates", "stiffeners", "analysis"}) {
    if (present.count(key) == 0) {
      throw InputError(key, "missing key");
    }
  }

  // The counts, before any array length is compared with them.
  if (job.l_NumNodes < 1) {
    throw InputError("l_NumNodes", "the number of nodes must be at least 1, got " +
                                       std::to_string(job.l_NumNodes));
  }
  if (job.l_NumNodes > kMaxCount) {
    throw InputError("l_NumNodes",
                     std::to_string(job.l_NumNodes) + " is above the limit of 32,767");
  }
  CheckCount(job.combinations.size(), "combinations", "combinations");
  CheckCount(job.plates.size(), "plates", "elements");
  CheckCount(job.stiffeners.size(), "stiffeners", "elements");
  const size_t combos = job.combinations.size();
  if (has_names && job.combination_names.size() != combos) {
    throw InputError("combination_names",
                     "has " + std::to_string(job.combination_names.size()) +
                         " entries, expected " + std::to_string(combos) +
                         " (one per load combination)");
  }
  CheckTable(displacements, "analysis.displacements", static_cast<size_t>(job.l_NumNodes),
             "one per node, l_NumNodes", combos);
  CheckTable(plate_forces, "analysis.plate_forces", job.plates.size(), "one per plate element",
             combos);
  CheckTable(stiffener_forces, "analysis.stiffener_forces", job.stiffeners.size(),
             "one per stiffener element", combos);
  CheckGeometry(job);
  job.displacements = std::move(displacements.values);
  job.plate_forces = std::move(plate_forces.values);
  job.stiffener_forces = std::move(stiffener_forces.values);
  AddWarnings(job);
  return job;
}

}  // namespace

Job ParseJob(std::string_view text) {
  std::map<std::string, Table, std::less<>> tables;
  std::vector<TableScanner::Cut> cuts;
  if (!TableScanner(text).Scan(tables, cuts)) {
    tables.clear();
    cuts.clear();
  }
  // The text without the tables, padded for the JSON parser.
  size_t kept = text.size();
  for (const auto& cut : cuts) {
    kept -= cut.end - cut.begin - 1;
  }
  simdjson::padded_string rest(kept);
  char* out = rest.data();
  size_t from = 0;
  for (const auto& cut : cuts) {
    out = std::copy(text.data() + from, text.data() + cut.begin, out);
    *out++ = '0';
    from = cut.end;
  }
  std::copy(text.data() + from, text.data() + text.size(), out);
  return ParsePadded(rest, tables);
}

Job ParseJobWithoutTableScanner(std::string_view text) {
  std::map<std::string, Table, std::less<>> none;
  const simdjson::padded_string padded(text);
  return ParsePadded(padded, none);
}

Job ReadJob(const std::string& path) {
  if (path == "-") {
    std::ostringstream in;
    in << std::cin.rdbuf();
    return ParseJob(in.str());
  }
  return ParseJob(ReadWholeFile(path));
}

std::string ReadWholeFile(const std::string& path) {
  // Read straight into the string, sized from the file when it has a size,
  // so that a large file is held once.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) {
    if (fd >= 0) ::close(fd);
    throw InputError("", "cannot be read");
  }
  if (S_ISDIR(info.st_mode)) {
    ::close(fd);
    throw InputError("", "is a directory");
  }
  std::string text;
  if (S_ISREG(info.st_mode)) {
    text.reserve(static_cast<size_t>(info.st_size) + 1);
  }
  char chunk[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      throw InputError("", "cannot be read");
    }
    if (n == 0) break;
    text.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return text;
}

}  // namespace ostrel::cli
