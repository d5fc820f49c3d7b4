// Designs run through the command line: results JSON and CSV, saving and
// showing a stored design, and the library's refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>

#include "CliProcess.h"
#include "OstrelDesignCSA94.h"
#include "support/FakeAnalysis.h"

using clitest::Exists;
using clitest::Lines;
using clitest::MakeTempDir;
using clitest::ReadFile;
using clitest::RunCli;
using clitest::SmallJob;
using clitest::WriteFile;
using nlohmann::json;

namespace {

// Results are read keeping their key order.
using ojson = nlohmann::ordered_json;

std::vector<std::string> Keys(const ojson& object) {
  std::vector<std::string> keys;
  for (auto it = object.begin(); it != object.end(); ++it) {
    keys.push_back(it.key());
  }
  return keys;
}

float AsFloat(const ojson& value) { return static_cast<float>(value.get<double>()); }

// Fields of a CSV line that quotes nothing.
std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  return fields;
}

// The same job sent straight through the C interface, as an independent
// reading of what the command line must report.
clsDesignCSA94* DesignThroughTheLibrary(const json& job, ostrel::test::FakeAnalysis& analysis) {
  const json& a = job["analysis"];
  for (int c = 1; c <= 3; ++c) {
    for (int n = 1; n <= 2; ++n) {
      const auto d = a["displacements"][n - 1][c - 1].get<std::vector<float>>();
      analysis.SetDisplacement(n, c, d[0], d[1], d[2]);
    }
    analysis.SetPlateForces(1, c, a["plate_forces"][0][c - 1].get<std::array<float, 6>>());
    analysis->stiffenerForces[{1, c}] = a["stiffener_forces"][0][c - 1].get<std::array<float, 12>>();
  }
  analysis.Register();
  clsDesignCSA94* d = clsDesignCSA94_Create();
  EXPECT_EQ(clsDesignCSA94_SetUnits(d, 1) + clsDesignCSA94_SetNumberOfNodes(d, 2) +
                clsDesignCSA94_SetNumberOfPlateElements(d, 1) +
                clsDesignCSA94_SetNumberOfStiffenerElements(d, 1) +
                clsDesignCSA94_SetNumberOfLoadCombinations(d, 3) +
                clsDesignCSA94_SetPlateElementProperties(d, 1, 200, 30, 400, 200000, 0.25f, 4, 0.3f,
                                                         3.5f, 2, 40, 55) +
                clsDesignCSA94_SetStiffenerElementProperties(d, 1, 0, 0, 400, 600, 0, 0, 0, 0, 35,
                                                             2400, 420, 200000, 1, 4, 0, 45, 60,
                                                             35, 40, 0) +
                clsDesignCSA94_SetComboType(d, 2, 1) + clsDesignCSA94_SetComboType(d, 3, 1) +
                clsDesignCSA94_RunDesign(d),
            0);
  return d;
}

class CliRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir();
    job_path_ = dir_ + "/job.json";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WriteJob(const json& job) { WriteFile(job_path_, job.dump(1)); }

  std::string dir_;
  std::string job_path_;
};

