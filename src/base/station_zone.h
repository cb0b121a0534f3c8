// The time zone of a station: how its local clock readings and true UTC meet. A day file holds
// local clock readings; only a zone turns them into instants, and a day with a change of daylight
// saving time reads the same clock twice (autumn) or never (spring).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace date {
class time_zone;
}

namespace spectrel {

// A local clock reading as seconds since 1970-01-01 00:00 read as if it were UTC: "20261025023000"
// is the clock value of 2026-10-25 02:30:00 whatever the zone. Arithmetic on it is calendar
// arithmetic (a clock day is always 86,400 clock seconds); only a zone turns it into an instant.
using ClockSeconds = std::int64_t;

// Clock value of a calendar date and time (fields as on a clock: month 1-12, day 1-31; a day past
// the month's end runs on into the next month).
ClockSeconds ClockValue(int year, int month, int day, int hour, int minute, int second);

// The calendar fields of a clock value, for formatting with strftime rules (in UTC terms).
std::string FormatClock(ClockSeconds clock, const char* format);

// Where a zone's clock reads a given value.
struct ClockInstants {
  int Count = 1;             // 1 once; 2 in the hour repeated by a change back; 0 in the hour skipped
                             // by a change forward
  std::int64_t Earlier = 0;  // the instant (s since 1970 UTC); with Count 0 the instant under the
                             // offset before the change, which the clock shows later than asked
  std::int64_t Later = 0;    // the second instant when Count is 2, otherwise equal to Earlier
};

class StationZone {
 public:
  // The zone this program runs in ($TZ, else the system's /etc/localtime), through the C library.
  static const StationZone& Process();
  // A fixed offset east of UTC, seconds; named "UTC", "UTC+09:00", "UTC-03:30".
  static StationZone Fixed(int offsetSeconds);
  // An IANA zone ("Asia/Tokyo"); empty when the name is not one of the system's zones.
  static std::optional<StationZone> Named(std::string_view name);
  // The IANA name of the zone this program runs in when one can be told ($TZ naming a zone file,
  // else the target of /etc/localtime), otherwise "UTC".
  static std::string SystemZoneName();

  // The zone's name as a reader of the archive should see it.
  std::string Name() const;
  // Offset east of UTC in effect at the instant, seconds (0 where the C library cannot tell).
  int OffsetAt(std::int64_t utc) const;
  // The clock reading at the instant.
  ClockSeconds ClockAt(std::int64_t utc) const { return utc + OffsetAt(utc); }
  // The instants at which the clock reads the value.
  ClockInstants Instants(ClockSeconds clock) const;
  // The instant at which the clock reads the value that lies nearest to near (a sensor block's
  // time next to its point's).
  std::int64_t NearestInstant(ClockSeconds clock, std::int64_t near) const;

 private:
  enum class Kind { Process, Fixed, Named };
  StationZone(Kind kind, int offset, const date::time_zone* zone, std::string label)
      : ZoneKind(kind), Offset(offset), Zone(zone), Label(std::move(label)) {}

  Kind ZoneKind;
  int Offset;                    // Kind::Fixed: seconds east of UTC
  const date::time_zone* Zone;   // Kind::Named: the zone's rules
  std::string Label;
};

// Turns a day's clock readings, in the order they were taken, into strictly increasing instants
// where the zone allows: a reading of the repeated hour is taken as the first instant after the
// previous point, so the points of a change-back day keep their order.
class ClockResolver {
 public:
  explicit ClockResolver(const StationZone& zone) : Zone(zone) {}
  std::int64_t Next(ClockSeconds clock);
  // Index of the first point whose instant was not after the one before it, -1 if none.
  int FirstBackward() const { return Backward; }
  // Index of the first point whose reading the zone's clock never shows, -1 if none.
  int FirstSkipped() const { return Skipped; }

 private:
  const StationZone& Zone;
  std::optional<std::int64_t> Previous;
  int Index = 0;
  int Backward = -1;
  int Skipped = -1;
};

}  // namespace spectrel
