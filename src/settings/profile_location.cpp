// Where the profile lives: beside the program when its folder is writable (a portable install),
// otherwise in the user's configuration folder.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/profile.h"

namespace spectrel {

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string EnvText(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = EnvText("HOME");
  if (!home.empty()) return home;
  std::vector<char> buf(16384);
  struct passwd pw {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return "/tmp";
}

}  // namespace

ProfileLocation LocateProfile(const std::string& programPath) {
  std::error_code ec;
  std::filesystem::path program = std::filesystem::absolute(programPath, ec);
  if (ec) program = programPath;
  const std::string folder = WithSlash(program.parent_path().string());

  if (::access(folder.c_str(), W_OK | X_OK) == 0) {
    std::filesystem::path name = program.filename();
    name.replace_extension(".ini");
    return {folder + name.string(), folder};
  }

  const std::string home = WithSlash(HomeFolder());
  std::string config = EnvText("XDG_CONFIG_HOME");
  // Only an absolute configuration folder counts; a relative one is ignored.
  if (config.empty() || config.front() != '/') config = home + ".config";
  const std::string profileFolder = WithSlash(config) + "spectrel/";
  std::filesystem::create_directories(profileFolder, ec);
  return {profileFolder + "spectrel.ini", home + "Spectrel/"};
}

}  // namespace spectrel
