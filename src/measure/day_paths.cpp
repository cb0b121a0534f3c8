#include "measure/day_paths.h"

#include <cstdio>
#include <ctime>

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

std::int64_t LocalTimeOfDay(std::int64_t day, std::int64_t secondOfDay) {
  std::optional<std::tm> local = LocalTm(day);
  if (!local) return -1;
  std::tm& tm = *local;
  tm.tm_hour = static_cast<int>((secondOfDay / 3600) % 24);
  tm.tm_min = static_cast<int>((secondOfDay / 60) % 60);
  tm.tm_sec = static_cast<int>(secondOfDay % 60);
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

}  // namespace spectrel
