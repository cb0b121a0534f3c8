// Reading a small file a user names (a profile, a status file) in bounded time and memory: never
// waiting on a named pipe or a device, never taking in more than the caller allows.
#pragma once

#include <cstddef>
#include <string>

namespace spectrel {

enum class SmallFileError {
  None,
  Missing,      // no such file (or a folder on its path is missing)
  NotAFile,     // a folder, a named pipe, a device or a socket
  TooLarge,     // larger than the caller's bound
  Unreadable,   // no permission, or the read failed
};

struct SmallFileRead {
  SmallFileError Error = SmallFileError::None;
  int SystemError = 0;          // errno of an unreadable file
  std::size_t MaxBytes = 0;     // the bound asked for
  // What went wrong, for a message: "no such file", "not a regular file", "larger than N bytes",
  // or the system's reason; empty when nothing did.
  std::string Text() const;
};

// Reads the regular file at path whole into bytes when it holds at most maxBytes. Opens without
// blocking, so a named pipe or a device in its place is refused at once.
SmallFileRead ReadSmallFile(const std::string& path, std::size_t maxBytes, std::string& bytes);

}  // namespace spectrel
