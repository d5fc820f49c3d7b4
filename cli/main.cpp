// ostrel-design: runs a wall design from a job file, or shows a stored design,
// through the library's public C interface.
//
// Exit status: 0 the design is done; 1 the library refused or failed (its
// message has been shown) or the design did not complete; 2 a usage error, an
// unreadable, malformed or unphysical file, or a job too large for the
// machine (nothing is written then). A terminating signal removes every
// temporary file and ends the program with the signal's usual status.
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "DesignSession.h"
#include "Explain.h"
#include "Job.h"
#include "JobAnalysis.h"
#include "OstrelDesignCSA94.h"
#include "OutputFiles.h"
#include "Report.h"
#include "ResultsOutput.h"
#include "TerminalProgress.h"

namespace ostrel::cli {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char* const kProgram = "ostrel-design";

void Say(const std::string& line) { std::fprintf(stderr, "%s: %s\n", kProgram, line.c_str()); }

// Message boxes of the library, one line each on standard error; counted so
// that a failure the library reports without a message can be explained.
struct MessageLines {
  TerminalProgress* progress = nullptr;
  int shown = 0;
  std::string last;  // the latest message, on one line, without its title

  static void Show(void* context, const char* text, const char* title) {
    auto* self = static_cast<MessageLines*>(context);
    std::string body;
    for (const char* p = text; *p != '\0'; ++p) {
      if (p[0] == '\r' && p[1] == '\n') {
        body += " / ";
        ++p;
      } else if (*p == '\r' || *p == '\n') {
        body += " / ";
      } else {
        body += *p;
      }
    }
    const std::string line = std::string(title) + ": " + body;
    self->last = body;
    ++self->shown;
    if (self->progress != nullptr) {
      self->progress->PrintLine(line);
    } else {
      std::fprintf(stderr, "%s\n", line.c_str());
    }
  }
};

// Keeps the message lines registered for as long as they live.
class MessageHandlerScope {
 public:
  explicit MessageHandlerScope(MessageLines& lines) {
    OstrelDesignCSA94_SetMessageBoxHandler(MessageLines::Show, &lines);
  }
  ~MessageHandlerScope() { OstrelDesignCSA94_SetMessageBoxHandler(nullptr, nullptr); }
  MessageHandlerScope(const MessageHandlerScope&) = delete;
  MessageHandlerScope& operator=(const MessageHandlerScope&) = delete;
};

struct OutputOptions {
  std::string json_path;  // empty: standard output
  std::string csv_dir;    // empty: no CSV
  std::string save_path;  // empty: not saved (run only)
  int precision = 4;      // significant digits of the CSV values
  std::string report_path;   // empty: no design report (run and report only)
  bool results_json = true;  // false: the report command, which writes no results JSON
  bool explain = false;      // explanations added to the results JSON (run only)
  const Job* job = nullptr;  // the job designed, for the explanations
};

// `explain`: the element whose explanation is printed instead of the results.
struct ExplainOptions {
  int plate = 0;
  int stiffener = 0;
  std::optional<float> ratio;
};

constexpr const char* kCsvNames[] = {"nodes.csv", "plates.csv", "stiffeners.csv"};

std::string CsvPath(const std::string& dir, const char* name) {
  return (std::filesystem::path(dir) / name).string();
}

// Refuses two of the job (or stored) file and the outputs naming one file
// after links are followed: writing one would destroy the other.
bool NoFileNamedTwice(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::string> identities;
  for (const auto& [label, path] : files) {
    identities.push_back(FileIdentity(path));
  }
  for (size_t a = 0; a < files.size(); ++a) {
    for (size_t b = a + 1; b < files.size(); ++b) {
      if (identities[a] == identities[b]) {
        Say(files[a].first + " " + files[a].second + " and " + files[b].first + " " +
            files[b].second + " name the same file");
        return false;
      }
    }
  }
  return true;
}

// Checks every output and makes its temporary file before anything runs, so
// an unwritable output fails at once. `input_label`/`input_path`: the file the
// command reads (a job, or a stored design), which no output may name.
bool PrepareOutputs(const OutputOptions& out,
                    const std::vector<std::pair<std::string, std::string>>& inputs,
                    StagedOutputs& staged) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& input : inputs) {
    if (!input.second.empty() && input.second != "-") {
      files.push_back(input);
    }
  }
  if (!out.json_path.empty() && out.json_path != "-") {
    files.emplace_back("-o", out.json_path);
  }
  if (!out.csv_dir.empty()) {
    for (const char* name : kCsvNames) {
      files.emplace_back("--csv", CsvPath(out.csv_dir, name));
    }
  }
  if (!out.save_path.empty()) {
    files.emplace_back("--save-results", out.save_path);
  }
  if (!out.report_path.empty()) {
    files.emplace_back(out.results_json ? "--report" : "-o", out.report_path);
  }
  if (!NoFileNamedTwice(files)) {
    return false;
  }
  try {
    if (!out.csv_dir.empty()) {
      staged.PrepareFolder(out.csv_dir);
      for (const char* name : kCsvNames) {
        staged.Prepare(CsvPath(out.csv_dir, name));
      }
    }
    if (out.results_json) {
      staged.Prepare(out.json_path.empty() ? "-" : out.json_path);
    }
    if (!out.report_path.empty()) {
      staged.Prepare(out.report_path);
    }
  } catch (const std::runtime_error& e) {
    Say(e.what());
    return false;
  }
  if (!out.save_path.empty()) {
    const std::string problem = AppendTargetProblem(out.save_path);
    if (!problem.empty()) {
      Say("cannot write " + out.save_path + ": " + problem);
      return false;
    }
  }
  return true;
}

