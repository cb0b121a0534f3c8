#include "measure/day_paths.h"

#include <cstdio>
#include <ctime>
#include <filesystem>

#include "base/local_time.h"

namespace spectrel {

std::string DayFilePath(const std::string& krfFolder, std::int64_t t) {
  return krfFolder + FormatLocal(t, "%Y") + "/" + FormatLocal(t, "%Y%m%d.KRF");
}

std::string HourCsvPath(const std::string& csvFolder, std::int64_t t) {
  return csvFolder + FormatLocal(t, "%Y") + "/" + FormatLocal(t, "%Y%m%d%H.CSV");
}

std::string EventLogPath(const std::string& krfFolder, std::int64_t t) {
  return krfFolder + FormatLocal(t, "%Y.LOG");
}

std::string TimeZoneText(std::int64_t t) {
  const std::optional<std::tm> local = LocalTm(t);
  const long offset = local ? local->tm_gmtoff : 0;
  // Integer division truncates toward zero: +5:30 gives +5, -3:30 gives -3.
  const int hours = static_cast<int>(offset / 3600);
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%+d", hours);
  return buffer;
}

std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

}  // namespace spectrel
