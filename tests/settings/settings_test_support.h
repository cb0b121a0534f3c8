// Temporary folders and whole-file reads and writes for the settings tests.
#pragma once

#include <stdlib.h>

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
    std::filesystem::permissions(Path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(Path, ec);
  }
  long Count() const { return std::distance(std::filesystem::directory_iterator(Path), {}); }
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

}  // namespace spectrel::testing
