// Jobs the reader refuses, unusable results files and usage errors: exit
// status 2, one line naming the file, the key path and the fault, and no
// output written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "CliProcess.h"
#include "Job.h"

using namespace clitest;
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

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

TEST_F(CliInputErrorTest, EachRefusedJobNamesItsKeyPathAndFault) {
  struct Case {
    std::function<void(json&)> spoil;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // Types and shapes.
      {[](json& j) { j["plates"][0]["f_fc"] = "30"; },
       "plates[0].f_fc: expected a number, got string"},
      {[](json& j) { j["plates"][0].erase("bt_NumCurtains"); },
       "plates[0].bt_NumCurtains: missing key"},
      {[](json& j) { j["plates"][0]["bt_NumCurtains"] = 2.5; },
       "plates[0].bt_NumCurtains: expected a whole number, got 2.5"},
      {[](json& j) { j["stiffeners"][0]["f_fC"] = 30; }, "stiffeners[0].f_fC: unknown key"},
      {[](json& j) { j["bt_units"] = 256; }, "bt_units: 256 is outside 0 to 255"},
      {[](json& j) { j["plates"][0]["f_Thickness"] = 1e39; },
       "plates[0].f_Thickness: 1e+39 is beyond the range of a 32-bit float"},
      {[](json& j) { j["stiffeners"] = json::object(); },
       "stiffeners: expected an array, got object"},
      {[](json& j) { j["combination_names"] = {"D", "W"}; },
       "combination_names: has 2 entries, expected 3 (one per load combination)"},
      // Table shapes, read by the table scanner.
      {[](json& j) { j["analysis"]["displacements"].erase(1); },
       "analysis.displacements: has 1 entries, expected 2 (one per node, l_NumNodes)"},
      {[](json& j) { j["analysis"]["plate_forces"][0][1].erase(5); },
       "analysis.plate_forces[0][1]: has 5 entries, expected 6 (values of one combination)"},
      {[](json& j) { j["combinations"].push_back(1); },
       "analysis.displacements[0]: has 3 entries, expected 4 (one per load combination)"},
      {[](json& j) { j["analysis"]["stiffener_forces"][0][2][11] = nullptr; },
       "analysis.stiffener_forces[0][2][11]: expected a number, got null"},
      {[](json& j) { j["analysis"]["plate_forces"][0] = json::object(); },
       "analysis.plate_forces[0]: expected an array, got object"},
      {[](json& j) { j["analysis"].erase("available"); }, "analysis.available: missing key"},
      // Geometry: rows of the right width, one per node and element, node
      // numbers of the job and distinct within an element.
      {[](json& j) { j["geometry"] = {{"nodes", {{0, 0, 0}}}, {"plates", json::array()}}; },
       "geometry.nodes: has 1 entries, expected 2 (one per node, l_NumNodes)"},
      {[](json& j) { j["geometry"] = {{"nodes", {{0, 0, 0}, {1, 0}}}}; },
       "geometry.nodes[1]: has 2 entries, expected 3"},
      {[](json& j) {
         j["geometry"] = {{"nodes", {{0, 0, 0}, {1, 0, 0}}}, {"plates", {{1, 2, 3, 1}}}};
       },
       "geometry.plates[0][3]: node 1 is already a node of this element"},
      {[](json& j) {
         j["geometry"] = {{"nodes", {{0, 0, 0}, {1, 0, 0}}}, {"plates", {{1, 2, 4, 3}}},
                          {"stiffeners", {{1, 2}}}};
       },
       "geometry.plates[0][2]: node 4 is beyond l_NumNodes (2)"},
      // Counts, before any array length is compared with them.
      {[](json& j) { j["l_NumNodes"] = 0; },
       "l_NumNodes: the number of nodes must be at least 1, got 0"},
      {[](json& j) { j["l_NumNodes"] = 40000; }, "l_NumNodes: 40000 is above the limit of 32,767"},
      {[](json& j) { j["combinations"] = std::vector<int>(32768, 1); },
       "combinations: has 32768 combinations, above the limit of 32,767"},
      // What no real element can be.
      {[](json& j) { j["plates"][0]["f_Thickness"] = 0; },
       "plates[0].f_Thickness: must be greater than 0, got 0"},
      {[](json& j) { j["plates"][0]["f_fc"] = -30; },
       "plates[0].f_fc: must be greater than 0, got -30"},
      {[](json& j) { j["plates"][0]["f_MinRatioOfRFT_v"] = -0.1; },
       "plates[0].f_MinRatioOfRFT_v: must not be negative, got -0.100000001"},
      {[](json& j) { j["plates"][0]["f_CoverToRFT_Y"] = -5; },
       "plates[0].f_CoverToRFT_Y: must not be negative, got -5"},
      {[](json& j) { j["stiffeners"][0]["f_sectionHeight"] = 0; },
       "stiffeners[0].f_sectionHeight: must be greater than 0, got 0"},
      {[](json& j) { j["stiffeners"][0]["f_density"] = 0; },
       "stiffeners[0].f_density: must be greater than 0, got 0"},
      {[](json& j) { j["stiffeners"][0]["f_Es"] = -200000; },
       "stiffeners[0].f_Es: must be greater than 0, got -200000"},
      {[](json& j) { j["stiffeners"][0]["f_RightFlangeWidth"] = -1; },
       "stiffeners[0].f_RightFlangeWidth: must not be negative, got -1"},
      {[](json& j) { j["stiffeners"][0]["f_Cover_Z_st"] = -1; },
       "stiffeners[0].f_Cover_Z_st: must not be negative, got -1"},
  };
  for (const Case& c : cases) {
    json job = SmallJob();
    c.spoil(job);
    EXPECT_EQ(RefusedLine(job.dump()), "ostrel-design: " + job_path_ + ": " + c.expected + "\n");
  }

  // Texts that no JSON writer makes: a number beyond a double, anywhere;
  // a key given twice, even when spelt with an escape.
  const std::string text = SmallJob().dump();
  const std::vector<std::pair<std::string, std::string>> texts = {
      {Replace(text, "\"f_fc\":30", "\"f_fc\":1e999"),
       "plates[0].f_fc: 1e999 is beyond the range of a 64-bit float"},
      {Replace(text, "[-200,", "[-2e400,"),
       "analysis.plate_forces[0][0][0]: -2e400 is beyond the range of a 64-bit float"},
      {Replace(text, "\"bt_units\":1", "\"bt_units\":0,\"bt_units\":1"), "bt_units: duplicate key"},
      {Replace(text, "\"f_fy\":400", "\"f_fy\":400,\"f_f\\u0079\":500"),
       "plates[0].f_fy: duplicate key"},
      {Replace(text, "\"plate_forces\"", "\"plate_forces\":[],\"plate_forces\""),
       "analysis.plate_forces: duplicate key"},
      {"[1, 2]", "(top level): expected an object, got array"},
  };
  for (const auto& [job_text, expected] : texts) {
    EXPECT_EQ(RefusedLine(job_text), "ostrel-design: " + job_path_ + ": " + expected + "\n");
  }
  EXPECT_NE(RefusedLine(text + "{}").find(": not valid JSON"), std::string::npos);
  EXPECT_NE(RefusedLine(text.substr(0, text.size() / 2)).find(": not valid JSON"),
            std::string::npos);

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

TEST(CliJob, UnusualButPhysicalValuesAreDesignedWithOneWarningPerRule) {
  json job = SmallJob();
  job["plates"][0]["f_fc"] = 15;
  job["stiffeners"][0]["f_fc"] = 90;
  job["stiffeners"][0]["f_fy"] = 550;
  const auto warnings = ostrel::cli::ParseJob(job.dump()).warnings;
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0],
            "plates[0].f_fc: f'c of 15 MPa is outside the usual 20 to 80 MPa of CSA A23.3-94 "
            "(and 1 more element); designed as given");
  EXPECT_NE(warnings[1].find("stiffeners[0].f_fy: fy of 550 MPa is above the usual 500 MPa"),
            std::string::npos);
  job["bt_units"] = 0;  // the same numbers in ksi: 15 ksi is 103 MPa
  job["stiffeners"][0]["f_fc"] = 4;
  job["stiffeners"][0]["f_fy"] = 60;
  EXPECT_EQ(ostrel::cli::ParseJob(job.dump()).warnings.size(), 2u);  // f'c 15 ksi; fy 400 ksi
}

