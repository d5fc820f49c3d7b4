// The design-results block in a host file: its exact layout, appending at
// the end, reading back from the returned position, and every failure path
// (with what the model and the host's file look like afterwards).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "OstrelDesignCSA94.hpp"
#include "component/modGlobal.h"
#include "support/MessageCapture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const char* const kReadError = "clsWallAnalysis::ReadResultFile: Unexpected error";
const char* const kSaveError = "clsWallAnalysis::SaveResultFile: Unexpected error";

// Fills every listed field for 1..n with distinct values (base + entry).
template <class T, class... F>
void Fill(int n, double& base, F*... fields) {
  (
      [&](F* f) {
        f->Create(n);
        for (int i = 1; i <= n; ++i) (*f)(i) = static_cast<T>(base + i);
        base += 10;
      }(fields),
      ...);
}

class ResultsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetGlobalState();
    dir_ = fs::temp_directory_path() /
           ("ostrel-results-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    ResetGlobalState();
    std::error_code ec;
    fs::permissions(dir_ / "ro.bin", fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }

  std::string Path(const char* name) const { return (dir_ / name).string(); }

  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // A held design of nN nodes, nP plates and nS stiffeners, every value distinct.
  static void HoldDesign(int nN, int nP, int nS) {
    modGlobal& g = Global();
    g.i_NumNodes = static_cast<int16_t>(nN);
    g.i_NumPlateElements = static_cast<int16_t>(nP);
    g.i_NumStiffenerElements = static_cast<int16_t>(nS);
    g.bt_DesignDoneFlag = 1;
    double base = 0.25;
    typNode& n = g.Node;
    Fill<double>(nN, base, &n.f_Dx_Negative, &n.f_Dx_Positive, &n.f_Dy_Negative,
                 &n.f_Dy_Positive, &n.f_Dz_Negative, &n.f_Dz_Positive);
    Fill<int16_t>(nN, base, &n.i_Dx_Neg_combo, &n.i_Dx_Pos_combo, &n.i_Dy_Neg_combo,
                  &n.i_Dy_Pos_combo, &n.i_Dz_Neg_combo, &n.i_Dz_Pos_combo);
    typPlateElement& p = g.PlateElement;
    Fill<int16_t>(nP, base, &p.bt_NumCurtains, &p.i_DesignComboIndex_x, &p.bt_DsignStatus_x,
                  &p.i_DesignComboIndex_y, &p.bt_DsignStatus_y);
    Fill<double>(nP, base, &p.f_AreaOfSteel_x, &p.f_Mu_x, &p.f_Pu_x, &p.f_AreaOfSteel_y,
                 &p.f_Mu_y, &p.f_Pu_y);
    Fill<float>(nP, base, &p.f_RatioOfSteel_x, &p.f_RatioOfSteel_y);
    typStiffenerElement& s = g.StiffenerElement;
    Fill<double>(nS, base, &s.f_As, &s.f_Muy, &s.f_Muz, &s.f_Pu_flex, &s.f_AvOverS_y, &s.f_Pu_y,
                 &s.f_Tu_y, &s.f_Vu_y, &s.f_Spacing_y, &s.f_AvOverS_z, &s.f_Pu_z, &s.f_Tu_z,
                 &s.f_Vu_z, &s.f_Spacing_z, &s.f_AtOverS, &s.f_Al, &s.f_Pu_tor, &s.f_Tu_tor,
                 &s.f_Vu_tor, &s.f_Spacing_tor);
    Fill<float>(nS, base, &s.f_RatioOfSteel);
    Fill<int16_t>(nS, base, &s.i_DesignComboIndex_flex, &s.bt_DesignStatus_flex,
                  &s.i_DesignComboIndex_y, &s.i_DesignComboIndex_z, &s.i_DesignComboIndex_tor,
                  &s.bt_DesignStatus_Shear);
    // Statuses within enum_DESIGN_STATUS, so the queries can report them.
    for (int i = 1; i <= nS; ++i) {
      s.bt_DesignStatus_flex(i) = static_cast<int16_t>(i % 9);
      s.bt_DesignStatus_Shear(i) = static_cast<int16_t>((i + 4) % 9);
    }
  }

  static bool ModelIsEmpty() {
    const modGlobal& g = Global();
    return g.bt_DesignDoneFlag == 0 && g.i_NumNodes == 0 && g.i_NumPlateElements == 0 &&
           g.i_NumStiffenerElements == 0 && !g.Node.f_Dx_Positive.Allocated();
  }

  fs::path dir_;
  clsDesignCSA94 d_;
  test::MessageCapture boxes_;
};

