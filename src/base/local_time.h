// Local calendar time of the station: the one place that turns seconds since 1970 UTC into the
// process time zone's date and time, and formats it.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace spectrel {

// Broken-down local time of t (seconds since 1970-01-01 UTC); empty when the C library cannot
// represent it.
std::optional<std::tm> LocalTm(std::int64_t t);

// The local clock hour of t as a number that differs between the hours of a year (both instants
// of an hour the clock repeats have the same one); -1 when t cannot be represented. The hour of
// the hourly CSV file.
int LocalHourKey(std::int64_t t);

// t formatted with strftime rules in local time; empty when t cannot be represented or the text
// would pass 127 bytes.
std::string FormatLocal(std::int64_t t, const char* format);

}  // namespace spectrel
