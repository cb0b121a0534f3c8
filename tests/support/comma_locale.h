// A process locale whose decimal separator is a comma, for checking that numbers in files,
// profiles and reports keep their full stop. Uses an installed German or French locale, or
// compiles a German one with localedef once per test program into a private folder.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace spectrel::testing {

class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
      if (Use(name)) return;
    static const TempDir compiled;   // removed when the program ends
    static const bool made = std::system(("localedef -i de_DE -f UTF-8 '" + compiled.File("de_DE.UTF-8") +
                                          "' >/dev/null 2>&1").c_str()) == 0 ||
                             std::filesystem::exists(compiled.File("de_DE.UTF-8/LC_NUMERIC"));
    if (!made) return;
    ::setenv("LOCPATH", compiled.Path.c_str(), 1);
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
