// Malformed jobs, unusable results files and usage errors: exit status 2, one
// line naming the file, the key path and the fault, and no output written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "CliProcess.h"
#include "Job.h"

using clitest::Exists;
using clitest::Lines;
using clitest::MakeTempDir;
using clitest::RunCli;
using clitest::SmallJob;
using clitest::WriteFile;
using nlohmann::json;

namespace {

class CliInputErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir();
    job_path_ = dir_ + "/job.json";
    out_ = dir_ + "/results.json";
    csv_ = dir_ + "/csv";
    store_ = dir_ + "/store.bin";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs the job text with every output requested and checks the common
  // rules of a refused input: exit 2, one line, nothing written.
  std::string RefusedLine(const std::string& job_text) {
    WriteFile(job_path_, job_text);
    const auto run = RunCli(
        {"run", job_path_, "--no-progress", "-o", out_, "--csv", csv_, "--save-results", store_});
    EXPECT_EQ(run.exit_code, 2) << run.err;
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(Exists(out_));
    EXPECT_FALSE(Exists(csv_));
    EXPECT_FALSE(Exists(store_));
    return run.err;
  }

  std::string dir_, job_path_, out_, csv_, store_;
};

TEST_F(CliInputErrorTest, EachMalformedJobNamesItsKeyPathAndFault) {
  struct Case {
    std::function<void(json&)> spoil;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {[](json& j) { j["plates"][0]["f_fc"] = "30"; },
       "plates[0].f_fc: expected a number, got string"},
      {[](json& j) { j["plates"][0].erase("bt_NumCurtains"); },
       "plates[0].bt_NumCurtains: missing key"},
      {[](json& j) { j["plates"][0]["bt_NumCurtains"] = 2.5; },
       "plates[0].bt_NumCurtains: expected a whole number, got 2.5"},
      {[](json& j) { j["stiffeners"][0]["f_Cover_Y"] = true; },
       "stiffeners[0].f_Cover_Y: expected a number, got boolean"},
      {[](json& j) { j["stiffeners"][0]["f_fC"] = 30; }, "stiffeners[0].f_fC: unknown key"},
      {[](json& j) { j["bt_units"] = 256; }, "bt_units: 256 is outside 0 to 255"},
      {[](json& j) { j["plates"][0]["f_Thickness"] = 1e39; },
       "plates[0].f_Thickness: 1e+39 is beyond the range of a 32-bit float"},
      {[](json& j) { j.erase("combinations"); }, "combinations: missing key"},
      {[](json& j) { j["stiffeners"] = json::object(); },
       "stiffeners: expected an array, got object"},
      {[](json& j) { j["analysis"]["displacements"].erase(1); },
       "analysis.displacements: has 1 entries, expected 2 (one per node, l_NumNodes)"},
      {[](json& j) { j["l_NumNodes"] = 3; },
       "analysis.displacements: has 2 entries, expected 3 (one per node, l_NumNodes)"},
      {[](json& j) { j["analysis"]["plate_forces"][0][1].erase(5); },
       "analysis.plate_forces[0][1]: has 5 entries, expected 6 (values of one combination)"},
      {[](json& j) { j["combinations"].push_back(1); },
       "analysis.displacements[0]: has 3 entries, expected 4 (one per load combination)"},
      {[](json& j) { j["analysis"]["stiffener_forces"][0][2][11] = nullptr; },
       "analysis.stiffener_forces[0][2][11]: expected a number, got null"},
      {[](json& j) { j["analysis"]["stiffener_forces"] = json::array(); },
       "analysis.stiffener_forces: has 0 entries, expected 1 (one per stiffener element)"},
      {[](json& j) { j["analysis"].erase("available"); }, "analysis.available: missing key"},
  };
  for (const Case& c : cases) {
    json job = SmallJob();
    c.spoil(job);
    const std::string line = RefusedLine(job.dump());
    EXPECT_EQ(line, "ostrel-design: " + job_path_ + ": " + c.expected + "\n");
  }

  // Comment keys are allowed anywhere in an object.
  json commented = SmallJob();
  commented["_description"] = "a test wall";
  commented["plates"][0]["_note"] = "panel A";
  WriteFile(job_path_, commented.dump());
  EXPECT_EQ(RunCli({"run", job_path_, "--no-progress", "-o", out_}).exit_code, 0);
}

