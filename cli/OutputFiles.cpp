#include "OutputFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace ostrel::cli {
namespace fs = std::filesystem;
namespace {

// The signal handler's list of what to remove; written only by the main
// thread, read by the handler with async-signal-safe calls alone.
constexpr int kSlots = 16;
constexpr size_t kPathBytes = 4096;
enum SlotKind : int { kFree = 0, kFile = 1, kFolder = 2 };
char g_slot_path[kSlots][kPathBytes];
volatile std::sig_atomic_t g_slot_kind[kSlots];
void (*volatile g_restore_terminal)() = nullptr;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void OnTerminatingSignal(int signal_number) {
  if (auto restore = g_restore_terminal) {
    restore();
  }
  for (int s = 0; s < kSlots; ++s) {
    if (g_slot_kind[s] == kFile) {
      ::unlink(g_slot_path[s]);
    }
  }
  for (int s = kSlots - 1; s >= 0; --s) {  // inner folders were registered later
    if (g_slot_kind[s] == kFolder) {
      ::rmdir(g_slot_path[s]);
    }
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);  // delivered as the handler returns
}

int Register(const std::string& path, SlotKind kind) {
  if (path.size() >= kPathBytes) {
    return -1;
  }
  for (int s = 0; s < kSlots; ++s) {
    if (g_slot_kind[s] == kFree) {
      std::memcpy(g_slot_path[s], path.c_str(), path.size() + 1);
      g_slot_kind[s] = kind;
      return s;
    }
  }
  return -1;
}

void Unregister(int slot) {
  if (slot >= 0) {
    g_slot_kind[slot] = kFree;
  }
}

[[noreturn]] void CannotWrite(const std::string& path, const std::string& why) {
  throw std::runtime_error("cannot write " + path + ": " + why);
}

std::string ErrnoText(int error) { return std::strerror(error); }

// The path a write ends up at once every symbolic link has been followed;
// the last link may point to a file that does not exist yet.
std::string FollowLinks(const std::string& path) {
  fs::path current(path);
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      return current.string();
    }
    std::error_code ec;
    const fs::path target = fs::read_symlink(current, ec);
    if (ec) {
      return current.string();
    }
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  CannotWrite(path, "too many levels of symbolic links");
}

std::string FolderOf(const std::string& path) {
  const fs::path parent = fs::path(path).parent_path();
  return parent.empty() ? std::string(".") : parent.string();
}

bool IsStandardOutput(const struct stat& info) {
  struct stat out {};
  return ::fstat(STDOUT_FILENO, &out) == 0 && out.st_dev == info.st_dev &&
         out.st_ino == info.st_ino;
}

void WriteAll(int fd, const std::string& contents, const std::string& path) {
  size_t done = 0;
  while (done < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      CannotWrite(path, ErrnoText(n < 0 ? errno : EIO));
    }
    done += static_cast<size_t>(n);
  }
}

mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// Blocks the cleanup signals for its lifetime; one that arrives meanwhile is
// delivered when the previous mask comes back.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t block;
    sigemptyset(&block);
    for (int s : kCleanupSignals) {
      sigaddset(&block, s);
    }
    ::sigprocmask(SIG_BLOCK, &block, &previous_);
  }
  ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace

void InstallSignalCleanup() {
  for (int s : kCleanupSignals) {
    struct sigaction action {};
    action.sa_handler = OnTerminatingSignal;
    sigemptyset(&action.sa_mask);
    for (int other : kCleanupSignals) {
      sigaddset(&action.sa_mask, other);
    }
    ::sigaction(s, &action, nullptr);
  }
}

void SetTerminalRestore(void (*restore)()) { g_restore_terminal = restore; }

std::string FileIdentity(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    return "inode " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
  }
  std::error_code ec;
  const fs::path resolved = fs::weakly_canonical(fs::absolute(FollowLinks(path), ec), ec);
  return "path " + resolved.lexically_normal().string();
}

StagedOutputs::~StagedOutputs() {
  for (Output& out : outputs_) {
    if (out.fd >= 0) {
      ::close(out.fd);
    }
    if (!out.temporary.empty()) {
      ::unlink(out.temporary.c_str());
    }
    Unregister(out.slot);
  }
  for (auto it = created_folders_.rbegin(); it != created_folders_.rend(); ++it) {
    ::rmdir(it->first.c_str());  // only when still empty
    Unregister(it->second);
  }
}

void StagedOutputs::PrepareFolder(const std::string& path) {
  const std::string folder = FollowLinks(path);
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) {
    if (!S_ISDIR(info.st_mode)) {
      CannotWrite(path, "exists and is not a folder");
    }
    return;
  }
  // The missing levels, outermost first.
  std::vector<fs::path> missing;
  for (fs::path p = fs::path(folder).lexically_normal(); !p.empty() && p != p.root_path();
       p = p.parent_path()) {
    if (::stat(p.c_str(), &info) == 0) {
      break;
    }
    missing.insert(missing.begin(), p);
    if (p.parent_path() == p) {
      break;
    }
  }
  for (const fs::path& p : missing) {
    const SignalsHeld held;  // created and registered with no signal between
    if (::mkdir(p.c_str(), 0777) != 0 && errno != EEXIST) {
      CannotWrite(path, "cannot create the folder " + p.string() + ": " + ErrnoText(errno));
    }
    created_folders_.emplace_back(p.string(), Register(p.string(), kFolder));
  }
}

