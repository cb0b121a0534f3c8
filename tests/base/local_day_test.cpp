// Local days and clock readings in zones whose days are not always 24 hours: the same answers from
// the zone database by name and from the C library through $TZ.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "base/local_day.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::ScopedTz;

struct DayRow {
  const char* Name;
  const char* Zone;
  int Year, Month, Day;
  std::int64_t Midnight;   // first instant of the date, from an independent zone database
  std::int64_t Hours2;     // length of the date in half hours
};

const DayRow Days[] = {
    {"BerlinSpring", "Europe/Berlin", 2026, 3, 29, 1774738800, 46},
    {"BerlinAutumn", "Europe/Berlin", 2026, 10, 25, 1792879200, 50},
    {"BerlinWinter", "Europe/Berlin", 2026, 12, 6, 1796511600, 48},
    {"StJohnsSpring", "America/St_Johns", 2026, 3, 8, 1772940600, 46},
    {"StJohnsAutumn", "America/St_Johns", 2026, 11, 1, 1793500200, 50},
    {"LordHoweBack", "Australia/Lord_Howe", 2026, 4, 5, 1775307600, 49},
    {"LordHoweForward", "Australia/Lord_Howe", 2026, 10, 4, 1791034200, 47},
    {"Kolkata", "Asia/Kolkata", 2026, 12, 6, 1796495400, 48},
    {"SantiagoSkipsMidnight", "America/Santiago", 2026, 9, 6, 1788667200, 46},
};

class LocalDays : public ::testing::TestWithParam<DayRow> {};

TEST_P(LocalDays, TheZoneSaysWhenADayBeginsHowLongItLasts) {
  const DayRow& row = GetParam();
  const std::int64_t noon = row.Midnight + 12 * 3600;
  const auto check = [&](const StationZone& zone, const char* how) {
    EXPECT_EQ(LocalMidnight(noon, zone), row.Midnight) << how;
    EXPECT_EQ(LocalMidnight(row.Midnight, zone), row.Midnight) << how;
    EXPECT_EQ(LocalMidnight(row.Midnight - 1, zone), LocalMidnight(row.Midnight - 1 - 20 * 3600, zone)) << how;
    EXPECT_EQ(LocalDayLength(noon, zone), row.Hours2 * 1800) << how;
    EXPECT_EQ(NextLocalMidnight(noon, zone), row.Midnight + row.Hours2 * 1800) << how;
    EXPECT_EQ(FormatClock(zone.ClockAt(row.Midnight), "%Y%m%d"),
              FormatClock(ClockValue(row.Year, row.Month, row.Day, 0, 0, 0), "%Y%m%d")) << how;
  };
  check(*StationZone::Named(row.Zone), "named");
  ScopedTz tz(row.Zone);
  check(StationZone::Process(), "process");
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalDays, ::testing::ValuesIn(Days),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(ClockReadings, RepeatedHourHasTwoInstantsAnHourApart) {
  const ClockSeconds halfPastTwo = ClockValue(2026, 10, 25, 2, 30, 0);
  const auto check = [&](const StationZone& zone) {
    const ClockInstants at = zone.Instants(halfPastTwo);
    EXPECT_EQ(at.Count, 2);
    EXPECT_EQ(at.Earlier, 1792888200);   // 00:30 UTC, summer time
    EXPECT_EQ(at.Later, 1792891800);     // 01:30 UTC, winter time
    EXPECT_EQ(zone.NearestInstant(halfPastTwo, 1792891800 + 40), 1792891800);
  };
  check(*StationZone::Named("Europe/Berlin"));
  ScopedTz tz("Europe/Berlin");
  check(StationZone::Process());
}

TEST(ClockReadings, SkippedHourIsReadWithTheOffsetBeforeTheChange) {
  const ClockSeconds halfPastTwo = ClockValue(2026, 3, 29, 2, 30, 0);
  const auto check = [&](const StationZone& zone) {
    const ClockInstants at = zone.Instants(halfPastTwo);
    EXPECT_EQ(at.Count, 0);
    EXPECT_EQ(at.Earlier, 1774747800);   // 01:30 UTC, which the clock shows as 03:30
    EXPECT_EQ(FormatClock(zone.ClockAt(at.Earlier), "%H:%M"), "03:30");
  };
  check(*StationZone::Named("Europe/Berlin"));
  ScopedTz tz("Europe/Berlin");
  check(StationZone::Process());
}

TEST(ClockReadings, SecondOfDayRunsThroughTheRepeatedHourTwice) {
  const auto zone = StationZone::Named("Europe/Berlin");
  EXPECT_EQ(SecondOfDay(1792888200, *zone), 2 * 3600 + 1800);
  EXPECT_EQ(SecondOfDay(1792891800, *zone), 2 * 3600 + 1800);
  const ClockInstants once = InstantsOnDay(1792879200 + 3600, 12 * 3600, *zone);
  EXPECT_EQ(once.Count, 1);
  EXPECT_EQ(once.Earlier, 1792879200 + 13 * 3600);   // noon comes 13 hours after that midnight
}

TEST(StationZones, NamesSayWhatWasApplied) {
  EXPECT_EQ(StationZone::Fixed(9 * 3600).Name(), "UTC+09:00");
  EXPECT_EQ(StationZone::Fixed(-(3 * 3600 + 1800)).Name(), "UTC-03:30");
  EXPECT_EQ(StationZone::Fixed(0).Name(), "UTC");
  EXPECT_EQ(StationZone::Named("Asia/Tokyo")->Name(), "Asia/Tokyo");
  EXPECT_FALSE(StationZone::Named("Mars/Olympus_Mons").has_value());
  EXPECT_FALSE(StationZone::Named("").has_value());
  {
    ScopedTz tz("America/St_Johns");
    EXPECT_EQ(StationZone::SystemZoneName(), "America/St_Johns");
    EXPECT_EQ(StationZone::Process().Name(), "America/St_Johns");
  }
  // $TZ as the C library also takes it: with a leading colon, or the zone file's path.
  for (const char* spelled : {":Europe/Berlin", "/usr/share/zoneinfo/Europe/Berlin", ":/usr/share/zoneinfo/Europe/Berlin"}) {
    ScopedTz tz(spelled);
    EXPECT_EQ(StationZone::SystemZoneName(), "Europe/Berlin") << spelled;
  }
  // Without $TZ the system's zone is the zone file /etc/localtime links to, by that file's name.
  const testing::ScopedEnv none("TZ", nullptr);
  if (!std::filesystem::is_symlink("/etc/localtime")) GTEST_SKIP() << "/etc/localtime is no link here";
  const std::string name = StationZone::Process().Name();
  ASSERT_TRUE(StationZone::Named(name)) << name;
  EXPECT_EQ(StationZone::SystemZoneName(), name);
  EXPECT_EQ(std::filesystem::canonical("/etc/localtime"), std::filesystem::canonical("/usr/share/zoneinfo/" + name));
}

}  // namespace
}  // namespace spectrel
