// The JSON documents of /api/: what the page draws and what scripts read. Times are given as
// seconds since 1970 UTC and as ISO 8601 texts in UTC and in the station's local time.
#pragma once

#include <cstdint>
#include <string>

#include "web/station_source.h"

namespace spectrel::web {

// /api/status: the station, its state and the verdict with its reason, the sensors of the last
// cycle, the next boundary, counters, disk space, the clock and the graph settings.
std::string StatusJson(StationSource& station, std::int64_t now);
// /api/days: every day with the links to its files, newest first.
std::string DaysJson(const StationSource& station);
// /api/days/YYYYMMDD: the day's site and its points (times, integral, quality flags, sensors).
std::string DayJson(const DayView& day);
// /api/days/YYYYMMDD/spectrogram: every point's 1 nm spectrum as levels 0..254 of the day's
// largest value (255: no sensor covers), base64, point after point.
std::string SpectrogramJson(const DayView& day);
// /api/days/YYYYMMDD/points/N: point N as the desktop graph draws it; "" when N is outside.
std::string PointJson(const DayView& day, int index);

}  // namespace spectrel::web
