// Safe file writing for the data files: a whole file is written beside its target and renamed over
// it in one step, and an append goes to an existing file only, all or nothing. Both hold an
// advisory lock (flock) while they write, so a second writer is refused instead of interleaved,
// and both reach the disk before they report success, so a power cut cannot undo a stored point.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/unique_fd.h"

namespace spectrel {

// The temporary name of a whole write of target: ".<name>.spectrel-tmp-<pid>-<n>" in the same
// folder. Only names of this form are ever removed as leftovers.
std::string TemporaryPathFor(const std::string& target, long pid, unsigned n);
// True when name (a bare file name) is a temporary name of ours; for target's name alone when
// target is not empty.
bool IsTemporaryName(std::string_view name, std::string_view targetName = {});
// Removes the leftover temporary files of target from an earlier crash (of any process but this
// one's writers still open); returns how many were removed.
int RemoveLeftoverTemporaries(const std::string& target);
// The same for every file of the folder.
int RemoveLeftoverTemporariesIn(const std::string& folder);

// Writes a new file content under a temporary name in the target's folder and replaces the
// target atomically on Commit. A writer destroyed without Commit removes its temporary file and
// leaves the old target untouched. Error() is the errno of the first failure.
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
  // Flushes the temporary file, renames it over the target and flushes the folder; false on an
  // earlier or a final error.
  bool Commit();
  // The same, but never replaces an existing target: false (EEXIST) when one has appeared.
  bool CommitNew();
  int Error() const { return ErrorCode; }

 private:
  bool Finish(bool replace);
  bool Fail();
  void Discard();

  std::string Target;        // the file that is replaced
  std::string TempPath;      // the temporary file beside it, empty when none exists
  UniqueFd TempFd;           // the temporary file, locked
  UniqueFd TargetLockFd;     // the old target, locked while it is replaced
  bool Failed = false;       // a write failed: Commit refuses
  int ErrorCode = 0;         // errno of the first failure, 0 when none
};

// Appends bytes to an existing file with one locked write and flushes them to disk. Never creates
// the file. When the write fails midway the file is cut back to its former length, so it ends
// with its last complete block. Returns false, with errno set, when the file is missing, locked
// by another writer or the write failed.
bool AppendToExistingFile(const std::string& path, std::string_view bytes);

// Flushes the folder holding path, so that a rename or a new name in it survives a power cut.
bool SyncFolderOf(const std::string& path);

}  // namespace spectrel
