#include "archive/netcdf_day_writer.h"

#include <fcntl.h>
#include <netcdf.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "archive/day_content.h"

namespace spectrel::archive {

namespace {

void SyncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) throw std::system_error(errno, std::generic_category(), "cannot open " + path);
  const int result = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  if (result != 0) throw std::system_error(error, std::generic_category(), "cannot flush " + path);
}

}  // namespace

std::string TemporaryNetCdfPath(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path target(path);
  std::string name = "." + target.filename().string() + "." + std::to_string(::getpid()) + "-" +
                     std::to_string(counter.fetch_add(1)) + ".tmp";
  return (target.parent_path() / name).string();
}

std::string WriteNetCdfTemporary(const ArchiveDay& day, const ArchiveSettings& settings,
                                 const std::string& path) {
  std::string temp = TemporaryNetCdfPath(path);
  try {
    NetCdfFile file(temp);
    WriteDayContent(file, day, settings);
    file.Close();
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    throw;
  }
  return temp;
}

void CommitNetCdfDay(const std::string& temp, const std::string& path) {
  try {
    SyncPath(temp, O_RDONLY);
    if (std::rename(temp.c_str(), path.c_str()) != 0)
      throw std::system_error(errno, std::generic_category(), "cannot rename to " + path);
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    SyncPath(folder.empty() ? "." : folder.string(), O_RDONLY | O_DIRECTORY);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    throw;
  }
}

void WriteNetCdfDay(const ArchiveDay& day, const ArchiveSettings& settings, const std::string& path) {
  CommitNetCdfDay(WriteNetCdfTemporary(day, settings, path), path);
}

}  // namespace spectrel::archive
