// The dask example on a small network archive (3 stations x 10 days, across a month's end; the
// second in Berlin, measuring from just after its local midnight, the third with days of two
// sensor sets): its daily integrals and monthly mean spectra against the same numbers worked out
// from the day files.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <map>

#include "files/krf_file.h"
#include "archive_support.h"
#include "base/local_time.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t April26 = 1556229600;   // 2019-04-26 07:00 at +9, 00:00 in Berlin
constexpr int Days = 10;                       // 26 April to 5 May
constexpr int Points = 12;                     // hourly, 07:00 to 18:00 (Berlin 00:30 to 11:30)
constexpr int Stations = 3;
constexpr double kNm[3] = {500.0, 925.0, 1200.0};   // where the monthly means are compared

std::string StationName(int s) { return std::string("Station ") + static_cast<char>('A' + s); }

// Where a station is: its zone, as its clock ran and as the export is told (none: the day file's
// own offset). Berlin's first points of a local day fall on the UTC day before.
struct StationZoneCase {
  const char* Clock;    // TZ of the station's computer
  const char* Offset;   // the day file's "TZ" line
  const char* Tz;       // --tz of the export
  std::int64_t Shift;   // first point after April26, s
};
StationZoneCase ZoneOf(int s) {
  if (s == 1) return {"Europe/Berlin", "+2", "Europe/Berlin", 1800};
  return {"UTC-9", "+9", "", 0};
}

// The sensors of a station's day: SR-101 with SR-104 (the whole integral range), but on the last
// station's odd days SR-102 alone (its longer-wavelength sensor away for calibration), whose
// integrals cover only 301-1100 nm.
std::vector<int> DaySensors(int s, int d) {
  if (s == Stations - 1 && d % 2 == 1) return {SR102};
  return {SR101, SR104};
}

// A station's day, brighter by a fifth per station.
CKrfData StationDay(int s, int d) {
  const std::vector<int> models = DaySensors(s, d);
  CKrfData day = MakeDay(models, Points, April26 + ZoneOf(s).Shift + d * 86400, 3600);
  day.SiteName = StationName(s);
  day.TimeZone = ZoneOf(s).Offset;
  day.SiteLat = std::to_string(30 + 5 * s);
  for (int j = 0; j < day.RadCount(); ++j)
    for (int model : models)
      for (float& v : day.Rad(j).Block(model)->Light) v *= 1.0f + 0.2f * static_cast<float>(s);
  return day;
}

// Some sensor of the point reaches wavelength w.
bool Covered(const CKrfData& day, int j, double w) {
  for (int model = SR101; model <= SR104; ++model)
    if (day.Rad(j).Block(model) != nullptr && day.Covers(model, w)) return true;
  return false;
}

// Radiant exposure of a day in MJ m-2: trapezoids of the integral irradiance between the points.
double RadiantExposure(const CKrfData& day) {
  CResample grid;
  double sum = 0.0;
  double previous = 0.0;
  for (int j = 0; j < day.RadCount(); ++j) {
    grid.Resample(day, j);
    const double e = static_cast<float>(grid.Integral(300, 1800));
    if (j > 0) sum += (e + previous) / 2.0 * static_cast<double>(day.Rad(j).MeasureTime - day.Rad(j - 1).MeasureTime);
    previous = e;
  }
  return sum / 1e6;
}