void StagedOutputs::Prepare(const std::string& path) {
  Output out;
  out.path = path;
  if (path == "-") {
    out.kind = Kind::Stdout;
    outputs_.push_back(std::move(out));
    return;
  }
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;
  if (exists && IsStandardOutput(info)) {
    out.kind = Kind::Stdout;
  } else if (exists && S_ISDIR(info.st_mode)) {
    CannotWrite(path, "is a folder");
  } else if (exists && !S_ISREG(info.st_mode)) {
    // A device, FIFO or socket receives the bytes itself; it is opened only
    // when the results are ready, since a FIFO's open waits for a reader.
    out.kind = Kind::Direct;
    out.final_path = path;
    if (::access(path.c_str(), W_OK) != 0) {
      CannotWrite(path, ErrnoText(errno));
    }
  } else {
    out.kind = Kind::Replace;
    out.final_path = FollowLinks(path);
    const std::string folder = FolderOf(out.final_path);
    struct stat folder_info {};
    if (::stat(folder.c_str(), &folder_info) != 0 || !S_ISDIR(folder_info.st_mode)) {
      CannotWrite(path, "its folder " + folder + " does not exist");
    }
    const std::string base = fs::path(out.final_path).filename().string();
    for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
      out.temporary = folder + "/." + base + ".partial-" + std::to_string(::getpid()) + "-" +
                      std::to_string(attempt);
      // A terminating signal must not fall between the file's creation and
      // its registration for removal: hold those signals back until both
      // are done.
      const SignalsHeld held;
      out.fd = ::open(out.temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (out.fd >= 0) {
        out.slot = Register(out.temporary, kFile);
      }
      if (out.fd < 0 && errno != EEXIST) {
        const int error = errno;
        out.temporary.clear();
        CannotWrite(path, ErrnoText(error));
      }
    }
    if (out.fd < 0) {
      out.temporary.clear();
      CannotWrite(path, "no free temporary name in " + folder);
    }
    // Keep an existing file's permission bits and, where allowed, its owner.
    const mode_t mode = exists ? (info.st_mode & 07777) : NewFileMode();
    if (::fchmod(out.fd, mode) != 0) {
      const int error = errno;
      ::close(out.fd);
      ::unlink(out.temporary.c_str());
      Unregister(out.slot);
      CannotWrite(path, ErrnoText(error));
    }
    if (exists) {
      (void)::fchown(out.fd, info.st_uid, info.st_gid);
    }
  }
  outputs_.push_back(std::move(out));
}

void StagedOutputs::SetContents(const std::string& path, std::string contents) {
  for (Output& out : outputs_) {
    if (out.path == path) {
      out.contents = std::move(contents);
      return;
    }
  }
  throw std::logic_error("output not prepared: " + path);
}

void StagedOutputs::Commit() {
  // Every temporary file is filled before any is renamed, so a full disk
  // leaves every earlier file as it was.
  for (Output& out : outputs_) {
    if (out.kind == Kind::Replace) {
      WriteAll(out.fd, out.contents, out.path);
      const int fd = out.fd;
      out.fd = -1;
      if (::close(fd) != 0) {
        CannotWrite(out.path, ErrnoText(errno));
      }
    }
  }
  for (Output& out : outputs_) {
    switch (out.kind) {
      case Kind::Replace:
        if (::rename(out.temporary.c_str(), out.final_path.c_str()) != 0) {
          CannotWrite(out.path, ErrnoText(errno));
        }
        out.temporary.clear();
        Unregister(out.slot);
        out.slot = -1;
        break;
      case Kind::Direct: {
        const int fd = ::open(out.final_path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
          CannotWrite(out.path, ErrnoText(errno));
        }
        try {
          WriteAll(fd, out.contents, out.path);
        } catch (...) {
          ::close(fd);
          throw;
        }
        ::close(fd);
        break;
      }
      case Kind::Stdout:
        std::fflush(stdout);
        WriteAll(STDOUT_FILENO, out.contents, out.path == "-" ? "standard output" : out.path);
        break;
    }
  }
  for (auto& [folder, slot] : created_folders_) {
    Unregister(slot);
  }
  created_folders_.clear();
}

std::string AppendTargetProblem(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      return "is a folder";
    }
    return ::access(path.c_str(), W_OK) == 0 ? "" : ErrnoText(errno);
  }
  const std::string folder = FolderOf(FollowLinks(path));
  struct stat folder_info {};
  if (::stat(folder.c_str(), &folder_info) != 0 || !S_ISDIR(folder_info.st_mode)) {
    return "its folder " + folder + " does not exist";
  }
  const std::string probe = folder + "/.ostrel-probe-" + std::to_string(::getpid());
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    return "cannot be created: " + ErrnoText(errno);
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return "";
}

}  // namespace ostrel::cli
