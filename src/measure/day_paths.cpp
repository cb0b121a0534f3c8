#include "measure/day_paths.h"

#include <cstdio>
#include <ctime>

namespace spectrel {
namespace {

bool ToLocal(std::int64_t t, std::tm& out) {
  const std::time_t tt = static_cast<std::time_t>(t);
  return localtime_r(&tt, &out) != nullptr;
}

}  // namespace

std::string LocalTimeText(std::int64_t t, const char* format) {
  std::tm tm{};
  if (!ToLocal(t, tm)) return {};
  char buffer[128];
  const size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
  return std::string(buffer, n);
}

std::string DayFilePath(const std::string& krfFolder, std::int64_t t) {
  return krfFolder + LocalTimeText(t, "%Y") + "/" + LocalTimeText(t, "%Y%m%d.KRF");
}

std::string HourCsvPath(const std::string& csvFolder, std::int64_t t) {
  return csvFolder + LocalTimeText(t, "%Y") + "/" + LocalTimeText(t, "%Y%m%d%H.CSV");
}

std::string EventLogPath(const std::string& krfFolder, std::int64_t t) {
  return krfFolder + LocalTimeText(t, "%Y.LOG");
}

std::string TimeZoneText(std::int64_t t) {
  std::tm tm{};
  long offset = 0;
  if (ToLocal(t, tm)) offset = tm.tm_gmtoff;
  // Integer division truncates toward zero: +5:30 gives +5, -3:30 gives -3.
  const int hours = static_cast<int>(offset / 3600);
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%+d", hours);
  return buffer;
}

std::int64_t SecondOfDay(std::int64_t t) {
  std::tm tm{};
  if (!ToLocal(t, tm)) return 0;
  return (static_cast<std::int64_t>(tm.tm_hour) * 60 + tm.tm_min) * 60 + tm.tm_sec;
}

std::int64_t LocalTimeOfDay(std::int64_t day, std::int64_t secondOfDay) {
  std::tm tm{};
  if (!ToLocal(day, tm)) return -1;
  tm.tm_hour = static_cast<int>((secondOfDay / 3600) % 24);
  tm.tm_min = static_cast<int>((secondOfDay / 60) % 60);
  tm.tm_sec = static_cast<int>(secondOfDay % 60);
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

}  // namespace spectrel
