// The monitoring status: what survives the trip through status.json, and the verdicts a
// monitoring system gets for the situations a station meets.
#include <gtest/gtest.h>
#include <unistd.h>

#include "measure/station_monitor.h"
#include "measure/station_status.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

// 2024-06-01 12:00:00 in UTC; the window 06:00..18:00, every 10 minutes.
constexpr std::int64_t kNoon = 1717243200;

StationStatus Measuring() {
  StationStatus s;
  s.Version = "5.0";
  s.Pid = 77;
  s.State = StationState::Measuring;
  s.Started = kNoon - 3 * 3600;
  s.IntervalMode = true;
  s.IntervalSeconds = 600;
  s.WindowStart = 6 * 3600;
  s.WindowEnd = 18 * 3600;
  s.LastStored = kNoon - 600;
  s.LastCycle = CycleStatus{kNoon - 600, true, "", {{"SR-102", true, "Measured", 120, 812.5}, {"SR-104", true, "Measured", 30, {}}}, 805.25};
  s.FreeBytes = 50'000'000'000;
  s.DaysLeft = 900.0;
  return s;
}

TEST(StationStatusTest, JsonKeepsEveryField) {
  StationStatus s = Measuring();
  s.NextBoundary = s.Updated = kNoon;
  s.Counters = {10, 8, 2, 1, 3};
  s.ClockSynchronised = false;
  s.LastClockStep = -3600;
  s.ProcessStart = 123456;
  s.Zone = "Asia/Tokyo";
  s.SensorsInUse = std::vector<std::string>{"SR-102", "SR-104"};
  s.LastCycle->Sensors[0].StatusText = "Error(Time-Out) \xE9";   // an invalid byte is replaced, not fatal
  s.LastCycle->Sensors[1].UnitChanged = UnitChangeStatus{kNoon - 1200, "A0001", "B0002"};
  std::string error;
  const auto back = ParseStationStatus(StationStatusJson(s), error);
  ASSERT_TRUE(back) << error;
  s.LastCycle->Sensors[0].StatusText = "Error(Time-Out) \xEF\xBF\xBD";
  EXPECT_TRUE(*back == s) << StationStatusJson(*back);
}