TEST_F(CliRunTest, ResultsJsonHoldsEveryQueryOutputInOrderAndMatchesTheLibrary) {
  const json job = SmallJob();
  WriteJob(job);
  const auto run = RunCli({"run", job_path_, "--no-progress"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const ojson results = ojson::parse(run.out);
  EXPECT_EQ(Keys(results), (std::vector<std::string>{"bt_DesignDoneFlag", "units", "nodes",
                                                     "plates", "stiffeners"}));
  EXPECT_EQ(results["units"], "SI");
  ASSERT_EQ(results["nodes"].size(), 2u);
  const ojson& stiffener = results["stiffeners"].at(0);
  EXPECT_EQ(Keys(stiffener), (std::vector<std::string>{"flexure", "shear", "torsion", "summary"}));
  EXPECT_EQ(Keys(stiffener["summary"]),
            (std::vector<std::string>{"f_As", "f_Al", "f_AvOverS_y", "f_AvOverS_z", "f_AtOverS",
                                      "f_ShearSpacing", "bt_DesignStatus_flex",
                                      "bt_DesignStatus_flex_name", "bt_DesignStatus_Shear",
                                      "bt_DesignStatus_Shear_name"}));

  // The same design through the C interface directly: every plate output.
  ostrel::test::FakeAnalysis analysis;
  clsDesignCSA94* d = DesignThroughTheLibrary(job, analysis);
  float f[8];
  int16_t c[2];
  uint8_t b[3];
  ASSERT_EQ(
      clsDesignCSA94_Get_Envelope_PlateFlexureRFT(d, 1, &b[0], &f[0], &f[1], &f[2], &f[3], &c[0],
                                                  &b[1], &f[4], &f[5], &f[6], &f[7], &c[1], &b[2]),
      0);
  clsDesignCSA94_Release(d);
  const ojson& plate = results["plates"][0];
  const char* float_keys[] = {"f_AreaOfSteel_x", "f_RatioOfSteel_x", "f_Mu_x", "f_Pu_x",
                              "f_AreaOfSteel_y", "f_RatioOfSteel_y", "f_Mu_y", "f_Pu_y"};
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(AsFloat(plate[float_keys[k]]), f[k]) << float_keys[k];
  }
  EXPECT_EQ(plate["i_DesignComboIndex_x"], c[0]);
  EXPECT_EQ(plate["i_DesignComboIndex_y"], c[1]);
  EXPECT_EQ(plate["bt_DsignStatus_y"], b[2]);
  EXPECT_EQ(plate["bt_DsignStatus_y_name"], "DESIGN_PASS");

  // Displacements pass through unconverted, as the same 32-bit floats.
  EXPECT_EQ(AsFloat(results["nodes"][1]["f_Dx_Negative"]), -1.5f);
  EXPECT_NE(run.out.find("\"f_Dz_Positive\": 0.0500000007"), std::string::npos);

  // The summary names the statuses and the largest ratios; the last line
  // says the design is done.
  EXPECT_NE(run.err.find("plates: 1 elements; x: 1 DESIGN_PASS"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("largest stiffener steel ratio: "), std::string::npos);
  EXPECT_EQ(Lines(run.err).back().substr(0, 27), "ostrel-design: design done ");
}

// The example wall with its combination names: a name column beside every
// combination column, values rounded to 4 digits, and the library's -1
// spacing written as words.
TEST_F(CliRunTest, CsvNamesCombinationsRoundsAndSaysWhenNoStirrupsAreRequired) {
  const std::string csv = dir_ + "/csv";
  const auto run = RunCli({"run", std::string(OSTREL_EXAMPLES_DIR) + "/wall_si.json",
                           "--no-progress", "--csv", csv});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const ojson results = ojson::parse(run.out);
  EXPECT_EQ(results["combination_names"][6], "0.85D + 1.5W(+x)");
  EXPECT_EQ(Lines(ReadFile(csv + "/plates.csv"))[0],
            "element,NumCurtains,As_x [mm2/m],Ratio_x [%],Mu_x [kN-m/m],Pu_x [kN/m],Combo_x,"
            "Combo_x_name,Status_x,As_y [mm2/m],Ratio_y [%],Mu_y [kN-m/m],Pu_y [kN/m],Combo_y,"
            "Combo_y_name,Status_y");
  const auto stiffeners = Lines(ReadFile(csv + "/stiffeners.csv"));
  // Element 1: As 2800 mm2, ratio 1 %, Muy 0.918 kN-m, governed by combination 7.
  EXPECT_EQ(stiffeners[1].substr(0, 55), "1,2800,1,0.918,111.4,470.1,7,0.85D + 1.5W(+x),DESIGN_PA");
  // Every spacing column holds a spacing of at least 0, or the words.
  const auto header = Split(stiffeners[0]);
  int words = 0;
  for (size_t row = 1; row < stiffeners.size(); ++row) {
    const auto fields = Split(stiffeners[row]);
    for (size_t k = 0; k < header.size(); ++k) {
      if (header[k].find("Spacing") != std::string::npos) {
        if (fields[k] == "no stirrups required") {
          ++words;
        } else {
          EXPECT_GE(std::stod(fields[k]), 0) << header[k] << " of element " << row;
        }
      }
    }
  }
  EXPECT_GT(words, 0);
}

TEST_F(CliRunTest, SavedResultsShowAgainIdentically) {
  WriteJob(SmallJob());
  const std::string store = dir_ + "/project.bin";
  WriteFile(store, "0123456789");  // the host's own data before the block
  const auto run = RunCli({"run", job_path_, "--no-progress", "--save-results", store});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.err.find("at offset 11 "), std::string::npos) << run.err;
  // A second design appended after the first.
  json second = SmallJob();
  second["analysis"]["plate_forces"][0][1][3] = 90;
  WriteJob(second);
  const auto run2 = RunCli({"run", job_path_, "--no-progress", "--save-results", store});
  ASSERT_EQ(run2.exit_code, 0) << run2.err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(run2.err, m, std::regex("at offset (\\d+) ")));
  // 7 + 60 per node + 66 per plate + 168 per stiffener after the first block.
  EXPECT_EQ(m[1], std::to_string(11 + 7 + 2 * 60 + 66 + 168));

  const auto shown = RunCli({"show", store, "--offset", "11", "--units", "si"});
  ASSERT_EQ(shown.exit_code, 0) << shown.err;
  EXPECT_EQ(shown.out, run.out);
  const auto shown2 = RunCli({"show", store, "--offset", m[1].str(), "--job", job_path_});
  ASSERT_EQ(shown2.exit_code, 0) << shown2.err;
  EXPECT_EQ(shown2.out, run2.out);
  EXPECT_NE(shown.out, shown2.out);

  const std::string csv = dir_ + "/csv";
  const auto us = RunCli({"show", store, "--offset", "11", "--units", "us", "--csv", csv});
  ASSERT_EQ(us.exit_code, 0) << us.err;
  EXPECT_NE(ReadFile(csv + "/plates.csv")
                .find("As_x [in2/ft],Ratio_x [%],Mu_x [kip-ft/ft],Pu_x [kip/ft]"),
            std::string::npos);
  EXPECT_NE(ReadFile(csv + "/nodes.csv").find("Dx_Negative [in]"), std::string::npos);
}