TEST_F(CliInputErrorTest, StoredResultsThatCannotBeShownAreRefused) {
  const std::vector<std::pair<std::string, std::string>> blocks = {
      {std::string("\x01\x02\x00\x01\x00\x00\x00", 7) + "short", "is cut short"},
      {std::string("\x02\x01\x00", 3), "no design-results block at offset 1"},
  };
  for (const auto& [bytes, expected] : blocks) {
    WriteFile(store_, bytes);
    const auto run = RunCli({"show", store_, "--offset", "1", "--units", "si", "-o", out_});
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
  }
  auto run = RunCli({"show", store_, "--offset", "4", "--units", "si"});
  EXPECT_NE(run.err.find("offset 4 is not within the file (3 bytes)"), std::string::npos);
  // The block does not record its units: show refuses to guess them.
  run = RunCli({"show", store_, "--offset", "1"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("show needs --job JOB.json or --units si|us"), std::string::npos);

  // A block saved without a design is valid but holds nothing to show.
  WriteFile(store_, std::string(1, '\0'));
  run = RunCli({"show", store_, "--offset", "1", "--units", "us", "-o", out_});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_FALSE(Exists(out_));
}

TEST_F(CliInputErrorTest, UsageErrorsExitTwo) {
  WriteFile(job_path_, SmallJob().dump());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"run"},
           {"run", job_path_, "--threads", "65"},
           {"run", job_path_, "--precision", "0"},
           {"show", store_, "--offset", "1", "--units", "metric"},
           {"show", store_, "--offset", "1", "--units", "si", "--job", job_path_}}) {
    EXPECT_EQ(RunCli(args).exit_code, 2) << (args.empty() ? "" : args.back());
  }
  const auto version = RunCli({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_NE(version.out.find("library OstrelDesignCSA94 1."), std::string::npos) << version.out;
}

}  // namespace
