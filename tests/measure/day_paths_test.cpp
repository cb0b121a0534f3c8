// File names and the time-zone text of a new day file, and the status texts of both languages.
#include "doc_fixture.h"
#include "measure/day_paths.h"
#include "measure/status_texts.h"

namespace spectrel::testing {
namespace {

TEST(DayPaths, NamesFollowTheLocalDateAndHour) {
  ScopedTimeZone zone("Asia/Tokyo");
  const std::int64_t t = Tokyo(2026, 12, 5, 9, 5, 3);
  EXPECT_EQ(DayFilePath("/d/", t), "/d/2026/20261205.KRF");
  EXPECT_EQ(HourCsvPath("/c/", t), "/c/2026/2026120509.CSV");
  EXPECT_EQ(EventLogPath("/d/", t), "/d/2026.LOG");
  // A folder typed without the final separator is joined to the year.
  EXPECT_EQ(DayFilePath("/d", t), "/d2026/20261205.KRF");
  // 15:00 UTC on 31 December is already the next year in Tokyo.
  EXPECT_EQ(DayFilePath("", Utc(2026, 12, 31, 15, 0, 0)), "2027/20270101.KRF");
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
    ScopedTimeZone zone(c.Zone);
    EXPECT_EQ(TimeZoneText(c.Time), c.Text) << c.Zone;
  }
}

TEST(DayPaths, SecondOfDayAndBoundaryTime) {
  ScopedTimeZone zone("Asia/Tokyo");
  EXPECT_EQ(SecondOfDay(Tokyo(2026, 12, 7, 10, 3, 7)), 36187);
  EXPECT_EQ(LocalTimeOfDay(Tokyo(2026, 12, 7, 10, 3, 7), 36600), Tokyo(2026, 12, 7, 10, 10, 0));
  EXPECT_EQ(LocalTimeOfDay(Tokyo(2026, 12, 7, 10, 3, 7), 0), Tokyo(2026, 12, 7, 0, 0, 0));
  // The test's own calendar agrees with the library's.
  EXPECT_EQ(TokyoStamp(Tokyo(2026, 12, 7, 10, 3, 7)), "20261207100307");
  EXPECT_EQ(LocalTimeText(Tokyo(2024, 2, 29, 23, 59, 59), "%Y%m%d%H%M%S"), TokyoStamp(Tokyo(2024, 2, 29, 23, 59, 59)));
}

TEST(StatusTexts, EnglishAndJapaneseExistForEveryId) {
  EXPECT_EQ(MeasureText(TextStopQuestion, Language::English), "Stop Interval Measurement");
  EXPECT_EQ(MeasureText(TextGettingInfo, Language::English), "Getting the sensor information");
  EXPECT_EQ(MeasureText(TextMeasuring, Language::English), "Measuring");
  EXPECT_EQ(MeasureText(TextMeasureOk, Language::English), "Measurement OK");
  EXPECT_EQ(MeasureText(TextMeasureFailed, Language::English), "Measurement failed");
  EXPECT_EQ(MeasureText(TextRetrying, Language::English), "Retrying measurement");
  EXPECT_EQ(MeasureText(61454, Language::English), "  ");
  EXPECT_EQ(MeasureText(61455, Language::English), "Error(Opening COM Port failed)");
  EXPECT_EQ(MeasureText(61456, Language::English), "Error(Communication with the sensor failed)");
  EXPECT_EQ(MeasureText(61457, Language::English), "Error(Getting the sensor information failed)");
  EXPECT_EQ(MeasureText(61458, Language::English), "Error(Sensor Name)");
  EXPECT_EQ(MeasureText(61459, Language::English), "Error(Getting the calibration value failed)");
  EXPECT_EQ(MeasureText(61460, Language::English), "READY");
  EXPECT_EQ(MeasureText(TextIntervalTitle, Language::English), "Interval Measurement");
  EXPECT_EQ(MeasureText(TextManualTitle, Language::English), "Manual Measurement");
  EXPECT_EQ(MeasureText(61448, Language::English), "");
  for (int id = 61447; id <= 61462; ++id) {
    if (id == 61448 || id == 61454) continue;
    const std::string& ja = MeasureText(id, Language::Japanese);
    EXPECT_FALSE(ja.empty()) << id;
    EXPECT_NE(ja, MeasureText(id, Language::English)) << id;
  }
  EXPECT_EQ(ModelDisplayName(0), "SR-101");
  EXPECT_EQ(ModelDisplayName(3), "SR-104");
  EXPECT_EQ(ModelDisplayName(4), "");
}

}  // namespace
}  // namespace spectrel::testing
