// Temporary folders, whole-file reads and writes, and a comma-decimal numeric locale for the
// settings tests.
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace spectrel::testing {

// A fresh folder per test, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "spectrel-settings-XXXXXX").string();
    Path = ::mkdtemp(pattern.data()) != nullptr ? pattern + "/" : std::string();
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Path, ec);
  }
  std::string Path;   // ends with '/'
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Switches LC_NUMERIC to a locale whose decimal point is ',' (compiling one into a private
// folder when the system has none) and back to "C" at the end.
class CommaLocale {
 public:
  CommaLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
      if (Try(name)) return;
    }
    const std::string command = "localedef -i de_DE -f UTF-8 " + Own.Path +
                                "de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(command.c_str()) >= 0 &&
        std::filesystem::exists(Own.Path + "de_DE.UTF-8/LC_NUMERIC")) {
      ::setenv("LOCPATH", Own.Path.c_str(), 1);
      UsedLocPath = true;
      Try("de_DE.UTF-8");
    }
  }
  ~CommaLocale() {
    std::setlocale(LC_NUMERIC, "C");
    if (UsedLocPath) ::unsetenv("LOCPATH");
  }
  bool Active = false;   // the decimal point is now ','

 private:
  bool Try(const char* name) {
    Active = std::setlocale(LC_NUMERIC, name) != nullptr &&
             std::string(std::localeconv()->decimal_point) == ",";
    return Active;
  }
  TempFolder Own;
  bool UsedLocPath = false;
};

}  // namespace spectrel::testing
