// Output files written all-or-nothing: each is written beside its final name
// first and renamed into place only when every one of them has been written.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ostrel::cli {

// Why `path` cannot receive an output (its folder is missing, it is a folder,
// ...), or empty text when it can. With `is_directory` the path is a folder
// that is created when missing.
std::string OutputTargetProblem(const std::string& path, bool is_directory);

class StagedOutputs {
 public:
  StagedOutputs() = default;
  StagedOutputs(const StagedOutputs&) = delete;
  StagedOutputs& operator=(const StagedOutputs&) = delete;
  ~StagedOutputs();  // removes whatever was staged and not committed

  // Writes `contents` to a temporary file beside `path`; throws
  // std::runtime_error naming the file when it cannot.
  void Stage(const std::string& path, const std::string& contents);
  // Renames every staged file to its final name; throws std::runtime_error.
  void Commit();

 private:
  std::vector<std::pair<std::string, std::string>> staged_;  // temporary, final
};

}  // namespace ostrel::cli
