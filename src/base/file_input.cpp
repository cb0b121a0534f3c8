#include "base/file_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/unique_fd.h"

namespace spectrel {

SmallFileRead ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
  bytes.clear();
  SmallFileRead result;
  result.MaxBytes = maxBytes;
  const auto fail = [&result](SmallFileError error) {
    result.Error = error;
    result.SystemError = errno;
    return result;
  };
  const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (!file) return fail(errno == ENOENT || errno == ENOTDIR ? SmallFileError::Missing : SmallFileError::Unreadable);
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) return fail(SmallFileError::Unreadable);
  if (!S_ISREG(st.st_mode)) return fail(SmallFileError::NotAFile);
  if (static_cast<std::size_t>(st.st_size) > maxBytes) return fail(SmallFileError::TooLarge);
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(file.Get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(SmallFileError::Unreadable);
    if (n == 0) break;   // the file shrank while it was read: keep what was there
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return result;
}

std::string SmallFileRead::Text() const {
  switch (Error) {
    case SmallFileError::None: return {};
    case SmallFileError::Missing: return "no such file";
    case SmallFileError::NotAFile: return "not a regular file";
    case SmallFileError::TooLarge: return "larger than " + std::to_string(MaxBytes) + " bytes";
    case SmallFileError::Unreadable: break;
  }
  return SystemError != 0 ? std::strerror(SystemError) : "cannot be read";
}

}  // namespace spectrel
