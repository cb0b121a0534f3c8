// The station's local day: where it begins, how long it is (23, 24 or 25 hours where daylight
// saving time changes), and the clock's second of the day. Every caller takes these from here.
#pragma once

#include <cstdint>

#include "base/station_zone.h"

namespace spectrel {

// Seconds of a clock day: the clock's second of the day runs 0 .. 86399 on every local date, while
// the local day itself lasts LocalDayLength() seconds (23, 24 or 25 hours).
inline constexpr std::int64_t ClockDaySeconds = 86400;

// The clock reading of the midnight that begins a clock reading's date (also before 1970).
ClockSeconds ClockMidnight(ClockSeconds clock);
// The second of the day a clock reading shows, 0..86399.
std::int64_t ClockSecondOfDay(ClockSeconds clock);

// The clock's second of the day at t: (hour * 60 + minute) * 60 + second, 0..86399. On the day of
// a change back it runs through the repeated hour twice.
std::int64_t SecondOfDay(std::int64_t t, const StationZone& zone = StationZone::Process());

// The first instant of t's local date (its midnight, or the end of the skipped hour where a change
// forward skips midnight itself).
std::int64_t LocalMidnight(std::int64_t t, const StationZone& zone = StationZone::Process());
// The first instant of the next local date.
std::int64_t NextLocalMidnight(std::int64_t t, const StationZone& zone = StationZone::Process());
// Seconds from t's local midnight to the next: 86,400, or an hour (or half an hour) less or more.
std::int64_t LocalDayLength(std::int64_t t, const StationZone& zone = StationZone::Process());

// The instants on t's local date at which the clock reads secondOfDay (0..86399).
ClockInstants InstantsOnDay(std::int64_t t, std::int64_t secondOfDay,
                            const StationZone& zone = StationZone::Process());

}  // namespace spectrel
