// Safe file writing for the data files: a whole file is written beside its target and renamed over
// it in one step, and an append goes to an existing file only, all or nothing. Both hold an
// advisory lock (flock) while they write, so a second writer is refused instead of interleaved.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/unique_fd.h"

namespace spectrel {

// Writes a new file content under a temporary name in the target's folder and replaces the
// target atomically on Commit. A writer destroyed without Commit removes its temporary file and
// leaves the old target untouched.
class ReplaceFileWriter {
 public:
  ReplaceFileWriter() = default;
  ~ReplaceFileWriter();
  ReplaceFileWriter(const ReplaceFileWriter&) = delete;
  ReplaceFileWriter& operator=(const ReplaceFileWriter&) = delete;

  // Creates the temporary file; false when the folder is missing or not writable, or when the
  // existing target is locked by another writer.
  bool Open(const std::string& path);
  // Writes all bytes; false (and the writer is spoiled) on any error.
  bool Write(std::string_view bytes);
  // Renames the temporary file over the target; false on an earlier or a final error.
  bool Commit();

 private:
  void Discard();

  std::string Target;        // the file that is replaced
  std::string TempPath;      // the temporary file beside it, empty when none exists
  UniqueFd TempFd;           // the temporary file, locked
  UniqueFd TargetLockFd;     // the old target, locked while it is replaced
  bool Failed = false;       // a write failed: Commit refuses
};

// Appends bytes to an existing file with one locked write. Never creates the file. When the write
// fails midway the file is cut back to its former length, so it ends with its last complete block.
// Returns false when the file is missing, locked by another writer or the write failed.
bool AppendToExistingFile(const std::string& path, std::string_view bytes);

}  // namespace spectrel
