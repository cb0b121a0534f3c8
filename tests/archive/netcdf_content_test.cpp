// A day written by the day-file writer, converted by the batch and read back by Python's netCDF4
// and xarray: the layout a CF reader expects, and the same numbers as the program's own exports.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <tuple>

#include "files/krf_file.h"
#include "archive/solar_position.h"
#include "archive_support.h"
#include "files/csv_writer.h"
#include "sensor/status_report.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

using nlohmann::json;

constexpr std::int64_t Morning = 1555023600;   // 2019-04-12 08:00 at +9

// SR-101 with SR-103 at four points within one hour; the third lacks its SR-103 block.
CKrfData TwoSensorDay() {
  CKrfData day = MakeDay({SR101, SR103}, 4, Morning, 600);
  day.Rad(2).RemoveBlock(SR103);
  return day;
}

class NetCdfDayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PythonHas("netCDF4, xarray, numpy"))
      GTEST_SKIP() << "/usr/bin/python3 lacks netCDF4/xarray: install python3-netcdf4 python3-xarray";
  }
  // Writes the day file, converts it and returns the Python summary (compared with csv if given).
  json Convert(const CKrfData& day, const archive::DayConversion& conversion, const std::string& csv = "",
               const std::string& mode = "") {
    std::filesystem::create_directories(Dir.File("data/2019"));
    EXPECT_TRUE(SaveKrf(day, Dir.File("data/2019/20190412.KRF")));
    EXPECT_EQ(ConvertAll(Dir.File("data"), conversion, true, 1), "");
    std::vector<std::string> args{SPECTREL_SOURCE_DIR "/tests/archive/nc_summary.py",
                                  Dir.File("out/2019/20190412.nc")};
    if (!csv.empty()) args.insert(args.end(), {csv, mode});
    std::string output;
    EXPECT_EQ(RunPython(args, output), 0) << output;
    json summary = json::parse(output, nullptr, false);
    EXPECT_FALSE(summary.is_discarded()) << output;
    return summary;
  }
  ScopedTz Tz{"UTC-9"};
  TempDir Dir;
};

struct CsvCase {
  bool Merge;          // merged spectrum, or each point's first sensor
  int From, To;        // grid, nm
  const char* Mode;    // which CSV column holds the same values
};

// A site without a position (the program's defaults) gets no sun angles but a note instead.
TEST_F(NetCdfDayTest, SpectrumEqualsTheOneNmCsvColumnWrittenWithTheSameSettings) {
  CKrfData day = TwoSensorDay();
  day.SiteLat = "00.000";
  day.SiteLon = "000.000";
  std::vector<double> merged;
  BuildMergedWavelengths(day, merged);
  for (const CsvCase& c : {CsvCase{true, 300, 1800, "merge"}, CsvCase{false, 250, 1000, "first"},
                           CsvCase{true, 880, 960, "merge"}}) {
    SCOPED_TRACE(c.Mode + std::to_string(c.From));
    archive::DayConversion options = NetCdfConversion(Dir.File("out"));
    options.NetCdf.Grid.FromNm = c.From;
    options.NetCdf.Grid.ToNm = c.To;
    options.NetCdf.Grid.Merge = c.Merge;
    // The "1nm" CSV file of the day (its points lie in one hour) as the program writes it.
    const CsvOptions csv{true, c.From, c.To, {true, true, true, true}, c.Merge};
    ASSERT_TRUE(CCsvWriter().WriteCsvFile(Dir.File("day.csv"), day, csv, merged));
    const json s = Convert(day, options, Dir.File("day.csv"), c.Mode);
    ASSERT_TRUE(s.contains("csv"));
    EXPECT_EQ(s["csv"]["points"], 4);
    EXPECT_EQ(s["csv"]["rows"], c.To - c.From + 1);
    EXPECT_GT(s["csv"]["compared"].get<int>(), 4 * (c.To - c.From) / 2);
    EXPECT_EQ(s["csv"]["nan_mismatch"], 0);
    EXPECT_LE(s["csv"]["worst"].get<double>(), 0.0051);   // "%.2f" against float32
    EXPECT_FALSE(s["vars"].contains("solar_zenith_angle") || s["global"].contains("geospatial_lat_min"));
    EXPECT_TRUE(s["global"].contains("solar_position_note"));
    EXPECT_EQ(s["quality_flag"][0].get<int>() & 64, 0);
  }
}

