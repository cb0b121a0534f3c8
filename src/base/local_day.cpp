#include "base/local_day.h"

namespace spectrel {

ClockSeconds ClockMidnight(ClockSeconds clock) {
  const std::int64_t r = clock % ClockDaySeconds;
  return clock - (r < 0 ? r + ClockDaySeconds : r);
}

std::int64_t ClockSecondOfDay(ClockSeconds clock) { return clock - ClockMidnight(clock); }

std::int64_t SecondOfDay(std::int64_t t, const StationZone& zone) { return ClockSecondOfDay(zone.ClockAt(t)); }

std::int64_t LocalMidnight(std::int64_t t, const StationZone& zone) {
  // Where midnight is skipped, Earlier is the instant under the old offset: the end of the gap.
  return zone.Instants(ClockMidnight(zone.ClockAt(t))).Earlier;
}

std::int64_t NextLocalMidnight(std::int64_t t, const StationZone& zone) {
  return zone.Instants(ClockMidnight(zone.ClockAt(t)) + ClockDaySeconds).Earlier;
}

std::int64_t LocalDayLength(std::int64_t t, const StationZone& zone) {
  return NextLocalMidnight(t, zone) - LocalMidnight(t, zone);
}

ClockInstants InstantsOnDay(std::int64_t t, std::int64_t secondOfDay, const StationZone& zone) {
  return zone.Instants(ClockMidnight(zone.ClockAt(t)) + secondOfDay);
}

}  // namespace spectrel