// A library method returned 1; explain it when the library showed nothing.
int LibraryFailure(const MessageLines& messages, int shown_before, const std::string& what) {
  Say(what + (messages.shown == shown_before ? "" : ": " + messages.last) +
      "; no results written");
  return kExitFailed;
}

// Writes the results: the design-results block appended when asked, then the
// JSON, CSV and report outputs, all of them or none. `report` is the report's
// text when one was asked for.
int WriteOutputs(clsDesignCSA94* design, const DesignResults& results,
                 const ResultsContext& context, const OutputOptions& out, StagedOutputs& staged,
                 MessageLines& messages, std::string report = {}) {
  try {
    if (out.results_json) {
      staged.SetContents(out.json_path.empty() ? "-" : out.json_path,
                         out.explain && out.job != nullptr
                             ? WithExplanations(ResultsJson(results, context), *out.job, results)
                             : ResultsJson(results, context));
    }
    if (!out.report_path.empty()) {
      staged.SetContents(out.report_path, std::move(report));
    }
    if (!out.csv_dir.empty()) {
      staged.SetContents(CsvPath(out.csv_dir, kCsvNames[0]), NodesCsv(results, context));
      staged.SetContents(CsvPath(out.csv_dir, kCsvNames[1]), PlatesCsv(results, context));
      staged.SetContents(CsvPath(out.csv_dir, kCsvNames[2]), StiffenersCsv(results, context));
    }
    if (!out.save_path.empty()) {
      int32_t offset = 0;
      const int before = messages.shown;
      if (clsDesignCSA94_SaveResults(design, out.save_path.c_str(), &offset) != 0) {
        return LibraryFailure(messages, before, "cannot save the results to " + out.save_path);
      }
      Say("design results saved to " + out.save_path + " at offset " + std::to_string(offset) +
          " (read back with: ostrel-design show " + out.save_path + " --offset " +
          std::to_string(offset) + ")");
    }
    staged.Commit();
  } catch (const std::runtime_error& e) {
    Say(e.what());
    return kExitFailed;
  }
  std::fputs(SummaryText(results).c_str(), stderr);
  return kExitDone;
}

struct Design {
  clsDesignCSA94* object = clsDesignCSA94_Create();
  ~Design() { clsDesignCSA94_Release(object); }
};

void SayInputError(const std::string& path, const InputError& e) {
  Say((path == "-" ? std::string("standard input") : path) + ": " +
      (e.KeyPath().empty() ? "" : e.KeyPath() + ": ") + e.what());
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", seconds);
  return text;
}

