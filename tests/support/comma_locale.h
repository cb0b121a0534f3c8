// A process locale whose decimal separator is a comma, for checking that numbers in files,
// profiles and reports keep their full stop. Uses an installed German or French locale, or
// compiles a German one with localedef once per test program into a private folder.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace spectrel::testing {

class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
      if (Use(name)) return;
    const std::string& folder = Compiled().Path;
    if (folder.empty()) return;
    ::setenv("LOCPATH", folder.c_str(), 1);
    UsedLocPath = true;
    Use("de_DE.UTF-8");
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, "C");
    if (UsedLocPath) ::unsetenv("LOCPATH");
  }
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool Active() const { return Ok; }

 private:
  // The compiled locale, made on first need and removed when the program ends.
  struct Folder {
    std::string Path;   // empty when localedef is missing or failed
    ~Folder() {
      std::error_code ignored;
      if (!Path.empty()) std::filesystem::remove_all(Path, ignored);
    }
  };
  static const Folder& Compiled() {
    static const Folder made = [] {
      Folder f;
      char pattern[] = "/tmp/spectrel-locale-XXXXXX";
      if (::mkdtemp(pattern) == nullptr) return f;
      f.Path = pattern;
      const std::string command =
          "localedef -i de_DE -f UTF-8 '" + f.Path + "/de_DE.UTF-8' >/dev/null 2>&1";
      if (std::system(command.c_str()) != 0 &&
          !std::filesystem::exists(f.Path + "/de_DE.UTF-8/LC_NUMERIC")) {
        std::error_code ignored;
        std::filesystem::remove_all(f.Path, ignored);
        f.Path.clear();
      }
      return f;
    }();
    return made;
  }
  bool Use(const char* name) {
    if (std::setlocale(LC_ALL, name) == nullptr) return false;
    Ok = std::localeconv()->decimal_point[0] == ',';
    if (!Ok) std::setlocale(LC_ALL, "C");
    return Ok;
  }
  bool UsedLocPath = false;   // LOCPATH points at the compiled locale
  bool Ok = false;            // the process now writes decimal commas
};

}  // namespace spectrel::testing
