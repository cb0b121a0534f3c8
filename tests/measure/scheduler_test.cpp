// The interval scheduler over whole simulated days: no sensor is in use, so every run ends at
// once and posts its cycle-done message, and the day file records every cycle time.
#include <vector>

#include "doc_fixture.h"

namespace spectrel::testing {
namespace {

class SchedulerTest : public DocTest {
 protected:
  // Starts interval measurement at the clock's time.
  void Start() {
    MakeDoc();
    Doc->OnStartInterval();
  }
  // One timer tick at t; a run it starts is completed before returning.
  void TickAt(std::int64_t t) {
    Clock.Set(t);
    const std::int64_t before = Doc->RunsStarted();
    Doc->OnIntervalTick();
    if (Doc->RunsStarted() != before) {
      Runs.push_back(Doc->CycleTime());
      ASSERT_TRUE(Host.PumpCycle(*Doc, std::chrono::seconds(5)));
    }
  }
  // Ticks every step seconds from first to last (inclusive).
  void TickRange(std::int64_t first, std::int64_t last, std::int64_t step = 1) {
    for (std::int64_t t = first; t <= last; t += step) TickAt(t);
  }
  // Cycle times stored in a day file.
  std::vector<std::int64_t> Stored(const std::string& path) {
    CKrfData set;
    std::vector<std::int64_t> times;
    if (set.LoadKrf(path) < 0) return times;
    for (int j = 0; j < set.RadCount(); ++j) times.push_back(set.Rad(j).MeasureTime);
    return times;
  }

