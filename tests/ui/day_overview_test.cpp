// The numbers and the picture of the day overview, checked against the core's own per-wavelength
// merge: rows made on all cores or one point at a time, and a spectrogram grown point by point
// equal to the one painted whole.
#include "spectrum/resample.h"
#include "support/synthetic_day.h"
#include "base/local_day.h"
#include "files/krf_file.h"
#include "ui/archive_day.h"
#include "ui/axis_ticks.h"
#include "ui/day_overview.h"
#include "ui/day_overview_panels.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

constexpr std::int64_t Start = 1780300800;   // first point, s UTC

// Fourteen SR-102 + SR-104 points, dimming, so the day's brightest stays the first. Their spacing
// makes the usual step (the median) 1 min, then 3 min, then 1 min again, so the 3 min steps count
// as stretches without measurement, then not, then again; a 31 min stretch follows. The eighth
// point has no SR-104 block.
CKrfData DimmingDay() {
  const int minutes[] = {0, 1, 2, 3, 6, 9, 12, 13, 14, 15, 16, 17, 48, 49};
  const CKrfData bright = testing::MakeDay({SR102, SR104}, 14, Start, 60);
  CKrfData day = bright.Header();
  for (int p = 0; p < 14; ++p) {
    day.AppendRad(bright.Rad(13 - p));
    day.LastRad()->MeasureTime = Start + minutes[p] * 60;
  }
  day.Rad(7).RemoveBlock(SR104);
  return day;
}

TEST(DayOverviewData, RowsAreTheMergedSpectrumMadeOnAllCoresOrOneByOne) {
  const CKrfData day = DimmingDay();
  const DayOverviewData whole = BuildOverview(day, 400, 1700);
  DayOverviewData stepwise;
  while (!stepwise.Follow(day, 400, 1700, 5)) {
  }
  ASSERT_EQ(std::pair(whole.Count(), stepwise.Count()), std::pair(14, 14));
  for (int j = 0; j < 14; ++j) {
    const OverviewPoint& point = whole.Data()[static_cast<size_t>(j)];
    EXPECT_EQ(point.Row, stepwise.Data()[static_cast<size_t>(j)].Row) << j;
    EXPECT_EQ(std::tuple(point.Failed, point.StartNm, point.Row.size()), std::tuple(j == 7, 301, j == 7 ? 800u : 1500u));
    // The trapezoid from 400 nm to 1700 nm, as the graph's integral: a row that ends before
    // 1700 nm (the point without SR-104) keeps its last value whole.
    double integral = 0.0;
    for (int nm = 301; nm < 301 + static_cast<int>(point.Row.size()); ++nm) {
      const double expected = MergedValue(day, j, nm);
      if (nm >= 400 && nm <= 1700) integral += nm == 400 || nm == 1700 ? expected * 0.5 : expected;
      ASSERT_EQ(point.Row[static_cast<size_t>(nm - 301)], static_cast<float>(expected)) << j << " " << nm;
    }
    EXPECT_DOUBLE_EQ(point.Integral, integral / 1000.0) << j;
  }
  EXPECT_EQ(std::tuple(whole.MinNm, whole.MaxNm, whole.MaxValue), std::tuple(stepwise.MinNm, stepwise.MaxNm, stepwise.MaxValue));
}

TEST(DaySpectrogram, GrownPointByPointItEqualsThePicturePaintedWhole) {
  const CKrfData day = DimmingDay();
  CDayOverview overview;
  for (int n = 1; n <= day.RadCount(); ++n) {
    CKrfData part = day.Header();
    for (int j = 0; j < n; ++j) part.AppendRad(day.Rad(j));
    overview.Data().Follow(part, 300, 1800);
    overview.Changed();
    ASSERT_EQ(overview.SpectrogramPicture(), SpectrogramImage(overview.Data())) << n << " points";
  }
  // The first point's minute at 500 nm in its colour; at 1800 nm the minute of the point without
  // SR-104 and those of the 3 min and 31 min stretches grey, the minute after it coloured.
  const DayOverviewData& data = overview.Data();
  const QImage& picture = overview.SpectrogramPicture();
  const int minute = static_cast<int>((Start - data.DayStart()) / 60);
  const double level = 255.0 * data.Data()[0].Row[500 - 301] / data.MaxValue;
  EXPECT_EQ(picture.pixel(minute, data.MaxNm - 500), ViridisColor(static_cast<int>(level) / 255.0).rgb());
  const QRgb grey = qRgb(225, 225, 225);
  EXPECT_EQ(std::tuple(picture.pixel(minute + 13, 0), picture.pixel(minute + 4, 0), picture.pixel(minute + 30, 0)),
            std::tuple(grey, grey, grey));
  EXPECT_NE(picture.pixel(minute + 14, 0), grey);
  EXPECT_TRUE(SpectrogramImage(DayOverviewData()).isNull());
}

