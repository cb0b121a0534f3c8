// Shared pieces of the document tests: a fresh folder per test, a fixed time zone, file reading
// and a document wired to a fake clock and a recording host.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "measure/spectrel_doc.h"
#include "support/fake_clock.h"
#include "support/recording_host.h"

namespace spectrel::testing {

// Sets TZ for the life of the object and restores the earlier value. Only while no worker runs.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = getenv("TZ")) Old = std::string(old);
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (Old) {
      setenv("TZ", Old->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> Old;
};

inline std::string MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "measure-XXXXXX").string();
  const char* made = mkdtemp(pattern.data());
  return made ? std::string(made) : std::string();
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Local Tokyo time (UTC+9, no daylight saving) as seconds since 1970, computed from the UTC
// calendar by hand so the test does not lean on the code it checks.
inline std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return static_cast<std::int64_t>(era) * 146097 + doe - 719468;
}
inline std::int64_t Utc(int y, int mo, int d, int h, int mi, int s) {
  return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}
inline std::int64_t Tokyo(int y, int mo, int d, int h, int mi, int s) {
  return Utc(y, mo, d, h, mi, s) - 9 * 3600;
}

// "%Y%m%d%H%M%S" of t in Tokyo time, from the civil calendar.
inline std::string TokyoStamp(std::int64_t t) {
  const std::int64_t local = t + 9 * 3600;
  std::int64_t z = (local >= 0 ? local : local - 86399) / 86400;
  const std::int64_t secs = local - z * 86400;
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  char text[96];
  std::snprintf(text, sizeof text, "%04lld%02lld%02lld%02lld%02lld%02lld", static_cast<long long>(y),
                static_cast<long long>(m), static_cast<long long>(d), static_cast<long long>(secs / 3600),
                static_cast<long long>(secs / 60 % 60), static_cast<long long>(secs % 60));
  return text;
}

// A document in a fresh data folder, Tokyo time, no sensor in use, no CSV.
class DocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = MakeTempFolder();
    ASSERT_FALSE(Folder.empty());
    Settings.KrfFolder = Folder + "/data/";
    Settings.CsvFolder = Folder + "/csv/";
    std::filesystem::create_directories(Settings.KrfFolder);
    Settings.SaveCsv = 0;
    Settings.SiteName = "Tsukuba";
    Settings.SiteLon = "140.125";
    Settings.SiteLat = "36.050";
    Settings.SiteAlt = "25.0";
    Settings.UserMemo = "roof";
  }
  void TearDown() override {
    Doc.reset();
    std::error_code ec;
    if (!Folder.empty()) std::filesystem::remove_all(Folder, ec);
  }
  CSpectrelDoc& MakeDoc() {
    Doc = std::make_unique<CSpectrelDoc>(Settings, Host, Clock);
    return *Doc;
  }
  std::string LogPath(int year) const { return Settings.KrfFolder + std::to_string(year) + ".LOG"; }
  std::string Log(int year = 2026) const { return ReadFile(LogPath(year)); }

  ScopedTimeZone Zone{"Asia/Tokyo"};
  std::string Folder;
  AppSettings Settings;
  FakeClock Clock{Tokyo(2026, 12, 7, 5, 58, 0)};
  RecordingHost Host;
  std::unique_ptr<CSpectrelDoc> Doc;
};

}  // namespace spectrel::testing

#include <vector>

#include "solmet_sim.h"

namespace spectrel::testing {

// A document whose sensors are simulated on pseudo-terminals, answering without line pacing.
class SimDocTest : public DocTest {
 protected:
  // Puts a simulated sensor of the model in use on its own pseudo-terminal.
  solmet_sim::SimulatedSensor& AddSensor(int model, solmet_sim::Fault fault = solmet_sim::Fault::None) {
    solmet_sim::SensorConfig config;
    config.Model = model;
    config.FaultKind = fault;
    config.Paced = false;
    config.TimeOfDay = 12 * 3600;
    config.Seed = static_cast<std::uint32_t>(11 + model);
    Sensors.push_back(std::make_unique<solmet_sim::SimulatedSensor>(config));
    solmet_sim::SimulatedSensor& sensor = *Sensors.back();
    EXPECT_TRUE(sensor.Start());
    Settings.UseSensor[static_cast<size_t>(model)] = 1;
    Settings.ComPort[static_cast<size_t>(model)] = sensor.DevicePath();
    return sensor;
  }
  // Handles messages until the status block reads exactly text.
  bool WaitForStatus(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    return Host.PumpUntil(*Doc, [&] { return Host.Status() == text; }, timeout);
  }
  void TearDown() override {
    Doc.reset();            // joins every worker before the sensors go
    Sensors.clear();
    DocTest::TearDown();
  }

  std::vector<std::unique_ptr<solmet_sim::SimulatedSensor>> Sensors;
};

}  // namespace spectrel::testing