TEST_F(NetCdfDayTest, LaysOutACfDataSetThatXarrayDecodesWithEachPointsValues) {
  const json s = Convert(TwoSensorDay(), NetCdfConversion(Dir.File("out")));
  CKrfData day;   // as the file holds it: status reals with one decimal
  ASSERT_EQ(LoadKrf(day, Dir.File("data/2019/20190412.KRF")).Points, 4);
  EXPECT_EQ(s["format"], "NETCDF4_CLASSIC");
  const json& g = s["global"];
  EXPECT_EQ(g["Conventions"], "CF-1.8");
  EXPECT_EQ(g["site_name"], "Test Site");
  EXPECT_DOUBLE_EQ(g["geospatial_lat_min"].get<double>(), 35.68);
  EXPECT_NE(g["history"].get<std::string>().find("--format netcdf"), std::string::npos);
  EXPECT_EQ(s["dims"], (json{{"time", 4}, {"wavelength", 1501}, {"pixel_SR101", 1024}, {"pixel_SR103", 512}}));

  const json& v = s["vars"];
  const char* const flux = "surface_downwelling_radiative_flux_per_unit_wavelength_in_air";
  struct Expect { const char *Name, *StandardName, *Units, *Dtype; };
  for (const Expect& e : {Expect{"time", "time", "seconds since 1970-01-01 00:00:00", "float64"},
                          Expect{"wavelength", "radiation_wavelength", "nm", "float64"},
                          Expect{"spectral_irradiance", flux, "W m-2 um-1", "float32"},
                          Expect{"irradiance_SR103", flux, "W m-2 um-1", "float32"},
                          Expect{"solar_zenith_angle", "solar_zenith_angle", "degree", "float32"},
                          Expect{"quality_flag", "quality_flag", nullptr, "int16"}}) {
    SCOPED_TRACE(e.Name);
    ASSERT_TRUE(v.contains(e.Name));
    EXPECT_EQ(v[e.Name]["attrs"]["standard_name"], e.StandardName);
    EXPECT_EQ(v[e.Name]["attrs"].value("units", ""), e.Units ? e.Units : "");
    EXPECT_EQ(v[e.Name]["dtype"], e.Dtype);
  }
  EXPECT_EQ(v["spectral_irradiance"]["dims"], (json{"time", "wavelength"}));
  EXPECT_EQ(v["spectral_irradiance"]["chunks"], (json{4, 256}));
  for (const char* name : {"spectral_irradiance", "irradiance_SR101", "irradiance_SR103"}) {   // as other readers see them
    const json& f = v[name]["filters"];
    EXPECT_EQ(std::tuple(f.value("shuffle", false), f.value("zlib", false), f.value("complevel", 0)), std::tuple(true, true, 1))
        << name;
  }
  EXPECT_EQ(v["time"]["attrs"]["local_time_zone"], "+9");
  EXPECT_EQ(v["sensor_temperature_SR103"]["attrs"]["long_name"], "SR-103 Sensor Temp.");
  EXPECT_EQ(v["irradiance_SR101"]["attrs"]["serial_number"], "SSR101-0042");
  EXPECT_EQ(v["quality_flag"]["attrs"]["flag_masks"], (json{1, 2, 4, 8, 16, 32, 64, 128}));
  EXPECT_EQ(v["quality_flag"]["attrs"]["flag_meanings"],
            "sensor_missing saturated too_dark negative_irradiance cooling_not_reached "
            "seam_mismatch sun_below_horizon integral_partial");
  // The station as scalar coordinates of every variable over time; the flags linked to the data.
  for (const auto& [name, standard, value] : {std::tuple{"latitude", "latitude", 35.68},
                                              std::tuple{"longitude", "longitude", 139.75},
                                              std::tuple{"altitude", "altitude", 40.0}}) {
    EXPECT_EQ(v[name]["dims"], json::array()) << name;
    EXPECT_EQ(v[name]["attrs"]["standard_name"], standard) << name;
    EXPECT_DOUBLE_EQ(s[name][0].get<double>(), value) << name;
  }
  EXPECT_EQ(s["xarray_coords"], (json{"altitude", "latitude", "longitude", "time", "wavelength"}));
  EXPECT_EQ(v["irradiance_SR101"]["attrs"]["coordinates"], "wavelength_SR101 latitude longitude altitude");
  for (const char* name : {"spectral_irradiance", "irradiance_SR103"})
    EXPECT_EQ(v[name]["attrs"]["ancillary_variables"], "quality_flag") << name;
  EXPECT_EQ(v["integral_irradiance"]["attrs"]["ancillary_variables"],
            "quality_flag integral_covered_from integral_covered_to");
  // The integral of each point as the graph prints it, as info --json and as the file give it.
  std::string info;
  ASSERT_EQ(RunProgram(SPECTREL_CLI, {"info", "--json", Dir.File("data/2019/20190412.KRF")}, info), 0) << info;
  const json infoPoints = json::parse(info, nullptr, false)["points"];
  ASSERT_EQ(infoPoints.size(), 4u) << info;
  CResample grid;
  ReportTexts report;
  for (std::size_t j = 0; j < 4; ++j) {
    SCOPED_TRACE(j);
    const CRad& point = day.Rad(static_cast<int>(j));
    EXPECT_EQ(s["xarray_time"][j].get<std::int64_t>(), point.MeasureTime);
    BuildReport(day, static_cast<int>(j), {false, 300, 1800}, grid, report, Language::English);
    const double printed = std::stod(report.Integral.substr(11));   // after "Integral : ", one decimal
    EXPECT_NEAR(s["integral_irradiance"][j].get<double>(), printed, 0.05);
    EXPECT_NEAR(infoPoints[j]["integral_w_m2"].get<double>(), printed, 0.05);
    const archive::SolarAngles sun = archive::SolarPosition(point.MeasureTime, 35.68, 139.75);
    EXPECT_NEAR(s["solar_azimuth_angle"][j].get<double>(), sun.AzimuthDeg, 1e-4);
    EXPECT_EQ(s["quality_flag"][j].get<int>() & 1, j == 2 ? 1 : 0);   // SR-103 missing
    // 300-1800 nm asked: SR-103 ends at 1700 nm, SR-101 alone at 1100 nm.
    EXPECT_EQ(s["quality_flag"][j].get<int>() & 128, 128);
    EXPECT_EQ(s["integral_covered_from"][j], 301);
    EXPECT_EQ(s["integral_covered_to"][j], j == 2 ? 1100 : 1700);
    if (j == 2) {
      EXPECT_TRUE(s["sensor_temperature_SR103"][j].is_null());
    } else {
      EXPECT_NEAR(s["sensor_temperature_SR103"][j].get<double>(), point.Block(SR103)->StatusFloat[0], 1e-5);
    }
  }
  EXPECT_EQ(s["exposure_time_SR101"][0], 100);
  for (int k = 0; k < 8; ++k)
    EXPECT_FLOAT_EQ(s["irradiance_SR101_first"][static_cast<std::size_t>(k)].get<float>(),
                    static_cast<float>(PixelIrradiance(*day.Rad(0).Block(SR101), *day.Info(SR101), k)));
}

