// Where the results go: every kind of output path, checked for the file's
// type, mode and content after the run, and the temporary files removed on a
// terminating signal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <thread>

#include "CliProcess.h"

using namespace clitest;
namespace fs = std::filesystem;

extern char** environ;

namespace {

struct stat StatOf(const std::string& path, bool follow = true) {
  struct stat info {};
  (follow ? ::stat : ::lstat)(path.c_str(), &info);
  return info;
}

bool IsResults(const std::string& text) {
  return text.rfind("{\n  \"bt_DesignDoneFlag\": 1,", 0) == 0;
}

// Names of the temporary files left in a folder (there must be none).
std::vector<std::string> Leftovers(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.path().filename().string().find(".partial-") != std::string::npos) {
      names.push_back(entry.path().string());
    }
  }
  return names;
}

TEST(CliOutputs, EveryKindOfOutputPathIsWrittenWithoutDestroyingAnything) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct Case {
    const char* name;
    // Makes what the output path names; returns the extra arguments.
    std::function<std::vector<std::string>(const std::string& dir)> setup;
    int exit_code;
    std::function<void(const std::string& dir, const CliRun& run)> check;
  };
  const std::vector<Case> cases = {
      {"new file", [](const std::string& d) { return std::vector<std::string>{"-o", d + "/r.json"}; },
       0,
       [&](const std::string& d, const CliRun&) {
         EXPECT_EQ(StatOf(d + "/r.json").st_mode, S_IFREG | (0666 & ~mask));
         EXPECT_TRUE(IsResults(ReadFile(d + "/r.json")));
       }},
      {"read-only regular file",
       [](const std::string& d) {
         WriteFile(d + "/r.json", "old");
         ::chmod((d + "/r.json").c_str(), 0444);
         return std::vector<std::string>{"-o", d + "/r.json"};
       },
       0,
       [](const std::string& d, const CliRun&) {
         EXPECT_EQ(StatOf(d + "/r.json").st_mode, S_IFREG | 0444);
         EXPECT_TRUE(IsResults(ReadFile(d + "/r.json")));
       }},
      {"symbolic link, also dangling",
       [](const std::string& d) {
         WriteFile(d + "/target.json", "old");
         ::symlink("target.json", (d + "/link.json").c_str());
         ::symlink("new.json", (d + "/dangling").c_str());
         return std::vector<std::string>{"-o", d + "/link.json", "--csv", d + "/dangling"};
       },
       0,
       [](const std::string& d, const CliRun&) {
         EXPECT_TRUE(S_ISLNK(StatOf(d + "/link.json", false).st_mode));
         EXPECT_TRUE(IsResults(ReadFile(d + "/target.json")));
         EXPECT_TRUE(S_ISLNK(StatOf(d + "/dangling", false).st_mode));
         EXPECT_TRUE(S_ISDIR(StatOf(d + "/new.json").st_mode));
         EXPECT_TRUE(Exists(d + "/new.json/plates.csv"));
       }},
      {"FIFO with a reader",
       [](const std::string& d) {
         ::mkfifo((d + "/fifo").c_str(), 0600);
         std::thread([p = d + "/fifo"] { WriteFile(p + ".read", ReadFile(p)); }).detach();
         return std::vector<std::string>{"-o", d + "/fifo"};
       },
       0,
       [](const std::string& d, const CliRun&) {
         EXPECT_TRUE(S_ISFIFO(StatOf(d + "/fifo").st_mode));
         for (int i = 0; i < 500 && !IsResults(ReadFile(d + "/fifo.read")); ++i) {
           std::this_thread::sleep_for(std::chrono::milliseconds(10));
         }
         EXPECT_TRUE(IsResults(ReadFile(d + "/fifo.read")));
       }},
      {"character device (as root)",
       [](const std::string& d) {
         const std::string null = d + "/null";
         if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
           ::symlink("/dev/null", null.c_str());  // not root: the system's device
         }
         return std::vector<std::string>{"-o", null};
       },
       0,
       [](const std::string& d, const CliRun&) {
         EXPECT_TRUE(S_ISCHR(StatOf(d + "/null").st_mode));
         EXPECT_TRUE(S_ISCHR(StatOf("/dev/null").st_mode));
       }},
      {"standard output as /dev/stdout",
       [](const std::string&) { return std::vector<std::string>{"-o", "/dev/stdout"}; }, 0,
       [](const std::string&, const CliRun& run) { EXPECT_TRUE(IsResults(run.out)); }},
      {"standard output as -", [](const std::string&) { return std::vector<std::string>{"-o", "-"}; },
       0, [](const std::string&, const CliRun& run) { EXPECT_TRUE(IsResults(run.out)); }},
      {"the same file twice",
       [](const std::string& d) {
         WriteFile(d + "/same", "old");
         ::symlink("same", (d + "/alias").c_str());
         return std::vector<std::string>{"-o", d + "/alias", "--save-results", d + "/same"};
       },
       2, [](const std::string& d, const CliRun&) { EXPECT_EQ(ReadFile(d + "/same"), "old"); }},
      {"a CSV file as -o",
       [](const std::string& d) {
         return std::vector<std::string>{"-o", d + "/csv/plates.csv", "--csv", d + "/csv"};
       },
       2, [](const std::string& d, const CliRun&) { EXPECT_FALSE(Exists(d + "/csv")); }},
      {"the job file as output",
       [](const std::string& d) { return std::vector<std::string>{"-o", d + "/job.json"}; }, 2,
       [](const std::string& d, const CliRun&) {
         EXPECT_EQ(ReadFile(d + "/job.json"), SmallJob().dump());
       }},
      {"unwritable folder",
       [](const std::string& d) {
         return std::vector<std::string>{"--csv", d + "/csv", "-o", "/proc/self/r.json"};
       },
       2, [](const std::string& d, const CliRun&) { EXPECT_FALSE(Exists(d + "/csv")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dir = MakeTempDir();
    WriteFile(dir + "/job.json", SmallJob().dump());
    std::vector<std::string> args{"run", dir + "/job.json", "--no-progress"};
    for (const std::string& a : c.setup(dir)) args.push_back(a);
    const CliRun run = RunCli(args);
    EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
    if (c.exit_code != 0) {
      EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    }
    c.check(dir, run);
    EXPECT_EQ(Leftovers(dir), std::vector<std::string>{});
    fs::remove_all(dir);
  }
}

// A run stopped by SIGINT or SIGTERM while it waits for its job on standard
// input: its temporary files and the CSV folder it made are removed, and it
// ends with the signal's usual status.
TEST(CliOutputs, ATerminatingSignalRemovesTheTemporaryFiles) {
  for (const int signal_number : {SIGINT, SIGTERM}) {
    const std::string dir = MakeTempDir();
    int input[2];
    ASSERT_EQ(::pipe(input), 0);
    std::vector<std::string> args{OSTREL_DESIGN_CLI, "run", "-", "--no-progress",
                                  "-o", dir + "/r.json", "--csv", dir + "/csv"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addclose(&actions, input[1]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    for (int i = 0; i < 1000 && Leftovers(dir).size() < 4; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(Leftovers(dir).size(), 4u);  // the JSON and three CSV files, made up front
    ::kill(pid, signal_number);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(input[1]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    EXPECT_EQ(Leftovers(dir), std::vector<std::string>{});
    EXPECT_FALSE(Exists(dir + "/csv"));
    fs::remove_all(dir);
  }
}

}  // namespace