TEST(CliJob, AValueThatRoundsToAFinite32BitFloatIsOne) {
  json job = SmallJob();
  job["plates"][0]["f_Es"] = 3.40282347e38;  // FLT_MAX as "%.9g" writes it
  EXPECT_EQ(ostrel::cli::ParseJob(job.dump()).plates[0].f_Es, 3.40282347e38f);
  job["plates"][0]["f_Es"] = 3.4028236e38;  // rounds to infinity
  EXPECT_THROW(ostrel::cli::ParseJob(job.dump()), ostrel::cli::InputError);
}

TEST_F(CliInputErrorTest, UnreadableOrInvalidFilesAreRefused) {
  const std::string not_json = RefusedLine("{\"bt_units\": 1,");
  EXPECT_NE(not_json.find(job_path_ + ": not valid JSON: parse error at line 1"), std::string::npos)
      << not_json;
  EXPECT_EQ(RefusedLine("[1, 2]"),
            "ostrel-design: " + job_path_ + ": (top level): expected an object, got array\n");

  const auto missing = RunCli({"run", dir_ + "/none.json", "-o", out_});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_EQ(missing.err, "ostrel-design: " + dir_ + "/none.json: cannot be read\n");

  // An output folder that does not exist is found before anything runs.
  WriteFile(job_path_, SmallJob().dump());
  const auto no_folder = RunCli({"run", job_path_, "--csv", csv_, "-o", dir_ + "/no/r.json"});
  EXPECT_EQ(no_folder.exit_code, 2);
  EXPECT_NE(no_folder.err.find("does not exist"), std::string::npos) << no_folder.err;
  EXPECT_FALSE(Exists(csv_));
}

TEST_F(CliInputErrorTest, StoredResultsThatCannotBeShownAreRefused) {
  WriteFile(store_, std::string("\x01\x02\x00\x01\x00\x00\x00", 7) + "short");
  auto run = RunCli({"show", store_, "--offset", "1", "-o", out_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("is cut short"), std::string::npos) << run.err;

  WriteFile(store_, std::string("\x02\x01\x00", 3));
  run = RunCli({"show", store_, "--offset", "1", "-o", out_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("no design-results block at offset 1"), std::string::npos) << run.err;

  run = RunCli({"show", store_, "--offset", "4", "-o", out_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("offset 4 is not within the file (3 bytes)"), std::string::npos);

  // A block saved without a design is valid but holds nothing to show.
  WriteFile(store_, std::string(1, '\0'));
  run = RunCli({"show", store_, "--offset", "1", "-o", out_});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(Exists(out_));
}

TEST_F(CliInputErrorTest, UsageErrorsExitTwo) {
  WriteFile(job_path_, SmallJob().dump());
  EXPECT_EQ(RunCli({}).exit_code, 2);
  EXPECT_EQ(RunCli({"design", job_path_}).exit_code, 2);
  EXPECT_EQ(RunCli({"run"}).exit_code, 2);
  EXPECT_EQ(RunCli({"run", job_path_, "--bogus"}).exit_code, 2);
  EXPECT_EQ(RunCli({"run", job_path_, "--threads", "-1"}).exit_code, 2);
  EXPECT_EQ(RunCli({"run", job_path_, "--threads", "65"}).exit_code, 2);
  EXPECT_EQ(RunCli({"run", job_path_, "--threads", "two"}).exit_code, 2);
  EXPECT_EQ(RunCli({"show", store_}).exit_code, 2);
  EXPECT_EQ(RunCli({"show", store_, "--offset", "x"}).exit_code, 2);
  EXPECT_EQ(RunCli({"show", store_, "--offset", "1", "--units", "metric"}).exit_code, 2);
  const auto help = RunCli({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("run"), std::string::npos);
}

}  // namespace
