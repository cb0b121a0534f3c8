// The interval rule on its own: boundaries shown between two instants, the next boundary and the
// boundaries of a local day, in zones with daylight saving (both changes), a half-hour change
// and half-hour offsets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "measure/interval_schedule.h"
#include "support/fake_clock.h"

namespace spectrel::testing {
namespace {

constexpr std::int64_t H = 3600;
std::int64_t TokyoAt(int d, int h, int mi, int s = 0) { return Utc(2026, 12, d, h, mi, s) - 9 * H; }

StationZone Zone(const char* name) { return StationZone::Named(name).value(); }

TEST(IntervalSchedule, BoundariesOfALocalDayFollowItsLength) {
  struct Case {
    const char* Name;
    const char* Zone;
    std::int64_t Day;                         // an instant of the day
    std::int64_t Start, End, Interval;
    std::int64_t Boundaries;
  };
  const Case cases[] = {
      {"ordinary day", "Asia/Tokyo", Utc(2026, 12, 7, 12), 0, 86399, 600, 144},
      {"defaults: 06:00 to 20:00 both ends", "Asia/Tokyo", Utc(2026, 12, 7, 12), 21600, 72000, 600, 85},
      {"window without a boundary", "Asia/Tokyo", Utc(2026, 12, 7, 12), 21601, 21601, 600, 0},
      {"start after end", "Asia/Tokyo", Utc(2026, 12, 7, 12), 72000, 21600, 600, 0},
      {"Berlin, 23 hours: 02:00 to 02:50 never shown", "Europe/Berlin", Utc(2026, 3, 29, 12), 0, 86399, 600, 138},
      {"Berlin, 25 hours: 02:00 to 02:50 shown twice", "Europe/Berlin", Utc(2026, 10, 25, 12), 0, 86399, 600, 150},
      {"Berlin, 25 hours, hourly", "Europe/Berlin", Utc(2026, 10, 25, 12), 0, 86399, 3600, 25},
      {"Berlin, the window leaves the change out", "Europe/Berlin", Utc(2026, 3, 29, 12), 21600, 72000, 600, 85},
      {"St John's, 23 hours", "America/St_Johns", Utc(2026, 3, 8, 12), 0, 86399, 600, 138},
      {"St John's, 25 hours", "America/St_Johns", Utc(2026, 11, 1, 12), 0, 86399, 600, 150},
      {"Lord Howe, 24 1/2 hours", "Australia/Lord_Howe", Utc(2026, 4, 5, 12), 0, 86399, 600, 147},
      {"Lord Howe, 23 1/2 hours", "Australia/Lord_Howe", Utc(2026, 10, 4, 12), 0, 86399, 600, 141},
      {"Kolkata, +5:30 all year", "Asia/Kolkata", Utc(2026, 3, 29, 12), 0, 86399, 600, 144},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IntervalSchedule(c.Start, c.End, c.Interval).OnDay(c.Day, Zone(c.Zone)), c.Boundaries) << c.Name;
}

TEST(IntervalSchedule, NextBoundaryIsTheNextOneTheClockShows) {
  struct Case {
    const char* Name;
    const char* Zone;
    std::int64_t Start, End, Interval, Now;
    std::optional<std::int64_t> Next;
  };
  const Case cases[] = {
      {"on a boundary: the next one", "Asia/Tokyo", 21600, 72000, 600, TokyoAt(7, 12, 0), TokyoAt(7, 12, 10)},
      {"a second before one", "Asia/Tokyo", 21600, 72000, 600, TokyoAt(7, 12, 9, 59), TokyoAt(7, 12, 10)},
      {"before the window: its opening", "Asia/Tokyo", 21600, 72000, 600, TokyoAt(7, 3, 0), TokyoAt(7, 6, 0)},
      {"at the last: tomorrow's first", "Asia/Tokyo", 21600, 72000, 600, TokyoAt(7, 20, 0), TokyoAt(8, 6, 0)},
      {"window opening between boundaries", "Asia/Tokyo", 21601, 72000, 600, TokyoAt(7, 3, 0), TokyoAt(7, 6, 10)},
      {"no boundary in the window", "Asia/Tokyo", 21601, 21601, 600, TokyoAt(7, 3, 0), std::nullopt},
      // 02:55 summer time: 03:00 comes later than the repeated 02:00 of winter time.
      {"Berlin, before the repeated hour", "Europe/Berlin", 0, 86399, 600, Utc(2026, 10, 25, 0, 55),
       Utc(2026, 10, 25, 1, 0)},
      {"Berlin, into the skipped hour", "Europe/Berlin", 0, 86399, 600, Utc(2026, 3, 29, 0, 55),
       Utc(2026, 3, 29, 1, 0)},
      {"Berlin, 02:00 and 02:40 skipped", "Europe/Berlin", 0, 86399, 2400, Utc(2026, 3, 29, 0, 30),
       Utc(2026, 3, 29, 1, 20)},
      {"Lord Howe, 02:00 to 02:20 skipped", "Australia/Lord_Howe", 0, 86399, 600, Utc(2026, 10, 3, 15, 25),
       Utc(2026, 10, 3, 15, 30)},
      {"Kolkata, half-hour offset", "Asia/Kolkata", 0, 86399, 3600, Utc(2026, 6, 1, 0, 10),
       Utc(2026, 6, 1, 0, 30)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IntervalSchedule(c.Start, c.End, c.Interval).NextAfter(c.Now, Zone(c.Zone)), c.Next) << c.Name;
}

TEST(IntervalSchedule, ACrossingCountsEveryBoundaryShownNamingTheLast) {
  struct Case {
    const char* Name;
    const char* Zone;
    std::int64_t Interval, From, To;
    std::int64_t Count, Last;
  };
  const Case cases[] = {
      {"three in a late tick", "Asia/Tokyo", 600, TokyoAt(7, 10, 0), TokyoAt(7, 10, 35), 3, TokyoAt(7, 10, 30)},
      {"the tick's own second included", "Asia/Tokyo", 600, TokyoAt(7, 10, 9, 59), TokyoAt(7, 10, 10), 1, TokyoAt(7, 10, 10)},
      {"across midnight", "Asia/Tokyo", 1, TokyoAt(7, 23, 59, 59), TokyoAt(8, 0, 0, 5), 6, TokyoAt(8, 0, 0, 5)},
      {"none when the clock went back", "Asia/Tokyo", 1, TokyoAt(7, 10, 0), TokyoAt(7, 9, 0), 0, 0},
      {"the repeated 02:00, shown again", "Europe/Berlin", 3600, Utc(2026, 10, 25, 0, 30), Utc(2026, 10, 25, 1, 30), 1,
       Utc(2026, 10, 25, 1, 0)},
      {"both 02:00 of the day", "Europe/Berlin", 3600, Utc(2026, 10, 24, 23, 30), Utc(2026, 10, 25, 1, 30), 2,
       Utc(2026, 10, 25, 1, 0)},
      {"no 02:00 in spring", "Europe/Berlin", 3600, Utc(2026, 3, 29, 0, 30), Utc(2026, 3, 29, 1, 30), 1,
       Utc(2026, 3, 29, 1, 0)},
      // 02:40 summer time, then 02:00 winter time: 20 minutes apart.
      {"40 minutes across the repeated hour", "Europe/Berlin", 2400, Utc(2026, 10, 25, 0, 30),
       Utc(2026, 10, 25, 1, 30), 2, Utc(2026, 10, 25, 1, 0)},
      // St John's (-2:30 / -3:30), 1 November 2026: 01:00 twice, 25 boundaries from 00:00.
      {"St John's, both 01:00", "America/St_Johns", 3600, Utc(2026, 11, 1, 3, 0), Utc(2026, 11, 1, 5, 0), 2,
       Utc(2026, 11, 1, 4, 30)},
      {"St John's, a day of 25 hours", "America/St_Johns", 3600, Utc(2026, 11, 1, 2, 29), Utc(2026, 11, 2, 2, 31), 25,
       Utc(2026, 11, 2, 2, 30)},
      // Lord Howe (+10:30 / +11), 4 October 2026: 02:00 to 02:29 never shown, 47 half hours.
      {"Lord Howe, no 02:00", "Australia/Lord_Howe", 1800, Utc(2026, 10, 3, 15, 10), Utc(2026, 10, 3, 15, 40), 1,
       Utc(2026, 10, 3, 15, 30)},
      {"Lord Howe, a day of 23 1/2 hours", "Australia/Lord_Howe", 1800, Utc(2026, 10, 3, 13, 29),
       Utc(2026, 10, 4, 12, 31), 47, Utc(2026, 10, 4, 12, 30)},
      {"Kolkata, on the half hour", "Asia/Kolkata", 3600, Utc(2026, 6, 1, 0, 10), Utc(2026, 6, 1, 2, 0), 2,
       Utc(2026, 6, 1, 1, 30)},
      {"Kolkata, a whole day", "Asia/Kolkata", 3600, Utc(2026, 5, 31, 18, 29), Utc(2026, 6, 1, 18, 29), 24,
       Utc(2026, 6, 1, 17, 30)},
  };
  for (const Case& c : cases) {
    const auto crossing = IntervalSchedule(0, 86399, c.Interval).Between(c.From, c.To, Zone(c.Zone));
    EXPECT_EQ(crossing.Count, c.Count) << c.Name;
    if (c.Count > 0) {
      EXPECT_EQ(crossing.Last, c.Last) << c.Name;
    }
  }
}

// The scheduler's ticks from a start, at a 10-s interval around the clock in UTC: which
// boundaries each tick is given, and whether it may measure the last of them.
TEST(IntervalTicks, EachBoundaryGoesToOneTickThatMayMeasureUnlessFirst) {
  const std::int64_t midnight = Utc(2026, 12, 7, 0);
  struct Tick {
    std::int64_t At;          // s after midnight
    std::int64_t Crossed;     // boundaries given to it
    std::int64_t Last;        // s after midnight of the last of them, when any
    bool MayMeasure;
  };
  const struct {
    const char* Name;
    std::vector<Tick> Ticks;
  } cases[] = {
      {"the first tick after a start", {{5, 0, 0, false}, {10, 1, 10, true}, {11, 0, 0, true}}},
      {"a first tick on a boundary", {{20, 0, 0, false}, {21, 0, 0, true}, {30, 1, 30, true}}},
      {"a tick that read midnight counts as none", {{0, 0, 0, false}, {10, 1, 10, false}, {20, 1, 20, true}}},
      {"late ticks", {{1, 0, 0, false}, {35, 3, 30, true}, {40, 1, 40, true}}},
      {"the clock stepped back", {{1, 0, 0, false}, {11, 1, 10, true}, {5, 0, 0, true}, {12, 0, 0, true},
                                  {21, 1, 20, true}}},
  };
  const IntervalSchedule schedule(0, 86399, 10);
  for (const auto& c : cases) {
    IntervalTicks ticks;
    for (const Tick& t : c.Ticks) {
      SCOPED_TRACE(std::string(c.Name) + ", tick at " + std::to_string(t.At));
      const IntervalTicks::Tick tick = ticks.At(schedule, midnight + t.At, t.At, StationZone::Fixed(0));
      EXPECT_EQ(tick.Crossed.Count, t.Crossed);
      if (t.Crossed > 0) {
        EXPECT_EQ(tick.Crossed.Last, midnight + t.Last);
      }
      EXPECT_EQ(tick.MayMeasure, t.MayMeasure);
    }
  }
}

// The window's ends as the operator reads them; a profile may hold seconds past a day.
TEST(IntervalSchedule, ClockTextOfASecondOfTheDay) {
  const std::pair<std::int64_t, const char*> rows[] = {
      {0, "00:00:00"}, {59, "00:00:59"}, {3661, "01:01:01"}, {37230, "10:20:30"}, {86399, "23:59:59"}, {90000, "25:00:00"},
  };
  for (const auto& [second, text] : rows) EXPECT_EQ(ClockText(second), text) << second;
}

}  // namespace
}  // namespace spectrel::testing
