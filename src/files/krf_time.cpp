#include "files/krf_time.h"

#include <cstdlib>
#include <ctime>

#include "base/local_time.h"

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

std::optional<std::int64_t> ParseKrfTime(std::string_view value) {
  std::tm local{};
  local.tm_year = FieldNumber(value, 0, 4);
  local.tm_mon = FieldNumber(value, 4, 2);
  local.tm_mday = FieldNumber(value, 6, 2);
  local.tm_hour = FieldNumber(value, 8, 2);
  local.tm_min = FieldNumber(value, 10, 2);
  local.tm_sec = FieldNumber(value, 12, 2);
  if (local.tm_year < 1970 || local.tm_mon < 1 || local.tm_mon > 12 || local.tm_mday < 1 ||
      local.tm_mday > 31 || local.tm_hour < 0 || local.tm_hour > 23 || local.tm_min < 0 ||
      local.tm_min > 59 || local.tm_sec < 0 || local.tm_sec > 59)
    return std::nullopt;
  local.tm_year -= 1900;
  local.tm_mon -= 1;
  local.tm_isdst = -1;
  // mktime fills the weekday only on success: -1 is both its error value and a valid second
  // (one second before 1970 in UTC), so the weekday tells them apart.
  local.tm_wday = -1;
  const std::time_t t = std::mktime(&local);
  if (t == static_cast<std::time_t>(-1) && local.tm_wday == -1) return std::nullopt;
  return static_cast<std::int64_t>(t);
}

}  // namespace spectrel
