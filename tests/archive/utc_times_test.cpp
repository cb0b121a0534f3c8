// The archive's times are true UTC whatever zone the converting machine is in: the same day files
// converted under three zones give the same bytes in the time variable, each the instant the
// station measured at, and the sun follows those instants.
#include <gtest/gtest.h>
#include <netcdf.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/solar_position.h"
#include "archive_support.h"
#include "files/krf_file.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

struct DayCase {
  const char* Name;
  const char* StationZone;   // the zone the station ran in
  const char* File;          // the day file's name
  const char* Offset;        // its "TZ" line
  std::int64_t Start;        // first point, s since 1970 UTC
  int Points;                // every 600 s
  const char* TzOption;      // --tz given to the export; empty: the file's own offset
  const char* Applied;       // the zone the file names as applied
};

// Tsukuba at +9 (no daylight saving: the file's offset suffices) and a Berlin autumn day whose
// repeated hour only the zone can place; both from local midnight at a 10-minute interval.
const DayCase Days[] = {
    {"Tsukuba", "Asia/Tokyo", "20261205.KRF", "+9", 1796482800, 144, "", "UTC+09:00"},
    {"BerlinAutumn", "Europe/Berlin", "20261025.KRF", "+2", 1792879200, 150, "Europe/Berlin", "Europe/Berlin"},
};

std::vector<double> TimeVariable(const std::string& path, std::string& zone) {
  int nc = -1, var = -1;
  EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &nc), NC_NOERR) << path;
  EXPECT_EQ(nc_inq_varid(nc, "time", &var), NC_NOERR);
  int dim = -1;
  std::size_t length = 0;
  nc_inq_vardimid(nc, var, &dim);
  nc_inq_dimlen(nc, dim, &length);
  std::vector<double> times(length);
  nc_get_var_double(nc, var, times.data());
  std::size_t textLength = 0;
  nc_inq_attlen(nc, var, "station_time_zone", &textLength);
  zone.assign(textLength, '\0');
  nc_get_att_text(nc, var, "station_time_zone", zone.data());
  nc_close(nc);
  return times;
}

class UtcTimes : public ::testing::TestWithParam<DayCase> {};

TEST_P(UtcTimes, SameInstantsWhateverTheConvertingMachinesZone) {
  const DayCase& c = GetParam();
  TempDir dir;
  const std::string year = dir.File("data/2026");
  std::filesystem::create_directories(year);
  {
    ScopedTz station(c.StationZone);
    CKrfData day = MakeDay({SR102}, c.Points, c.Start, 600);
    day.TimeZone = c.Offset;
    ASSERT_TRUE(SaveKrf(day, year + "/" + c.File));
  }
  std::vector<double> expected;
  for (int j = 0; j < c.Points; ++j) expected.push_back(static_cast<double>(c.Start + 600 * j));
  std::vector<double> first;
  for (const char* machine : {"UTC0", "America/New_York", c.StationZone}) {
    SCOPED_TRACE(machine);
    ScopedTz tz(machine);
    const std::string out = dir.File(std::string("out-") + (machine[0] == 'U' ? "utc" : machine[0] == 'A' ? "ny" : "station"));
    ASSERT_EQ(ConvertAll(dir.File("data"), NetCdfConversion(out, c.TzOption), true, 1), "");
    std::string zone;
    const std::vector<double> times = TimeVariable(out + "/2026/" + std::string(c.File, 8) + ".nc", zone);
    EXPECT_EQ(times, expected);
    EXPECT_EQ(zone, c.Applied);
    if (first.empty()) first = times;
    ASSERT_EQ(times.size(), first.size());
    EXPECT_EQ(std::memcmp(times.data(), first.data(), times.size() * sizeof(double)), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Stations, UtcTimes, ::testing::ValuesIn(Days),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace spectrel::testing