  std::vector<std::int64_t> Runs;   // cycle time of every run started
};

TEST_F(SchedulerTest, WholeDayMeasuresAtEveryBoundaryInsideTheWindow) {
  Settings.StartTime = 21600;   // 06:00
  Settings.EndTime = 72000;     // 20:00
  Settings.Interval = 600;
  Start();   // 05:58:00
  TickRange(Tokyo(2026, 12, 7, 5, 58, 0), Tokyo(2026, 12, 7, 23, 59, 59));

  std::vector<std::int64_t> expected;
  for (int k = 0; k <= 84; ++k) expected.push_back(Tokyo(2026, 12, 7, 6, 0, 0) + 600 * k);
  EXPECT_EQ(Runs, expected);
  EXPECT_EQ(Stored(Settings.KrfFolder + "2026/20261207.KRF"), expected);
  EXPECT_EQ(Host.Clocks(), 18 * 3600 + 2 * 60);   // every tick shows the clock
  EXPECT_EQ(Host.LastClock(), "2026/12/07  23:59:59");
  EXPECT_EQ(Host.Count(WorkerMessage::StopRequest), 0);
  EXPECT_EQ(Doc->StopMeasurement(), 1);
  EXPECT_EQ(Log(), "2026/12/07,05:58:00,APP START\r\n"
                   "2026/12/07,05:58:00,INT.MEAS START\r\n"
                   "2026/12/07,23:59:59,INT.MEAS STOP\r\n");
}

TEST_F(SchedulerTest, StartAfterABoundaryWaitsForTheNextOne) {
  Settings.Interval = 600;
  Clock.Set(Tokyo(2026, 12, 7, 10, 3, 0));
  Start();
  TickRange(Tokyo(2026, 12, 7, 10, 3, 0), Tokyo(2026, 12, 7, 10, 20, 0));
  EXPECT_EQ(Runs, (std::vector<std::int64_t>{Tokyo(2026, 12, 7, 10, 10, 0), Tokyo(2026, 12, 7, 10, 20, 0)}));
}

TEST_F(SchedulerTest, FirstTickNeverMeasuresEvenOnABoundary) {
  Clock.Set(Tokyo(2026, 12, 7, 10, 0, 0));
  Start();
  TickRange(Tokyo(2026, 12, 7, 10, 0, 0), Tokyo(2026, 12, 7, 10, 9, 59));
  EXPECT_TRUE(Runs.empty());
  TickAt(Tokyo(2026, 12, 7, 10, 10, 0));
  EXPECT_EQ(Runs, std::vector<std::int64_t>{Tokyo(2026, 12, 7, 10, 10, 0)});
}

TEST_F(SchedulerTest, LateTickMakesOneRunForTheLastBoundaryCrossed) {
  Clock.Set(Tokyo(2026, 12, 7, 6, 0, 5));
  Start();
  TickAt(Tokyo(2026, 12, 7, 6, 0, 5));
  TickAt(Tokyo(2026, 12, 7, 6, 35, 0));   // 06:10, 06:20 and 06:30 were crossed
  EXPECT_EQ(Runs, std::vector<std::int64_t>{Tokyo(2026, 12, 7, 6, 30, 0)});
}

TEST_F(SchedulerTest, WindowEndsAreIncluded) {
  Settings.StartTime = 36000;   // 10:00
  Settings.EndTime = 36600;     // 10:10
  Clock.Set(Tokyo(2026, 12, 7, 9, 59, 58));
  Start();
  TickRange(Tokyo(2026, 12, 7, 9, 59, 58), Tokyo(2026, 12, 7, 10, 30, 0));
  EXPECT_EQ(Runs, (std::vector<std::int64_t>{Tokyo(2026, 12, 7, 10, 0, 0), Tokyo(2026, 12, 7, 10, 10, 0)}));
}

TEST_F(SchedulerTest, BoundaryOneSecondAfterTheWindowIsNotMeasured) {
  Settings.StartTime = 36000;
  Settings.EndTime = 36599;     // 10:09:59: the 10:10 boundary lies outside
  Clock.Set(Tokyo(2026, 12, 7, 9, 59, 58));
  Start();
  TickRange(Tokyo(2026, 12, 7, 9, 59, 58), Tokyo(2026, 12, 7, 10, 30, 0));
  EXPECT_EQ(Runs, std::vector<std::int64_t>{Tokyo(2026, 12, 7, 10, 0, 0)});
}

TEST_F(SchedulerTest, StartTimeAfterEndTimeNeverMeasures) {
  Settings.StartTime = 72000;
  Settings.EndTime = 21600;
  Clock.Set(Tokyo(2026, 12, 7, 0, 0, 30));
  Start();
  TickRange(Tokyo(2026, 12, 7, 0, 0, 30), Tokyo(2026, 12, 7, 23, 59, 0), 30);
  EXPECT_TRUE(Runs.empty());
  EXPECT_EQ(Host.Clocks(), 2878);   // (23:59:00 - 00:00:30) / 30 s + 1
  EXPECT_FALSE(Exists(Settings.KrfFolder + "2026"));
}

TEST_F(SchedulerTest, IntervalOfZeroOrLessIsOneSecond) {
  for (std::int64_t interval : {0, -5}) {
    Settings.Interval = interval;
    Settings.StartTime = 21600;
    Settings.EndTime = 21610;
    Clock.Set(Tokyo(2026, 12, 7, 5, 59, 58));
    Runs.clear();
    Start();
    TickRange(Tokyo(2026, 12, 7, 5, 59, 58), Tokyo(2026, 12, 7, 6, 0, 15));
    std::vector<std::int64_t> expected;
    for (int k = 0; k <= 10; ++k) expected.push_back(Tokyo(2026, 12, 7, 6, 0, 0) + k);
    EXPECT_EQ(Runs, expected) << interval;
    EXPECT_EQ(Doc->StopMeasurement(), 1);
  }
}

TEST_F(SchedulerTest, BoundaryWhileTheLastCycleIsIncompleteIsSkippedAndLogged) {
  Settings.Interval = 60;
  Clock.Set(Tokyo(2026, 12, 7, 10, 0, 30));
  Start();
  TickAt(Tokyo(2026, 12, 7, 10, 0, 30));
  Clock.Set(Tokyo(2026, 12, 7, 10, 1, 0));
  Doc->OnIntervalTick();                      // run started, its completion not handled yet
  EXPECT_EQ(Doc->RunsStarted(), 1);
  Clock.Set(Tokyo(2026, 12, 7, 10, 2, 0));
  Doc->OnIntervalTick();                      // skipped
  EXPECT_EQ(Doc->RunsStarted(), 1);
  EXPECT_EQ(Doc->CycleTime(), Tokyo(2026, 12, 7, 10, 1, 0));
  ASSERT_TRUE(Host.PumpCycle(*Doc, std::chrono::seconds(5)));
  TickAt(Tokyo(2026, 12, 7, 10, 3, 0));       // the next boundary runs again
  EXPECT_EQ(Doc->RunsStarted(), 2);
  const std::string log = Log();
  EXPECT_NE(log.find("2026/12/07,10:02:00,ERROR MEAS SKIP\r\n"), std::string::npos) << log;
  EXPECT_EQ(Stored(Settings.KrfFolder + "2026/20261207.KRF"),
            (std::vector<std::int64_t>{Tokyo(2026, 12, 7, 10, 1, 0), Tokyo(2026, 12, 7, 10, 3, 0)}));
}

TEST_F(SchedulerTest, TickAfterTheStopDoesNothing) {
  Clock.Set(Tokyo(2026, 12, 7, 10, 0, 30));
  Start();
  TickAt(Tokyo(2026, 12, 7, 10, 0, 30));
  ASSERT_EQ(Doc->StopMeasurement(), 1);
  const int clocks = Host.Clocks();
  TickAt(Tokyo(2026, 12, 7, 10, 10, 0));
  EXPECT_EQ(Doc->RunsStarted(), 0);
  EXPECT_EQ(Host.Clocks(), clocks);
}

class DstSchedulerTest : public SchedulerTest {
 protected:
  ScopedTimeZone Berlin{"Europe/Berlin"};
};

TEST_F(DstSchedulerTest, SpringForwardDayHasNoTwoOClockRun) {
  Settings.StartTime = 3600;
  Settings.EndTime = 86399;
  Settings.Interval = 3600;
  const std::int64_t midnight = Utc(2026, 3, 28, 23, 0, 0);   // 00:00 CET, 29 March
  Clock.Set(midnight + 30 * 60);
  Start();
  TickRange(midnight + 30 * 60, Utc(2026, 3, 29, 21, 59, 59));  // to 23:59:59 CEST
  std::vector<std::int64_t> expected{Utc(2026, 3, 29, 0, 0, 0)};  // 01:00 CET
  for (int h = 3; h <= 23; ++h) expected.push_back(Utc(2026, 3, 29, h - 2, 0, 0));   // CEST
  EXPECT_EQ(Runs, expected);
  Doc->StopMeasurement();
  Doc.reset();
}

TEST_F(DstSchedulerTest, FallBackDayMeasuresTheRepeatedHourOnce) {
  Settings.StartTime = 3600;
  Settings.EndTime = 86399;
  Settings.Interval = 3600;
  const std::int64_t midnight = Utc(2026, 10, 24, 22, 0, 0);   // 00:00 CEST, 25 October
  Clock.Set(midnight + 30 * 60);
  Start();
  TickRange(midnight + 30 * 60, Utc(2026, 10, 25, 22, 59, 59));  // to 23:59:59 CET
  ASSERT_EQ(Runs.size(), 23u);
  EXPECT_EQ(Runs[0], Utc(2026, 10, 24, 23, 0, 0));   // 01:00 CEST
  // 02:00 happens twice; the run is stamped with one of the two.
  EXPECT_TRUE(Runs[1] == Utc(2026, 10, 25, 0, 0, 0) || Runs[1] == Utc(2026, 10, 25, 1, 0, 0));
  for (int h = 3; h <= 23; ++h) EXPECT_EQ(Runs[static_cast<size_t>(h - 1)], Utc(2026, 10, 25, h - 1, 0, 0)) << h;
  Doc->StopMeasurement();
  Doc.reset();
}

}  // namespace
}  // namespace spectrel::testing
