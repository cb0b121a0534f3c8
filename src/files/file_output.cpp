#include "files/file_output.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace spectrel {

namespace {

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
    if (n == 0) return false;
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

std::atomic<unsigned> TempCounter{0};   // tells apart the temporary files of one process

}  // namespace

ReplaceFileWriter::~ReplaceFileWriter() { Discard(); }

bool ReplaceFileWriter::Open(const std::string& path) {
  Discard();
  Target = path;
  Failed = false;

  // An existing target stays locked until it has been replaced, so an append cannot slip in
  // between and be lost with the old file.
  TargetLockFd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  mode_t mode = 0666;   // narrowed by the umask when the file is new
  bool keepMode = false;
  if (TargetLockFd) {
    if (!LockNow(TargetLockFd.Get())) {
      TargetLockFd.Reset();
      return false;
    }
    struct stat st {};
    if (::fstat(TargetLockFd.Get(), &st) == 0 && S_ISREG(st.st_mode)) {
      mode = st.st_mode & 07777;
      keepMode = true;
    }
  }

  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = path + ".~" + std::to_string(::getpid()) + "." +
                            std::to_string(TempCounter.fetch_add(1));
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
  if (!TempFd) {
    TargetLockFd.Reset();
    return false;
  }
  if (!LockNow(TempFd.Get())) {
    Discard();
    return false;
  }
  if (keepMode) ::fchmod(TempFd.Get(), mode);
  return true;
}

bool ReplaceFileWriter::Write(std::string_view bytes) {
  if (!TempFd || Failed) return false;
  if (!WriteAll(TempFd.Get(), bytes)) Failed = true;
  return !Failed;
}

bool ReplaceFileWriter::Commit() {
  if (!TempFd || Failed) {
    Discard();
    return false;
  }
  if (::rename(TempPath.c_str(), Target.c_str()) != 0) {
    Discard();
    return false;
  }
  TempPath.clear();
  TempFd.Reset();
  TargetLockFd.Reset();
  return true;
}

void ReplaceFileWriter::Discard() {
  if (!TempPath.empty()) ::unlink(TempPath.c_str());
  TempPath.clear();
  TempFd.Reset();
  TargetLockFd.Reset();
}

bool AppendToExistingFile(const std::string& path, std::string_view bytes) {
  // A whole-file write may replace the file between our open and our lock; then the descriptor
  // names the old, unlinked file and we open again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const UniqueFd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return false;
    struct stat own {};
    struct stat named {};
    if (!LockNow(fd.Get()) || ::fstat(fd.Get(), &own) != 0 || !S_ISREG(own.st_mode)) return false;
    if (::stat(path.c_str(), &named) != 0 || named.st_ino != own.st_ino ||
        named.st_dev != own.st_dev)
      continue;
    const off_t before = ::lseek(fd.Get(), 0, SEEK_END);
    const bool ok = before >= 0 && WriteAll(fd.Get(), bytes);
    if (!ok && before >= 0) {
      // Cut a half-written block away: the file keeps ending with its last complete block.
      while (::ftruncate(fd.Get(), before) != 0 && errno == EINTR) {
      }
    }
    return ok;
  }
  return false;
}

}  // namespace spectrel
