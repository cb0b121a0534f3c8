// The interval rule, written once for the scheduler and the station status: a boundary is a clock
// reading at a whole multiple of the interval after local midnight that lies inside the daily
// window, both ends included. Where daylight saving time changes, a reading of the skipped hour is
// no boundary that day (the clock never shows it), and a reading of the repeated hour is a
// boundary each time the clock shows it, each time at its own instant.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/station_zone.h"
#include "settings/app_settings.h"

namespace spectrel {

class IntervalSchedule {
 public:
  // Seconds after local midnight and seconds; never below 1 s (a start refuses such an interval,
  // see WindowFinding).
  IntervalSchedule(std::int64_t startTime, std::int64_t endTime, std::int64_t interval);
  static IntervalSchedule Of(const AppSettings& settings);

  std::int64_t Interval() const { return Step; }
  // The clock's second of the day lies inside the window.
  bool InWindow(std::int64_t secondOfDay) const { return secondOfDay >= Start && secondOfDay <= End; }
  // Boundaries of a day of 24 hours; 0 when the window holds none (it can never measure).
  std::int64_t PerClockDay() const { return Count; }

  struct Crossing {
    std::int64_t Count = 0;   // boundaries the clock showed
    std::int64_t Last = 0;    // instant of the last of them (s since 1970 UTC), when Count > 0
  };
  // The boundaries the zone's clock shows at the instants after from, up to and including to.
  Crossing Between(std::int64_t from, std::int64_t to, const StationZone& zone = StationZone::Process()) const;
  // The instant of the first boundary after now; empty when the window holds none.
  std::optional<std::int64_t> NextAfter(std::int64_t now, const StationZone& zone = StationZone::Process()) const;
  // Boundaries on t's local day: fewer on a day of 23 hours, more on one of 25, where the window
  // reaches the hour that changes.
  std::int64_t OnDay(std::int64_t t, const StationZone& zone = StationZone::Process()) const;

 private:
  // Boundary readings at or before clock, counted from the clock's day 0.
  std::int64_t UpTo(ClockSeconds clock) const;
  ClockSeconds NextReading(ClockSeconds clock) const;   // the first boundary reading at or after
  ClockSeconds LastReading(ClockSeconds clock) const;   // the last boundary reading at or before

  std::int64_t Start, End;   // the window, s after local midnight, as the profile holds it
  std::int64_t Step;         // the interval, s, at least 1
  std::int64_t First = 0;    // the window's first and last boundary, s after local midnight
  std::int64_t Last = -1;
  std::int64_t Count = 0;    // boundaries from First to Last
};

// The scheduler's ticks since a start: each tick is given the boundaries the clock has shown since
// the tick before, leaving out those handled before a step of the clock back (none is measured
// twice, none at an instant stored before). The first tick after a start never measures (a tick
// that read midnight itself counts as none, so the boundary after it is left out), nor does a tick
// outside the window.
class IntervalTicks {
 public:
  struct Tick {
    IntervalSchedule::Crossing Crossed;
    bool MayMeasure = false;
  };
  Tick At(const IntervalSchedule& schedule, std::int64_t now, std::int64_t secondOfDay,
          const StationZone& zone = StationZone::Process());
  void Restart() { *this = IntervalTicks(); }

 private:
  std::optional<std::int64_t> Last;   // instant of the last tick; none: no tick yet
  std::int64_t LastSecond = 0;        // its second of the day
  std::int64_t LastBoundary = 0;      // instant of the last boundary measured or skipped
};

// "HH:MM:SS" of a second after local midnight (a profile may hold seconds past 24 h: shown as they are).
std::string ClockText(std::int64_t secondOfDay);

}  // namespace spectrel
