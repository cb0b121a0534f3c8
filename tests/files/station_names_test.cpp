// The station's file names: made from the local calendar, read back from a bare name.
#include <gtest/gtest.h>

#include "files/day_part_name.h"
#include "files/station_names.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::ScopedTz;
using testing::Utc;

TEST(StationNames, MadeFromTheLocalCalendar) {
  ScopedTz zone("Asia/Tokyo");
  const std::int64_t t = Utc(2026, 12, 5, 0, 5, 3);   // 09:05:03 in Tokyo
  EXPECT_EQ(DayFilePath("/d/", t), "/d/2026/20261205.KRF");
  EXPECT_EQ(HourCsvPath("/c/", t), "/c/2026/2026120509.CSV");
  EXPECT_EQ(DayFilePath("/d/", t, 3), "/d/2026/20261205_3.KRF");   // parts of a day
  EXPECT_EQ(HourCsvPath("/c/", t, 2), "/c/2026/2026120509_2.CSV");
  EXPECT_EQ(EventLogPath("/d/", t), "/d/2026.LOG");
  EXPECT_EQ(StatusFilePath("/d/"), "/d/status.json");
  // No final separator: joined to the year.
  EXPECT_EQ(DayFilePath("/d", t), "/d2026/20261205.KRF");
  EXPECT_EQ(EventLogPath("/d", t), "/d2026.LOG");
  // 15:00 UTC on 31 December is already the next year in Tokyo.
  EXPECT_EQ(DayFilePath("", Utc(2026, 12, 31, 15, 0, 0)), "2027/20270101.KRF");
}

TEST(StationNames, ReadBackToTheirDayOrNothing) {
  struct Row {
    const char* Name;
    const char* Date;   // "" when the name is no station file
    const char* Own;    // the station's own spelling and place
  };
  const Row rows[] = {
      {"20240601.KRF", "20240601", "2024/20240601.KRF"},
      {"20240601.krf", "20240601", "2024/20240601.KRF"},   // copied from another system
      {"2024060113.CSV", "20240601", "2024/2024060113.CSV"},
      {"20240601.nc", "20240601", "2024/20240601.nc"},
      {"2024.LOG", "20240000", "2024.LOG"},
      {"status.json", "00000000", "status.json"},
      {"20240229.KRF", "20240229", "2024/20240229.KRF"},   // a leap day
      {"20230229.KRF", "", ""},
      {"20240431.KRF", "", ""},
      {"2024060124.CSV", "", ""},   // no hour 24
      {"20241301.KRF", "", ""},
      {"20240600.KRF", "", ""},
      {"19691231.KRF", "", ""},
      {"2024061.KRF", "", ""},
      {"2024/20240601.KRF", "", ""},
      {"20240601.KRF.tmp", "", ""},
      {"2024O601.KRF", "", ""},
      {"", "", ""},
      // Parts of a day: another sensor unit's day file, hours and NetCDF file.
      {"20240601_2.KRF", "20240601", "2024/20240601_2.KRF"},
      {"2024060113_12.CSV", "20240601", "2024/2024060113_12.CSV"},
      {"20240601_9999.nc", "20240601", "2024/20240601_9999.nc"},
      {"20240601_1.KRF", "", ""},
      {"20240601_02.KRF", "", ""},
      {"20240601_.KRF", "", ""},
      {"20240601_2a.KRF", "", ""},
      {"20240601_10000.KRF", "", ""},
      {"2024_2.LOG", "", ""},
      {"20240601-2.KRF", "", ""},
  };
  for (const Row& row : rows) {
    const auto parsed = ParseStationFileName(row.Name);
    EXPECT_EQ(parsed ? parsed->Date.Text() : "", row.Date) << row.Name;
    EXPECT_EQ(parsed ? RelativePathOf(*parsed) : "", row.Own) << row.Name;
  }
}

TEST(StationNames, TimeZoneTextIsTheWholeHourOffset) {
  struct Case {
    const char* Zone;
    std::int64_t Time;
    const char* Text;
  };
  const Case cases[] = {
      {"Asia/Tokyo", Utc(2026, 6, 1, 0, 0, 0), "+9"},
      {"UTC", Utc(2026, 6, 1, 0, 0, 0), "+0"},
      {"America/New_York", Utc(2026, 1, 15, 12, 0, 0), "-5"},
      {"America/New_York", Utc(2026, 7, 15, 12, 0, 0), "-4"},
      {"Asia/Kolkata", Utc(2026, 6, 1, 0, 0, 0), "+5"},          // +5:30 truncated
      {"America/St_Johns", Utc(2026, 1, 15, 12, 0, 0), "-3"},    // -3:30 truncated toward zero
      {"Europe/Berlin", Utc(2026, 3, 29, 0, 30, 0), "+1"},       // before the change to summer time
      {"Europe/Berlin", Utc(2026, 3, 29, 1, 30, 0), "+2"},
  };
  for (const Case& c : cases) {
    ScopedTz zone(c.Zone);
    EXPECT_EQ(TimeZoneText(c.Time), c.Text) << c.Zone << " " << c.Time;
  }
}

// A day goes on in its parts "YYYYMMDD_n.KRF" beside its day file.
TEST(StationNames, PartsOfADayAreNamedAfterItsDayFile) {
  EXPECT_EQ(DayPartPath("/d/2026/20261205.KRF", 1), "/d/2026/20261205.KRF");
  EXPECT_EQ(DayPartPath("/d/2026/20261205.KRF", 12), "/d/2026/20261205_12.KRF");
  EXPECT_EQ(DayPartPath("/d/2026/20261205_2.KRF", 3), "/d/2026/20261205_3.KRF");   // from one part to another
  EXPECT_EQ(DayPartPath("/d/2026/20261205_2.KRF", 1), "/d/2026/20261205.KRF");
  EXPECT_EQ(DayPartPath("/d/2026/notes.KRF", 2), "");   // no station day file: no parts
  EXPECT_EQ(DayPartPath("/d/2026/notes.KRF", 1), "/d/2026/notes.KRF");
  EXPECT_EQ(DayPartPath("/d/2026/20261205.krf", 2), "");
}

// Only such names are parts; any other name is none.
TEST(StationNames, APartIsKnownByItsName) {
  const std::pair<const char*, int> names[] = {
      {"/d/2026/20261205.KRF", 1}, {"/d/2026/20261205_2.KRF", 2}, {"20261205_12.KRF", 12},
      {"/d/2026/20261205_1.KRF", 0}, {"/d/2026/20261205_2.krf", 0}, {"/d/2026/2026120509_2.CSV", 0},
      {"/d/2026/20261205_2.KRF.unreadable-1", 0},
  };
  for (const auto& [name, part] : names) EXPECT_EQ(DayPartOf(name), part) << name;
}

}  // namespace
}  // namespace spectrel
