#include "measure/interval_schedule.h"

#include <algorithm>
#include <cstdio>

#include "base/local_day.h"

namespace spectrel {

namespace {

constexpr std::int64_t ZoneLookAhead = 2 * ClockDaySeconds;   // a zone changes its offset at most once in it

// The last instant of (from, to] that still has the offset of from + 1, when the zone changes its
// offset before to; otherwise to. Spans past the look-ahead are taken as one offset: only a step
// of the clock by days makes them, and its lost boundaries need not be counted to the hour.
std::int64_t SegmentEnd(std::int64_t from, std::int64_t to, const StationZone& zone) {
  const int offset = zone.OffsetAt(from + 1);
  if (to - from > ZoneLookAhead || zone.OffsetAt(to) == offset) return to;
  std::int64_t same = from + 1, changed = to;
  while (changed - same > 1) {
    const std::int64_t mid = same + (changed - same) / 2;
    (zone.OffsetAt(mid) == offset ? same : changed) = mid;
  }
  return same;
}

}  // namespace

std::string ClockText(std::int64_t second) {
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(second / 3600),
                static_cast<long long>(second / 60 % 60), static_cast<long long>(second % 60));
  return text;
}

IntervalSchedule::IntervalSchedule(std::int64_t startTime, std::int64_t endTime, std::int64_t interval)
    : Start(startTime), End(endTime), Step(std::max<std::int64_t>(interval, 1)) {
  const std::int64_t from = std::max<std::int64_t>(Start, 0);
  const std::int64_t to = std::min<std::int64_t>(End, ClockDaySeconds - 1);
  First = (from + Step - 1) / Step * Step;
  Last = to >= 0 ? to / Step * Step : -1;
  Count = First <= Last ? (Last - First) / Step + 1 : 0;
}

IntervalSchedule IntervalSchedule::Of(const AppSettings& settings) {
  return IntervalSchedule(settings.StartTime, settings.EndTime, settings.Interval);
}

std::int64_t IntervalSchedule::UpTo(ClockSeconds clock) const {
  if (Count == 0) return 0;
  const ClockSeconds midnight = ClockMidnight(clock);
  const std::int64_t second = clock - midnight;
  const std::int64_t today = second < First ? 0 : (std::min(second, Last) - First) / Step + 1;
  return midnight / ClockDaySeconds * Count + today;
}

ClockSeconds IntervalSchedule::NextReading(ClockSeconds clock) const {
  const ClockSeconds midnight = ClockMidnight(clock);
  const std::int64_t second = clock - midnight;
  if (second > Last) return midnight + ClockDaySeconds + First;
  const std::int64_t k = second <= First ? First : First + (second - First + Step - 1) / Step * Step;
  return midnight + k;
}

ClockSeconds IntervalSchedule::LastReading(ClockSeconds clock) const {
  const ClockSeconds midnight = ClockMidnight(clock);
  const std::int64_t second = clock - midnight;
  if (second < First) return midnight - ClockDaySeconds + Last;
  return midnight + First + (std::min(second, Last) - First) / Step * Step;
}

IntervalSchedule::Crossing IntervalSchedule::Between(std::int64_t from, std::int64_t to,
                                                     const StationZone& zone) const {
  Crossing crossing;
  if (Count == 0) return crossing;
  // Cut at a change of the zone's offset: each piece reads the clock at one offset, so the
  // repeated hour is read twice and the skipped one never.
  for (std::int64_t a = from; a < to;) {
    const std::int64_t b = SegmentEnd(a, to, zone);
    const int offset = zone.OffsetAt(b);
    const std::int64_t n = UpTo(b + offset) - UpTo(a + offset);
    if (n > 0) {
      crossing.Count += n;
      crossing.Last = LastReading(b + offset) - offset;
    }
    a = b;
  }
  return crossing;
}

std::optional<std::int64_t> IntervalSchedule::NextAfter(std::int64_t now, const StationZone& zone) const {
  if (Count == 0) return std::nullopt;
  // At most a day and an hour ahead: the first piece of one offset that holds a boundary.
  for (std::int64_t a = now; a < now + 2 * ZoneLookAhead;) {
    const std::int64_t b = SegmentEnd(a, a + ZoneLookAhead, zone);
    const int offset = zone.OffsetAt(b);
    const std::int64_t at = NextReading(a + 1 + offset) - offset;
    if (at <= b) return at;
    a = b;
  }
  return std::nullopt;
}

std::int64_t IntervalSchedule::OnDay(std::int64_t t, const StationZone& zone) const {
  return Between(LocalMidnight(t, zone) - 1, NextLocalMidnight(t, zone) - 1, zone).Count;
}

IntervalTicks::Tick IntervalTicks::At(const IntervalSchedule& schedule, std::int64_t now, std::int64_t secondOfDay,
                                      const StationZone& zone) {
  Tick tick;
  if (Last) tick.Crossed = schedule.Between(std::max(*Last, LastBoundary), now, zone);
  tick.MayMeasure = Last && LastSecond != 0 && schedule.InWindow(secondOfDay);
  Last = now;
  LastSecond = secondOfDay;
  if (tick.Crossed.Count > 0) LastBoundary = tick.Crossed.Last;
  return tick;
}

}  // namespace spectrel
