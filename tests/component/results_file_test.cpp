// The design-results block in a host file: its layout, appending at the end,
// reading back from the returned position, and every failure path with what
// the model and the host's file look like afterwards.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "OstrelDesignCSA94.hpp"
#include "support/HeldDesign.h"
#include "support/MessageCapture.h"

namespace ostrel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const char* const kReadError = "clsWallAnalysis::ReadResultFile: Unexpected error";
const char* const kSaveError = "clsWallAnalysis::SaveResultFile: Unexpected error";

template <class T>
T At(const Bytes& b, size_t pos) {  // little-endian value at a 0-based position
  uint64_t bits = 0;
  for (size_t k = sizeof(T); k-- > 0;) bits = (bits << 8) | b.at(pos + k);
  T v;
  std::memcpy(&v, &bits, sizeof(T));
  return v;
}

class ResultsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    dir_ = fs::temp_directory_path() / ("ostrel-results-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    ResetGlobalState();
    fs::remove_all(dir_);
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  static bool ModelIsEmpty() {
    const modGlobal& g = Global();
    return g.bt_DesignDoneFlag == 0 && g.i_NumNodes == 0 && g.i_NumPlateElements == 0 &&
           g.i_NumStiffenerElements == 0 && !g.Node.f_Dx_Positive.Allocated();
  }
  fs::path dir_;
  clsDesignCSA94 d_;
  MessageCapture boxes_;
};

TEST_F(ResultsFile, BlockLayoutAppendedAtTheEnd) {
  HoldDesign(3, 2, 0);
  const std::string path = Path("a.bin");
  Write(path, Bytes{0xAA, 0xBB, 0xCC});
  int32_t offset = -5;
  ASSERT_EQ(d_.SaveResults(path, offset), 0);
  EXPECT_EQ(offset, 4);
  const Bytes all = Read(path);
  ASSERT_EQ(all.size(), 3u + 319u);  // 7 + 60 * 3 + 66 * 2
  EXPECT_EQ(Bytes(all.begin(), all.begin() + 4), (Bytes{0xAA, 0xBB, 0xCC, 1}));
  EXPECT_EQ((std::vector<int>{At<int16_t>(all, 4), At<int16_t>(all, 6), At<int16_t>(all, 8)}),
            (std::vector<int>{3, 2, 0}));
  const typNode& n = Global().Node;
  const typPlateElement& p = Global().PlateElement;
  EXPECT_EQ(At<double>(all, 10 + 16), n.f_Dx_Negative(3));  // each field whole, node by node
  EXPECT_EQ(At<double>(all, 10 + 24), n.f_Dx_Positive(1));
  EXPECT_EQ(At<int16_t>(all, 10 + 144), n.i_Dx_Neg_combo(1));  // after the six float64 fields
  const size_t plates = 10 + 180;
  EXPECT_EQ(At<int16_t>(all, plates + 2), p.bt_NumCurtains(2));
  EXPECT_EQ(At<float>(all, plates + 4 + 16), p.f_RatioOfSteel_x(1));
  EXPECT_EQ(At<int16_t>(all, plates + 28), p.i_DesignComboIndex_x(1));
  EXPECT_EQ(At<int16_t>(all, plates + 130), p.bt_DesignStatus_y(2));

  ResetGlobalState();
  HoldDesign(1, 0, 1);  // the stiffener part starts at block byte 67 and has no f_Vu_tor
  ASSERT_EQ(d_.SaveResults(Path("s.bin"), offset), 0);
  const Bytes s = Read(Path("s.bin"));
  ASSERT_EQ(s.size(), 7u + 60u + 168u);
  const typStiffenerElement& e = Global().StiffenerElement;
  EXPECT_EQ(At<float>(s, 75), e.f_RatioOfSteel(1));
  EXPECT_EQ(At<double>(s, 125), e.f_Vu_y(1));
  EXPECT_EQ(At<double>(s, 209), e.f_Pu_tor(1));
  EXPECT_EQ(At<double>(s, 217), e.f_Tu_tor(1));
  EXPECT_EQ(At<int16_t>(s, 233), e.bt_DesignStatus_Shear(1));
}

