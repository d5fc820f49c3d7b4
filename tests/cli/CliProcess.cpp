#include "CliProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace clitest {

std::string MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-cli-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  return pattern;
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& stdin_path) {
  const std::string dir = MakeTempDir();
  const std::string out_path = dir + "/stdout", err_path = dir + "/stderr";

  std::vector<std::string> argv_text{OSTREL_DESIGN_CLI};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_text) {
    argv.push_back(a.data());
  }
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, stdin_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    throw std::runtime_error("cannot start " + argv_text[0]);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);

  CliRun run;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = ReadFile(out_path);
  run.err = ReadFile(err_path);
  std::filesystem::remove_all(dir);
  return run;
}

nlohmann::json SmallJob() {
  return nlohmann::json::parse(R"({
    "bt_units": 1,
    "l_NumNodes": 2,
    "combinations": [0, 1, 1],
    "plates": [
      {"f_Thickness": 200, "f_fc": 30, "f_fy": 400, "f_Es": 200000,
       "f_MinRatioOfRFT": 0.25, "f_MaxRatioOfRFT": 4,
       "f_MinRatioOfRFT_v": 0.3, "f_MaxRatioOfRFT_v": 3.5,
       "bt_NumCurtains": 2, "f_CoverToRFT_X": 40, "f_CoverToRFT_Y": 55}
    ],
    "stiffeners": [
      {"bt_SectionType": 0, "bt_SectionProjection": 0,
       "f_SectionWidth": 400, "f_sectionHeight": 600,
       "f_LeftFlangeWidth": 0, "f_LeftFlangeThickness": 0,
       "f_RightFlangeWidth": 0, "f_RightFlangeThickness": 0,
       "f_fc": 35, "f_density": 2400, "f_fy": 420, "f_Es": 200000,
       "f_MinRatioOfRFT": 1, "f_MaxRatioOfRFT": 4, "bt_RFTType": 0,
       "f_Cover_Z": 45, "f_Cover_Y": 60, "f_Cover_Z_st": 35, "f_Cover_Y_st": 40,
       "bt_DesignAsColumn": 0}
    ],
    "analysis": {
      "available": 1,
      "displacements": [
        [[0.1, -0.2, 0.05, 0, 0, 0], [0.3, 0.1, 0.0, 0, 0, 0], [0.2, 0.0, 0.0, 0, 0, 0]],
        [[-1.5, 2.25, 0.0, 0, 0, 0], [0.0, 0.0, 0.0, 0, 0, 0], [0.0, 0.0, 0.0, 0, 0, 0]]],
      "plate_forces": [
        [[-200, -100, 10, 25, 5, 2], [-300, -120, 15, 60, 9, 3], [-250, -80, 5, 30, 14, 1]]],
      "stiffener_forces": [
        [[-500, 20, 10, 1, 5, 30, -500, 20, 10, 1, 8, 40],
         [-2800, 250, 120, 12, 60, 260, -2800, 250, 120, 12, 90, 380],
         [-600, 30, 15, 1, 6, 45, -600, 30, 15, 1, 9, 55]]]
    }
  })");
}

}  // namespace clitest
