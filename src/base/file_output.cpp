#include "base/file_output.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace spectrel {

namespace {

constexpr std::string_view TempMark = ".spectrel-tmp-";   // between the name and <pid>-<n>

// Writes every byte, going on after short writes and interruptions.
bool WriteAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// Takes the writer's lock without waiting: a file held by another writer is refused at once.
bool LockNow(int fd) {
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Removes one leftover unless a live writer still holds its lock.
bool RemoveIfAbandoned(const std::string& path) {
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
  if (!fd) return false;
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || !LockNow(fd.Get())) return false;
  return ::unlink(path.c_str()) == 0;
}

// Removes the leftovers in folder whose name is ours (of targetName alone when not empty).
int RemoveLeftovers(const std::string& folder, std::string_view targetName) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (IsTemporaryName(entry->d_name, targetName) &&
        RemoveIfAbandoned(folder + "/" + entry->d_name))
      ++removed;
  }
  ::closedir(dir);
  return removed;
}

std::atomic<unsigned> TempCounter{0};   // tells apart the temporary files of one process

}  // namespace

std::string TemporaryPathFor(const std::string& target, long pid, unsigned n) {
  const std::string folder = FolderOf(target);
  const std::string prefix = target.find('/') == std::string::npos ? "" : folder + "/";
  return prefix + "." + NameOf(target) + std::string(TempMark) + std::to_string(pid) + "-" +
         std::to_string(n);
}

bool IsTemporaryName(std::string_view name, std::string_view targetName) {
  const size_t mark = name.rfind(TempMark);
  if (name.size() < 2 || name[0] != '.' || mark == std::string_view::npos || mark < 2) return false;
  if (!targetName.empty() && name.substr(1, mark - 1) != targetName) return false;
  const std::string_view numbers = name.substr(mark + TempMark.size());
  const size_t dash = numbers.find('-');
  return dash != std::string_view::npos && AllDigits(numbers.substr(0, dash)) &&
         AllDigits(numbers.substr(dash + 1));
}

int RemoveLeftoverTemporaries(const std::string& target) {
  return RemoveLeftovers(FolderOf(target), NameOf(target));
}

int RemoveLeftoverTemporariesIn(const std::string& folder) { return RemoveLeftovers(folder, {}); }

bool SyncFolderOf(const std::string& path) {
  const UniqueFd dir(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Some file systems refuse to flush a folder; the rename itself has been done.
  return dir && (::fsync(dir.Get()) == 0 || errno == EINVAL);
}

ReplaceFileWriter::~ReplaceFileWriter() { Discard(); }

bool ReplaceFileWriter::Fail() {
  if (ErrorCode == 0) ErrorCode = errno != 0 ? errno : EIO;
  Failed = true;
  return false;
}

bool ReplaceFileWriter::Open(const std::string& path) {
  Discard();
  Target = path;
  Failed = false;
  ErrorCode = 0;

  // An existing target stays locked until it has been replaced, so an append cannot slip in
  // between and be lost with the old file.
  TargetLockFd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  mode_t mode = 0666;   // narrowed by the umask when the file is new
  bool keepMode = false;
  if (TargetLockFd) {
    if (!LockNow(TargetLockFd.Get())) {
      TargetLockFd.Reset();
      return Fail();
    }
    struct stat st {};
    if (::fstat(TargetLockFd.Get(), &st) == 0 && S_ISREG(st.st_mode)) {
      mode = st.st_mode & 07777;
      keepMode = true;
    }
  }
  // What an earlier crash left of this file's whole writes goes first.
  RemoveLeftoverTemporaries(path);

  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = TemporaryPathFor(path, ::getpid(), TempCounter.fetch_add(1));
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      break;
    }
    TempFd.Reset(fd);
    TempPath = std::move(candidate);
    break;
  }
  if (!TempFd || !LockNow(TempFd.Get())) {
    Fail();
    Discard();
    return false;
  }
  if (keepMode) ::fchmod(TempFd.Get(), mode);
  return true;
}

bool ReplaceFileWriter::Write(std::string_view bytes) {
  if (!TempFd || Failed) return false;
  if (!WriteAll(TempFd.Get(), bytes)) Fail();
  return !Failed;
}

bool ReplaceFileWriter::Commit() { return Finish(true); }

bool ReplaceFileWriter::CommitNew() { return Finish(false); }

bool ReplaceFileWriter::Finish(bool replace) {
  if (!TempFd || Failed) {
    if (ErrorCode == 0) ErrorCode = EBADF;
    Discard();
    return false;
  }
  // The content reaches the disk before its name does: a power cut leaves the old file or the new.
  bool ok = ::fsync(TempFd.Get()) == 0;
  if (ok && replace) {
    ok = ::rename(TempPath.c_str(), Target.c_str()) == 0;
  } else if (ok) {
    // A hard link never replaces an existing name.
    ok = ::link(TempPath.c_str(), Target.c_str()) == 0;
    if (ok) ::unlink(TempPath.c_str());
  }
  if (!ok) {
    Fail();
    Discard();
    return false;
  }
  TempPath.clear();
  TempFd.Reset();
  TargetLockFd.Reset();
  if (!SyncFolderOf(Target)) return Fail();
  return true;
}

void ReplaceFileWriter::Discard() {
  const int saved = errno;
  if (!TempPath.empty()) ::unlink(TempPath.c_str());
  TempPath.clear();
  TempFd.Reset();
  TargetLockFd.Reset();
  errno = saved;
}

bool AppendToExistingFile(const std::string& path, std::string_view bytes) {
  // A whole-file write may replace the file between our open and our lock; then the descriptor
  // names the old, unlinked file and we open again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const UniqueFd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return false;
    struct stat own {};
    struct stat named {};
    if (!LockNow(fd.Get()) || ::fstat(fd.Get(), &own) != 0) return false;
    if (!S_ISREG(own.st_mode)) {
      errno = EINVAL;
      return false;
    }
    if (::stat(path.c_str(), &named) != 0 || named.st_ino != own.st_ino ||
        named.st_dev != own.st_dev)
      continue;
    const off_t before = ::lseek(fd.Get(), 0, SEEK_END);
    const bool ok = before >= 0 && WriteAll(fd.Get(), bytes) && ::fdatasync(fd.Get()) == 0;
    if (!ok && before >= 0) {
      // Cut a half-written block away: the file keeps ending with its last complete block.
      const int saved = errno;
      while (::ftruncate(fd.Get(), before) != 0 && errno == EINTR) {
      }
      errno = saved;
    }
    return ok;
  }
  errno = EBUSY;
  return false;
}

}  // namespace spectrel