TEST_F(ResultsFile, TwoBlocksReadBackEachFromItsOffsetLeavingTheInput) {
  const std::string path = Path("two.bin");
  int32_t first = 0, second = 0;
  HoldDesign(2, 3, 2);
  ASSERT_EQ(d_.SaveResults(path, first), 0);  // a missing file is created
  const Bytes block = Read(path);
  HoldDesign(1, 0, 0);
  ASSERT_EQ(d_.SaveResults(path, second), 0);
  EXPECT_EQ((std::vector<int32_t>{first, second}),
            (std::vector<int32_t>{1, 1 + 7 + 120 + 198 + 336}));

  ResetGlobalState();
  Global().i_NumLoadCombos = 4, Global().bt_units = 1;
  ASSERT_EQ(d_.ReadResults(path, second), 0);
  EXPECT_EQ(Global().i_NumNodes, 1);
  EXPECT_EQ(Global().i_NumPlateElements, 0);
  ASSERT_EQ(d_.ReadResults(path, first), 0);
  uint8_t done = 0;
  ASSERT_EQ(d_.DesignDone(done), 0);
  EXPECT_EQ(done, 1);
  EXPECT_EQ((std::vector<int>{Global().i_NumLoadCombos, Global().bt_units}),
            (std::vector<int>{4, 1}));
  EXPECT_EQ(Global().StiffenerElement.f_Vu_tor.Size(), 2);  // created, left zero
  EXPECT_EQ(Global().StiffenerElement.f_Vu_tor(2), 0.0);
  // Saved again, the restored design gives the same bytes.
  ASSERT_EQ(d_.SaveResults(Path("again.bin"), first), 0);
  EXPECT_EQ(Read(Path("again.bin")), block);
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ResultsFile, NoDesignIsOneZeroByteThatReadsBackAsNothing) {
  const std::string path = Path("empty.bin");
  Write(path, Bytes{9, 9});
  int32_t offset = 0;
  ASSERT_EQ(d_.SaveResults(path, offset), 0);
  EXPECT_EQ(offset, 3);
  EXPECT_EQ(Read(path), (Bytes{9, 9, 0}));
  for (int32_t at : {3, 4}) {  // the zero byte, and the position past the last byte
    HoldDesign(1, 0, 0);
    EXPECT_EQ(d_.ReadResults(path, at), 1);
    EXPECT_TRUE(ModelIsEmpty());
  }
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ResultsFile, EveryReadFailureShowsTheMessageAndResetsTheDesign) {
  HoldDesign(2, 1, 1);
  int32_t offset = 0;
  ASSERT_EQ(d_.SaveResults(Path("good.bin"), offset), 0);
  const Bytes block = Read(Path("good.bin"));
  Bytes flagTwo = block, noNodes = block, negativePlates = block;
  flagTwo[0] = 2;
  noNodes[1] = noNodes[2] = 0;
  negativePlates[3] = negativePlates[4] = 0xFF;
  const std::vector<std::pair<Bytes, int32_t>> cases = {
      {flagTwo, 1},
      {Bytes(block.begin(), block.end() - 1), 1},
      {Bytes(block.begin(), block.begin() + 4), 1},
      {noNodes, 1},
      {negativePlates, 1},
      {block, 0},
      {block, -3}};
  for (size_t k = 0; k <= cases.size() + 1; ++k) {
    std::string path = Path("bad.bin");
    if (k < cases.size()) Write(path, cases[k].first);
    if (k == cases.size()) path = Path("missing.bin");
    if (k > cases.size()) path = dir_.string();
    HoldDesign(1, 1, 1);
    boxes_.clear();
    EXPECT_EQ(d_.ReadResults(path, k < cases.size() ? cases[k].second : 1), 1) << k;
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kReadError}) << k;
    EXPECT_TRUE(ModelIsEmpty()) << k;
    if (k < cases.size()) {
      EXPECT_EQ(Read(path), cases[k].first) << k;  // reading never writes
    }
  }
}

TEST_F(ResultsFile, FailedSaves) {
  HoldDesign(2, 0, 0);
  for (const std::string& path : {dir_.string(), Path("no-such-folder/x.bin")}) {
    int32_t offset = 42;
    boxes_.clear();
    EXPECT_EQ(d_.SaveResults(path, offset), 1);
    EXPECT_EQ(offset, 42);  // the file never opened: no position to report
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kSaveError});
  }
  // With the file open: the block's position is marked as holding no design.
  const std::string path = Path("host.bin");
  Write(path, Bytes{10, 20, 30, 40, 50});
  Global().i_NumNodes = 3;  // changed after the design: no third node stored
  int32_t offset = 0;
  EXPECT_EQ(d_.SaveResults(path, offset), 1);
  EXPECT_EQ(offset, 6);
  EXPECT_EQ(boxes_.last(), kSaveError);
  EXPECT_EQ(Read(path), (Bytes{10, 20, 30, 40, 50, 0, 0, 0, 0}));
}

TEST_F(ResultsFile, SavesToAFullDeviceOrAReadOnlyFileFailAndChangeNothing) {
  HoldDesign(2, 1, 0);
  // A full device opens, but every write fails.
  int32_t offset = 42;
  EXPECT_EQ(d_.SaveResults("/dev/full", offset), 1);
  EXPECT_EQ(boxes_.last(), kSaveError);

  // A file the process cannot write: root writes through permission bits, so
  // it gets a file of a read-only file system instead.
  std::string path = "/proc/version";
  if (geteuid() != 0) {
    path = Path("read-only.bin");
    Write(path, Bytes{1, 2, 3});
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }
  const Bytes before = Read(path);
  boxes_.clear();
  offset = 42;
  EXPECT_EQ(d_.SaveResults(path, offset), 1);
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kSaveError});
  EXPECT_EQ(Read(path), before);
  EXPECT_EQ(Global().bt_DesignDoneFlag, 1);  // the design held is untouched
}

}  // namespace
}  // namespace ostrel::test
