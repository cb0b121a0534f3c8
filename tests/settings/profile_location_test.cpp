#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>

#include "settings/profile.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::TempDir;
using testing::WriteBytes;

TEST(ProfileLocation, BesideTheProgramWhenItsFolderIsWritableElseInTheConfigurationFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path + "/bin");
  ProfileLocation at = LocateProfile(dir.Path + "/bin/spectrel");
  EXPECT_EQ(at.ProfilePath, dir.Path + "/bin/spectrel.ini");
  EXPECT_EQ(at.AppFolder, dir.Path + "/bin/");
  at = LocateProfile(dir.Path + "/bin/spectrel.run");   // the extension is replaced
  EXPECT_EQ(at.ProfilePath, dir.Path + "/bin/spectrel.ini");
  // The configuration folder when the program's folder is not writable.
  WriteBytes(dir.Path + "/file", "x");   // a folder below a plain file cannot be written
  testing::ScopedEnv home("HOME", (dir.Path + "/home").c_str());
  {
    testing::ScopedEnv config("XDG_CONFIG_HOME", (dir.Path + "/cfg").c_str());
    const ProfileLocation at = LocateProfile(dir.Path + "/file/spectrel");
    EXPECT_EQ(at.ProfilePath, dir.Path + "/cfg/spectrel/spectrel.ini");
    EXPECT_EQ(at.AppFolder, dir.Path + "/home/Spectrel/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path + "/cfg/spectrel"));
  }
  {
    testing::ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    const ProfileLocation at = LocateProfile(dir.Path + "/file/spectrel");
    EXPECT_EQ(at.ProfilePath, dir.Path + "/home/.config/spectrel/spectrel.ini");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path + "/home/.config/spectrel"));
  }
  // Started without HOME (as a service may be): the account's home folder from the user database.
  testing::ScopedEnv noHome("HOME", nullptr), config("XDG_CONFIG_HOME", (dir.Path + "/cfg").c_str());
  const passwd* account = ::getpwuid(::getuid());
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(LocateProfile(dir.Path + "/file/spectrel").AppFolder, std::string(account->pw_dir) + "/Spectrel/");
}

}  // namespace
}  // namespace spectrel
