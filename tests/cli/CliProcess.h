// Runs the built ostrel-design binary and captures what it prints.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace clitest {

struct CliRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs ostrel-design with `args`; standard input is `stdin_path`
// (/dev/null by default), so no terminal is involved.
CliRun RunCli(const std::vector<std::string>& args, const std::string& stdin_path = "/dev/null");

// A fresh empty folder for one test.
std::string MakeTempDir();

void WriteFile(const std::string& path, const std::string& contents);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
std::vector<std::string> Lines(const std::string& text);

// A small SI job: 2 nodes, 3 combinations (1 service, 2 ultimate), one plate
// and one rectangular stiffener, with distinct values for every property.
nlohmann::json SmallJob();

}  // namespace clitest
