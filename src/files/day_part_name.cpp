#include "files/day_part_name.h"

#include <filesystem>

#include "files/station_names.h"

namespace spectrel {

std::string DayPartPath(const std::string& dayPath, int part) {
  const std::string file = std::filesystem::path(dayPath).filename().string();
  std::optional<StationFileName> name = ParseStationFileName(file);
  if (!name || name->Kind != StationFile::DayFile || NameOf(*name) != file) return part < 2 ? dayPath : std::string();
  name->Part = part < 2 ? 1 : part;
  return dayPath.substr(0, dayPath.size() - file.size()) + NameOf(*name);
}

int DayPartOf(const std::string& path) {
  const std::string file = std::filesystem::path(path).filename().string();
  const auto name = ParseStationFileName(file);
  return name && name->Kind == StationFile::DayFile && NameOf(*name) == file ? name->Part : 0;
}

int LatestDayPart(const std::string& dayPath) {
  std::error_code ec;
  for (int part = 1;; ++part) {
    const std::string next = DayPartPath(dayPath, part + 1);
    if (next.empty() || !std::filesystem::exists(next, ec)) return part;
  }
}

}  // namespace spectrel