std::string LibraryVersion();

// The design report of a designed job; throws ExplainError when an element
// cannot be evaluated.
std::string DesignReport(const std::string& job_path, const Job& job,
                         const DesignResults& results) {
  ReportContext context;
  context.job_name = job_path == "-" ? "standard input" : job_path;
  context.program_version = OSTREL_CLI_VERSION;
  context.library_version = LibraryVersion();
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  char date[40] = "";
  if (::gmtime_r(&now, &utc) != nullptr) {
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", &utc);
  }
  context.date = date;
  return ReportHtml(job, results, context, [&](bool plate, int element, bool with_curves) {
    return ExplainElement(job, results, plate ? ElementKind::Plate : ElementKind::Stiffener,
                          element, std::nullopt, with_curves);
  });
}

int RunJob(const std::string& job_path, OutputOptions out, bool no_progress, int32_t threads,
           const ExplainOptions* explain) {
  StagedOutputs staged;
  if (!PrepareOutputs(out, {{"the job", job_path}}, staged)) {
    return kExitUsage;
  }
  OstrelDesignCSA94_SetWorkerThreads(threads);
  Job job;
  try {
    job = ReadJob(job_path);
  } catch (const InputError& e) {
    SayInputError(job_path, e);
    return kExitUsage;
  }
  for (const std::string& warning : job.warnings) {
    Say("warning: " + warning);
  }

  MessageLines messages;
  MessageHandlerScope message_scope(messages);
  const OstrelAnalysisResultsClass analysis = AnalysisResultsFor(job);
  OstrelDesignCSA94_RegisterAnalysisResults(&analysis);
  Design design;
  if (design.object == nullptr) {
    throw std::bad_alloc();
  }
  if (!SendJob(design.object, job)) {
    return LibraryFailure(messages, 0, "the library refused the job");
  }

  const auto start = std::chrono::steady_clock::now();
  uint8_t done = 0;
  const int before = messages.shown;
  {
    std::unique_ptr<TerminalProgress> progress;
    if (!no_progress && ::isatty(STDERR_FILENO) != 0) {
      progress = TerminalProgress::OnConsole();
      messages.progress = progress.get();
      OstrelDesignCSA94_SetWindowHost(TerminalProgress::Pump, progress.get());
    } else {
      OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
    }
    const uint8_t result = clsDesignCSA94_RunDesign(design.object);
    OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
    messages.progress = nullptr;
    if (result == 0) {
      clsDesignCSA94_DesignDone(design.object, &done);
    }
    if (progress) {
      progress->Finish(std::string("design ") + (done != 0 ? "done" : "ended") + " in " +
                       SecondsText(SecondsSince(start)));
    }
    if (result != 0) {
      return LibraryFailure(messages, before, "the library refused the run");
    }
  }
  if (done == 0) {
    // A message during the run is either the library refusing the job (no
    // ultimate combination, ...) or an error that stopped it; without one,
    // the run was cancelled.
    if (messages.shown == before) {
      Say("the design was cancelled; no results written");
    } else if (messages.last.find("nexpected error") != std::string::npos) {
      Say("the design stopped with an error: " + messages.last + "; no results written");
    } else {
      Say("the library refused the run: " + messages.last + "; no results written");
    }
    return kExitFailed;
  }

  DesignResults results;
  if (!CollectResults(design.object, job.NumNodeRows(), static_cast<int>(job.plates.size()),
                      static_cast<int>(job.stiffeners.size()), results)) {
    return LibraryFailure(messages, before, "the results could not be read");
  }
  if (explain != nullptr) {
    try {
      const bool plate = explain->plate > 0;
      staged.SetContents("-", ExplainElement(job, results,
                                             plate ? ElementKind::Plate : ElementKind::Stiffener,
                                             plate ? explain->plate : explain->stiffener,
                                             explain->ratio, true)
                                      .dump(2) +
                                  "\n");
      staged.Commit();
    } catch (const std::runtime_error& e) {
      Say(e.what());
      return kExitFailed;
    }
    return kExitDone;
  }
  out.job = &job;
  ResultsContext context;
  context.units = job.bt_units == 0 ? UnitSystem::US : UnitSystem::SI;
  context.combination_names = job.combination_names;
  context.precision = out.precision;
  std::string report;
  if (!out.report_path.empty()) {
    try {
      report = DesignReport(job_path, job, results);
    } catch (const std::exception& e) {
      Say(std::string("cannot write the report: ") + e.what() + "; no results written");
      return kExitFailed;
    }
  }
  const int status =
      WriteOutputs(design.object, results, context, out, staged, messages, std::move(report));
  if (status == kExitDone) {
    Say("design done in " + SecondsText(SecondsSince(start)));
  }
  return status;
}

