#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "settings/profile.h"
#include "settings/settings_test_support.h"

namespace spectrel {
namespace {

using testing::TempFolder;
using testing::WriteText;

// Sets an environment variable (or removes it) for the life of the object; puts the old value back.
class EnvVar {
 public:
  EnvVar(const char* name, const std::optional<std::string>& value) : Name(name) {
    if (const char* old = std::getenv(name)) Old = old;
    Set(value);
  }
  ~EnvVar() { Set(Old); }

 private:
  void Set(const std::optional<std::string>& value) {
    value ? ::setenv(Name, value->c_str(), 1) : ::unsetenv(Name);
  }
  const char* Name;
  std::optional<std::string> Old;
};

TEST(ProfileLocation, BesideTheProgramWhenItsFolderIsWritable) {
  TempFolder dir;
  std::filesystem::create_directory(dir.Path + "bin");
  ProfileLocation at = LocateProfile(dir.Path + "bin/spectrel");
  EXPECT_EQ(at.ProfilePath, dir.Path + "bin/spectrel.ini");
  EXPECT_EQ(at.AppFolder, dir.Path + "bin/");
  at = LocateProfile(dir.Path + "bin/spectrel.run");   // the extension is replaced
  EXPECT_EQ(at.ProfilePath, dir.Path + "bin/spectrel.ini");
}

TEST(ProfileLocation, ConfigurationFolderWhenTheProgramFolderIsNotWritable) {
  TempFolder dir;
  WriteText(dir.Path + "file", "x");   // a folder below a plain file cannot be written
  EnvVar home("HOME", dir.Path + "home");
  {
    EnvVar config("XDG_CONFIG_HOME", dir.Path + "cfg");
    const ProfileLocation at = LocateProfile(dir.Path + "file/spectrel");
    EXPECT_EQ(at.ProfilePath, dir.Path + "cfg/spectrel/spectrel.ini");
    EXPECT_EQ(at.AppFolder, dir.Path + "home/Spectrel/");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path + "cfg/spectrel"));
  }
  EnvVar config("XDG_CONFIG_HOME", std::nullopt);
  const ProfileLocation at = LocateProfile(dir.Path + "file/spectrel");
  EXPECT_EQ(at.ProfilePath, dir.Path + "home/.config/spectrel/spectrel.ini");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path + "home/.config/spectrel"));
  // A folder without write permission, where permissions stop this user (not for root).
  std::filesystem::create_directory(dir.Path + "ro");
  ASSERT_EQ(::chmod((dir.Path + "ro").c_str(), 0555), 0);
  if (::access((dir.Path + "ro").c_str(), W_OK) != 0) {
    EXPECT_EQ(LocateProfile(dir.Path + "ro/spectrel").ProfilePath, dir.Path + "home/.config/spectrel/spectrel.ini");
  }
}

}  // namespace
}  // namespace spectrel
