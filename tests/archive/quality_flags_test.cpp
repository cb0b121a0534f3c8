// Quality flags of points built to cross each rule's threshold, one at a time, from a point that
// raises none: SR-101 with SR-103, flat and equal in the seam band, cooled, at noon in Tokyo.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "archive/day_grid.h"
#include "archive/quality_flags.h"
#include "archive/solar_position.h"
#include "support/synthetic_day.h"

namespace spectrel::archive {
namespace {

constexpr std::int64_t Noon = 1555038000;   // 2019-04-12 12:00 at +9
constexpr float FlatRate = 20000.0f;        // light counts per second of the quiet point
constexpr float FlatCalib = 0.05f;          // so that every pixel reads 1000 W m-2 um-1

SensorMeasurement Flat(int model) {
  SensorMeasurement m = testing::MakeMeasurement(model, Noon);
  std::fill(m.Light.begin(), m.Light.end(), FlatRate);
  std::fill(m.Dark.begin(), m.Dark.end(), 0.0f);
  m.ExposureMs = 100;
  m.StatusInt = {-1, 0, 0, -1};             // cooling active, fin normal
  m.StatusFloat[0] = model == SR103 ? -10.0f : 25.0f;
  return m;
}

CKrfData QuietDay(const std::vector<int>& models = {SR101, SR103}) {
  CKrfData day = testing::MakeDay(models, 1, Noon, 60);
  for (int model : models) {
    SensorInfo info = *day.Info(model);
    std::fill(info.Calib.begin(), info.Calib.end(), FlatCalib);
    day.SetInfo(model, info);
    day.Rad(0).SetBlock(model, Flat(model));
  }
  return day;
}

// SR-101 with SR-103 reach from 301 to 1700 nm on the grid: the quiet point's integral range.
GridOptions QuietRange() {
  GridOptions options;
  options.IntegTo = 1700;
  return options;
}

std::int16_t FlagsOf(const CKrfData& day, bool siteKnown = true) {
  const DayGrid grid = ComputeDayGrid(day, QuietRange());
  std::optional<double> zenith;
  if (siteKnown) zenith = SolarPosition(day.Rad(0).MeasureTime, 35.68, 139.75).ZenithDeg;
  return QualityFlags(day, 0, grid, zenith);
}

struct FlagCase {
  const char* Name;
  std::function<void(CKrfData&)> Change;   // applied to the quiet point
  std::int16_t Expected;                   // the flags it must raise (exactly)
};

SensorMeasurement& Block(CKrfData& day, int model) { return *day.Rad(0).Block(model); }

void Fill(std::vector<float>& v, float x) { std::fill(v.begin(), v.end(), x); }

// Both sensors at the given light counts, SR-101 at the given exposure.
void Dim(CKrfData& d, int exposureMs, float light) {
  Block(d, SR101).ExposureMs = exposureMs;
  for (int model : {SR101, SR103}) Fill(Block(d, model).Light, light);
}

// SR-101's first 60 pixels (ultraviolet) darker than light by the given counts.
void DarkerUv(CKrfData& d, float counts) {
  for (int k = 0; k < 60; ++k) Block(d, SR101).Dark[k] = FlatRate + counts;
}

TEST(QualityFlags, EachRuleFiresOnlyFromItsThreshold) {
  const std::vector<FlagCase> cases{
      {"quiet point", [](CKrfData&) {}, 0},
      {"SR-103 took no part", [](CKrfData& d) { d.Rad(0).RemoveBlock(SR103); }, SensorMissing | IntegralPartial},
      {"no sensor at all", [](CKrfData& d) { d.Rad(0).RemoveBlock(SR101); d.Rad(0).RemoveBlock(SR103); },
       SensorMissing | IntegralPartial},
      {"one pixel zeroed for saturation", [](CKrfData& d) { Block(d, SR101).Light[40] = 0; }, Saturated},
      {"zero light over a live dark is no saturation",
       [](CKrfData& d) { Block(d, SR101).Light[40] = 0; Block(d, SR101).Dark[40] = 0.5f; }, 0},
      {"SR-104 has no saturation limit: a dead pixel is no saturation",
       [](CKrfData& d) { d.SetInfo(SR104, testing::MakeSensorInfo(SR104)); SensorMeasurement m = Flat(SR104);
                         m.StatusFloat[0] = -10.0f; m.Light[3] = m.Dark[3] = 0.0f; d.Rad(0).SetBlock(SR104, m); }, 0},
      {"longest exposure, peak 5000 counts <= 10000", [](CKrfData& d) { Dim(d, 5000, 1000.0f); }, TooDark},
      {"longest exposure, peak 10500 counts", [](CKrfData& d) { Dim(d, 5000, 2100.0f); }, 0},
      {"dim but not yet at the longest exposure", [](CKrfData& d) { Dim(d, 2000, 1000.0f); }, 0},
      {"-5 W m-2 um-1 in the ultraviolet", [](CKrfData& d) { DarkerUv(d, 100.0f); }, NegativeIrradiance},
      {"-1 W m-2 um-1 is noise", [](CKrfData& d) { DarkerUv(d, 20.0f); }, 0},
      {"SR-103 cooling stopped", [](CKrfData& d) { Block(d, SR103).StatusInt[1] = 1; }, CoolingNotReached},
      {"SR-103 at +5 degC", [](CKrfData& d) { Block(d, SR103).StatusFloat[0] = 5.0f; }, CoolingNotReached},
      {"SR-103 at 0 degC", [](CKrfData& d) { Block(d, SR103).StatusFloat[0] = 0.0f; }, 0},
      {"SR-101 is not a cooled sensor",
       [](CKrfData& d) { Block(d, SR101).StatusInt[1] = 1; Block(d, SR101).StatusFloat[0] = 30.0f; }, 0},
      {"SR-103 reads 20 % high", [](CKrfData& d) { Fill(Block(d, SR103).Light, FlatRate * 1.2f); },
       SeamMismatch},
      {"SR-103 reads 5 % high", [](CKrfData& d) { Fill(Block(d, SR103).Light, FlatRate * 1.05f); }, 0},
      {"a dark sky is not judged at the seam",
       [](CKrfData& d) { Dim(d, 100, 10.0f); Fill(Block(d, SR103).Light, 15.0f); }, 0},
      {"midnight in Tokyo", [](CKrfData& d) { d.Rad(0).MeasureTime = Noon + 12 * 3600; }, SunBelowHorizon},
  };
  for (const FlagCase& c : cases) {
    SCOPED_TRACE(c.Name);
    CKrfData day = QuietDay();
    c.Change(day);
    EXPECT_EQ(FlagsOf(day), c.Expected);
  }
  CKrfData unknownSite = QuietDay();   // the sun is never judged without a site
  unknownSite.Rad(0).MeasureTime = Noon + 12 * 3600;
  EXPECT_EQ(FlagsOf(unknownSite, false), 0);
}

struct RangeCase {
  const char* Name;
  int From, To;               // the integral range asked, nm
  bool SR103;                 // the day has SR-103 beside SR-101
  int CoveredFrom, CoveredTo; // what the integral sums, nm
  bool Partial;               // integral_partial raised
};

TEST(QualityFlags, IntegralPartialWhenTheSensorsLeaveMoreThanTheGridStepOfTheRange) {
  const RangeCase cases[] = {
      {"300-1700: the grid starts 1 nm above 300", 300, 1700, true, 301, 1700, false},
      {"300-1800: SR-103 ends at 1700 nm", 300, 1800, true, 301, 1700, true},
      {"300-1701: 1 nm short", 300, 1701, true, 301, 1700, false},
      {"300-1702: 2 nm short", 300, 1702, true, 301, 1700, true},
      {"298-1700: 3 nm short below", 298, 1700, true, 301, 1700, true},
      {"SR-101 alone over 300-1800", 300, 1800, false, 301, 1100, true},
      {"SR-101 alone over 400-700", 400, 700, false, 400, 700, false},
      {"2000-2100: nothing covered", 2000, 2100, true, NoWavelength, NoWavelength, true},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const CKrfData day = c.SR103 ? QuietDay() : QuietDay({SR101});
    GridOptions options;
    options.IntegFrom = c.From;
    options.IntegTo = c.To;
    const DayGrid grid = ComputeDayGrid(day, options);
    EXPECT_EQ(grid.CoveredFrom[0], c.CoveredFrom);
    EXPECT_EQ(grid.CoveredTo[0], c.CoveredTo);
    EXPECT_EQ(QualityFlags(day, 0, grid, std::nullopt), c.Partial ? IntegralPartial : 0);
  }
}

}  // namespace
}  // namespace spectrel::archive
