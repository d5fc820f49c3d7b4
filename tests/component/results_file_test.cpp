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

const std::vector<std::string> kReadError{"clsWallAnalysis::ReadResultFile: Unexpected error"};
const std::vector<std::string> kSaveError{"clsWallAnalysis::SaveResultFile: Unexpected error"};

template <class T>
T At(const Bytes& b, size_t pos) {  // the little-endian value at a 0-based position
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
  // Saves to `path`, expecting `result`; returns the offset (42 if none).
  int32_t Save(const std::string& path, uint8_t result = 0) {
    int32_t offset = 42;
    boxes_.clear();
    EXPECT_EQ(d_.SaveResults(path, offset), result) << path;
    EXPECT_EQ(boxes_.texts(), result == 0 ? std::vector<std::string>{} : kSaveError) << path;
    return offset;
  }
  static bool ModelIsEmpty() {
    const modGlobal& g = Global();
    return g.bt_DesignDoneFlag == 0 &&
           g.i_NumNodes + g.i_NumPlateElements + g.i_NumStiffenerElements == 0 &&
           !g.Node.f_Dx_Positive.Allocated();
  }
  const fs::path dir_ = fs::temp_directory_path() / ("ostrel-results-" + std::to_string(getpid()));
  clsDesignCSA94 d_;
  MessageCapture boxes_;
};

// The block goes after what the file holds; its head is the done flag and
// the three counts. (The fields behind it, in order and width, are pinned by
// the golden results, which hash every field of every saved block.)
TEST_F(ResultsFile, BlockAppendedAtTheEndWithItsHead) {
  HoldDesign(3, 2, 0);
  const std::string path = Path("a.bin");
  Write(path, Bytes{0xAA, 0xBB, 0xCC});
  EXPECT_EQ(Save(path), 4);
  const Bytes all = Read(path);
  ASSERT_EQ(all.size(), 3u + 7 + 60 * 3 + 66 * 2);
  EXPECT_EQ((std::vector<int>{all[0], all[3], At<int16_t>(all, 4), At<int16_t>(all, 6),
                              At<int16_t>(all, 8)}),
            (std::vector<int>{0xAA, 1, 3, 2, 0}));
}

TEST_F(ResultsFile, TwoBlocksReadBackEachFromItsOffsetLeavingTheInput) {
  const std::string path = Path("two.bin");
  HoldDesign(2, 3, 2);
  const int32_t first = Save(path);  // a missing file is created
  const Bytes block = Read(path);
  HoldDesign(1, 0, 0);
  const int32_t second = Save(path);
  EXPECT_EQ((std::vector<int32_t>{first, second}),
            (std::vector<int32_t>{1, 1 + 7 + 120 + 198 + 336}));
  ResetGlobalState();
  Global().i_NumLoadCombos = 4, Global().bt_units = 1;
  ASSERT_EQ(d_.ReadResults(path, second), 0);
  EXPECT_EQ(Global().i_NumNodes * 10 + Global().i_NumPlateElements, 10);
  ASSERT_EQ(d_.ReadResults(path, first), 0);
  uint8_t done = 0;
  ASSERT_EQ(d_.DesignDone(done), 0);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(Global().i_NumLoadCombos * 10 + Global().bt_units, 41);  // input untouched
  EXPECT_EQ(Global().StiffenerElement.f_Vu_tor.Size(), 2);          // created, left zero
  EXPECT_EQ(Global().StiffenerElement.f_Vu_tor(2), 0.0);
  Save(Path("again.bin"));  // the restored design saves to the same bytes
  EXPECT_EQ(Read(Path("again.bin")), block);
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ResultsFile, NoDesignIsOneZeroByteThatReadsBackAsNothing) {
  const std::string path = Path("empty.bin");
  Write(path, Bytes{9, 9});
  EXPECT_EQ(Save(path), 3);
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
  Save(Path("good.bin"));
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
    std::string path = k < cases.size()    ? Path("bad.bin")
                       : k == cases.size() ? Path("missing.bin")
                                           : dir_.string();
    if (k < cases.size()) Write(path, cases[k].first);
    HoldDesign(1, 1, 1);
    boxes_.clear();
    EXPECT_EQ(d_.ReadResults(path, k < cases.size() ? cases[k].second : 1), 1) << k;
    EXPECT_EQ(boxes_.texts(), kReadError) << k;
    EXPECT_TRUE(ModelIsEmpty()) << k;
    if (k < cases.size()) {
      EXPECT_EQ(Read(path), cases[k].first) << k;  // reading never writes
    }
  }
}

TEST_F(ResultsFile, FailedSavesChangeNothingOrMarkTheBlockAsHoldingNoDesign) {
  HoldDesign(2, 1, 0);
  // A folder and a missing folder never open: no position to report. A full
  // device opens, but every write fails.
  EXPECT_EQ(Save(dir_.string(), 1) + Save(Path("no-such-folder/x.bin"), 1), 84);
  Save("/dev/full", 1);
  // A file the process cannot write: root writes through permission bits, so
  // it gets a file of a read-only file system instead.
  std::string path = "/proc/version";
  if (geteuid() != 0) {
    path = Path("read-only.bin");
    Write(path, Bytes{1, 2, 3});
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }
  const Bytes before = Read(path);
  Save(path, 1);
  EXPECT_EQ(Read(path), before);
  EXPECT_EQ(Global().bt_DesignDoneFlag, 1);  // the design held is untouched
  // With the file open: the block's position is marked as holding no design.
  path = Path("host.bin");
  Write(path, Bytes{10, 20, 30, 40, 50});
  Global().i_NumNodes = 3;  // changed after the design: no third node stored
  EXPECT_EQ(Save(path, 1), 6);
  EXPECT_EQ(Read(path), (Bytes{10, 20, 30, 40, 50, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace ostrel::test
