// Golden results: a fixed set of wall models is designed through the C
// interface, on the host's thread alone and on 2 and 4 workers, with the
// searches on vector lanes and one at a time, and every result, bit for bit,
// is compared with tests/golden/data/golden_results.txt.
// That file is never regenerated: a result that changes is a fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "golden/GoldenModels.h"
#include "model/SearchLanes.h"

namespace ostrel::golden {
namespace {

class GoldenResults : public ::testing::TestWithParam<std::tuple<int32_t, SearchLanes>> {
 protected:
  void SetUp() override {
    OstrelDesignCSA94_SetWorkerThreads(std::get<0>(GetParam()));
    SetSearchLanes(std::get<1>(GetParam()));
  }
  void TearDown() override {
    OstrelDesignCSA94_SetWorkerThreads(1);
    SetSearchLanes(SearchLanes::kVector);
  }
};

INSTANTIATE_TEST_SUITE_P(
    WorkerThreads, GoldenResults,
    ::testing::Combine(::testing::Values(1, 2, 4),
                       ::testing::Values(SearchLanes::kVector, SearchLanes::kScalar)),
    [](const auto& info) {
      return std::to_string(std::get<0>(info.param)) +
             (std::get<1>(info.param) == SearchLanes::kVector ? "_lanes" : "_scalar");
    });

TEST_P(GoldenResults, EveryResultMatchesTheStoredBits) {
  StatusTally tally;
  std::vector<std::string> problems;
  std::string actual;
  for (const GoldenModel& model : BuildGoldenModels()) {
    actual += DesignAndSerialize(model, tally, problems);
  }
  EXPECT_EQ(problems, std::vector<std::string>{});
  // The models keep covering every status the design can report (only y
  // reports Pass_UseTies).
  EXPECT_EQ(tally[0], (std::set<int>{0, 2, 3, 4, 5, 6}));
  EXPECT_EQ(tally[1], (std::set<int>{0, 1, 2, 3, 5}));
  EXPECT_EQ(tally[2], (std::set<int>{0, 3, 5, 6}));
  EXPECT_EQ(tally[3], (std::set<int>{0, 5, 7, 8}));

  const auto file = std::filesystem::path(__FILE__).parent_path() / "data" / "golden_results.txt";
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in.good()) << "missing " << file;
  std::istringstream got(actual);
  std::string want, line;
  for (int n = 1; std::getline(in, want); ++n) {
    const bool more = static_cast<bool>(std::getline(got, line));
    ASSERT_TRUE(more && line == want) << "line " << n << " of " << file << "\n  expected: "
                                      << want << "\n  actual:   " << (more ? line : "<end>");
  }
  EXPECT_FALSE(std::getline(got, line)) << "more lines than " << file << ": " << line;
}

}  // namespace
}  // namespace ostrel::golden