// The counts at the head of a stored design-results block.
struct BlockHead {
  uint8_t flag = 0;
  int16_t nodes = 0, plates = 0, stiffeners = 0;
};

// Checks the block at 1-based `offset` before the library reads it. Throws
// InputError for a file that is not a usable results block.
BlockHead ReadBlockHead(const std::string& path, int32_t offset) {
  const std::string bytes = ReadWholeFile(path);
  if (offset < 1 || static_cast<size_t>(offset) > bytes.size()) {
    throw InputError("", "offset " + std::to_string(offset) + " is not within the file (" +
                             std::to_string(bytes.size()) + " bytes)");
  }
  const size_t start = static_cast<size_t>(offset) - 1;
  BlockHead head;
  head.flag = static_cast<uint8_t>(bytes[start]);
  if (head.flag == 0) {
    return head;
  }
  if (head.flag != 1 || bytes.size() - start < 7) {
    throw InputError("", "no design-results block at offset " + std::to_string(offset));
  }
  auto int16_at = [&](size_t at) {
    const auto lo = static_cast<uint8_t>(bytes[at]);
    const auto hi = static_cast<uint8_t>(bytes[at + 1]);
    return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
  };
  head.nodes = int16_at(start + 1);
  head.plates = int16_at(start + 3);
  head.stiffeners = int16_at(start + 5);
  if (head.nodes < 1 || head.plates < 0 || head.stiffeners < 0) {
    throw InputError("", "the block at offset " + std::to_string(offset) +
                             " holds impossible counts");
  }
  const size_t length = 7 + 60 * static_cast<size_t>(head.nodes) +
                        66 * static_cast<size_t>(head.plates) +
                        168 * static_cast<size_t>(head.stiffeners);
  if (bytes.size() - start < length) {
    throw InputError("", "the block at offset " + std::to_string(offset) + " is cut short (" +
                             std::to_string(bytes.size() - start) + " of " +
                             std::to_string(length) + " bytes)");
  }
  return head;
}