// Each kept number differs from the lossless one by at most half a unit of its last kept digit;
// what no sensor covers stays fill; the file says how it was quantized.
TEST_F(NetCdfDayTest, SignificantDigitsKeepThatManyDecimalDigits) {
  const CKrfData day = TwoSensorDay();
  archive::DayConversion options = NetCdfConversion(Dir.File("out"));
  const json whole = Convert(day, options);
  for (int digits : {3, 5}) {
    SCOPED_TRACE(digits);
    options.NetCdf.SignificantDigits = digits;
    const json s = Convert(day, options);
    for (const char* name : {"spectral_irradiance", "irradiance_SR101", "integral_irradiance"}) {
      EXPECT_EQ(s["vars"][name]["attrs"]["quantization"], "quantization_info") << name;
      EXPECT_EQ(s["vars"][name]["attrs"]["quantization_nsd"], digits) << name;
    }
    EXPECT_EQ(s["vars"]["quantization_info"]["attrs"]["algorithm"], "granular_bitround");
    EXPECT_FALSE(s["vars"]["wavelength_SR101"]["attrs"].contains("quantization"));
    const double bound = 0.5 * std::pow(10.0, 1 - digits);   // relative, at a leading digit 1
    int changed = 0;
    const json& kept = s["spectral_first"];
    const json& exact = whole["spectral_first"];
    ASSERT_EQ(kept.size(), exact.size());
    for (std::size_t w = 0; w < kept.size(); ++w) {
      ASSERT_EQ(kept[w].is_null(), exact[w].is_null()) << w;
      if (exact[w].is_null()) continue;
      const double x = exact[w].get<double>(), q = kept[w].get<double>();
      EXPECT_LE(std::fabs(q - x), bound * std::fabs(x)) << 300 + w << " nm";
      changed += q != x;
    }
    EXPECT_GT(changed, static_cast<int>(kept.size()) / 2);
  }
}

}  // namespace
}  // namespace spectrel::testing
