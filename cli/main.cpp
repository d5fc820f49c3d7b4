// ostrel-design: runs a wall design from a job file, or shows a stored design,
// through the library's public C interface.
//
// Exit status: 0 the design is done; 1 the library refused or failed (its
// message has been shown) or the design did not complete; 2 a usage error or
// an unreadable or malformed file (nothing is written then).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

#include "DesignSession.h"
#include "Explain.h"
#include "Job.h"
#include "JobAnalysis.h"
#include "OstrelDesignCSA94.h"
#include "OutputFiles.h"
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

  static void Show(void* context, const char* text, const char* title) {
    auto* self = static_cast<MessageLines*>(context);
    std::string line = std::string(title) + ": ";
    for (const char* p = text; *p != '\0'; ++p) {
      if (p[0] == '\r' && p[1] == '\n') {
        line += " / ";
        ++p;
      } else if (*p == '\r' || *p == '\n') {
        line += " / ";
      } else {
        line += *p;
      }
    }
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
  bool explain = false;     // explanations added to the results JSON (run only)
  const Job* job = nullptr;  // the job designed, for the explanations
};

// `explain`: the element whose explanation is printed instead of the results.
struct ExplainOptions {
  int plate = 0;
  int stiffener = 0;
  std::optional<float> ratio;
};

// Prints one line naming an output that cannot be written and returns false;
// true when every requested output can be written.
bool CheckOutputTargets(const OutputOptions& out) {
  const std::pair<const std::string*, bool> targets[] = {
      {&out.json_path, false}, {&out.csv_dir, true}, {&out.save_path, false}};
  for (const auto& [path, is_dir] : targets) {
    if (path->empty()) {
      continue;
    }
    const std::string problem = OutputTargetProblem(*path, is_dir);
    if (!problem.empty()) {
      Say(*path + ": " + problem);
      return false;
    }
  }
  return true;
}

// A library method returned 1; explain it when the library showed nothing.
int LibraryFailure(const MessageLines& messages, int shown_before, const std::string& what) {
  if (messages.shown == shown_before) {
    Say(what);
  }
  return kExitFailed;
}

