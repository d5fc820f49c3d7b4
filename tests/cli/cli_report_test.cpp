// The design report from the command line: one HTML file that loads nothing
// from elsewhere, written beside the results by run --report, without the
// drawings of the wall for a job without geometry. Its rendering is checked
// in a browser by tests/report.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "CliProcess.h"

using namespace clitest;

namespace {

// Elements, or CSS, that would make the browser fetch something.
bool LoadsFromElsewhere(const std::string& html) {
  static const std::regex fetch(
      R"((src|href)\s*=\s*["']?\s*(https?:|//)|@import|url\(\s*["']?\s*(https?:|//))",
      std::regex::icase);
  return std::regex_search(html, fetch);
}

TEST(CliReport, RunWritesTheReportBesideTheResultsAndReportAloneWritesNoResults) {
  const std::string dir = MakeTempDir();
  const std::string job = std::string(OSTREL_EXAMPLES_DIR) + "/wall_us.json";
  const auto plain = RunCli({"run", job, "--no-progress"});
  const auto both = RunCli({"run", job, "--no-progress", "--report", dir + "/run.html"});
  ASSERT_EQ(both.exit_code, 0) << both.err;
  EXPECT_EQ(both.out, plain.out);  // the results are the same with a report

  const auto alone = RunCli({"report", job, "-o", dir + "/report.html", "--no-progress"});
  ASSERT_EQ(alone.exit_code, 0) << alone.err;
  EXPECT_EQ(alone.out, "");
  for (const char* name : {"/run.html", "/report.html"}) {
    const std::string html = ReadFile(dir + name);
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_FALSE(LoadsFromElsewhere(html));
    EXPECT_NE(html.find("id=\"elev-status\""), std::string::npos);
    EXPECT_NE(html.find("id=\"stiffener-2\""), std::string::npos);
  }
  std::filesystem::remove_all(dir);
}

TEST(CliReport, AJobWithoutGeometryGetsEverySectionButTheDrawingsOfTheWall) {
  const std::string dir = MakeTempDir();
  WriteFile(dir + "/job.json", SmallJob().dump());
  const auto run = RunCli({"report", dir + "/job.json", "-o", dir + "/r.html", "--no-progress"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::string html = ReadFile(dir + "/r.html");
  EXPECT_EQ(html.find("id=\"elevation\""), std::string::npos);
  for (const char* id : {"model", "summary", "stiffeners", "plates", "tables"}) {
    EXPECT_NE(html.find("id=\"" + std::string(id) + "\""), std::string::npos) << id;
  }
  std::filesystem::remove_all(dir);
}

TEST(CliReport, AReportNamingTheJobOrMissingIsAUsageError) {
  const std::string dir = MakeTempDir();
  WriteFile(dir + "/job.json", SmallJob().dump());
  const auto same = RunCli({"run", dir + "/job.json", "--report", dir + "/job.json"});
  EXPECT_EQ(same.exit_code, 2);
  EXPECT_NE(same.err.find("name the same file"), std::string::npos) << same.err;
  EXPECT_EQ(RunCli({"report", dir + "/job.json"}).exit_code, 2);  // -o is required
  EXPECT_EQ(ReadFile(dir + "/job.json"), SmallJob().dump());
  std::filesystem::remove_all(dir);
}

}  // namespace
