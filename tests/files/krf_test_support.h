// Helpers of the day file and CSV tests: fresh folders, whole-file reading and writing, the time
// zone of one test, and the little-endian bytes of single-precision values.
#pragma once

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
    char pattern[] = "/tmp/spectrel_files.XXXXXX";
    const char* made = ::mkdtemp(pattern);
    Path = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
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

// Four bytes per single-precision value, lowest first, whatever the host's byte order.
inline std::string Section(const std::vector<float>& values) {
  std::string bytes;
  for (float v : values)
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((std::bit_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return bytes;
}

inline float FloatFromBits(std::uint32_t bits) { return std::bit_cast<float>(bits); }

}  // namespace spectrel::testing