// Writes the results: JSON and CSV files all-or-nothing, the design-results
// block appended when asked, then the JSON on standard output when no file
// was named.
int WriteOutputs(clsDesignCSA94* design, const DesignResults& results, UnitSystem units,
                 const OutputOptions& out, MessageLines& messages) {
  std::string json;
  try {
    json = out.explain && out.job != nullptr
               ? WithExplanations(ResultsJson(results), *out.job, results)
               : ResultsJson(results);
  } catch (const std::exception& e) {
    Say(e.what());
    return kExitFailed;
  }
  try {
    StagedOutputs staged;
    if (!out.json_path.empty()) {
      staged.Stage(out.json_path, json);
    }
    if (!out.csv_dir.empty()) {
      std::filesystem::create_directories(out.csv_dir);
      const std::filesystem::path dir(out.csv_dir);
      staged.Stage((dir / "nodes.csv").string(), NodesCsv(results, units));
      staged.Stage((dir / "plates.csv").string(), PlatesCsv(results, units));
      staged.Stage((dir / "stiffeners.csv").string(), StiffenersCsv(results, units));
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
  } catch (const std::exception& e) {
    Say(e.what());
    return kExitFailed;
  }
  if (out.json_path.empty()) {
    std::fwrite(json.data(), 1, json.size(), stdout);
    std::fflush(stdout);
  }
  std::fputs(SummaryText(results).c_str(), stderr);
  return kExitDone;
}

struct Design {
  clsDesignCSA94* object = clsDesignCSA94_Create();
  ~Design() { clsDesignCSA94_Release(object); }
};

int RunJob(const std::string& job_path, OutputOptions out, bool no_progress, int32_t threads,
           const ExplainOptions* explain) {
  if (!CheckOutputTargets(out)) {
    return kExitUsage;
  }
  OstrelDesignCSA94_SetWorkerThreads(threads);
  Job job;
  try {
    job = ParseJob(ReadWholeFile(job_path));
  } catch (const InputError& e) {
    Say(job_path + ": " + (e.KeyPath().empty() ? "" : e.KeyPath() + ": ") + e.what());
    return kExitUsage;
  }

  MessageLines messages;
  MessageHandlerScope message_scope(messages);
  const OstrelAnalysisResultsClass analysis = AnalysisResultsFor(job);
  OstrelDesignCSA94_RegisterAnalysisResults(&analysis);
  Design design;
  if (design.object == nullptr) {
    Say("out of memory");
    return kExitFailed;
  }
  if (!SendJob(design.object, job)) {
    return kExitFailed;
  }

  const auto start = std::chrono::steady_clock::now();
  uint8_t done = 0;
  {
    std::optional<TerminalProgress> progress;
    if (!no_progress && ::isatty(STDERR_FILENO) != 0) {
      progress.emplace();
      messages.progress = &*progress;
      OstrelDesignCSA94_SetWindowHost(TerminalProgress::Pump, &*progress);
    } else {
      OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
    }
    const int before = messages.shown;
    const uint8_t result = clsDesignCSA94_RunDesign(design.object);
    OstrelDesignCSA94_SetWindowHost(nullptr, nullptr);
    messages.progress = nullptr;
    if (result != 0) {
      return LibraryFailure(messages, before, "the design could not be started");
    }
    clsDesignCSA94_DesignDone(design.object, &done);
  }
  if (done == 0) {
    Say("the design did not complete (stopped or cancelled); no results written");
    return kExitFailed;
  }

  DesignResults results;
  if (!CollectResults(design.object, job.NumNodeRows(), static_cast<int>(job.plates.size()),
                      static_cast<int>(job.stiffeners.size()), results)) {
    return kExitFailed;
  }
  if (explain != nullptr) {
    try {
      const bool plate = explain->plate > 0;
      const std::string text =
          ExplainElement(job, results, plate ? ElementKind::Plate : ElementKind::Stiffener,
                         plate ? explain->plate : explain->stiffener, explain->ratio, true)
              .dump(2) +
          "\n";
      std::fwrite(text.data(), 1, text.size(), stdout);
      std::fflush(stdout);
      return kExitDone;
    } catch (const std::exception& e) {
      Say(e.what());
      return kExitFailed;
    }
  }
  out.job = &job;
  const int status = WriteOutputs(design.object, results, static_cast<UnitSystem>(job.bt_units),
                                  out, messages);
  if (status == kExitDone) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char elapsed[64];
    std::snprintf(elapsed, sizeof elapsed, "elapsed %.2f s\n", seconds);
    std::fputs(elapsed, stderr);
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
               const OutputOptions& out) {
  if (!CheckOutputTargets(out)) {
    return kExitUsage;
  }
  BlockHead head;
  try {
    head = ReadBlockHead(path, offset);
  } catch (const InputError& e) {
    Say(path + ": " + e.what());
    return kExitUsage;
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
    Say("out of memory");
    return kExitFailed;
  }
  const int before = messages.shown;
  if (clsDesignCSA94_ReadResults(design.object, path.c_str(), offset) != 0) {
    return LibraryFailure(messages, before, "cannot read the design results of " + path);
  }
  DesignResults results;
  if (!CollectResults(design.object, head.nodes, head.plates, head.stiffeners, results)) {
    return kExitFailed;
  }
  return WriteOutputs(design.object, results, units == "us" ? UnitSystem::US : UnitSystem::SI,
                      out, messages);
}

int Main(int argc, char** argv) {
  CLI::App app{"Reinforcement design of reinforced-concrete walls to CSA A23.3-94."};
  app.name(kProgram);
  app.require_subcommand(1);

  std::string job_path;
  OutputOptions run_out;
  bool no_progress = false;
  CLI::App* run = app.add_subcommand("run", "Design a job and write its results.");
  run->add_option("JOB", job_path, "The design job (JSON).")->required();
  run->add_option("-o,--output", run_out.json_path,
                  "Write the results JSON to this file (default: standard output).");
  run->add_option("--csv", run_out.csv_dir,
                  "Write nodes.csv, plates.csv and stiffeners.csv into this folder.");
  run->add_option("--save-results", run_out.save_path,
                  "Append the design-results block to this file and print its offset.");
  run->add_flag("--no-progress", no_progress, "Do not draw the progress window.");
  bool with_explain = false;
  run->add_flag("--explain", with_explain,
                "Add to every element of the results JSON, under \"explain\", its demands "
                "against the capacity and the reason for its status.");
  int32_t threads = 0;
  run->add_option("--threads", threads,
                  "Worker threads designing the elements: 0 (the default) one per hardware "
                  "thread, 1 the calling thread alone; the results are the same for every "
                  "number.")
      ->check(CLI::Range(0, 64));

  std::string stored_path;
  int32_t offset = 0;
  std::string units = "si";
  OutputOptions show_out;
  CLI::App* show = app.add_subcommand("show", "Show a design stored with --save-results.");
  show->add_option("FILE", stored_path, "The file that holds the design-results block.")
      ->required();
  show->add_option("--offset", offset, "The block's offset, as printed when it was saved.")
      ->required();
  show->add_option("-o,--output", show_out.json_path,
                   "Write the results JSON to this file (default: standard output).");
  show->add_option("--csv", show_out.csv_dir,
                   "Write nodes.csv, plates.csv and stiffeners.csv into this folder.");
  show->add_option("--units", units, "Unit system of the stored design, for the CSV headers.")
      ->check(CLI::IsMember({"si", "us"}));

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
  CLI::Option* ratio_opt = explain_cmd->add_option(
      "--ratio", explain_ratio,
      "Evaluate at this steel ratio (percent, both directions of a plate) instead of the "
      "designed one.")->check(CLI::Range(0.0f, 100.0f));
  explain_cmd->add_flag("--no-progress", no_progress, "Do not draw the progress window.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) {
      return app.exit(e);  // --help
    }
    Say(std::string(e.what()) + " (see " + kProgram + " --help)");
    return kExitUsage;
  }
  if (run->parsed()) {
    run_out.explain = with_explain;
    return RunJob(job_path, run_out, no_progress, threads, nullptr);
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
  return ShowStored(stored_path, offset, units, show_out);
}

}  // namespace
}  // namespace ostrel::cli

int main(int argc, char** argv) { return ostrel::cli::Main(argc, argv); }
