// The one rule from a day file's clock readings to true UTC: the same instants whatever zone the
// converting machine is in, the repeated hour in order, and a word for every guess.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/day_times.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::ScopedTz;

// The clock readings a Berlin station writes on 25 October 2026 at a 10-minute interval: 00:00 to
// 02:50 summer time, 02:00 to 02:50 again in winter time, then on to 23:50 (150 points, 25 hours).
std::vector<ClockSeconds> BerlinAutumnClocks() {
  std::vector<ClockSeconds> clocks;
  const ClockSeconds midnight = ClockValue(2026, 10, 25, 0, 0, 0);
  for (int m = 0; m < 180; m += 10) clocks.push_back(midnight + m * 60);
  for (int m = 120; m < 24 * 60; m += 10) clocks.push_back(midnight + m * 60);
  return clocks;
}

TEST(DayTimes, StationZoneKeepsTheRepeatedHourInOrder) {
  const std::vector<ClockSeconds> clocks = BerlinAutumnClocks();
  ASSERT_EQ(clocks.size(), 150u);
  for (const char* machine : {"UTC0", "America/New_York", "Europe/Berlin"}) {
    ScopedTz tz(machine);
    const DayTimes times = DayTimesToUtc(clocks, "+2", StationZone::Named("Europe/Berlin"));
    EXPECT_EQ(times.Zone, "Europe/Berlin");
    EXPECT_TRUE(times.Warnings.empty()) << machine;
    ASSERT_EQ(times.Utc.size(), clocks.size());
    EXPECT_EQ(times.Utc.front(), 1792879200) << machine;   // 22:00 UTC the day before
    for (std::size_t j = 1; j < times.Utc.size(); ++j)
      ASSERT_EQ(times.Utc[j] - times.Utc[j - 1], 600) << machine << " point " << j;
  }
}

TEST(DayTimes, FileOffsetAppliesWithoutAZoneWhateverTheMachine) {
  // A Tsukuba day ("TZ,+9"): 12:00 local is 03:00 UTC on any machine.
  const std::vector<ClockSeconds> clocks = {ClockValue(2026, 12, 5, 12, 0, 0), ClockValue(2026, 12, 5, 12, 10, 0)};
  for (const char* machine : {"UTC0", "America/New_York", "America/Montevideo"}) {
    ScopedTz tz(machine);
    const DayTimes times = DayTimesToUtc(clocks, "+9", std::nullopt);
    EXPECT_EQ(times.Utc, (std::vector<std::int64_t>{1796439600, 1796440200})) << machine;
    EXPECT_EQ(times.Zone, "UTC+09:00");
    EXPECT_TRUE(times.Warnings.empty());
  }
}

// Each guess the rule has to make is said with what to do: readings that run backwards without a
// zone, a half-hour zone written as whole hours, a reading the clock never showed, no offset at all.
TEST(DayTimes, EveryGuessIsSaid) {
  struct Row {
    const char* Name;
    std::vector<ClockSeconds> Clocks;
    const char* Offset;                 // the day file's "TZ" line
    std::optional<StationZone> Zone;
    const char* Says;                   // in the one warning
    std::vector<std::int64_t> Utc;      // the instants given (not checked when empty)
  };
  const Row rows[] = {
      {"backwards", BerlinAutumnClocks(), "+2", std::nullopt, "point 19", {}},
      {"backwards", BerlinAutumnClocks(), "+2", std::nullopt, "--tz AREA/CITY", {}},
      {"half hour", {ClockValue(2026, 12, 6, 12, 0, 0)}, "+5", StationZone::Named("Asia/Kolkata"), "UTC+05:30",
       {1796495400 + 12 * 3600}},
      {"skipped", {ClockValue(2026, 3, 29, 1, 50, 0), ClockValue(2026, 3, 29, 2, 0, 0)}, "+1",
       StationZone::Named("Europe/Berlin"), "02:00:00 of point 2 does not exist",
       {testing::Utc(2026, 3, 29, 0, 50), testing::Utc(2026, 3, 29, 1, 0)}},
      {"skipped first", {ClockValue(2026, 3, 29, 2, 30, 0)}, "+2", StationZone::Named("Europe/Berlin"),
       "02:30:00 of point 1 does not exist", {testing::Utc(2026, 3, 29, 1, 30)}},
      {"no offset", {ClockValue(2026, 12, 5, 12, 0, 0)}, "", std::nullopt, "Asia/Tokyo", {1796439600}},
  };
  ScopedTz tz("Asia/Tokyo");   // the machine's zone, the last guess
  for (const Row& row : rows) {
    const DayTimes times = DayTimesToUtc(row.Clocks, row.Offset, row.Zone);
    ASSERT_EQ(times.Warnings.size(), 1u) << row.Name;
    EXPECT_NE(times.Warnings[0].find(row.Says), std::string::npos) << row.Name << ": " << times.Warnings[0];
    if (!row.Utc.empty()) {
      EXPECT_EQ(times.Utc, row.Utc) << row.Name;
    }
  }
}

TEST(DayTimes, ZoneTextIsWholeHoursOnly) {
  const struct {
    const char* Text;
    std::optional<int> Offset;
  } rows[] = {{"+9", 32400}, {"-3", -10800}, {"0", 0}, {"+14", 50400}, {"+15", std::nullopt},
              {"+5:30", std::nullopt}, {"", std::nullopt}, {"JST", std::nullopt}, {"+", std::nullopt}};
  for (const auto& row : rows) EXPECT_EQ(ZoneTextOffset(row.Text), row.Offset) << row.Text;
}

}  // namespace
}  // namespace spectrel
