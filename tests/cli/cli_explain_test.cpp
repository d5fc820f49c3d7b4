// Explanations through the command line: the shape of `explain` for a plate
// and a stiffener, `run --explain` on every element, a reason in numbers for
// every failed element of the examples, and the usage errors.
#include <gtest/gtest.h>

#include <regex>

#include "CliProcess.h"

using clitest::RunCli;

namespace {

using ojson = nlohmann::ordered_json;

const std::string kWall = std::string(OSTREL_EXAMPLES_DIR) + "/wall_si.json";

std::vector<std::string> Keys(const ojson& object) {
  std::vector<std::string> keys;
  for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
  return keys;
}

const std::vector<std::string> kShape = {"element", "kind",   "units",     "ratio",   "status",
                                         "status_name", "reason", "governing", "demands"};

ojson Explain(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"explain", kWall, "--no-progress"};
  all.insert(all.end(), args.begin(), args.end());
  const auto run = RunCli(all);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  return ojson::parse(run.out);
}

TEST(CliExplain, StiffenerAndPlateHaveTheShapeWithCurves) {
  std::vector<std::string> shape = kShape;
  shape.push_back("curves");
  const ojson s = Explain({"--stiffener", "1"});
  EXPECT_EQ(Keys(s), shape);
  EXPECT_EQ(s["kind"], "stiffener");
  EXPECT_EQ(s["demands"].size(), 14u);  // 7 ultimate combinations, two ends
  EXPECT_EQ(Keys(s["demands"][0]),
            (std::vector<std::string>{"combination", "end", "P", "Muy", "Muz", "dc"}));
  const ojson& directions = s["curves"]["directions"];
  ASSERT_EQ(directions.size(), 8u);
  EXPECT_EQ(directions[7]["angle_deg"], 270);
  std::vector<std::string> labels;
  for (const ojson& c : directions[0]["control_points"]) labels.push_back(c["label"]);
  EXPECT_EQ(labels, (std::vector<std::string>{"tension", "pure bending", "balanced", "cap"}));
  EXPECT_EQ(directions[0]["points"].size(), 50u);
  // The contour sits at the governing combination's axial force.
  const int governing = s["governing"]["combination"];
  EXPECT_EQ(s["curves"]["contour"]["P"], s["demands"][2 * (governing - 4)]["P"]);

  const ojson p = Explain({"--plate", "2", "--ratio", "0.5"});
  EXPECT_EQ(Keys(p), shape);
  EXPECT_EQ(p["ratio"], (ojson{{"x", 0.5}, {"y", 0.5}}));
  EXPECT_EQ(Keys(p["governing"]), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(Keys(p["demands"][0]),
            (std::vector<std::string>{"combination", "direction", "P", "M", "dc"}));
  EXPECT_EQ(p["curves"]["x"].size(), 100u);
}

TEST(CliExplain, RunExplainAddsTheObjectToEveryElementAndFailuresSayWhyInNumbers) {
  const auto run = RunCli({"run", kWall, "--no-progress", "--explain"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const ojson results = ojson::parse(run.out);
  const std::regex number("[0-9]");
  int failed = 0;
  for (const char* group : {"plates", "stiffeners"}) {
    for (const ojson& element : results[group]) {
      const ojson& e = element["explain"];
      EXPECT_EQ(Keys(e), kShape);
      const bool fails = e["status"].is_object()
                             ? e["status"]["x"].get<int>() > 1 || e["status"]["y"].get<int>() > 1
                             : e["status"].get<int>() > 1;
      if (fails) {
        ++failed;
        EXPECT_TRUE(std::regex_search(e["reason"].get<std::string>(), number)) << e["reason"];
      }
      // At the designed ratio every passing direction holds, and one that
      // needs more than the maximum does not hold at the maximum.
      const bool plate = e["status"].is_object();
      for (const char* d : {"x", "y"}) {
        const int status = plate ? e["status"][d].get<int>() : e["status"].get<int>();
        const ojson& dc = plate ? e["governing"][d]["dc"] : e["governing"]["dc"];
        if (status <= 1) {
          EXPECT_LE(dc.get<double>(), 1.0) << e["reason"];
        } else if (status == 3) {
          EXPECT_GT(dc.get<double>(), 1.0) << e["reason"];
        }
        if (!plate) break;
      }
    }
  }
  EXPECT_GT(failed, 0);
  // 0.01 percentage points below its designed ratio, plate 1 fails along y.
  const float y = results["plates"][0]["explain"]["ratio"]["y"].get<float>();
  const ojson below = Explain({"--plate", "1", "--ratio", std::to_string(y - 0.01f)});
  EXPECT_GT(below["governing"]["y"]["dc"].get<double>(), 1.0);
  // The same object as `explain` gives, without its curves.
  ojson alone = Explain({"--stiffener", "13"});
  alone.erase("curves");
  EXPECT_EQ(results["stiffeners"][12]["explain"], alone);
  EXPECT_EQ(alone["reason"],
            "axial compression 4050 kN exceeds 0.8 Po = 3460 kN at the maximum steel "
            "(combination 4)");
}

TEST(CliExplain, UsageErrors) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"explain", kWall},
           {"explain", kWall, "--plate", "1", "--stiffener", "1"},
           {"explain", kWall, "--plate", "1", "--ratio", "0"}}) {
    const auto run = RunCli(args);
    EXPECT_EQ(run.exit_code, 2) << args.size();
    EXPECT_EQ(clitest::Lines(run.err).size(), 1u) << run.err;
  }
  const auto missing = RunCli({"explain", kWall, "--no-progress", "--plate", "999"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err, "ostrel-design: the job has no plate 999 (it has 144)\n");
}

}  // namespace
