#include "base/local_day.h"

namespace spectrel {

namespace {

constexpr std::int64_t DaySeconds = 86400;   // one clock day

// The clock value of the midnight that begins the clock's date (floor, also before 1970).
ClockSeconds ClockMidnight(ClockSeconds clock) {
  const std::int64_t r = clock % DaySeconds;
  return clock - (r < 0 ? r + DaySeconds : r);
}

}  // namespace

std::int64_t SecondOfDay(std::int64_t t, const StationZone& zone) {
  const ClockSeconds clock = zone.ClockAt(t);
  return clock - ClockMidnight(clock);
}

std::int64_t LocalMidnight(std::int64_t t, const StationZone& zone) {
  // Where midnight is skipped, Earlier is the instant under the old offset: the end of the gap.
  return zone.Instants(ClockMidnight(zone.ClockAt(t))).Earlier;
}

std::int64_t NextLocalMidnight(std::int64_t t, const StationZone& zone) {
  return zone.Instants(ClockMidnight(zone.ClockAt(t)) + DaySeconds).Earlier;
}

std::int64_t LocalDayLength(std::int64_t t, const StationZone& zone) {
  return NextLocalMidnight(t, zone) - LocalMidnight(t, zone);
}

ClockInstants InstantsOnDay(std::int64_t t, std::int64_t secondOfDay, const StationZone& zone) {
  return zone.Instants(ClockMidnight(zone.ClockAt(t)) + secondOfDay);
}

}  // namespace spectrel
