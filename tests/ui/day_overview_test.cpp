// The numbers and the picture of the day overview, checked against the core's own per-wavelength
// merge: rows made on all cores or one point at a time, and a spectrogram grown point by point
// equal to the one painted whole.
#include "spectrum/resample.h"
#include "support/synthetic_day.h"
#include "base/local_time.h"
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

TEST(DayOverviewData, ADayOfAClockChangeHasItsOwnLength) {
  {
    const testing::ScopedEnv zone("TZ", "Europe/Berlin");
    tzset();
    // 10:00 UTC on the spring change, the autumn change and an ordinary day.
    const std::pair<std::int64_t, int> days[] = {{1774778400, 1380}, {1792922400, 1500}, {1780308000, 1440}};
    for (const auto& [t, minutes] : days) {
      DayOverviewData day;
      OverviewPoint point;
      point.Time = t;
      day.Add(point);
      EXPECT_EQ(day.Minutes(), minutes) << t;
      EXPECT_EQ(FormatLocal(day.DayStart(), "%H:%M:%S"), "00:00:00") << t;
    }
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
