// The archive as spectrel-cli itself writes it (a mid-latitude station, a Berlin autumn day of 25
// hours under its zone, a station without a position, a day file cut short, the irradiances
// quantized): the CF conventions checker finds no error or warning, a cut tail is told, and the
// history holds the command.
#include <gtest/gtest.h>
#include <netcdf.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive_support.h"
#include "files/krf_file.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

namespace fs = std::filesystem;

// The checker kept beside the repository (../shared/tools/cf-check), or where SPECTREL_CF_CHECK
// says; empty when neither is there.
std::string CfCheck() {
  if (const char* given = std::getenv("SPECTREL_CF_CHECK"); given != nullptr && fs::exists(given)) return given;
  const fs::path beside = fs::path(SPECTREL_SOURCE_DIR).parent_path() / "shared/tools/cf-check";
  return fs::exists(beside) ? beside.string() : "";
}

std::string GlobalText(const std::string& path, const char* name) {
  int nc = -1;
  if (nc_open(path.c_str(), NC_NOWRITE, &nc) != NC_NOERR) return "(cannot open)";
  std::size_t length = 0;
  std::string text;
  if (nc_inq_attlen(nc, NC_GLOBAL, name, &length) == NC_NOERR) {
    text.assign(length, '\0');
    nc_get_att_text(nc, NC_GLOBAL, name, text.data());
  }
  nc_close(nc);
  return text;
}

// Day files of three stations converted by spectrel-cli once for all the tests below.
class ExportedArchive : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Dir = new TempDir;
    CKrfData tsukuba = MakeDay({SR102, SR104}, 48, 1796511600, 900);   // 2026-12-06 09:00 at +9
    tsukuba.SiteLat = "36.050";
    tsukuba.SiteLon = "140.130";
    tsukuba.SiteAlt = "25.0";
    Save("tsukuba", "Asia/Tokyo", tsukuba, "20261206.KRF");
    for (int j = 0; j < tsukuba.RadCount(); ++j) tsukuba.Rad(j).MeasureTime += 86400;
    const std::string cut = Save("tsukuba", "Asia/Tokyo", tsukuba, "20261207.KRF");
    fs::resize_file(cut, fs::file_size(cut) - 1000);   // inside the last point's SR-104 spectrum
    CKrfData berlin = MakeDay({SR101, SR103}, 150, 1792879200, 600);   // 2026-10-25 00:00 CEST, 25 hours
    berlin.TimeZone = "+2";
    berlin.SiteLat = "52.520";
    berlin.SiteLon = "13.400";
    berlin.SiteAlt = "";
    Save("berlin", "Europe/Berlin", berlin, "20261025.KRF");
    CKrfData unplaced = MakeDay({SR102}, 12, 1796511600, 3600);
    unplaced.SiteLat = "00.000";
    unplaced.SiteLon = "000.000";
    Save("unplaced", "Asia/Tokyo", unplaced, "20261206.KRF");

    TsukubaSaid = new std::string(Export("tsukuba", "nc/tsukuba", {}));
    Export("tsukuba", "nc/tsukuba4", {"--significant-digits", "4", "--jobs", "1"});
    Export("berlin", "nc/berlin", {"--tz", "Europe/Berlin"});
    Export("unplaced", "nc/unplaced", {});
  }
  static void TearDownTestSuite() {
    delete TsukubaSaid;
    delete Dir;
  }
  // Writes the day under the station's zone into the station's data folder, as the station did.
  static std::string Save(const std::string& station, const char* zone, const CKrfData& day, const char* name) {
    ScopedTz tz(zone);
    const std::string folder = Dir->File(station + "/2026");
    fs::create_directories(folder);
    EXPECT_TRUE(SaveKrf(day, folder + "/" + name));
    return folder + "/" + name;
  }
  // spectrel-cli export of a station's folder to NetCDF with the extra options; what it said.
  static std::string Export(const std::string& station, const std::string& out, std::vector<std::string> extra) {
    std::vector<std::string> args{"export", Dir->File(station), "--out", Dir->File(out), "--format", "netcdf", "--quiet"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::string output;
    EXPECT_EQ(RunProgram(SPECTREL_CLI, args, output), 0) << output;
    return output;
  }
  static TempDir* Dir;
  static std::string* TsukubaSaid;   // the export's output for the station with the cut day file
};

TempDir* ExportedArchive::Dir = nullptr;
std::string* ExportedArchive::TsukubaSaid = nullptr;

TEST_F(ExportedArchive, EveryDayFilePassesTheCfCheckerWithoutErrorOrWarning) {
  const std::string checker = CfCheck();
  if (checker.empty())
    GTEST_SKIP() << "no CF conventions checker: neither ../shared/tools/cf-check beside the "
                    "repository nor SPECTREL_CF_CHECK names one";
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(Dir->File("nc")))
    if (e.path().extension() == ".nc") files.push_back(e.path().string());
  ASSERT_EQ(files.size(), 6u);
  std::string report;
  EXPECT_EQ(RunProgram(checker, files, report), 0) << report;
  std::size_t clean = 0;
  for (std::size_t at = 0; (at = report.find(": 0 errors, 0 warnings", at)) != std::string::npos; ++at) ++clean;
  EXPECT_EQ(clean, files.size()) << report;
}

TEST_F(ExportedArchive, ACutTailIsToldOnStderrAsInItsFile) {
  EXPECT_NE(TsukubaSaid->find("20261207.KRF: day file cut short after byte"), std::string::npos) << *TsukubaSaid;
  EXPECT_NE(GlobalText(Dir->File("nc/tsukuba/2026/20261207.nc"), "day_file_damage").find("cut short after byte"),
            std::string::npos);
  EXPECT_EQ(GlobalText(Dir->File("nc/tsukuba/2026/20261206.nc"), "day_file_damage"), "");
}

TEST_F(ExportedArchive, HistoryHoldsTheWholeCommandLineAsTyped) {
  const std::string history = GlobalText(Dir->File("nc/tsukuba4/2026/20261206.nc"), "history");
  const std::string typed = std::string(SPECTREL_CLI) + " export " + Dir->File("tsukuba") + " --out " +
                            Dir->File("nc/tsukuba4") + " --format netcdf --quiet --significant-digits 4 --jobs 1";
  EXPECT_EQ(history.substr(history.find(": ") + 2), typed);
}

}  // namespace
}  // namespace spectrel::testing
