// Shared pieces of the document tests: a fresh folder per test, a fixed time zone, file reading
// and a document wired to a fake clock, a recording host and simulated sensors.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "measure/spectrel_doc.h"
#include "solmet_sim.h"
#include "support/fake_clock.h"
#include "support/recording_host.h"

namespace spectrel::testing {

using namespace std::chrono_literals;
using solmet_sim::Fault;

// Sets TZ for the life of the object and restores the earlier value. Only while no worker runs.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = getenv("TZ")) Old = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    Old ? setenv("TZ", Old->c_str(), 1) : unsetenv("TZ");
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> Old;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Seconds since 1970 of a UTC calendar time, and of a Tokyo one (UTC+9, no daylight saving).
inline std::int64_t Utc(int y, int mo, int d, int h, int mi, int s) {
  tm c{s, mi, h, d, mo - 1, y - 1900, 0, 0, 0, 0, nullptr};
  return timegm(&c);
}
inline std::int64_t Tokyo(int y, int mo, int d, int h, int mi, int s) { return Utc(y, mo, d, h, mi, s) - 9 * 3600; }
inline std::int64_t Dec7(int h, int mi, int s) { return Tokyo(2026, 12, 7, h, mi, s); }   // the day most tests run on

// "%Y%m%d%H%M%S" of t in Tokyo time.
inline std::string TokyoStamp(std::int64_t t) {
  const time_t local = static_cast<time_t>(t + 9 * 3600);
  tm c{};
  gmtime_r(&local, &c);
  char text[32];
  strftime(text, sizeof text, "%Y%m%d%H%M%S", &c);
  return text;
}

// Cycle times stored in a day file (empty when it cannot be read).
inline std::vector<std::int64_t> Stored(const std::string& path) {
  CKrfData set;
  std::vector<std::int64_t> times;
  if (set.LoadKrf(path) < 0) return times;
  for (int j = 0; j < set.RadCount(); ++j) times.push_back(set.Rad(j).MeasureTime);
  return times;
}

// A document in a fresh data folder, Tokyo time, no sensor in use, no CSV; sensors are simulated
// on pseudo-terminals, answering without line pacing.
class DocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "measure-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Folder = pattern;
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
    Doc.reset();   // joins every worker before the sensors go
    Sensors.clear();
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
  }
  CSpectrelDoc& MakeDoc() {
    Doc = std::make_unique<CSpectrelDoc>(Settings, Host, Clock);
    return *Doc;
  }
  std::string Log(int year = 2026) const { return ReadFile(Settings.KrfFolder + std::to_string(year) + ".LOG"); }
  std::string DayFile() const { return Settings.KrfFolder + "2026/20261207.KRF"; }

  // Puts a simulated sensor of the model in use on its own pseudo-terminal.
  solmet_sim::SimulatedSensor& AddSensor(int model, Fault fault = Fault::None) {
    solmet_sim::SensorConfig config;
    config.Model = model;
    config.FaultKind = fault;
    config.Paced = false;
    config.TimeOfDay = 12 * 3600;
    config.Seed = static_cast<std::uint32_t>(11 + model);
    Sensors.push_back(std::make_unique<solmet_sim::SimulatedSensor>(config));
    EXPECT_TRUE(Sensors.back()->Start());
    Settings.UseSensor[static_cast<size_t>(model)] = 1;
    Settings.ComPort[static_cast<size_t>(model)] = Sensors.back()->DevicePath();
    return *Sensors.back();
  }
  // Handles messages until the status block reads exactly text.
  bool WaitForStatus(const std::string& text, std::chrono::milliseconds timeout = 20s) {
    return Host.PumpUntil(*Doc, [&] { return Host.Status() == text; }, timeout);
  }
  // Handles messages until the manual start has either begun its run or given up.
  CSpectrelDoc::ManualPoll PollManual() {
    auto poll = CSpectrelDoc::ManualPoll::Waiting;
    Host.PumpUntil(*Doc, [&] { return (poll = Doc->PollManualStart()) != CSpectrelDoc::ManualPoll::Waiting; }, 20s);
    return poll;
  }

  ScopedTimeZone Zone{"Asia/Tokyo"};
  std::string Folder;
  AppSettings Settings;
  FakeClock Clock{Dec7(5, 58, 0)};
  RecordingHost Host;
  std::vector<std::unique_ptr<solmet_sim::SimulatedSensor>> Sensors;
  std::unique_ptr<CSpectrelDoc> Doc;   // last: goes first, before the sensors and the host
};

}  // namespace spectrel::testing
