// Output files that never destroy anything. A new path or an existing
// regular file is written to a temporary file in the same folder and renamed
// over it, keeping the existing file's permission bits; a symbolic link is
// followed and the file it points to is written that way (the link stays a
// link); a character device, FIFO or socket is written directly; "-", or a
// path that is the process's own standard output, writes there. Temporary
// files are made before the design starts, so an unwritable output fails at
// once, and they are removed on every exit, a terminating signal included.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ostrel::cli {

// Removes the registered temporary files and folders and restores the
// terminal on SIGINT, SIGTERM, SIGHUP and SIGQUIT, then ends the process
// with the signal's usual status. Installed once, at the start of main.
void InstallSignalCleanup();
// The terminal restore the handler calls first (null: none).
void SetTerminalRestore(void (*restore)());

// Identity of the file a path names after following links: device and inode
// when it exists, else the absolute path it would be created at.
std::string FileIdentity(const std::string& path);

class StagedOutputs {
 public:
  StagedOutputs() = default;
  StagedOutputs(const StagedOutputs&) = delete;
  StagedOutputs& operator=(const StagedOutputs&) = delete;
  ~StagedOutputs();  // removes every temporary file and created folder not committed

  // Makes a missing folder (removed again unless committed); throws
  // std::runtime_error naming the folder.
  void PrepareFolder(const std::string& path);
  // Gets `path` ready to receive an output: its temporary file is created
  // now. Throws std::runtime_error naming the file when it cannot be written.
  void Prepare(const std::string& path);
  // The contents a prepared path receives at Commit.
  void SetContents(const std::string& path, std::string contents);
  // Writes every prepared output; throws std::runtime_error.
  void Commit();

 private:
  enum class Kind { Stdout, Replace, Direct };
  struct Output {
    std::string path;        // as given
    Kind kind = Kind::Replace;
    std::string final_path;  // Replace: the file renamed over; Direct: the file written
    std::string temporary;   // Replace only
    int fd = -1;             // Replace: the open temporary file
    int slot = -1;           // its place in the signal handler's list
    std::string contents;
  };
  std::vector<Output> outputs_;
  std::vector<std::pair<std::string, int>> created_folders_;  // path, slot
};

// Checks before a run that the library can append to `path` (existing
// regular file or device, or a new file in a writable folder); returns the
// reason when it cannot, else empty text.
std::string AppendTargetProblem(const std::string& path);

}  // namespace ostrel::cli
