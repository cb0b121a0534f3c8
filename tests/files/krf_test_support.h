// Helpers of the day file tests: fresh folders, whole-file reading and writing, time zones and
// locales set for one test, and the little-endian bytes of single-precision values.
#pragma once

#include <locale.h>
#include <stdlib.h>
#include <time.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace spectrel::testing {

// A fresh folder per test, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/spectrel_krf.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    Path = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
  std::string File(const std::string& name) const { return Path + "/" + name; }
  std::string Path;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The time zone of the process for one scope.
class ScopedTz {
 public:
  explicit ScopedTz(const char* zone) {
    if (const char* old = ::getenv("TZ")) Old = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTz() {
    if (Old)
      ::setenv("TZ", Old->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> Old;
};

// Four bytes of a single-precision value, lowest first, whatever the host's byte order.
inline std::string FloatBytes(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  return bytes;
}

inline std::string Section(const std::vector<float>& values) {
  std::string bytes;
  for (float v : values) bytes += FloatBytes(v);
  return bytes;
}

inline float FloatFromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

// A German locale (decimal comma) for the whole process while in scope, built once into a
// private folder with localedef. Active() is false where the tools to build it are missing.
class ScopedCommaLocale {
 public:
  ScopedCommaLocale() {
    // Built once per test program and removed when it ends.
    struct Folder {
      std::string Dir;
      ~Folder() {
        std::error_code ec;
        if (!Dir.empty()) std::filesystem::remove_all(Dir, ec);
      }
    };
    static const Folder made = [] {
      char pattern[] = "/tmp/spectrel_locale.XXXXXX";
      Folder f;
      if (!::mkdtemp(pattern)) return f;
      f.Dir = pattern;
      const std::string command =
          "localedef -i de_DE -f UTF-8 " + f.Dir + "/de_DE.UTF-8 >/dev/null 2>&1";
      if (std::system(command.c_str()) != 0) {
        std::error_code ec;
        std::filesystem::remove_all(f.Dir, ec);
        f.Dir.clear();
      }
      return f;
    }();
    const std::string& folder = made.Dir;
    if (folder.empty()) return;
    ::setenv("LOCPATH", folder.c_str(), 1);
    On = ::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  }
  ~ScopedCommaLocale() {
    ::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
  }
  bool Active() const { return On; }

 private:
  bool On = false;
};

}  // namespace spectrel::testing
