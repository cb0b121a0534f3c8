// File names and the time-zone text of a new day file, and the status texts of both languages.
#include "doc_fixture.h"
#include "files/day_part_name.h"
#include "measure/day_paths.h"
#include "measure/status_texts.h"

namespace spectrel::testing {
namespace {

TEST(DayPaths, NamesAndTimesFollowTheLocalCalendar) {
  ScopedTz zone("Asia/Tokyo");
  const std::int64_t t = Tokyo(2026, 12, 5, 9, 5, 3);
  EXPECT_EQ(DayFilePath("/d/", t), "/d/2026/20261205.KRF");
  EXPECT_EQ(HourCsvPath("/c/", t), "/c/2026/2026120509.CSV");
  EXPECT_EQ(EventLogPath("/d/", t), "/d/2026.LOG");
  // No final separator: joined to the year.
  EXPECT_EQ(DayFilePath("/d", t), "/d2026/20261205.KRF");
  EXPECT_EQ(EventLogPath("/d", t), "/d2026.LOG");
  // 15:00 UTC on 31 December is already the next year in Tokyo.
  EXPECT_EQ(DayFilePath("", Utc(2026, 12, 31, 15, 0, 0)), "2027/20270101.KRF");
}

// A day goes on in its parts "YYYYMMDD_n.KRF" beside its day file; other names are no part.
TEST(DayPaths, PartsOfADayAreNamedAndKnownByTheirName) {
  EXPECT_EQ(DayPartPath("/d/2026/20261205.KRF", 1), "/d/2026/20261205.KRF");
  EXPECT_EQ(DayPartPath("/d/2026/20261205.KRF", 12), "/d/2026/20261205_12.KRF");
  const std::pair<const char*, int> names[] = {
      {"/d/2026/20261205.KRF", 1}, {"/d/2026/20261205_2.KRF", 2}, {"20261205_12.KRF", 12},
      {"/d/2026/20261205_1.KRF", 0}, {"/d/2026/20261205_.KRF", 0}, {"/d/2026/2026120_2.KRF", 0},
      {"/d/2026/20261205_2.KRF.unreadable-1", 0}, {"/d/2026/20261205_2a.KRF", 0}, {"/d/2026/2026120509.CSV", 0},
  };
  for (const auto& [name, part] : names) EXPECT_EQ(DayPartOf(name), part) << name;
}

TEST(DayPaths, TimeZoneTextIsTheWholeHourOffset) {
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

TEST(StatusTexts, EveryIdHasItsOwnJapaneseText) {
  for (int id = 61447; id <= 61462; ++id) {
    if (id == 61448 || id == 61454) continue;
    EXPECT_FALSE(MeasureText(id, Language::Japanese).empty()) << id;
    EXPECT_NE(MeasureText(id, Language::Japanese), MeasureText(id, Language::English)) << id;
  }
  EXPECT_EQ(ModelDisplayName(4), "");
}

}  // namespace
}  // namespace spectrel::testing