int ShowStored(const std::string& path, int32_t offset, const std::string& units,
               const std::string& job_path, const OutputOptions& out) {
  if (units.empty() && job_path.empty()) {
    Say("show needs --job JOB.json or --units si|us: the stored block does not record the "
        "unit system");
    return kExitUsage;
  }
  StagedOutputs staged;
  if (!PrepareOutputs(out, {{"the stored file", path}, {"--job", job_path}}, staged)) {
    return kExitUsage;
  }
  BlockHead head;
  try {
    head = ReadBlockHead(path, offset);
  } catch (const InputError& e) {
    Say(path + ": " + e.what());
    return kExitUsage;
  }
  ResultsContext context;
  context.units = units == "us" ? UnitSystem::US : UnitSystem::SI;
  context.precision = out.precision;
  if (!job_path.empty()) {
    Job job;
    try {
      job = ReadJob(job_path);
    } catch (const InputError& e) {
      SayInputError(job_path, e);
      return kExitUsage;
    }
    if (head.flag != 0 && (job.l_NumNodes != head.nodes ||
                           job.plates.size() != static_cast<size_t>(head.plates) ||
                           job.stiffeners.size() != static_cast<size_t>(head.stiffeners))) {
      Say(job_path + ": the job's counts (" + std::to_string(job.l_NumNodes) + " nodes, " +
          std::to_string(job.plates.size()) + " plates, " +
          std::to_string(job.stiffeners.size()) + " stiffeners) are not those of the stored "
          "design (" + std::to_string(head.nodes) + ", " + std::to_string(head.plates) + ", " +
          std::to_string(head.stiffeners) + ")");
      return kExitUsage;
    }
    context.units = job.bt_units == 0 ? UnitSystem::US : UnitSystem::SI;
    context.combination_names = job.combination_names;
  }
  if (head.flag == 0) {
    Say(path + ": the block at offset " + std::to_string(offset) +
        " was saved without a design; nothing to show");
    return kExitFailed;
  }

  MessageLines messages;
  MessageHandlerScope message_scope(messages);
  Design design;
  if (design.object == nullptr) {
    throw std::bad_alloc();
  }
  const int before = messages.shown;
  if (clsDesignCSA94_ReadResults(design.object, path.c_str(), offset) != 0) {
    return LibraryFailure(messages, before, "cannot read the design results of " + path);
  }
  DesignResults results;
  if (!CollectResults(design.object, head.nodes, head.plates, head.stiffeners, results)) {
    return LibraryFailure(messages, before, "the results could not be read");
  }
  return WriteOutputs(design.object, results, context, out, staged, messages);
}

// The library's version, read from the name of the file it was loaded from
// (libOstrelDesignCSA94.so.1.0 -> 1.0).
std::string LibraryVersion() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&OstrelDesignCSA94_SetWindowHost), &info) == 0 ||
      info.dli_fname == nullptr) {
    return "unknown";
  }
  std::error_code ec;
  const std::string file = std::filesystem::canonical(info.dli_fname, ec).filename().string();
  const size_t so = file.find(".so.");
  return so == std::string::npos ? "unknown (" + file + ")" : file.substr(so + 4);
}