TEST(StationStatusTest, OtherFilesAreRejected) {
  std::string error;
  for (const char* bad : {"", "{}", "[1]", "{\"program\":\"other\"}", "{\"program\":\"spectrel\",\"state\":\"dozing\"}"}) {
    EXPECT_FALSE(ParseStationStatus(bad, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

// Keys a status file lacks read as interval mode off and counters at zero.
TEST(StationStatusTest, MissingKeysReadAsDefaults) {
  std::string error;
  const auto sparse = ParseStationStatus(
      R"({"program":"spectrel","state":"measuring","schedule":{},"counters":{},"disk":{}})", error);
  ASSERT_TRUE(sparse) << error;
  EXPECT_FALSE(sparse->IntervalMode);
  EXPECT_FALSE(sparse->SensorsInUse);   // not said: never taken for "none in use"
  EXPECT_TRUE(sparse->Counters == StationCounters{});
}

TEST(StationStatusTest, VerdictsFollowTheMonitoringCodes) {
  testing::ScopedTz utc("UTC");
  struct Case {
    const char* What;
    void (*Change)(StationStatus&);
    std::int64_t Now;
    bool Alive;
    int Code;
    const char* Says = "";   // a part of the verdict's text
  };
  const Case cases[] = {
      {"all well", [](StationStatus&) {}, kNoon, true, 0},
      {"runner gone", [](StationStatus&) {}, kNoon, false, 2},
      {"stopped", [](StationStatus& s) { s.State = StationState::Stopped; }, kNoon, true, 2},
      {"a sensor failed", [](StationStatus& s) { s.LastCycle->Sensors[1].Ok = false; }, kNoon, true, 1},
      {"not stored", [](StationStatus& s) { s.LastCycle->Stored = false; }, kNoon, true, 1},
      {"six days of space", [](StationStatus& s) { s.DaysLeft = 6.0; }, kNoon, true, 1},
      {"clock not synchronised", [](StationStatus& s) { s.ClockSynchronised = false; }, kNoon, true, 1,
       "WARNING: the system clock is not synchronised: no time service vouches for the times stored"},
      {"clock not asked", [](StationStatus& s) { s.ClockSynchronised.reset(); }, kNoon, true, 0},
      {"no sensor in use", [](StationStatus& s) { s.SensorsInUse.emplace(); }, kNoon, true, 2},
      {"every sensor failed", [](StationStatus& s) { for (auto& x : s.LastCycle->Sensors) x.Ok = false; }, kNoon, true, 2},
      {"file older than two intervals and a minute", [](StationStatus& s) { s.Updated -= 1261; }, kNoon, true, 2},
      {"file just two intervals and a minute old", [](StationStatus& s) { s.Updated -= 1260; }, kNoon, true, 0},
      {"night: file three days old", [](StationStatus& s) { s.Updated -= 3 * 86400; }, kNoon + 9 * 3600, true, 2},
      {"two intervals without a point", [](StationStatus&) {}, kNoon + 1201 - 600, true, 2},
      {"just two intervals", [](StationStatus&) {}, kNoon + 1200 - 600, true, 0},
      {"every second, ten minutes without a point", [](StationStatus& s) { s.IntervalSeconds = 1; }, kNoon, true, 2},
      {"night: outside the window", [](StationStatus&) {}, kNoon + 9 * 3600, true, 0},
      {"morning: window just opened after a quiet night",
       [](StationStatus& s) { s.Started = 0; s.LastStored = kNoon - 18 * 3600; },
       kNoon - 6 * 3600 + 60, true, 0},
      {"manual run never misses boundaries", [](StationStatus& s) { s.IntervalMode = false; }, kNoon + 7200, true, 0},
  };
  for (const auto& c : cases) {
    StationStatus s = Measuring();
    s.Updated = c.Now;
    c.Change(s);
    const StationVerdict v = JudgeStation(s, c.Now, c.Alive);
    EXPECT_EQ(v.Code, c.Code) << c.What << ": " << v.Text;
    EXPECT_EQ(v.Text.rfind(c.Code == 0 ? "OK" : c.Code == 1 ? "WARNING" : "CRITICAL", 0), 0u) << v.Text;
    EXPECT_NE(v.Text.find(c.Says), std::string::npos) << v.Text;
  }
}

// The runner is known by its process id and the instant its process started: an id taken over by
// another process after the runner died is no runner.
TEST(StationStatusTest, TheRunnerIsKnownByItsProcessIdWithItsStartTime) {
  StationStatus s;
  s.Pid = ::getpid();
  EXPECT_TRUE(RunnerAlive(s));   // an older file without the start time
  s.ProcessStart = ProcessStartTicks(s.Pid);
  ASSERT_TRUE(s.ProcessStart);
  EXPECT_TRUE(RunnerAlive(s));
  s.ProcessStart = *s.ProcessStart + 1;
  EXPECT_FALSE(RunnerAlive(s));
  s.Pid = 0;
  EXPECT_FALSE(RunnerAlive(s));
}

// The monitor rewrites its file every half minute from the ticks, also when nothing happens.
TEST(StationStatusTest, TheMonitorRefreshesItsFileEveryHalfMinute) {
  testing::TempDir dir;
  testing::FakeClock clock(kNoon);
  AppSettings settings;
  settings.KrfFolder = dir.Path + "/";
  settings.SiteZone = "Europe/Berlin";
  StationMonitor monitor(settings, clock);
  monitor.Started(true, {"SR-102"});
  std::string error;
  const auto updated = [&] { return ParseStationStatus(testing::ReadBytes(StatusFilePath(settings.KrfFolder)), error); };
  clock.Advance(29);
  monitor.Refresh();
  ASSERT_TRUE(updated()) << error;
  EXPECT_EQ(updated()->Updated, kNoon);
  clock.Advance(1);
  monitor.Refresh();
  EXPECT_EQ(updated()->Updated, kNoon + 30);
  EXPECT_EQ(updated()->Zone, "Europe/Berlin");
  EXPECT_EQ(updated()->ProcessStart, ProcessStartTicks(::getpid()));
  EXPECT_EQ(updated()->SensorsInUse, std::vector<std::string>{"SR-102"});
}

// A start after a stop is a new session: nothing of the last one is told as its own.
TEST(StationStatusTest, NewSessionStartsWithoutTheLastOnesCycles) {
  testing::TempDir dir;
  testing::FakeClock clock(kNoon);
  AppSettings settings;
  settings.KrfFolder = dir.Path + "/";
  StationMonitor monitor(settings, clock);
  monitor.Started(true, {"SR-102"});
  monitor.CycleCompleted(CycleStatus{kNoon, true, "", {}, {}}, std::nullopt);
  monitor.Stopped();
  std::string error;
  const auto written = [&] { return ParseStationStatus(testing::ReadBytes(StatusFilePath(settings.KrfFolder)), error); };
  ASSERT_TRUE(written()) << error;
  EXPECT_EQ(written()->LastStored, kNoon);
  clock.Advance(60);
  monitor.Started(true, {"SR-102"});
  ASSERT_TRUE(written()) << error;
  EXPECT_EQ(written()->State, StationState::Starting);
  EXPECT_EQ(written()->Started, kNoon + 60);
  EXPECT_EQ(written()->Counters.Stored, 0);
  EXPECT_FALSE(written()->LastCycle);
  EXPECT_FALSE(written()->LastStored);
}

TEST(StationStatusTest, FreeSpaceIsThatOfAnExistingFolder) {
  testing::TempDir dir;
  EXPECT_GT(FreeSpace(dir.Path).value_or(0), 0);
  EXPECT_FALSE(FreeSpace(dir.File("missing/folder")));
}

TEST(StationStatusTest, DaysLeftAreTheFreeSpaceOverADaysGrowth) {
  EXPECT_FALSE(DaysOfSpace(1000, 0));
  EXPECT_DOUBLE_EQ(*DaysOfSpace(1000, 250), 4.0);
}

// Bytes per day: the cycle's day file and that day's CSV files (of its part) over the boundaries
// they hold, times the boundaries of the day (06:00 to 20:00 every 10 minutes: 85).
TEST(StationStatusTest, BytesPerDayFromTheDaysFilesOverTheCyclesDone) {
  testing::ScopedTz zone("Asia/Tokyo");
  testing::TempDir dir;
  AppSettings settings;
  settings.KrfFolder = settings.CsvFolder = dir.Path + "/";
  const std::int64_t noon = testing::Utc(2026, 12, 7, 3, 0);
  EXPECT_FALSE(EstimateBytesPerDay(settings, noon, 10));   // nothing on disk yet
  std::filesystem::create_directories(dir.Path + "/2026");
  testing::WriteBytes(dir.File("2026/20261207.KRF"), std::string(1000, 'k'));
  testing::WriteBytes(dir.File("2026/2026120710.CSV"), std::string(300, 'c'));
  testing::WriteBytes(dir.File("2026/2026120711.CSV"), std::string(200, 'c'));
  testing::WriteBytes(dir.File("2026/2026120611.CSV"), std::string(5000, 'c'));   // yesterday's
  // Another sensor unit took over at 11:00: its part holds its own 4 points so far.
  testing::WriteBytes(dir.File("2026/20261207_2.KRF"), std::string(400, 'k'));
  testing::WriteBytes(dir.File("2026/2026120711_2.CSV"), std::string(100, 'c'));
  EXPECT_DOUBLE_EQ(EstimateBytesPerDay(settings, noon, 10).value_or(0), 1500.0 * 85 / 10);
  EXPECT_DOUBLE_EQ(EstimateBytesPerDay(settings, noon, 4, 2).value_or(0), 500.0 * 85 / 4);
  settings.SaveCsv = false;
  EXPECT_DOUBLE_EQ(EstimateBytesPerDay(settings, noon, 10).value_or(0), 1000.0 * 85 / 10);
  EXPECT_FALSE(EstimateBytesPerDay(settings, noon, 0));
}

}  // namespace
}  // namespace spectrel
