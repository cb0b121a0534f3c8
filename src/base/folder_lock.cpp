#include "base/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace spectrel {

namespace {

// What the lock file says of its holder: "pid program" on one line.
std::string ReadHolder(int fd) {
  char text[256];
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return {};
  std::string line(text, static_cast<std::size_t>(n));
  line = line.substr(0, line.find('\n'));
  return line;
}

// "pid 12, spectrel-cli run" from "12 spectrel-cli run".
std::string DescribeHolder(const std::string& line) {
  const std::size_t blank = line.find(' ');
  if (line.empty() || blank == std::string::npos) return line.empty() ? "another process" : "pid " + line;
  return "pid " + line.substr(0, blank) + ", " + line.substr(blank + 1);
}

}  // namespace

std::string FolderLock::LockPath(const std::string& folder) { return folder + ".station.lock"; }

bool FolderLock::Acquire(const std::string& folder, const std::string& program) {
  Release();
  HolderText.clear();
  ErrorText.clear();
  Stale.clear();
  const std::string path = LockPath(folder);
  // Never waits: a named pipe or a device put in the lock file's place is refused at once.
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0644));
  if (!fd) {
    ErrorText = "cannot make " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    ErrorText = path + " is not a regular file";
    return false;
  }
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) {
      ErrorText = "cannot lock " + path + ": " + std::strerror(errno);
      return false;
    }
    HolderText = DescribeHolder(ReadHolder(fd.Get()));
    return false;
  }
  // The lock is free: a holder named in the file is a process that ended without releasing it
  // (the kernel drops the lock of a process that dies).
  if (const std::string previous = ReadHolder(fd.Get()); !previous.empty()) Stale = DescribeHolder(previous);
  const std::string line = std::to_string(::getpid()) + " " + program + "\n";
  if (::ftruncate(fd.Get(), 0) != 0 || ::pwrite(fd.Get(), line.data(), line.size(), 0) != static_cast<ssize_t>(line.size())) {
    ErrorText = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  Fd = std::move(fd);
  return true;
}

void FolderLock::Release() {
  if (!Fd) return;
  // Emptied first, so the next holder does not take a clean stop for a stale lock; a failure only
  // makes the next holder say it took the lock over.
  [[maybe_unused]] const int emptied = ::ftruncate(Fd.Get(), 0);
  Fd.Reset();
}

}  // namespace spectrel
