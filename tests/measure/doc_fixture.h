// Shared pieces of the document tests: a document in a fresh data folder on Tokyo time, wired to
// a fake clock, a recording host (the test runs the document's thread) and simulated sensors on
// pseudo-terminals.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "files/krf_file.h"
#include "measure/spectrel_doc.h"
#include "measure/station_status.h"
#include "solmet_sim.h"
#include "support/fake_clock.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace spectrel::testing {

using namespace std::chrono_literals;
using solmet_sim::Fault;

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Seconds since 1970 of a Tokyo calendar time (UTC+9, no daylight saving).
inline std::int64_t Tokyo(int y, int mo, int d, int h, int mi, int s) { return Utc(y, mo, d, h, mi, s) - 9 * 3600; }
inline std::int64_t Dec7(int h, int mi, int s) { return Tokyo(2026, 12, 7, h, mi, s); }   // the day most tests run on

// Cycle times stored in a day file (empty when it cannot be read).
inline std::vector<std::int64_t> Stored(const std::string& path) {
  CKrfData set;
  std::vector<std::int64_t> times;
  if (!LoadKrf(set, path)) return times;
  for (int j = 0; j < set.RadCount(); ++j) times.push_back(set.Rad(j).MeasureTime);
  return times;
}

// No sensor in use and no CSV until a test says otherwise.
class DocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings.KrfFolder = Folder + "/data/";
    Settings.CsvFolder = Folder + "/csv/";
    std::filesystem::create_directories(Settings.KrfFolder);
    Settings.SaveCsv = false;
    Settings.SiteName = "Tsukuba";
    Settings.UserMemo = "roof";
  }
  void TearDown() override {
    Doc.reset();   // joins every worker before the sensors go
    Sensors.clear();
  }
  CSpectrelDoc& MakeDoc() {
    Doc = std::make_unique<CSpectrelDoc>(Settings, Host, Clock);
    return *Doc;
  }
  std::string Log(int year = 2026) const { return ReadBytes(Settings.KrfFolder + std::to_string(year) + ".LOG"); }
  std::string DayFile() const { return Settings.KrfFolder + "2026/20261207.KRF"; }
  CKrfData Day() const {
    CKrfData set;
    EXPECT_GT(LoadKrf(set, DayFile()).Points, 0);
    return set;
  }
  // The station's status file as it reads now.
  StationStatus Written() const {
    std::string error;
    const auto status = ParseStationStatus(ReadBytes(StatusFilePath(Settings.KrfFolder)), error);
    EXPECT_TRUE(status) << error;
    return status.value_or(StationStatus{});
  }

  // A simulated sensor of the model on its own pseudo-terminal, answering at once.
  solmet_sim::SimulatedSensor& StartSensor(int model, Fault fault = Fault::None) {
    solmet_sim::SensorConfig config;
    config.Model = model;
    config.FaultKind = fault;
    config.Paced = false;
    config.TimeOfDay = 12 * 3600;
    config.Seed = static_cast<std::uint32_t>(11 + model);
    Sensors.push_back(std::make_unique<solmet_sim::SimulatedSensor>(config));
    EXPECT_TRUE(Sensors.back()->Start());
    return *Sensors.back();
  }
  // The same, and in use on that port.
  solmet_sim::SimulatedSensor& AddSensor(int model, Fault fault = Fault::None) {
    StartSensor(model, fault);
    Settings.UseSensor[static_cast<size_t>(model)] = true;
    Settings.ComPort[static_cast<size_t>(model)] = Sensors.back()->DevicePath();
    return *Sensors.back();
  }
  // Runs the document's tasks until the status block reads exactly text.
  bool WaitForStatus(const std::string& text) {
    return Host.PumpUntil([&] { return Host.Status() == text; }, 20s);
  }
  // Runs the document's tasks until the manual start has either begun its run or given up.
  MeasureState PollManual() {
    Host.PumpUntil([&] { return Doc->PollManualStart() != MeasureState::ManualSettling; }, 20s);
    return Doc->State();
  }
  // The messages of the event log, each without its stamp.
  std::vector<std::string> LogMessages(int year = 2026) const {
    std::vector<std::string> messages;
    std::istringstream in(Log(year));
    for (std::string line; std::getline(in, line);) messages.push_back(line.substr(20, line.size() - 21));
    return messages;
  }

  ScopedTz Zone{"Asia/Tokyo"};
  TempDir Dir;
  std::string Folder = Dir.Path;
  AppSettings Settings;
  FakeClock Clock{Dec7(5, 58, 0)};
  RecordingHost Host;
  std::vector<std::unique_ptr<solmet_sim::SimulatedSensor>> Sensors;
  std::unique_ptr<CSpectrelDoc> Doc;   // last: goes first, before the sensors and the host
};

}  // namespace spectrel::testing
