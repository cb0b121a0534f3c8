// Shared test helpers for real files: a fresh folder per test, whole-file bytes, UTC calendar
// times, and the time zone or any environment variable of one scope.
#pragma once

#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace spectrel::testing {

// Seconds since 1970 of a UTC calendar time.
inline std::int64_t Utc(int y, int mo, int d, int h, int mi = 0, int s = 0) {
  std::tm c{s, mi, h, d, mo - 1, y - 1900, 0, 0, 0, 0, nullptr};
  return ::timegm(&c);
}

// A fresh folder per test, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/spectrel_test.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    Path = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return Path + "/" + name; }
  // Entries in the folder: finds temporary files left behind.
  long Count() const { return std::distance(std::filesystem::directory_iterator(Path), {}); }
  std::string Path;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// An environment variable for one scope (unset when value is null), restored after.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : Name(name) {
    if (const char* old = ::getenv(name)) Old = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
    ::tzset();
  }
  ~ScopedEnv() {
    if (Old)
      ::setenv(Name.c_str(), Old->c_str(), 1);
    else
      ::unsetenv(Name.c_str());
    ::tzset();
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string Name;
  std::optional<std::string> Old;
};

// The time zone of the process for one scope.
class ScopedTz : public ScopedEnv {
 public:
  explicit ScopedTz(const char* zone) : ScopedEnv("TZ", zone) {}
};

}  // namespace spectrel::testing
