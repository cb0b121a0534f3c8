#include "files/krf_time.h"

#include <cstdlib>

#include "base/local_time.h"
#include "base/station_zone.h"

namespace spectrel {

std::string FormatKrfTime(std::int64_t time) { return FormatLocal(time, "%Y%m%d%H%M%S"); }

namespace {

// atoi of the characters [from, from + count) of value; missing characters read as nothing.
int FieldNumber(std::string_view value, size_t from, size_t count) {
  char digits[8] = {};
  for (size_t i = 0; i < count && from + i < value.size(); ++i) digits[i] = value[from + i];
  return std::atoi(digits);
}

}  // namespace

std::optional<std::int64_t> ParseKrfClock(std::string_view value) {
  const int year = FieldNumber(value, 0, 4);
  const int month = FieldNumber(value, 4, 2);
  const int day = FieldNumber(value, 6, 2);
  const int hour = FieldNumber(value, 8, 2);
  const int minute = FieldNumber(value, 10, 2);
  const int second = FieldNumber(value, 12, 2);
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 59)
    return std::nullopt;
  return ClockValue(year, month, day, hour, minute, second);
}

}  // namespace spectrel