// A day file written at a station in each zone, a point every 10 minutes of the whole local day,
// read on a machine in that zone with no zone in the profile: the points at their true UTC in
// order (the repeated hour too), the day its own length, the axis the station's clock as it ran,
// and UTC's hours on request.
TEST(DayOverviewData, EachZoneKeepsItsLocalDayAsItWas) {
  struct Row {
    const char* Zone;
    int Year, Month, Day;
    int Minutes;
    const char* Local;   // the hour labels, from the day's start
    const char* FirstUtc;
    bool Warned;         // the file's whole-hour offset differs from the zone
  };
  const Row rows[] = {
      {"Europe/Berlin", 2026, 3, 29, 1380, "00:00 01:00 03:00 04:00", "23:00", false},
      {"Europe/Berlin", 2026, 10, 25, 1500, "00:00 01:00 02:00 02:00 03:00", "22:00", false},
      {"America/St_Johns", 2026, 11, 1, 1500, "00:00 01:00 01:00 02:00", "03:00", true},
      {"Australia/Lord_Howe", 2026, 4, 5, 1470, "00:00 01:00 02:00 03:00", "13:00", false},
      {"Australia/Lord_Howe", 2026, 10, 4, 1410, "00:00 01:00 03:00 04:00", "14:00", true},
      {"Asia/Kolkata", 2026, 6, 1, 1440, "00:00 01:00 02:00 03:00", "19:00", true},
  };
  uitest::TempDir folder;
  for (const Row& row : rows) {
    const testing::ScopedEnv zone("TZ", row.Zone);
    tzset();
    const StationZone station = StationZoneOf("");
    ASSERT_EQ(station.Name(), row.Zone);
    const std::int64_t noon = station.Instants(ClockValue(row.Year, row.Month, row.Day, 12, 0, 0)).Earlier;
    const std::int64_t midnight = LocalMidnight(noon, station);
    const int points = static_cast<int>((NextLocalMidnight(noon, station) - midnight) / 600);
    const std::string path = folder.File(std::to_string(row.Month) + "_" + std::to_string(row.Minutes) + ".KRF");
    CKrfData written = testing::MakeDay({SR102}, points, midnight, 600);
    const int hours = station.OffsetAt(midnight) / 3600;   // whole hours toward zero, as a station writes them
    written.TimeZone = (hours >= 0 ? "+" : "") + std::to_string(hours);
    ASSERT_TRUE(SaveKrf(written, path)) << row.Zone;
    const ArchiveDay day = ReadArchiveDay(path, 300, 1800, station);
    ASSERT_EQ(day.Overview.Count(), points) << row.Zone << row.Month;
    for (int j = 0; j < points; ++j)
      ASSERT_EQ(day.Overview.Data()[static_cast<size_t>(j)].Time, midnight + j * 600) << row.Zone << row.Month << " " << j;
    const DayOverviewData& d = day.Overview;
    EXPECT_EQ(std::tuple(d.Minutes(), d.DayStart(), d.ZoneWarning.empty()), std::tuple(row.Minutes, midnight, !row.Warned))
        << row.Zone << row.Month << d.ZoneWarning;
    std::string local;
    for (const HourTick& tick : d.HourTicks(false)) local += (local.empty() ? "" : " ") + tick.Label;
    EXPECT_EQ(local.substr(0, std::strlen(row.Local)), row.Local) << row.Zone << row.Month;
    EXPECT_TRUE(local.ends_with(" 23:00 24:00")) << local;
    EXPECT_EQ(d.HourTicks(true).front().Label, row.FirstUtc) << row.Zone << row.Month;
  }
  tzset();
}

// Ticks made coarser (1, 2, 5 x 10^k) until their labels fit: a 1117.4 W/m2 line at 250 and at
// 100 pixels with 30-pixel labels, and 1500 nm over an A3 page's 2000 units.
TEST(OverviewTicks, EachLabelGetsTheRoomItNeeds) {
  const std::tuple<double, double, double, double> rows[] = {{1117.4, 250, 30, 200}, {1117.4, 100, 30, 500}, {1500, 2000, 20, 200}};
  for (const auto& [span, room, label, step] : rows) EXPECT_EQ(StepForRoom(span, room, label), step) << room;
  EXPECT_EQ(TickLabel(-0.0001, 0.5), QStringLiteral("0.0"));
}

}  // namespace
}  // namespace spectrel
