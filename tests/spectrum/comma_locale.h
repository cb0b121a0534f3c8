// A process locale whose decimal separator is a comma, for checking that numbers in files and
// reports keep their full stop. Uses an installed German locale, or compiles one into a
// temporary folder when the system has the locale sources.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace spectrel::testing {

class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
      if (Use(name)) return;
    char folder[] = "/tmp/spectrel-locale-XXXXXX";
    if (mkdtemp(folder) == nullptr) return;
    Folder = folder;
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + Folder + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0 && !std::filesystem::exists(Folder + "/de_DE.UTF-8"))
      return;
    setenv("LOCPATH", Folder.c_str(), 1);
    Use("de_DE.UTF-8");
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, "C");
    if (!Folder.empty()) {
      unsetenv("LOCPATH");
      std::error_code ignored;
      std::filesystem::remove_all(Folder, ignored);
    }
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool Active() const { return Ok; }

 private:
  bool Use(const char* name) {
    if (std::setlocale(LC_ALL, name) == nullptr) return false;
    Ok = std::localeconv()->decimal_point[0] == ',';
    if (!Ok) std::setlocale(LC_ALL, "C");
    return Ok;
  }
  std::string Folder;   // compiled locale, removed at the end
  bool Ok = false;      // the process now writes decimal commas
};

}  // namespace spectrel::testing
