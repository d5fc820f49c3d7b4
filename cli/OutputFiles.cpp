#include "OutputFiles.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace ostrel::cli {
namespace fs = std::filesystem;

std::string OutputTargetProblem(const std::string& path, bool is_directory) {
  std::error_code ec;
  const fs::path target(path);
  if (is_directory) {
    if (fs::exists(target, ec)) {
      return fs::is_directory(target, ec) ? "" : "exists and is not a folder";
    }
  } else if (fs::is_directory(target, ec)) {
    return "is a folder";
  }
  fs::path parent = target.parent_path();
  if (parent.empty()) {
    parent = ".";
  }
  if (!fs::is_directory(parent, ec)) {
    return "its folder " + parent.string() + " does not exist";
  }
  return "";
}

StagedOutputs::~StagedOutputs() {
  for (const auto& [temporary, final_path] : staged_) {
    (void)final_path;
    std::remove(temporary.c_str());
  }
}

void StagedOutputs::Stage(const std::string& path, const std::string& contents) {
  const std::string temporary = path + ".partial-" + std::to_string(::getpid());
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) {
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
  }
  staged_.emplace_back(temporary, path);
  const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  const int saved_errno = errno;
  if (std::fclose(file) != 0 || !written) {
    throw std::runtime_error("cannot write " + path + ": " +
                             std::strerror(written ? errno : saved_errno));
  }
}

void StagedOutputs::Commit() {
  while (!staged_.empty()) {
    const auto [temporary, final_path] = staged_.front();
    if (std::rename(temporary.c_str(), final_path.c_str()) != 0) {
      throw std::runtime_error("cannot write " + final_path + ": " + std::strerror(errno));
    }
    staged_.erase(staged_.begin());
  }
}

}  // namespace ostrel::cli
