// The dask example on a small network archive (3 stations x 10 days, across a month's end): its
// daily integrals and monthly mean spectra against the same numbers worked out from the day files.
#include <gtest/gtest.h>
#include <netcdf.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "files/krf_file.h"
#include "archive_support.h"
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

// "YYYYMMDD" of the day's first point in local time.
std::string FormatLocalDate(const CKrfData& day) {
  const std::time_t t = static_cast<std::time_t>(day.Rad(0).MeasureTime);
  std::tm local{};
  localtime_r(&t, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &local);
  return text;
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

// "station,date" -> radiant exposure, from the example's table.
std::map<std::string, double> ReadDailyTable(const std::string& path) {
  std::map<std::string, double> table;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "station,date,radiant_exposure_MJ_m2,mean_integral_W_m2,points");
  while (std::getline(in, line)) {
    std::stringstream cells(line);
    std::string station, date, exposure;
    std::getline(cells, station, ',');
    std::getline(cells, date, ',');
    std::getline(cells, exposure, ',');
    table[station + "," + date] = std::stod(exposure);
  }
  return table;
}

// mean_spectral_irradiance(station, month, wavelength) of the example's NetCDF result.
std::vector<float> ReadMonthlyMeans(const std::string& path, std::size_t& months, std::size_t& width) {
  int nc = -1, var = -1, dims[3];
  std::vector<float> values;
  if (nc_open(path.c_str(), NC_NOWRITE, &nc) != NC_NOERR) return values;
  if (nc_inq_varid(nc, "mean_spectral_irradiance", &var) == NC_NOERR &&
      nc_inq_vardimid(nc, var, dims) == NC_NOERR) {
    std::size_t stations = 0;
    nc_inq_dimlen(nc, dims[0], &stations);
    nc_inq_dimlen(nc, dims[1], &months);
    nc_inq_dimlen(nc, dims[2], &width);
    values.resize(stations * months * width);
    nc_get_var_float(nc, var, values.data());
  }
  nc_close(nc);
  return values;
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
      const std::string date = FormatLocalDate(day);
      ASSERT_EQ(SaveKrf(day, data + "/" + date + ".KRF"), 1);
      expected[StationName(s) + "," + date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2)] =
          RadiantExposure(day);
      auto& sum = sums[{s, date.substr(4, 2) == "04" ? 0 : 1}];
      for (int j = 0; j < day.RadCount(); ++j) {
        sum[0] += MergedValue(day, j, 500.0);
        sum[1] += MergedValue(day, j, 925.0);
        sum[2] += MergedValue(day, j, 1200.0);
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

  const std::map<std::string, double> daily = ReadDailyTable(dir.File("results/daily_integrals.csv"));
  ASSERT_EQ(daily.size(), expected.size());
  for (const auto& [key, value] : expected) {
    ASSERT_TRUE(daily.count(key)) << key;
    EXPECT_NEAR(daily.at(key), value, 1e-5 * value) << key;
  }
  std::size_t months = 0, width = 0;
  const std::vector<float> means = ReadMonthlyMeans(dir.File("results/monthly_mean_spectra.nc"), months, width);
  ASSERT_EQ(months, 2u);
  ASSERT_EQ(width, 1501u);
  for (const auto& [key, sum] : sums) {
    const auto [s, month] = key;
    const double nm[3] = {500.0, 925.0, 1200.0};
    for (int w = 0; w < 3; ++w) {
      const std::size_t at = (static_cast<std::size_t>(s) * months + static_cast<std::size_t>(month)) * width +
                             static_cast<std::size_t>(nm[w] - 300.0);
      EXPECT_NEAR(means[at], sum[static_cast<std::size_t>(w)] / sum[3], 1e-4 * std::fabs(sum[static_cast<std::size_t>(w)] / sum[3]))
          << StationName(s) << " month " << month << " at " << nm[w] << " nm";
    }
  }
}

}  // namespace
}  // namespace spectrel::testing