TEST(DaskExample, TheExamplesResultsMatchTheDayFiles) {
  if (!PythonHas("xarray, dask, distributed, netCDF4, pandas"))
    GTEST_SKIP() << "/usr/bin/python3 lacks xarray/dask/distributed/netCDF4: install python3-xarray "
                    "python3-dask python3-distributed python3-netcdf4";
  TempDir dir;
  std::vector<std::string> args{std::string(SPECTREL_SOURCE_DIR) + "/examples/archive_analysis.py"};
  struct DayExpected {
    double Exposure;   // radiant exposure, MJ m-2
    int Partial;       // points whose integral covers only part of the range
  };
  std::map<std::string, DayExpected> expected;   // by "station,date"
  // Sums over each station and month of the merged value at 500, 925 and 1200 nm where a sensor
  // covers them, and their counts.
  std::map<std::pair<int, int>, std::array<double, 6>> sums;
  for (int s = 0; s < Stations; ++s) {
    const std::string data = dir.File("data" + std::to_string(s));
    fs::create_directories(data);
    ScopedTz tz(ZoneOf(s).Clock);
    for (int d = 0; d < Days; ++d) {
      const CKrfData day = StationDay(s, d);
      const std::int64_t start = day.Rad(0).MeasureTime;
      ASSERT_TRUE(SaveKrf(day, data + "/" + FormatLocal(start, "%Y%m%d") + ".KRF"));
      expected[StationName(s) + "," + FormatLocal(start, "%Y-%m-%d")] = {
          RadiantExposure(day), DaySensors(s, d).size() == 1 ? Points : 0};
      auto& sum = sums[{s, FormatLocal(start, "%m") == "04" ? 0 : 1}];
      for (int j = 0; j < day.RadCount(); ++j)
        for (std::size_t w = 0; w < 3; ++w)
          if (Covered(day, j, kNm[w])) {
            sum[w] += MergedValue(day, j, kNm[w]);
            sum[w + 3] += 1;
          }
    }
    const std::string out = dir.File("nc/station" + std::to_string(s));
    ASSERT_EQ(ConvertAll(data, NetCdfConversion(out, ZoneOf(s).Tz)), "");
    args.push_back(out);
  }
  args.insert(args.end(), {"--out", dir.File("results"), "--workers", "2"});
  std::string output;
  ASSERT_EQ(RunPython(args, output), 0) << output;

  // The example's results read back by Python: the daily table's rows and the monthly mean
  // spectra (station, month, wavelength) at kNm.
  const std::string script =
      "import csv, json, sys, netCDF4\n"
      "rows = list(csv.reader(open(sys.argv[1] + \"/daily_integrals.csv\")))\n"
      "means = netCDF4.Dataset(sys.argv[1] + \"/monthly_mean_spectra.nc\")[\"mean_spectral_irradiance\"][:]\n"
      "print(json.dumps({\"rows\": rows, \"shape\": list(means.shape),\n"
      "                  \"means\": means[:, :, [200, 625, 900]].tolist()}))\n";
  ASSERT_EQ(RunPython({"-c", script, dir.File("results")}, output), 0) << output;
  const nlohmann::json results = nlohmann::json::parse(output, nullptr, false);
  ASSERT_FALSE(results.is_discarded());
  const auto& rows = results["rows"];
  ASSERT_EQ(rows.size(), expected.size() + 1);
  EXPECT_EQ(rows[0], (nlohmann::json{"station", "date", "radiant_exposure_MJ_m2", "mean_integral_W_m2", "points",
                                     "partial_points"}));
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::string key = rows[r][0].get<std::string>() + "," + rows[r][1].get<std::string>();
    ASSERT_TRUE(expected.count(key)) << key;
    const DayExpected& e = expected[key];
    EXPECT_NEAR(std::stod(rows[r][2].get<std::string>()), e.Exposure, 1e-5 * e.Exposure) << key;
    EXPECT_EQ(rows[r][5], std::to_string(e.Partial)) << key;
  }
  ASSERT_EQ(results["shape"], (nlohmann::json{Stations, 2, 1501}));
  for (const auto& [key, sum] : sums) {
    const auto [s, month] = key;
    for (std::size_t w = 0; w < 3; ++w) {
      EXPECT_NEAR(results["means"][static_cast<std::size_t>(s)][static_cast<std::size_t>(month)][w].get<double>(), sum[w] / sum[w + 3], 1e-4 * std::fabs(sum[w] / sum[w + 3]))
          << StationName(s) << " month " << month << " at " << kNm[w] << " nm";
    }
  }
}

}  // namespace
}  // namespace spectrel::testing