double F64At(const Bytes& b, size_t pos) {
  uint64_t bits = 0;
  for (size_t k = 8; k-- > 0;) bits = (bits << 8) | b.at(pos + k);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

int16_t I16At(const Bytes& b, size_t pos) {
  return static_cast<int16_t>(b.at(pos) | (b.at(pos + 1) << 8));
}

TEST_F(ResultsFile, BlockLayoutIsLittleEndianInFieldOrder) {
  HoldDesign(3, 2, 0);
  const std::string path = Path("a.bin");
  Write(path, Bytes{0xAA, 0xBB, 0xCC});
  int32_t offset = -5;
  ASSERT_EQ(d_.SaveResults(path, offset), 0);
  EXPECT_EQ(offset, 4);
  const Bytes all = Read(path);
  ASSERT_EQ(all.size(), 3u + 319u);  // 7 + 60*3 + 66*2
  EXPECT_EQ((Bytes{all[0], all[1], all[2]}), (Bytes{0xAA, 0xBB, 0xCC}));
  const size_t b = 3;  // the block's first byte, 0-based
  EXPECT_EQ(all[b], 1);
  EXPECT_EQ(I16At(all, b + 1), 3);
  EXPECT_EQ(I16At(all, b + 3), 2);
  EXPECT_EQ(I16At(all, b + 5), 0);
  // f_Dx_Negative of nodes 1..3, then f_Dx_Positive of node 1.
  EXPECT_EQ(F64At(all, b + 7), 1.25);
  EXPECT_EQ(F64At(all, b + 7 + 16), 3.25);
  EXPECT_EQ(F64At(all, b + 7 + 24), 11.25);
  // After the six float64 fields: i_Dx_Neg_combo of node 1.
  EXPECT_EQ(I16At(all, b + 7 + 144), 61);
  // Plate part: bt_NumCurtains of elements 1 and 2, then f_AreaOfSteel_x.
  const size_t plates = b + 7 + 180;
  EXPECT_EQ(I16At(all, plates), 121);
  EXPECT_EQ(I16At(all, plates + 2), 122);
  EXPECT_EQ(F64At(all, plates + 4), Global().PlateElement.f_AreaOfSteel_x(1));
  float ratio;
  std::memcpy(&ratio, &all[plates + 4 + 16], 4);
  EXPECT_EQ(ratio, Global().PlateElement.f_RatioOfSteel_x(1));
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ResultsFile, PlateAndStiffenerFieldsSitAtTheirBlockPositions) {
  // One node, one plate: the plate part starts at byte 67 of the block.
  HoldDesign(1, 1, 0);
  const std::string platePath = Path("plate.bin");
  int32_t offset = 0;
  ASSERT_EQ(d_.SaveResults(platePath, offset), 0);
  const Bytes p = Read(platePath);
  ASSERT_EQ(p.size(), 133u);
  const typPlateElement& pe = Global().PlateElement;
  EXPECT_EQ(I16At(p, 67), pe.bt_NumCurtains(1));
  EXPECT_EQ(I16At(p, 81), pe.i_DesignComboIndex_x(1));
  EXPECT_EQ(F64At(p, 83), pe.f_Mu_x(1));
  EXPECT_EQ(F64At(p, 91), pe.f_Pu_x(1));
  EXPECT_EQ(I16At(p, 99), pe.bt_DsignStatus_x(1));
  EXPECT_EQ(F64At(p, 101), pe.f_AreaOfSteel_y(1));
  EXPECT_EQ(I16At(p, 113), pe.i_DesignComboIndex_y(1));
  EXPECT_EQ(F64At(p, 123), pe.f_Pu_y(1));
  EXPECT_EQ(I16At(p, 131), pe.bt_DsignStatus_y(1));

  // One node, one stiffener: the stiffener part starts at byte 67.
  ResetGlobalState();
  HoldDesign(1, 0, 1);
  const std::string stiffPath = Path("stiffener.bin");
  ASSERT_EQ(d_.SaveResults(stiffPath, offset), 0);
  const Bytes s = Read(stiffPath);
  ASSERT_EQ(s.size(), 235u);
  const typStiffenerElement& se = Global().StiffenerElement;
  EXPECT_EQ(F64At(s, 67), se.f_As(1));
  EXPECT_EQ(I16At(s, 79), se.i_DesignComboIndex_flex(1));
  EXPECT_EQ(F64At(s, 97), se.f_Pu_flex(1));
  EXPECT_EQ(I16At(s, 105), se.bt_DesignStatus_flex(1));
  EXPECT_EQ(I16At(s, 115), se.i_DesignComboIndex_y(1));
  EXPECT_EQ(F64At(s, 117), se.f_Pu_y(1));
  EXPECT_EQ(F64At(s, 125), se.f_Vu_y(1));  // shear before torsion in the block
  EXPECT_EQ(F64At(s, 133), se.f_Tu_y(1));
  EXPECT_EQ(F64At(s, 167), se.f_Vu_z(1));
  EXPECT_EQ(F64At(s, 175), se.f_Tu_z(1));
  EXPECT_EQ(F64At(s, 191), se.f_AtOverS(1));
  EXPECT_EQ(I16At(s, 207), se.i_DesignComboIndex_tor(1));
  EXPECT_EQ(F64At(s, 209), se.f_Pu_tor(1));  // no f_Vu_tor in the block
  EXPECT_EQ(F64At(s, 217), se.f_Tu_tor(1));
  EXPECT_EQ(F64At(s, 225), se.f_Spacing_tor(1));
  EXPECT_EQ(I16At(s, 233), se.bt_DesignStatus_Shear(1));
}

TEST_F(ResultsFile, WrittenReadBackAndWrittenAgainByteForByte) {
  HoldDesign(2, 3, 2);
  const std::string first = Path("first.bin");
  const std::string second = Path("second.bin");
  int32_t offset = 0;
  ASSERT_EQ(d_.SaveResults(first, offset), 0);
  EXPECT_EQ(offset, 1);  // a missing file is created
  const Bytes block = Read(first);
  EXPECT_EQ(block.size(), 7u + 120u + 198u + 336u);

  // Restored into a model holding other input, which stays.
  ResetGlobalState();
  Global().i_NumLoadCombos = 4;
  Global().bt_units = 1;
  Global().PlateElement.f_Thickness.Create(1);
  Global().PlateElement.f_Thickness(1) = 123.0f;
  ASSERT_EQ(d_.ReadResults(first, 1), 0);
  uint8_t done = 0;
  ASSERT_EQ(d_.DesignDone(done), 0);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(Global().i_NumLoadCombos, 4);
  EXPECT_EQ(Global().bt_units, 1);
  EXPECT_EQ(Global().PlateElement.f_Thickness(1), 123.0f);
  EXPECT_EQ(Global().StiffenerElement.f_Vu_tor.Size(), 2);
  EXPECT_EQ(Global().StiffenerElement.f_Vu_tor(2), 0.0);

  Write(second, Bytes(10, 0x55));
  ASSERT_EQ(d_.SaveResults(second, offset), 0);
  EXPECT_EQ(offset, 11);
  const Bytes again = Read(second);
  EXPECT_EQ(Bytes(again.begin() + 10, again.end()), block);

  // The queries answer from the restored design.
  uint8_t curtains = 0, sx = 0, sy = 0;
  float f[8];
  int16_t cx = 0, cy = 0;
  ASSERT_EQ(d_.Get_Envelope_PlateFlexureRFT(3, curtains, f[0], f[1], f[2], f[3], cx, sx, f[4],
                                            f[5], f[6], f[7], cy, sy),
            0);
  EXPECT_EQ(curtains, 123);
  uint8_t dir = 0, status = 0;
  ASSERT_EQ(d_.Get_Envelope_StiffernerTorsionRFT(1, f[0], f[1], cx, f[2], f[3], f[4], f[5], dir,
                                                 status),
            0);
  EXPECT_EQ(f[3], 0.0f);
  EXPECT_EQ(dir, 2);
  EXPECT_EQ(status, 5);
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ResultsFile, NoDesignIsOneZeroByteThatReadsBackAsNothing) {
  const std::string path = Path("empty.bin");
  Write(path, Bytes{9, 9});
  int32_t offset = 0;
  ASSERT_EQ(d_.SaveResults(path, offset), 0);
  EXPECT_EQ(offset, 3);
  EXPECT_EQ(Read(path), (Bytes{9, 9, 0}));

  HoldDesign(1, 0, 0);
  EXPECT_EQ(d_.ReadResults(path, 3), 1);
  EXPECT_TRUE(ModelIsEmpty());
  // The position just past the last byte reads as no design, too.
  HoldDesign(1, 0, 0);
  EXPECT_EQ(d_.ReadResults(path, 4), 1);
  EXPECT_TRUE(ModelIsEmpty());
  EXPECT_EQ(boxes_.count(), 0u);
}

TEST_F(ResultsFile, TwoBlocksInOneFileEachReadFromItsOwnOffset) {
  const std::string path = Path("two.bin");
  int32_t firstOffset = 0, secondOffset = 0;
  HoldDesign(1, 0, 0);
  Global().Node.f_Dx_Positive(1) = 7.5;
  ASSERT_EQ(d_.SaveResults(path, firstOffset), 0);
  HoldDesign(2, 0, 1);
  Global().Node.f_Dx_Positive(1) = 8.5;
  ASSERT_EQ(d_.SaveResults(path, secondOffset), 0);
  EXPECT_EQ(firstOffset, 1);
  EXPECT_EQ(secondOffset, 1 + 67);

  ASSERT_EQ(d_.ReadResults(path, firstOffset), 0);
  EXPECT_EQ(Global().i_NumNodes, 1);
  EXPECT_EQ(Global().i_NumStiffenerElements, 0);
  EXPECT_EQ(Global().Node.f_Dx_Positive(1), 7.5);
  ASSERT_EQ(d_.ReadResults(path, secondOffset), 0);
  EXPECT_EQ(Global().i_NumNodes, 2);
  EXPECT_EQ(Global().i_NumStiffenerElements, 1);
  EXPECT_EQ(Global().Node.f_Dx_Positive(1), 8.5);
}

TEST_F(ResultsFile, EveryReadFailureShowsTheMessageAndResetsTheDesign) {
  HoldDesign(2, 1, 1);
  const std::string good = Path("good.bin");
  int32_t offset = 0;
  ASSERT_EQ(d_.SaveResults(good, offset), 0);
  const Bytes block = Read(good);

  struct Case {
    const char* name;
    Bytes bytes;
    int32_t offset;
  };
  Bytes flagTwo = block;
  flagTwo[0] = 2;
  Bytes noNodes = block;
  noNodes[1] = 0;
  noNodes[2] = 0;
  Bytes negativePlates = block;
  negativePlates[3] = 0xFF;
  negativePlates[4] = 0xFF;
  const std::vector<Case> cases = {
      {"first byte 2", flagTwo, 1},
      {"short by one byte", Bytes(block.begin(), block.end() - 1), 1},
      {"counts cut off", Bytes(block.begin(), block.begin() + 4), 1},
      {"node count 0", noNodes, 1},
      {"negative plate count", negativePlates, 1},
      {"offset 0", block, 0},
      {"negative offset", block, -3},
  };
  for (const Case& c : cases) {
    const std::string path = Path("bad.bin");
    Write(path, c.bytes);
    HoldDesign(1, 1, 1);
    boxes_.clear();
    EXPECT_EQ(d_.ReadResults(path, c.offset), 1) << c.name;
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kReadError}) << c.name;
    EXPECT_TRUE(ModelIsEmpty()) << c.name;
    EXPECT_EQ(Read(path), c.bytes) << c.name;  // reading never writes
  }

  for (const std::string& path : {Path("missing.bin"), dir_.string()}) {
    HoldDesign(1, 0, 0);
    boxes_.clear();
    EXPECT_EQ(d_.ReadResults(path, 1), 1) << path;
    EXPECT_EQ(boxes_.last(), kReadError);
    EXPECT_TRUE(ModelIsEmpty());
  }
}

