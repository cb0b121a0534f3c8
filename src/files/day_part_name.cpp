#include "files/day_part_name.h"

#include <filesystem>

#include "files/station_names.h"

namespace spectrel {

std::string DayPartPath(const std::string& dayPath, int part) {
  if (part < 2) return dayPath;
  const std::size_t dot = dayPath.rfind('.');
  const std::size_t slash = dayPath.rfind('/');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::size_t at = hasExtension ? dot : dayPath.size();
  return dayPath.substr(0, at) + "_" + std::to_string(part) + dayPath.substr(at);
}

int DayPartOf(const std::string& path) {
  const std::string file = std::filesystem::path(path).filename().string();
  const auto name = ParseStationFileName(file);
  return name && name->Kind == StationFile::DayFile && NameOf(*name) == file ? name->Part : 0;
}

int LatestDayPart(const std::string& dayPath) {
  int part = 1;
  std::error_code ec;
  while (std::filesystem::exists(DayPartPath(dayPath, part + 1), ec)) ++part;
  return part;
}

}  // namespace spectrel