TEST_F(CliRunTest, LibraryRefusalsExitOneWithTheMessageOnOneLineAndWriteNothing) {
  const std::string out = dir_ + "/r.json", csv = dir_ + "/csv", store = dir_ + "/s.bin";
  const std::vector<std::string> outputs{"-o", out, "--csv", csv, "--save-results", store};
  auto run_job = [&](const json& job) {
    WriteJob(job);
    std::vector<std::string> args{"run", job_path_, "--no-progress"};
    args.insert(args.end(), outputs.begin(), outputs.end());
    return RunCli(args);
  };

  // The library's message on one line, then the last line says what happened.
  const std::vector<std::pair<std::function<void(json&)>, std::string>> cases = {
      {[](json& j) { j["plates"][0]["bt_NumCurtains"] = 3; },
       "OstrelDesignCSA94: Plate element: Maximum 2 curtains of RFT can be specified / "
       "Plate Element: 1\nostrel-design: the library refused the job: Plate element: Maximum 2 "
       "curtains of RFT can be specified / Plate Element: 1; no results written\n"},
      {[](json& j) { j["analysis"]["available"] = 0; },
       "OstrelDesignCSA94: Analysis results are not available\nostrel-design: the library "
       "refused the run: Analysis results are not available; no results written\n"},
      {[](json& j) { j["combinations"] = {0, 0, 0}; },
       "OstrelDesignCSA94: There is no ultimate-load combination defined\nostrel-design: the "
       "library refused the run: There is no ultimate-load combination defined; no results "
       "written\n"},
      {[](json& j) { j["stiffeners"][0]["f_Es"] = 3e38; },  // overflows in the design
       "OstrelDesignCSA94: modDesign::WallDesign- unexpected error during Calculating stiffener "
       "element reinforcement\nostrel-design: the design stopped with an error: "
       "modDesign::WallDesign- unexpected error during Calculating stiffener element "
       "reinforcement; no results written\n"},
  };
  for (const auto& [spoil, expected] : cases) {
    json job = SmallJob();
    spoil(job);
    const auto run = run_job(job);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, expected);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(Exists(out));
    EXPECT_FALSE(Exists(csv));
    EXPECT_FALSE(Exists(store));
  }
}

TEST(CliExamples, ExampleJobsDesignWithMostlyPassingElements) {
  for (const char* name : {"wall_si.json", "wall_us.json"}) {
    const std::string path = std::string(OSTREL_EXAMPLES_DIR) + "/" + name;
    const auto run = RunCli({"run", path, "--no-progress"});
    ASSERT_EQ(run.exit_code, 0) << name << ": " << run.err;
    const json results = json::parse(run.out);
    int pass = 0, other = 0;
    for (const json& p : results["plates"]) {
      for (const char* key : {"bt_DsignStatus_x", "bt_DsignStatus_y"}) {
        (p[key] == 0 ? pass : other) += 1;
      }
    }
    for (const json& s : results["stiffeners"]) {
      for (const char* key : {"bt_DesignStatus_flex", "bt_DesignStatus_Shear"}) {
        (s["summary"][key] == 0 ? pass : other) += 1;
      }
    }
    EXPECT_GT(pass, 3 * other) << name;
    // Every number of worker threads gives the same results; the job may
    // come on standard input.
    for (const char* threads : {"1", "2", "3"}) {
      const auto again = RunCli({"run", "-", "--no-progress", "--threads", threads}, path);
      ASSERT_EQ(again.exit_code, 0) << name << ": " << again.err;
      EXPECT_EQ(again.out, run.out) << name << " with " << threads << " threads";
    }
    if (std::string(name) == "wall_si.json") {
      EXPECT_GE(results["plates"].size(), 120u);
      EXPECT_GE(results["stiffeners"].size(), 12u);
      EXPECT_GT(other, 0) << "the example shows a few statuses other than DESIGN_PASS";
    }
  }
}

}  // namespace
