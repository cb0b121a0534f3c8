// The answers of the routes on a real data folder: paths and methods refused, the day's points
// with their times and integrals, one point's spectrum, the spectrogram, the list of days, the
// status and the metrics.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "files/krf_file.h"
#include "measure/station_status.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"
#include "web/api_json.h"
#include "web/metrics.h"
#include "web/routes.h"

namespace spectrel::web {
namespace {

using nlohmann::json;
using testing::WriteBytes;

constexpr std::int64_t Start = 1717200000;   // 2024-06-01 09:00 in Tokyo, 00:00 UTC
constexpr std::int64_t Now = Start + 1800;

class ApiTest : public ::testing::Test {
 protected:
  ApiTest() {
    Data = Temp.Path + "/";
    std::filesystem::create_directories(Data + "2024");
    Day = testing::MakeDay({SR101, SR103}, 3, Start, 600);
    EXPECT_TRUE(SaveKrf(Day, Data + "2024/20240601.KRF"));
    Settings.KrfFolder = Settings.CsvFolder = Data;
  }
  Response Get(const std::string& path, const char* method = "GET") {
    StationSource station(Settings, FoldersOf(Settings, ""));
    return Route(station, {method, path}, Now);
  }
  json GetJson(const std::string& path) {
    const Response r = Get(path);
    EXPECT_EQ(r.Status, 200) << path << ": " << r.Body;
    EXPECT_EQ(r.ContentType, "application/json") << path;
    return json::parse(r.Body, nullptr, false);
  }

