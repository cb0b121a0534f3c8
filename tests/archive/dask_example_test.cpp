// The dask example on a small network archive (3 stations x 10 days, across a month's end): its
// daily integrals and monthly mean spectra against the same numbers worked out from the day files.
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

constexpr std::int64_t April26 = 1556229600;   // 2019-04-26 07:00 at +9
constexpr int Days = 10;                       // 26 April to 5 May
constexpr int Points = 12;                     // hourly, 07:00 to 18:00
constexpr int Stations = 3;
constexpr double kNm[3] = {500.0, 925.0, 1200.0};   // where the monthly means are compared

std::string StationName(int s) { return std::string("Station ") + static_cast<char>('A' + s); }

// A station's day: SR-101 with SR-103, brighter by a fifth per station.
CKrfData StationDay(int s, int d) {
  CKrfData day = MakeDay({SR101, SR103}, Points, April26 + d * 86400, 3600);
  day.SiteName = StationName(s);
  day.SiteLat = std::to_string(30 + 5 * s);
  for (int j = 0; j < day.RadCount(); ++j)
    for (int model : {SR101, SR103})
      for (float& v : day.Rad(j).Block(model)->Light) v *= 1.0f + 0.2f * static_cast<float>(s);
  return day;
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

TEST(DaskExample, DailyIntegralsAndMonthlySpectraMatchTheDayFiles) {
  if (!PythonHas("xarray, dask, distributed, netCDF4, pandas"))
    GTEST_SKIP() << "/usr/bin/python3 lacks xarray/dask/distributed/netCDF4: install python3-xarray "
                    "python3-dask python3-distributed python3-netcdf4";
  ScopedTz tz("UTC-9");
  TempDir dir;
  std::vector<std::string> args{std::string(SPECTREL_SOURCE_DIR) + "/examples/archive_analysis.py"};
  std::map<std::string, double> expected;
  // Sums over each station and month of the merged value at 500, 925 and 1200 nm, and counts.
  std::map<std::pair<int, int>, std::array<double, 4>> sums;
  for (int s = 0; s < Stations; ++s) {
    const std::string data = dir.File("data" + std::to_string(s));
    fs::create_directories(data);
    for (int d = 0; d < Days; ++d) {
      const CKrfData day = StationDay(s, d);
      const std::int64_t start = day.Rad(0).MeasureTime;
      ASSERT_EQ(SaveKrf(day, data + "/" + FormatLocal(start, "%Y%m%d") + ".KRF"), 1);
      expected[StationName(s) + "," + FormatLocal(start, "%Y-%m-%d")] = RadiantExposure(day);
      auto& sum = sums[{s, FormatLocal(start, "%m") == "04" ? 0 : 1}];
      for (int j = 0; j < day.RadCount(); ++j) {
        for (std::size_t w = 0; w < 3; ++w) sum[w] += MergedValue(day, j, kNm[w]);
        sum[3] += 1;
      }
    }
    const std::string out = dir.File("nc/station" + std::to_string(s));
    ASSERT_EQ(cli::RunArchiveBatch(NetCdfBatch(data, out)), 0);
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
  EXPECT_EQ(rows[0], (nlohmann::json{"station", "date", "radiant_exposure_MJ_m2", "mean_integral_W_m2", "points"}));
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::string key = rows[r][0].get<std::string>() + "," + rows[r][1].get<std::string>();
    ASSERT_TRUE(expected.count(key)) << key;
    EXPECT_NEAR(std::stod(rows[r][2].get<std::string>()), expected[key], 1e-5 * expected[key]) << key;
  }
  ASSERT_EQ(results["shape"], (nlohmann::json{Stations, 2, 1501}));
  for (const auto& [key, sum] : sums) {
    const auto [s, month] = key;
    for (std::size_t w = 0; w < 3; ++w) {
      EXPECT_NEAR(results["means"][static_cast<std::size_t>(s)][static_cast<std::size_t>(month)][w].get<double>(), sum[w] / sum[3], 1e-4 * std::fabs(sum[w] / sum[3]))
          << StationName(s) << " month " << month << " at " << kNm[w] << " nm";
    }
  }
}

}  // namespace
}  // namespace spectrel::testing
