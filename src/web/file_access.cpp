#include "web/file_access.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <memory>
#include <string>

namespace spectrel::web {

namespace {

// The real path of a file or folder, every link resolved; "" when it does not exist.
std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&::free)> real(::realpath(path.c_str(), nullptr), &::free);
  return real ? std::string(real.get()) : std::string();
}

const char* ContentType(FileKind kind) {
  switch (kind) {
    case FileKind::HourCsv: return "text/csv";
    case FileKind::NetCdfDay: return "application/x-netcdf";
    case FileKind::DayFile: break;
  }
  return "application/octet-stream";
}

}  // namespace

Response StationFileResponse(const StationFolders& folders, std::string_view name) {
  const auto file = ParseStationFileName(name);
  if (!file) return TextResponse(400, "not a station file name");
  const std::string root = RealPath(FolderOf(folders, file->Kind));
  const std::string real = RealPath(FolderOf(folders, file->Kind) + file->RelativePath);
  if (root.empty() || real.empty()) return TextResponse(404, "no such file");
  const std::string inside = root == "/" ? root : root + "/";
  if (real.compare(0, inside.size(), inside) != 0) return TextResponse(403, "outside the station's folder");
  // Opened without following a last link and without waiting on a pipe, then checked again by
  // what was opened: a link swapped in between the two looks is caught here.
  UniqueFd fd(::open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
  struct stat st{};
  if (!fd || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return TextResponse(404, "no such file");
  const std::string opened = RealPath("/proc/self/fd/" + std::to_string(fd.Get()));
  if (opened.compare(0, inside.size(), inside) != 0) return TextResponse(403, "outside the station's folder");
  Response response;
  response.ContentType = ContentType(file->Kind);
  response.File = std::move(fd);
  response.FileBytes = static_cast<std::int64_t>(st.st_size);
  response.Headers.push_back({"Content-Disposition", "attachment; filename=\"" + std::string(name) + "\""});
  return response;
}

}  // namespace spectrel::web