  testing::ScopedTz Tokyo{"Asia/Tokyo"};
  testing::TempDir Temp;
  std::string Data;
  CKrfData Day;
  AppSettings Settings;
};

TEST_F(ApiTest, RefusesWhatIsNotAReadOfTheStation) {
  struct Row {
    const char* Method;
    const char* Path;
    int Status;
  };
  const Row rows[] = {
      {"POST", "/api/status", 405},   {"PUT", "/files/20240601.KRF", 405}, {"DELETE", "/", 405},
      {"TRACE", "/", 405},            {"get", "/", 405},
      {"GET", "/files/../../etc/passwd", 400},           {"GET", "/files/..%2f..%2fetc%2fpasswd", 400},
      {"GET", "/files/%2e%2e/secret", 400},              {"GET", "//etc/passwd", 400},
      {"GET", "/files/2024\\20240601.KRF", 400},          {"GET", "/api/days/./20240601", 400},
      {"GET", "etc/passwd", 400},                        {"GET", "/files/2024/20240601.KRF", 404},
      {"GET", "/files/20240601.krf", 400},               {"GET", "/api/days/20241301", 404},
      {"GET", "/files/status.json", 400},                {"GET", "/files/2024.LOG", 400},
      {"GET", "/api/days/20240602", 404},                {"GET", "/api/days/20240601/points/3", 404},
      {"GET", "/api/days/20240601/points/-1", 404},      {"GET", "/api/nothing", 404},
      {"GET", "/files/20240601.KRF", 200},               {"HEAD", "/api/status", 200},
  };
  for (const Row& row : rows) EXPECT_EQ(Get(row.Path, row.Method).Status, row.Status) << row.Method << " " << row.Path;
  EXPECT_EQ(Get("/", "POST").Headers.front(), (std::pair<std::string, std::string>{"Allow", "GET, HEAD"}));
}

TEST_F(ApiTest, DayGivesEveryPointWithItsTimesInTheStationsZone) {
  const json day = GetJson("/api/days/20240601");
  EXPECT_EQ(day["site"]["name"], "Test Site");
  ASSERT_EQ(day["points"].size(), 3u);
  const json& second = day["points"][1];
  EXPECT_EQ(second["stamp"], Start + 600);
  EXPECT_EQ(second["utc"], "2024-06-01T00:10:00Z");
  EXPECT_EQ(second["local"], "2024-06-01T09:10:00+09:00");
  EXPECT_EQ(second["second_of_day"], 9 * 3600 + 600);
  EXPECT_EQ(second["sensors"], json::array({"SR-101", "SR-103"}));
  // The integral of the point's own 1 nm spectrum over the station's range.
  CResample grid;
  grid.Resample(Day, 1);
  EXPECT_NEAR(second["integral_w_m2"].get<double>(), grid.Integral(Settings.IntegFrom, Settings.IntegTo), 1e-3);
  EXPECT_TRUE(second["quality_flags"].is_number_integer());

  // Served from a host in another zone: the station's zone from its profile gives the same instants.
  testing::ScopedTz elsewhere("America/Denver");
  Settings.SiteZone = "Asia/Tokyo";
  const json again = GetJson("/api/days/20240601");
  EXPECT_EQ(again["points"][1]["utc"], "2024-06-01T00:10:00Z");
  EXPECT_EQ(again["points"][1]["local"], "2024-06-01T09:10:00+09:00");
}

TEST_F(ApiTest, DayGrowsByThePointsAppendedToItsFile) {
  StationSource station(Settings, FoldersOf(Settings, ""));
  std::string error;
  const auto before = station.Day("20240601", error);
  ASSERT_TRUE(before) << error;
  CRad next = Day.Rad(2);
  next.MeasureTime = Start + 1800;
  next.RemoveBlock(SR103);
  ASSERT_TRUE(AppendKrf(Day, Data + "2024/20240601.KRF", next));
  ASSERT_EQ(station.Day("20240601", error)->Points.size(), 4u);
  next.MeasureTime += 600;
  ASSERT_TRUE(AppendKrf(Day, Data + "2024/20240601.KRF", next));   // read on from where the last read ended
  const auto after = station.Day("20240601", error);
  const auto whole = MakeDayView("20240601", Data + "2024/20240601.KRF", Settings, error);
  ASSERT_TRUE(after && whole) << error;
  EXPECT_EQ(before->Points.size(), 3u);
  ASSERT_EQ(after->Points.size(), 5u);
  EXPECT_EQ(after->Points[4].Utc, Start + 2400);
  EXPECT_EQ(after->Points[3].Models, 1u << SR101);
  ASSERT_EQ(after->Grid.size(), whole->Grid.size());
  EXPECT_TRUE(std::equal(after->Grid.begin(), after->Grid.end(), whole->Grid.begin(),
                         [](float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }));
  for (std::size_t p = 0; p < 5; ++p) {
    EXPECT_EQ(after->Points[p].QualityFlags, whole->Points[p].QualityFlags) << p;
    EXPECT_EQ(after->Points[p].IntegralWm2, whole->Points[p].IntegralWm2) << p;
  }
  EXPECT_EQ(PointJson(*after, 4), PointJson(*whole, 4));
  EXPECT_EQ(PointJson(*after, 1), PointJson(*whole, 1));
}

// Another SR-101 unit took over at 09:30: the day goes on in its part, read over the part's own
// records, and the part is the file that grows.
TEST_F(ApiTest, DayGoesOnInItsPartAfterAUnitChange) {
  CKrfData part = testing::MakeDay({SR101}, 2, Start + 1800, 600);
  SensorInfo unit = *part.Info(SR101);
  unit.SerialNo = "OTHER-UNIT";
  part.SetInfo(SR101, unit);
  const std::string partPath = Data + "2024/20240601_2.KRF";
  ASSERT_TRUE(SaveKrf(part, partPath));
  StationSource station(Settings, FoldersOf(Settings, ""));
  std::string error;
  const auto both = station.Day("20240601", error);
  ASSERT_TRUE(both) << error;
  ASSERT_EQ(both->Points.size(), 5u);
  EXPECT_EQ(both->Points[3].Utc, Start + 1800);
  EXPECT_EQ(both->Points[4].Models, 1u << SR101);
  EXPECT_EQ(both->Warning, "");
  CRad next = part.Rad(1);
  next.MeasureTime = Start + 3000;
  ASSERT_TRUE(AppendKrf(part, partPath, next));
  const auto grown = station.Day("20240601", error);
  const auto whole = MakeDayView("20240601", Data + "2024/20240601.KRF", Settings, error);
  ASSERT_TRUE(grown && whole) << error;
  ASSERT_EQ(grown->Points.size(), 6u);
  EXPECT_EQ(grown->Points[5].Utc, Start + 3000);
  for (const int p : {0, 3, 5}) EXPECT_TRUE(PointJson(*grown, p) == PointJson(*whole, p)) << p;
  // A part that cannot be read is said, and what came before it is shown.
  WriteBytes(partPath, "not a day file");
  const auto cut = MakeDayView("20240601", Data + "2024/20240601.KRF", Settings, error);
  ASSERT_TRUE(cut) << error;
  EXPECT_EQ(cut->Points.size(), 3u);
  EXPECT_NE(cut->Warning.find("part 2 of the day: not a day file"), std::string::npos) << cut->Warning;
}

TEST_F(ApiTest, PointGivesItsSpectrumOnTheGridBesideEachSensorsPixels) {
  const json point = GetJson("/api/days/20240601/points/2");
  CResample grid;
  grid.Resample(Day, 2);
  EXPECT_EQ(point["time"]["utc"], "2024-06-01T00:20:00Z");
  EXPECT_EQ(point["grid"]["start_nm"], grid.StartNm);
  EXPECT_EQ(point["grid"]["end_nm"], grid.EndNm);
  ASSERT_EQ(point["grid"]["irradiance_w_m2_um"].size(), grid.Values.size());
  EXPECT_NEAR(point["grid"]["irradiance_w_m2_um"][500].get<double>(), grid.Values[500], 1e-9);
  ASSERT_EQ(point["sensors"].size(), 2u);
  EXPECT_EQ(point["sensors"][1]["model"], "SR-103");
  EXPECT_EQ(point["sensors"][1]["wavelength_nm"].size(), 512u);
  EXPECT_NEAR(point["sensors"][1]["irradiance_w_m2_um"][100].get<double>(), Day.Irradiance(SR103, 100, 2), 1e-3);
  EXPECT_NE(point["report"]["en"].get<std::string>().find("SR-103"), std::string::npos);
  EXPECT_NE(point["integral_text"].get<std::string>().find("(300 - 1800nm)"), std::string::npos);
  EXPECT_EQ(GetJson("/api/latest")["index"], 2);
}

TEST_F(ApiTest, SpectrogramScalesTheDaysLargestValueToTheTopLevel) {
  const json s = GetJson("/api/days/20240601/spectrogram");
  const int width = s["width"];
  EXPECT_EQ(s["from_nm"], 300);
  EXPECT_EQ(width, 1501);
  std::string levels;   // base64 decoded by hand: the page's atob does the same
  const std::string text = s["levels"];
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  unsigned value = 0;
  int bits = 0;
  for (const char c : text) {
    if (c == '=') break;
    value = value << 6 | static_cast<unsigned>(alphabet.find(c));
    if ((bits += 6) >= 8) levels += static_cast<char>((value >> (bits -= 8)) & 0xFF);
  }
  ASSERT_EQ(levels.size(), 3u * static_cast<unsigned>(width));
  const auto top = std::max_element(levels.begin(), levels.end(), [](char a, char b) {
    return static_cast<unsigned char>(a) % 255 < static_cast<unsigned char>(b) % 255;
  });
  EXPECT_EQ(static_cast<unsigned char>(*top), 254);
  EXPECT_EQ(static_cast<unsigned char>(levels[static_cast<std::size_t>(width - 1)]), 255);   // 1800 nm: no sensor
}

TEST_F(ApiTest, DaysListTheStationsFilesNewestFirst) {
  WriteBytes(Data + "2024/2024060110.CSV", "x");
  WriteBytes(Data + "2024/2024060109.CSV", "x");
  WriteBytes(Data + "2024/2024060110_2.CSV", "x");   // another sensor unit's hour
  WriteBytes(Data + "2024/20240601_2.KRF", "x");
  WriteBytes(Data + "2024/20240530_2.KRF", "x");     // a part alone is no day
  WriteBytes(Data + "2024/20240531.nc", "x");
  WriteBytes(Data + "2024/notes.txt", "x");
  WriteBytes(Data + "2024/20240601.KRF.bak", "x");
  const json days = GetJson("/api/days")["days"];
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0]["date"], "20240601");
  EXPECT_EQ(days[0]["day_file"], "/files/20240601.KRF");
  EXPECT_EQ(days[0]["csv"], json::array({"/files/2024060109.CSV", "/files/2024060110.CSV", "/files/2024060110_2.CSV"}));
  EXPECT_EQ(days[0]["netcdf"], nullptr);
  EXPECT_EQ(days[1]["day_file"], nullptr);
  EXPECT_EQ(days[1]["netcdf"], "/files/20240531.nc");
}

