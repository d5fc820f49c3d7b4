// Golden results: a fixed set of wall models is designed through the C
// interface and every result, bit for bit, is compared with the stored text
// tests/golden/data/golden_results.txt. Any change to a result, however
// small, fails here and names the first differing line.
//
// To accept new results (after an intended change of the design), run
//   OSTREL_GOLDEN_UPDATE=1 ./tests_golden
// which rewrites the data file instead of comparing. OSTREL_GOLDEN_DATA may
// name another directory for the data file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "OstrelDesignCSA94.h"
#include "golden/GoldenModels.h"

namespace ostrel::golden {
namespace {

std::filesystem::path DataFile() {
  if (const char* dir = std::getenv("OSTREL_GOLDEN_DATA"); dir != nullptr && *dir != '\0') {
    return std::filesystem::path(dir) / "golden_results.txt";
  }
  return std::filesystem::path(__FILE__).parent_path() / "data" / "golden_results.txt";
}

bool UpdateRequested() {
  const char* v = std::getenv("OSTREL_GOLDEN_UPDATE");
  return v != nullptr && std::string(v) == "1";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "" when equal, else a description of the first differing line.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> e = SplitLines(expected), a = SplitLines(actual);
  for (size_t i = 0; i < e.size() || i < a.size(); ++i) {
    const std::string* le = i < e.size() ? &e[i] : nullptr;
    const std::string* la = i < a.size() ? &a[i] : nullptr;
    if (le && la && *le == *la) continue;
    return "line " + std::to_string(i + 1) + "\n  expected: " + (le ? *le : "<end of file>") +
           "\n  actual:   " + (la ? *la : "<end of output>");
  }
  return "";
}

// The same stored bits whether the elements are designed on the host's
// thread alone or on 2 or 4 worker threads.
class GoldenResults : public ::testing::TestWithParam<int32_t> {
 protected:
  void SetUp() override { OstrelDesignCSA94_SetWorkerThreads(GetParam()); }
  void TearDown() override { OstrelDesignCSA94_SetWorkerThreads(1); }
};

INSTANTIATE_TEST_SUITE_P(WorkerThreads, GoldenResults, ::testing::Values(1, 2, 4),
                         [](const auto& info) { return std::to_string(info.param); });

TEST_P(GoldenResults, EveryResultMatchesTheStoredBits) {
  ASSERT_EQ(OstrelDesignCSA94_GetWorkerThreads(), GetParam());
  StatusTally tally;
  std::vector<std::string> problems;
  std::string actual;
  for (const GoldenModel& model : BuildGoldenModels()) {
    actual += DesignAndSerialize(model, tally, problems);
  }
  for (const std::string& p : problems) ADD_FAILURE() << p;
  ASSERT_TRUE(problems.empty());

  // The models must keep covering every outcome the design can report.
  const std::set<int> plate{0, 1, 2, 3, 4, 5, 6};
  std::set<int> plateAll = tally.plateX;
  plateAll.insert(tally.plateY.begin(), tally.plateY.end());
  EXPECT_EQ(plateAll, plate);
  EXPECT_EQ(tally.plateY.count(1), 1u) << "Pass_UseTies";
  EXPECT_EQ(tally.plateX.count(1), 0u) << "x never reports Pass_UseTies";
  EXPECT_EQ(tally.stiffenerFlexure, (std::set<int>{0, 3, 5, 6}));
  EXPECT_EQ(tally.stiffenerShear, (std::set<int>{0, 5, 7, 8}));

  const std::filesystem::path file = DataFile();
  if (UpdateRequested()) {
    if (GetParam() != 1) return;  // written from the one-thread run only
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << actual;
    ASSERT_TRUE(out.good()) << "cannot write " << file;
    std::cout << "golden results written to " << file << "\n";
    return;
  }
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in.good()) << "missing " << file << " (run with OSTREL_GOLDEN_UPDATE=1 to create it)";
  std::stringstream expected;
  expected << in.rdbuf();
  const std::string diff = FirstDifference(expected.str(), actual);
  EXPECT_TRUE(diff.empty()) << "results differ from " << file << " at " << diff;
}

// The comparison itself: equal texts pass, and a change in any line, a
// missing line or an extra line is located.
TEST(GoldenComparison, FirstDifferenceLocatesTheLine) {
  EXPECT_EQ(FirstDifference("a\nb\n", "a\nb\n"), "");
  EXPECT_NE(FirstDifference("a\nb\n", "a\nc\n").find("line 2"), std::string::npos);
  EXPECT_NE(FirstDifference("a\nb\n", "a\n").find("<end of output>"), std::string::npos);
  EXPECT_NE(FirstDifference("a\n", "a\nb\n").find("<end of file>"), std::string::npos);
}

}  // namespace
}  // namespace ostrel::golden
