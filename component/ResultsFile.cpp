// The design-results block in the host's project file: appended by
// SaveResults at the end of the file, read back by ReadResults from the
// 1-based position SaveResults returned.
//
// Layout (little-endian, no padding): the done flag (u8); if it is 1, the
// node, plate and stiffener counts (int16 each), then every node field for
// nodes 1 to nN, every plate result field (with the curtain count) when nP is
// not 0, and every stiffener result field except the shear of the torsion
// design when nS is not 0; each field written as all its entries in turn.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "OstrelDesignCSA94.hpp"
#include "model/CheckedMath.h"
#include "model/modGlobal.h"
#include "platform/MessageBox.h"

using namespace ostrel;

namespace {

using N = typNode;
using P = typPlateElement;
using S = typStiffenerElement;

// The fields of each group in block order.
constexpr auto kNodeFields =
    std::make_tuple(&N::f_Dx_Negative, &N::f_Dx_Positive, &N::f_Dy_Negative, &N::f_Dy_Positive,
                    &N::f_Dz_Negative, &N::f_Dz_Positive, &N::i_Dx_Neg_combo, &N::i_Dx_Pos_combo,
                    &N::i_Dy_Neg_combo, &N::i_Dy_Pos_combo, &N::i_Dz_Neg_combo,
                    &N::i_Dz_Pos_combo);

constexpr auto kPlateFields = std::make_tuple(
    &P::bt_NumCurtains, &P::f_AreaOfSteel_x, &P::f_RatioOfSteel_x, &P::i_DesignComboIndex_x,
    &P::f_Mu_x, &P::f_Pu_x, &P::bt_DesignStatus_x, &P::f_AreaOfSteel_y, &P::f_RatioOfSteel_y,
    &P::i_DesignComboIndex_y, &P::f_Mu_y, &P::f_Pu_y, &P::bt_DesignStatus_y);

constexpr auto kStiffenerFields = std::make_tuple(
    &S::f_As, &S::f_RatioOfSteel, &S::i_DesignComboIndex_flex, &S::f_Muy, &S::f_Muz,
    &S::f_Pu_flex, &S::bt_DesignStatus_flex, &S::f_AvOverS_y, &S::i_DesignComboIndex_y,
    &S::f_Pu_y, &S::f_Vu_y, &S::f_Tu_y, &S::f_Spacing_y, &S::f_AvOverS_z,
    &S::i_DesignComboIndex_z, &S::f_Pu_z, &S::f_Vu_z, &S::f_Tu_z, &S::f_Spacing_z,
    &S::f_AtOverS, &S::f_Al, &S::i_DesignComboIndex_tor, &S::f_Pu_tor, &S::f_Tu_tor,
    &S::f_Spacing_tor, &S::bt_DesignStatus_Shear);

template <class Group, class Fields, class Action>
void ForEachField(Group& group, const Fields& fields, Action&& action) {
  std::apply([&](auto... member) { (action(group.*member), ...); }, fields);
}

// The unsigned integer of the same width, for the byte order.
template <class T>
using Bits = std::conditional_t<sizeof(T) == 1, uint8_t,
                                std::conditional_t<sizeof(T) == 2, uint16_t,
                                                   std::conditional_t<sizeof(T) == 4, uint32_t,
                                                                      uint64_t>>>;

class BlockWriter {
 public:
  template <class T>
  void Put(T value) {
    auto bits = std::bit_cast<Bits<T>>(value);
    for (size_t k = 0; k < sizeof(T); ++k) {
      bytes_.push_back(static_cast<uint8_t>(bits & 0xFF));
      bits = static_cast<Bits<T>>(bits >> 8);
    }
  }
  // Entries 1 to count of a field; a field shorter than the count (its count
  // was changed after the design) is a run-time error, so the block written
  // always agrees with the counts at its head.
  template <class T>
  void PutField(const Array1<T>& field, int count) {
    for (int i = 1; i <= count; ++i) {
      Put(field(i));
    }
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

class BlockReader {
 public:
  explicit BlockReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  template <class T>
  T Get() {
    if (bytes_.size() - pos_ < sizeof(T)) {
      throw RunTimeError("results block is shorter than its counts require");
    }
    Bits<T> bits = 0;
    for (size_t k = sizeof(T); k-- > 0;) {
      bits = static_cast<Bits<T>>((bits << 8) | bytes_[pos_ + k]);
    }
    pos_ += sizeof(T);
    return std::bit_cast<T>(bits);
  }
  template <class T>
  void GetField(Array1<T>& field, int count) {
    field.Create(count);
    for (int i = 1; i <= count; ++i) {
      field(i) = Get<T>();
    }
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t pos_ = 0;
};

std::vector<uint8_t> BuildBlock() {
  const modGlobal& g = Global();
  BlockWriter w;
  w.Put<uint8_t>(g.bt_DesignDoneFlag);
  if (g.bt_DesignDoneFlag == 0) {
    return w.bytes();
  }
  const int nN = g.i_NumNodes, nP = g.i_NumPlateElements, nS = g.i_NumStiffenerElements;
  w.Put<int16_t>(g.i_NumNodes);
  w.Put<int16_t>(g.i_NumPlateElements);
  w.Put<int16_t>(g.i_NumStiffenerElements);
  ForEachField(g.Node, kNodeFields, [&](const auto& field) { w.PutField(field, nN); });
  if (nP != 0) {
    ForEachField(g.PlateElement, kPlateFields, [&](const auto& field) { w.PutField(field, nP); });
  }
  if (nS != 0) {
    ForEachField(g.StiffenerElement, kStiffenerFields,
                 [&](const auto& field) { w.PutField(field, nS); });
  }
  return w.bytes();
}

// Opens for reading and writing without truncating; a missing file is
// created empty first.
std::FILE* OpenForUpdate(const std::string& path) {
  if (std::FILE* f = std::fopen(path.c_str(), "r+b")) {
    return f;
  }
  if (std::FILE* created = std::fopen(path.c_str(), "ab")) {  // never truncates
    std::fclose(created);
  }
  return std::fopen(path.c_str(), "r+b");
}

// Reads exactly n bytes; fewer is a short block, a stream error a read error.
std::vector<uint8_t> ReadBytes(std::FILE* f, size_t n) {
  std::vector<uint8_t> bytes(n);
  if (n > 0 && std::fread(bytes.data(), 1, n, f) != n) {
    throw RunTimeError("results block is shorter than its counts require");
  }
  return bytes;
}

// A stored design read whole, before anything in the model changes.
struct StoredDesign {
  int16_t nN = 0, nP = 0, nS = 0;
  typNode nodes;
  typPlateElement plates;
  typStiffenerElement stiffeners;
};

// Reads the rest of a block whose flag (1) has been read.
StoredDesign ReadStoredDesign(std::FILE* f) {
  StoredDesign d;
  const std::vector<uint8_t> head = ReadBytes(f, 6);
  BlockReader counts(head);
  d.nN = counts.Get<int16_t>();
  d.nP = counts.Get<int16_t>();
  d.nS = counts.Get<int16_t>();
  if (d.nN < 1 || d.nP < 0 || d.nS < 0) {
    throw RunTimeError("invalid counts in a results block");
  }
  const size_t size = 60 * static_cast<size_t>(d.nN) + 66 * static_cast<size_t>(d.nP) +
                      168 * static_cast<size_t>(d.nS);
  const std::vector<uint8_t> body = ReadBytes(f, size);
  BlockReader r(body);
  ForEachField(d.nodes, kNodeFields, [&](auto& field) { r.GetField(field, d.nN); });
  if (d.nP != 0) {
    ForEachField(d.plates, kPlateFields, [&](auto& field) { r.GetField(field, d.nP); });
  }
  if (d.nS != 0) {
    ForEachField(d.stiffeners, kStiffenerFields, [&](auto& field) { r.GetField(field, d.nS); });
    d.stiffeners.f_Vu_tor.Create(d.nS);  // not stored: the run's own working value
  }
  return d;
}

// Puts a stored design into the model: counts, curtain numbers, all results.
// The other element properties, the combinations and the units stay.
void Restore(StoredDesign& d) {
  modGlobal& g = Global();
  ++g.u_ResultsGeneration;
  g.i_NumNodes = d.nN;
  g.i_NumPlateElements = d.nP;
  g.i_NumStiffenerElements = d.nS;
  std::apply([&](auto... m) { ((g.Node.*m = std::move(d.nodes.*m)), ...); }, kNodeFields);
  if (d.nP != 0) {
    std::apply([&](auto... m) { ((g.PlateElement.*m = std::move(d.plates.*m)), ...); },
               kPlateFields);
  }
  if (d.nS != 0) {
    std::apply([&](auto... m) { ((g.StiffenerElement.*m = std::move(d.stiffeners.*m)), ...); },
               kStiffenerFields);
    g.StiffenerElement.f_Vu_tor = std::move(d.stiffeners.f_Vu_tor);
  }
  g.bt_DesignDoneFlag = 1;
}

}  // namespace

uint8_t clsDesignCSA94::SaveResults(const char* sFilepath, int32_t& lOffset) {
  const char* const unexpected = "clsWallAnalysis::SaveResultFile: Unexpected error";
  std::FILE* f = nullptr;
  long blockStart = -1;  // 0-based position of the block, once known
  try {
    ClearFloatFaults();
    f = OpenForUpdate(sFilepath);
    if (f == nullptr) {
      throw RunTimeError("cannot open the results file");
    }
    if (std::fseek(f, 0, SEEK_END) != 0) {
      throw RunTimeError("cannot position in the results file");
    }
    const long length = std::ftell(f);
    if (length < 0 || length >= std::numeric_limits<int32_t>::max()) {
      throw RunTimeError("results file offset overflow");
    }
    blockStart = length;
    lOffset = static_cast<int32_t>(length + 1);

    const std::vector<uint8_t> block = BuildBlock();
    if (std::fwrite(block.data(), 1, block.size(), f) != block.size() || std::fflush(f) != 0) {
      throw RunTimeError("cannot write the results block");
    }
    std::FILE* closing = f;
    f = nullptr;
    if (std::fclose(closing) != 0) {
      throw RunTimeError("cannot close the results file");
    }
    return 0;
  } catch (...) {
  }
  ShowMessageBox(unexpected);
  if (f != nullptr) {
    // Mark the block position as holding no design; nothing before it changes.
    if (blockStart >= 0 && std::fseek(f, blockStart, SEEK_SET) == 0) {
      const uint8_t zeros[4] = {0, 0, 0, 0};
      std::fwrite(zeros, 1, sizeof zeros, f);
    }
    std::fclose(f);
  }
  return 1;
}

uint8_t clsDesignCSA94::ReadResults(const char* sFilepath, int32_t lOffset) {
  const char* const unexpected = "clsWallAnalysis::ReadResultFile: Unexpected error";
  std::FILE* f = nullptr;
  try {
    ClearFloatFaults();
    MarkModelChanged();
    if (lOffset < 1) {
      throw RunTimeError("results offset below 1");
    }
    if (sFilepath == nullptr) {
      throw RunTimeError("no results file named");
    }
    f = std::fopen(sFilepath, "rb");
    if (f == nullptr) {
      throw RunTimeError("cannot open the results file");
    }
    if (std::fseek(f, static_cast<long>(lOffset) - 1, SEEK_SET) != 0) {
      throw RunTimeError("cannot position in the results file");
    }
    // No byte at the position: read as a block holding no design.
    const int first = std::fgetc(f);
    if (first == EOF && std::ferror(f)) {
      throw RunTimeError("cannot read the results file");
    }
    const uint8_t flag = first == EOF ? 0 : static_cast<uint8_t>(first);
    if (flag == 0) {
      std::fclose(f);
      ClearDesignResults();
      return 1;
    }
    if (flag != 1) {
      throw RunTimeError("unknown results block flag");
    }
    StoredDesign stored = ReadStoredDesign(f);
    std::FILE* closing = f;
    f = nullptr;
    std::fclose(closing);
    Restore(stored);
    return 0;
  } catch (...) {
  }
  ShowMessageBox(unexpected);
  if (f != nullptr) {
    std::fclose(f);
  }
  ClearDesignResults();
  return 1;
}