// A measuring station whose last cycle lost SR-103.
StationStatus SampleStatus() {
  StationStatus s;
  s.Pid = ::getpid();
  s.State = StationState::Measuring;
  s.Updated = Now - 5;
  s.Started = Start;
  s.IntervalMode = true;
  s.IntervalSeconds = 600;
  s.WindowStart = 6 * 3600;
  s.WindowEnd = 20 * 3600;
  s.LastCycle = CycleStatus{Now - 10, true, "",
                            {{"SR-101", true, "Measurement OK", 100, 512.5},
                             {"SR-103", false, "Error(\"timeout\")\nretrying", 0, std::nullopt}}, std::nullopt};
  s.LastStored = Now - 10;
  s.Counters = {7, 6, 1, 0, 2};
  s.FreeBytes = 4000000000;
  s.DaysLeft = 2.5;
  return s;
}

TEST_F(ApiTest, StatusGivesTheVerdictWithItsReason) {
  WriteBytes(StatusFilePath(Data), StationStatusJson(SampleStatus()));
  const json s = GetJson("/api/status");
  EXPECT_EQ(s["state"], "measuring");
  EXPECT_EQ(s["verdict"]["code"], 1);
  EXPECT_NE(s["verdict"]["text"].get<std::string>().find("SR-103 failed"), std::string::npos);
  EXPECT_EQ(s["last_cycle"]["time"]["local"], "2024-06-01T09:29:50+09:00");
  EXPECT_EQ(s["window_open"], true);
  EXPECT_EQ(s["latest_day"], "20240601");
  EXPECT_EQ(s["graph"]["curve_colour"], "#ff0000");
  EXPECT_EQ(s["graph"]["frame_colour"], "#008000");
  std::filesystem::remove(StatusFilePath(Data));
  EXPECT_EQ(GetJson("/api/status")["verdict"]["code"], 3);
}

