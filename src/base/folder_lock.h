// One station per data folder: whoever measures into a folder holds its lock file, so that a
// second runner, a manual measurement or the desktop program cannot interleave points with it.
#pragma once

#include <string>

#include "base/unique_fd.h"

namespace spectrel {

class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock() { Release(); }   // a clean end leaves no holder behind to be taken for a stale one
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // The lock file of a data folder (the folder text ends with '/' or is empty).
  static std::string LockPath(const std::string& folder);

  // Takes the folder's lock for this process, naming it program. False when another live process
  // holds it; Holder() then says who ("pid 12, spectrel-cli run"), or when the lock file cannot be
  // made (Holder() empty, Error() the reason).
  bool Acquire(const std::string& folder, const std::string& program);
  void Release();
  bool Held() const { return Fd.Valid(); }

  const std::string& Holder() const { return HolderText; }
  const std::string& Error() const { return ErrorText; }
  // A lock left by a process that is gone (a station killed or a power cut) and taken over:
  // "pid 12, spectrel-cli run"; empty when the lock was free and clean.
  const std::string& TakenOverFrom() const { return Stale; }

 private:
  UniqueFd Fd;               // the lock file, locked while held
  std::string HolderText;    // who holds the lock when Acquire failed
  std::string ErrorText;     // why the lock file could not be made
  std::string Stale;         // whose lock was taken over
};

}  // namespace spectrel
