// The station monitor: status.json through a measuring session, the next boundary and the
// disk-space rate it reports.
#include "doc_fixture.h"
#include "measure/day_paths.h"
#include "measure/station_monitor.h"

namespace spectrel::testing {
namespace {

using StationMonitorTest = DocTest;

// A boundary while the last cycle is incomplete is skipped and logged; the status file follows
// the session from its start to the stop.
TEST_F(StationMonitorTest, SkippedBoundaryIsLoggedAndCountedAndTheStatusFileFollowsTheSession) {
  Settings.Interval = 60;
  Clock.Set(Dec7(10, 0, 30));
  MakeDoc().OnStartInterval();
  EXPECT_EQ(Written().State, StationState::Starting);
  Doc->OnIntervalTick();   // nothing to identify: measuring from the first tick, which never measures
  EXPECT_EQ(Written().State, StationState::Measuring);
  EXPECT_EQ(Written().NextBoundary, Dec7(10, 1, 0));
  Clock.Set(Dec7(10, 1, 0));
  Doc->OnIntervalTick();   // run started, its completion not handled yet
  Clock.Set(Dec7(10, 2, 0));
  Doc->OnIntervalTick();   // skipped
  EXPECT_EQ(Doc->RunsStarted(), 1);
  EXPECT_EQ(Doc->CycleTime(), Dec7(10, 1, 0));
  EXPECT_EQ(Written().Counters.Skipped, 1);
  EXPECT_NE(Log().find("2026/12/07,10:02:00,ERROR MEAS SKIP\r\n"), std::string::npos) << Log();
  ASSERT_TRUE(Host.PumpCycle(*Doc, 5s));
  const StationStatus cycle = Written();
  EXPECT_EQ(cycle.Counters.Cycles, 1);
  EXPECT_EQ(cycle.Counters.Stored, 1);
  EXPECT_EQ(cycle.LastStored, Dec7(10, 1, 0));
  ASSERT_TRUE(cycle.LastCycle);
  EXPECT_TRUE(cycle.LastCycle->Stored);
  EXPECT_EQ(cycle.NextBoundary, Dec7(10, 3, 0));
  EXPECT_EQ(cycle.Updated, Dec7(10, 2, 0));
  Clock.Set(Dec7(10, 3, 0));   // the next boundary runs again
  Doc->OnIntervalTick();
  EXPECT_EQ(Host.LastClock, "2026/12/07  10:03:00");
  ASSERT_TRUE(Host.PumpCycle(*Doc, 5s));
  EXPECT_EQ(Stored(DayFile()), (std::vector<std::int64_t>{Dec7(10, 1, 0), Dec7(10, 3, 0)}));
  ASSERT_EQ(Doc->StopMeasurement(), 1);
  const StationStatus stopped = Written();
  EXPECT_EQ(stopped.State, StationState::Stopped);
  EXPECT_FALSE(stopped.NextBoundary);
  EXPECT_EQ(stopped.Counters.Cycles, 2);
  // A tick after the stop neither measures nor shows the clock.
  const int clocks = Host.Clocks;
  Clock.Set(Dec7(10, 10, 0));
  Doc->OnIntervalTick();
  EXPECT_EQ(Doc->RunsStarted(), 2);
  EXPECT_EQ(Host.Clocks, clocks);
}

TEST_F(StationMonitorTest, NextBoundaryKeepsToTheWindow) {
  struct Case {
    std::int64_t Start, End, Interval, Now, Next;
  };
  const std::vector<Case> cases{
      {21600, 72000, 600, Dec7(12, 0, 0), Dec7(12, 10, 0)},      // on a boundary: the next one
      {21600, 72000, 600, Dec7(12, 9, 59), Dec7(12, 10, 0)},
      {21600, 72000, 600, Dec7(3, 0, 0), Dec7(6, 0, 0)},         // before the window: its opening
      {21600, 72000, 600, Dec7(20, 0, 0), Dec7(6, 0, 0) + 86400}, // its last boundary: tomorrow
      {21601, 72000, 600, Dec7(3, 0, 0), Dec7(6, 10, 0)},        // window opens between boundaries
      {0, 86399, 7, Dec7(0, 0, 0), Dec7(0, 0, 7)},
  };
  for (const Case& c : cases) {
    Settings.MeasType = 0;
    Settings.StartTime = c.Start;
    Settings.EndTime = c.End;
    Settings.Interval = c.Interval;
    EXPECT_EQ(NextBoundaryAfter(Settings, c.Now), c.Next) << c.Start << " " << c.Now;
  }
  Settings.StartTime = Settings.EndTime = 21601;   // no boundary inside the window
  EXPECT_FALSE(NextBoundaryAfter(Settings, Dec7(3, 0, 0)));
  Settings.MeasType = 1;
  EXPECT_FALSE(NextBoundaryAfter(Settings, Dec7(3, 0, 0)));
}

TEST_F(StationMonitorTest, BytesPerDayFromTodaysFilesOverTheCyclesDone) {
  Settings.MeasType = 0;
  Settings.SaveCsv = 1;
  Settings.CsvFolder = Settings.KrfFolder;
  std::filesystem::create_directories(Settings.KrfFolder + "2026");
  const std::int64_t noon = Dec7(12, 0, 0);
  EXPECT_EQ(CyclesPerDay(Settings), 85);   // 06:00 to 20:00 every 10 minutes, both ends
  EXPECT_FALSE(EstimateBytesPerDay(Settings, noon, 10));   // nothing on disk yet
  WriteBytes(DayFilePath(Settings.KrfFolder, noon), std::string(1000, 'k'));
  WriteBytes(Settings.KrfFolder + "2026/2026120710.CSV", std::string(300, 'c'));
  WriteBytes(Settings.KrfFolder + "2026/2026120711.CSV", std::string(200, 'c'));
  WriteBytes(Settings.KrfFolder + "2026/2026120611.CSV", std::string(5000, 'c'));   // yesterday's
  EXPECT_DOUBLE_EQ(EstimateBytesPerDay(Settings, noon, 10).value_or(0), 1500.0 * 85 / 10);
  Settings.SaveCsv = 0;
  EXPECT_DOUBLE_EQ(EstimateBytesPerDay(Settings, noon, 10).value_or(0), 1000.0 * 85 / 10);
  EXPECT_FALSE(EstimateBytesPerDay(Settings, noon, 0));
  Settings.MeasType = 1;   // manual: no rate to speak of
  EXPECT_FALSE(EstimateBytesPerDay(Settings, noon, 10));
}

}  // namespace
}  // namespace spectrel::testing
