// One station per data folder: a second holder is refused with the first one named, and a lock
// left by a process that died is taken over and said.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "base/folder_lock.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

// A child process that takes the folder's lock as "spectrel-cli run" and waits to be killed.
pid_t HoldInChild(const std::string& folder) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    FolderLock lock;
    const char held = lock.Acquire(folder, "spectrel-cli run") ? 'y' : 'n';
    (void)::write(ready[1], &held, 1);
    ::pause();
    ::_exit(0);
  }
  char held = 0;
  const bool ok = ::read(ready[0], &held, 1) == 1 && held == 'y';
  ::close(ready[0]);
  ::close(ready[1]);
  return ok ? child : -1;
}

TEST(FolderLock, SecondStationOnAFolderIsRefusedWithTheFirstNamed) {
  testing::TempDir dir;
  const std::string folder = dir.Path + "/";
  const pid_t first = HoldInChild(folder);
  ASSERT_GT(first, 0);
  FolderLock second;
  EXPECT_FALSE(second.Acquire(folder, "spectrel-cli measure"));
  EXPECT_EQ(second.Holder(), "pid " + std::to_string(first) + ", spectrel-cli run");
  ::kill(first, SIGKILL);   // a power cut: the lock file still names the dead holder
  ::waitpid(first, nullptr, 0);
  ASSERT_TRUE(second.Acquire(folder, "spectrel-cli measure"));
  EXPECT_EQ(second.TakenOverFrom(), "pid " + std::to_string(first) + ", spectrel-cli run");
  second.Release();
  FolderLock third;   // a clean release leaves nothing to take over
  ASSERT_TRUE(third.Acquire(folder, "spectrel"));
  EXPECT_EQ(third.TakenOverFrom(), "");
}

TEST(FolderLock, FolderThatCannotHoldTheLockSaysWhy) {
  FolderLock lock;
  EXPECT_FALSE(lock.Acquire("/nonexistent-station-folder/", "spectrel-cli run"));
  EXPECT_EQ(lock.Holder(), "");
  EXPECT_NE(lock.Error().find("No such file or directory"), std::string::npos) << lock.Error();
}

}  // namespace
}  // namespace spectrel
