// The command line on a large job: reading the job (10,000 plates, 1,000
// stiffeners, 40 combinations, about 45 MB; made by examples/make_wall_job.py
// --big the first time), and the whole `ostrel-design run` end to end on one
// and on two workers.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Job.h"

extern char** environ;

namespace {

const std::string& BigJob() {
  static const std::string path = [] {
    const std::string job = OSTREL_BENCH_BIG_JOB;
    struct stat info {};
    if (::stat(job.c_str(), &info) != 0) {
      const std::string command = "/usr/bin/python3 " OSTREL_SOURCE_DIR
                                  "/examples/make_wall_job.py --big " + job;
      if (std::system(command.c_str()) != 0) {
        std::abort();
      }
    }
    return job;
  }();
  return path;
}

long FileBytes(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : 0;
}

long PeakRssBytes(int who) {
  struct rusage usage {};
  ::getrusage(who, &usage);
  return usage.ru_maxrss * 1024L;
}

// Memory the reading holds at its peak beyond what the process held before
// it: the text, the parser's index and the job itself. Measured in a child
// process, whose high-water mark starts at the parent's resident size.
double ReadingPeakBytes(const std::string& path) {
  int fds[2];
  if (::pipe(fds) != 0) {
    return -1;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    long pages = 0, resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
      std::fclose(statm);
    }
    const long before = resident * ::sysconf(_SC_PAGESIZE);
    { const ostrel::cli::Job job = ostrel::cli::ReadJob(path); }
    const double peak = static_cast<double>(PeakRssBytes(RUSAGE_SELF) - before);
    if (::write(fds[1], &peak, sizeof peak) != sizeof peak) _exit(1);
    _exit(0);
  }
  ::close(fds[1]);
  double peak = -1;
  if (::read(fds[0], &peak, sizeof peak) != sizeof peak) peak = -1;
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  return peak;
}

void BM_ReadBigJob(benchmark::State& state) {
  const std::string& path = BigJob();
  size_t plates = 0;
  for (auto _ : state) {
    const ostrel::cli::Job job = ostrel::cli::ReadJob(path);
    plates = job.plates.size();
    benchmark::DoNotOptimize(job.plate_forces.data());
  }
  const long bytes = FileBytes(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
  state.counters["plates"] = static_cast<double>(plates);
  state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
  // The reading's high-water mark over the process's before it, per byte of
  // the file: the text, the parser's index and the job itself.
  state.counters["peak_memory_per_file_byte"] = ReadingPeakBytes(path) / static_cast<double>(bytes);
}
BENCHMARK(BM_ReadBigJob)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// `ostrel-design run BIG -o /dev/null --threads N`: reading, sending, the
// design and writing the results.
void BM_CommandEndToEnd(benchmark::State& state) {
  const std::string& path = BigJob();
  const std::string threads = std::to_string(state.range(0));
  std::vector<std::string> args{OSTREL_DESIGN_CLI, "run", path, "--no-progress",
                                "--threads", threads, "-o", "/dev/null"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start ostrel-design");
      break;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("ostrel-design failed");
      break;
    }
  }
  state.counters["peak_child_RSS_MB"] = static_cast<double>(PeakRssBytes(RUSAGE_CHILDREN)) / 1e6;
}
BENCHMARK(BM_CommandEndToEnd)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->UseRealTime()
    ->Iterations(3);

}  // namespace