TEST_F(ResultsFile, SaveThatCannotOpenTheFileLeavesTheOffsetAlone) {
  HoldDesign(1, 0, 0);
  for (const std::string& path : {dir_.string(), Path("no-such-folder/x.bin")}) {
    int32_t offset = 42;
    boxes_.clear();
    EXPECT_EQ(d_.SaveResults(path, offset), 1) << path;
    EXPECT_EQ(offset, 42);
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kSaveError});
  }
  EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
}

TEST_F(ResultsFile, SaveToAReadOnlyFileFailsAndKeepsIt) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "file permissions do not bind the super-user";
  }
  const std::string path = Path("ro.bin");
  Write(path, Bytes{1, 2, 3});
  fs::permissions(path, fs::perms::owner_read);
  HoldDesign(1, 0, 0);
  int32_t offset = 42;
  EXPECT_EQ(d_.SaveResults(path, offset), 1);
  EXPECT_EQ(offset, 42);
  EXPECT_EQ(boxes_.last(), kSaveError);
  EXPECT_EQ(Read(path), (Bytes{1, 2, 3}));
}

TEST_F(ResultsFile, FailedSaveWithTheFileOpenMarksTheBlockAsEmpty) {
  const std::string path = Path("host.bin");
  const Bytes host = {10, 20, 30, 40, 50};
  Write(path, host);
  HoldDesign(2, 0, 0);
  Global().i_NumNodes = 3;  // a count changed after the design: no third node stored
  int32_t offset = 0;
  EXPECT_EQ(d_.SaveResults(path, offset), 1);
  EXPECT_EQ(offset, 6);
  EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kSaveError});
  EXPECT_EQ(Read(path), (Bytes{10, 20, 30, 40, 50, 0, 0, 0, 0}));
  // The marked position reads back as no design.
  boxes_.clear();
  EXPECT_EQ(d_.ReadResults(path, offset), 1);
  EXPECT_EQ(boxes_.count(), 0u);

  // A device that accepts no data: opened, but nothing can be written.
  if (fs::exists("/dev/full")) {
    HoldDesign(1, 0, 0);
    boxes_.clear();
    offset = 0;
    EXPECT_EQ(d_.SaveResults("/dev/full", offset), 1);
    EXPECT_EQ(offset, 1);
    EXPECT_EQ(boxes_.last(), kSaveError);
  }
}

}  // namespace
}  // namespace ostrel