int Main(int argc, char** argv) {
  CLI::App app{"Reinforcement design of reinforced-concrete walls to CSA A23.3-94."};
  app.name(kProgram);
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string(kProgram) + " " + OSTREL_CLI_VERSION +
                                        ", library OstrelDesignCSA94 " + LibraryVersion());

  std::string job_path;
  OutputOptions run_out;
  bool no_progress = false;
  CLI::App* run = app.add_subcommand("run", "Design a job and write its results.");
  run->add_option("JOB", job_path, "The design job (JSON); - reads it from standard input.")
      ->required();
  run->add_option("-o,--output", run_out.json_path,
                  "Write the results JSON to this file (default, or -: standard output).");
  run->add_option("--csv", run_out.csv_dir,
                  "Write nodes.csv, plates.csv and stiffeners.csv into this folder.");
  run->add_option("--save-results", run_out.save_path,
                  "Append the design-results block to this file and print its offset.");
  run->add_option("--precision", run_out.precision,
                  "Significant digits of the CSV values (default 4); the JSON keeps every "
                  "value exactly.")
      ->check(CLI::Range(1, 9));
  run->add_option("--report", run_out.report_path,
                  "Write the design report (one self-contained HTML file) to this file.");
  run->add_flag("--no-progress", no_progress, "Do not draw the progress window.");
  run->add_flag("--explain", run_out.explain,
                "Add to every element of the results JSON, under \"explain\", its demands "
                "against the capacity and the reason for its status.");
  int32_t threads = 0;
  run->add_option("--threads", threads,
                  "Worker threads designing the elements: 0 (the default) one per hardware "
                  "thread, 1 the calling thread alone; the results are the same for every "
                  "number.")
      ->check(CLI::Range(0, 64));

  std::string report_job;
  OutputOptions report_out;
  report_out.results_json = false;
  int32_t report_threads = 0;
  CLI::App* report = app.add_subcommand(
      "report", "Design a job and write its design report: one HTML file that opens offline.");
  report->add_option("JOB", report_job, "The design job (JSON); - reads it from standard input.")
      ->required();
  report->add_option("-o,--output", report_out.report_path, "The report to write (HTML).")
      ->required();
  report->add_option("--threads", report_threads,
                     "Worker threads designing the elements (as for run).")
      ->check(CLI::Range(0, 64));
  report->add_flag("--no-progress", no_progress, "Do not draw the progress window.");

  std::string stored_path;
  int32_t offset = 0;
  std::string units;
  std::string show_job;
  OutputOptions show_out;
  CLI::App* show = app.add_subcommand("show", "Show a design stored with --save-results.");
  show->add_option("FILE", stored_path, "The file that holds the design-results block.")
      ->required();
  show->add_option("--offset", offset, "The block's offset, as printed when it was saved.")
      ->required();
  show->add_option("-o,--output", show_out.json_path,
                   "Write the results JSON to this file (default, or -: standard output).");
  show->add_option("--csv", show_out.csv_dir,
                   "Write nodes.csv, plates.csv and stiffeners.csv into this folder.");
  show->add_option("--precision", show_out.precision,
                   "Significant digits of the CSV values (default 4).")
      ->check(CLI::Range(1, 9));
  auto* units_option =
      show->add_option("--units", units, "Unit system of the stored design (not recorded in it).")
          ->check(CLI::IsMember({"si", "us"}));
  show->add_option("--job", show_job,
                   "The job of the stored design: its unit system and combination names.")
      ->excludes(units_option);

  std::string explain_job_path;
  ExplainOptions explain;
  float explain_ratio = 0;
  CLI::App* explain_cmd = app.add_subcommand(
      "explain", "Design a job and print one element's demands against its capacity (JSON).");
  explain_cmd->add_option("JOB", explain_job_path, "The design job (JSON).")->required();
  CLI::Option* plate_opt =
      explain_cmd->add_option("--plate", explain.plate, "The plate element to explain.")
          ->check(CLI::PositiveNumber);
  CLI::Option* stiffener_opt =
      explain_cmd->add_option("--stiffener", explain.stiffener, "The stiffener to explain.")
          ->check(CLI::PositiveNumber);
  plate_opt->excludes(stiffener_opt);
  CLI::Option* ratio_opt =
      explain_cmd
          ->add_option("--ratio", explain_ratio,
                       "Evaluate at this steel ratio (percent, both directions of a plate) "
                       "instead of the designed one.")
          ->check(CLI::Range(0.0f, 100.0f));
  explain_cmd->add_flag("--no-progress", no_progress, "Do not draw the progress window.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) {
      return app.exit(e);  // --help, --version
    }
    Say(std::string(e.what()) + " (see " + kProgram + " --help)");
    return kExitUsage;
  }
  if (run->parsed()) {
    return RunJob(job_path, run_out, no_progress, threads, nullptr);
  }
  if (report->parsed()) {
    return RunJob(report_job, report_out, no_progress, report_threads, nullptr);
  }
  if (explain_cmd->parsed()) {
    if (plate_opt->count() + stiffener_opt->count() != 1) {
      Say("explain needs --plate N or --stiffener N (see " + std::string(kProgram) + " --help)");
      return kExitUsage;
    }
    if (ratio_opt->count() != 0) {
      if (!(explain_ratio > 0)) {
        Say("--ratio must be greater than 0");
        return kExitUsage;
      }
      explain.ratio = explain_ratio;
    }
    return RunJob(explain_job_path, OutputOptions{}, no_progress, 0, &explain);
  }
  return ShowStored(stored_path, offset, units, show_job, show_out);
}

}  // namespace
}  // namespace ostrel::cli

// Every failure is an exit status and one line, never an abort.
int main(int argc, char** argv) {
  ostrel::cli::InstallSignalCleanup();
  try {
    return ostrel::cli::Main(argc, argv);
  } catch (const std::bad_alloc&) {
    ostrel::cli::Say("the job is too large for this machine");
    return ostrel::cli::kExitUsage;
  } catch (const std::exception& e) {
    ostrel::cli::Say(std::string("unexpected failure: ") + e.what());
  } catch (...) {
    ostrel::cli::Say("unexpected failure");
  }
  return ostrel::cli::kExitFailed;
}
