// The 14-digit local time of the day file ("%Y%m%d%H%M%S"), both ways.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace spectrel {

// Seconds since 1970 UTC as local time "YYYYMMDDhhmmss"; empty when the local-time conversion
// fails (a time beyond the calendar the C library can hold).
std::string FormatKrfTime(std::int64_t time);

// Reads characters 1-4 as the year, 5-6 month, 7-8 day, 9-10 hour, 11-12 minute, 13-14 second,
// each the way atoi reads it (characters beyond the end of the value count as empty, so 0). The
// year must be at least 1970, month 1-12, day 1-31, hour 0-23, minute and second 0-59. The clock
// reading as written (no zone applied); nothing when invalid.
std::optional<std::int64_t> ParseKrfClock(std::string_view value);

}  // namespace spectrel
