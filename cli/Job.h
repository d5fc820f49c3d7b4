// A design job: the model a host would send through the input methods, plus
// the analysis results its analysis-results source would report. Reading a
// job checks every value against the type the interface takes and against
// what is physically possible, so a job that loads can be sent to the library
// without any further conversion failing.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::cli {

// A job or results file that cannot be used: names the key path (e.g.
// "plates[3].f_fc", empty for the file as a whole) and what is wrong.
class InputError : public std::runtime_error {
 public:
  InputError(std::string key_path, const std::string& what)
      : std::runtime_error(what), key_path_(std::move(key_path)) {}
  const std::string& KeyPath() const { return key_path_; }

 private:
  std::string key_path_;
};

struct PlateInput {
  float f_Thickness = 0, f_fc = 0, f_fy = 0, f_Es = 0;
  float f_MinRatioOfRFT = 0, f_MaxRatioOfRFT = 0, f_MinRatioOfRFT_v = 0, f_MaxRatioOfRFT_v = 0;
  uint8_t bt_NumCurtains = 0;
  float f_CoverToRFT_X = 0, f_CoverToRFT_Y = 0;
};

struct StiffenerInput {
  uint8_t bt_SectionType = 0, bt_SectionProjection = 0;
  float f_SectionWidth = 0, f_sectionHeight = 0;
  float f_LeftFlangeWidth = 0, f_LeftFlangeThickness = 0;
  float f_RightFlangeWidth = 0, f_RightFlangeThickness = 0;
  float f_fc = 0, f_density = 0, f_fy = 0, f_Es = 0;
  float f_MinRatioOfRFT = 0, f_MaxRatioOfRFT = 0;
  uint8_t bt_RFTType = 0;
  float f_Cover_Z = 0, f_Cover_Y = 0, f_Cover_Z_st = 0, f_Cover_Y_st = 0;
  uint8_t bt_DesignAsColumn = 0;
};

inline constexpr int kDisplacementValues = 6;     // dx, dy, dz, rx, ry, rz
inline constexpr int kPlateForceValues = 6;       // Nx, Ny, Nxy, Mx, My, Mxy
inline constexpr int kStiffenerForceValues = 12;  // six at end 1, six at end 2
// The library holds every count as a 16-bit integer.
inline constexpr int64_t kMaxCount = 32767;

// Where the elements are, for drawing the wall: node coordinates in the
// job's length unit and the nodes of every element (numbers from 1).
struct Geometry {
  bool present = false;
  std::vector<std::array<float, 3>> nodes;
  std::vector<std::array<int32_t, 4>> plates;
  std::vector<std::array<int32_t, 2>> stiffeners;
};

struct Job {
  uint8_t bt_units = 0;
  std::string description;  // the job's "_description", empty when none
  int32_t l_NumNodes = 0;
  std::vector<uint8_t> combinations;  // bt_ComboType of combination 1, 2, ...
  std::vector<std::string> combination_names;  // empty, or one per combination
  std::vector<PlateInput> plates;
  std::vector<StiffenerInput> stiffeners;
  Geometry geometry;  // optional

  uint8_t available = 0;
  // Flattened [item][combination][value], item and combination 0-based.
  std::vector<float> displacements;
  std::vector<float> plate_forces;
  std::vector<float> stiffener_forces;

  // Values that are physical but outside the usual range of the standard,
  // one line per rule; the job is designed all the same.
  std::vector<std::string> warnings;

  int NumCombos() const { return static_cast<int>(combinations.size()); }
  int NumNodeRows() const { return l_NumNodes > 0 ? l_NumNodes : 0; }
};

// Parses and checks a job given as JSON text; throws InputError.
Job ParseJob(std::string_view text);
// The same with the analysis tables read by the general JSON parser, not by
// the table scanner: slower, and what the fuzz target compares against.
Job ParseJobWithoutTableScanner(std::string_view text);

// Reads and parses the job file at `path` ("-": standard input) without a
// second copy of the text; throws InputError.
Job ReadJob(const std::string& path);

// Reads a whole file; throws InputError with an empty key path when it cannot.
std::string ReadWholeFile(const std::string& path);

}  // namespace ostrel::cli