TEST_F(ApiTest, MetricsCarryTheStatusInPrometheusForm) {
  WriteBytes(StatusFilePath(Data), StationStatusJson(SampleStatus()));
  const Response r = Get("/metrics");
  EXPECT_EQ(r.ContentType, MetricsContentType);
  for (const std::string line :
       {"spectrel_points_stored_total 6\n", "spectrel_points_not_stored_total 1\n", "spectrel_cycles_total 7\n",
        "spectrel_sensor_up{model=\"SR-101\"} 1\n", "spectrel_sensor_up{model=\"SR-103\"} 0\n",
        "spectrel_sensor_status_info{model=\"SR-103\",status=\"Error(\\\"timeout\\\")\\nretrying\"} 1\n",
        "spectrel_integral_irradiance_watts_per_square_metre{model=\"SR-101\"} 512.5\n",
        "spectrel_last_stored_point_timestamp_seconds 1717201790\n", "spectrel_disk_free_bytes 4000000000\n",
        "spectrel_disk_space_left_seconds 216000\n", "spectrel_measuring_window_open 1\n",
        "spectrel_interval_seconds 600\n", "spectrel_measuring_window_opened_timestamp_seconds 1717189200\n"})
    EXPECT_NE(r.Body.find(line), std::string::npos) << line << "in\n" << r.Body;
  EXPECT_EQ(LabelValue("a\xff\xfe" "b"), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b");   // never invalid UTF-8

  if (std::system("command -v promtool >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "promtool is not installed (Debian's prometheus package): the format is not linted";
  WriteBytes(Temp.Path + "/metrics.txt", r.Body);
  EXPECT_EQ(std::system(("promtool check metrics < " + Temp.Path + "/metrics.txt").c_str()), 0) << r.Body;
}

}  // namespace
}  // namespace spectrel::web
