// The interval scheduler through the clock seam: a whole day, a day whose clocks go back, late
// ticks, midnight and the new year at a one-second interval, steps of the clock and its
// synchronisation. Where boundaries fall (window ends, the first tick, days of 23 hours) is the
// interval rule's own test. No sensor is in use, so every run ends at once and the day file records
// every cycle time.
#include <algorithm>
#include <functional>
#include <map>

#include "doc_fixture.h"
#include "files/station_names.h"
#include "settings/profile_check.h"

namespace spectrel::testing {
namespace {

std::vector<std::int64_t> Every(std::int64_t first, std::int64_t step, int count) {
  std::vector<std::int64_t> times;
  for (int k = 0; k < count; ++k) times.push_back(first + step * k);
  return times;
}

class SchedulerTest : public DocTest {
 protected:
  void Start(std::int64_t at, std::int64_t interval, std::int64_t start = 0, std::int64_t end = 86399) {
    Settings.StartTime = start;
    Settings.EndTime = end;
    Settings.Interval = interval;
    Clock.Set(at);
    MakeDoc().OnStartInterval();
  }
  // One timer tick at t; a run it starts is completed before returning.
  void TickAt(std::int64_t t) {
    Clock.Set(t);
    const std::int64_t before = Doc->RunsStarted();
    Doc->OnIntervalTick();
    if (Doc->RunsStarted() != before) {
      ASSERT_TRUE(Host.PumpCycle(5s));
      Runs.push_back(Host.Cycles.back().Time);
    }
  }
  void TickRange(std::int64_t first, std::int64_t last, std::int64_t step = 1) {
    for (std::int64_t t = first; t <= last; t += step) TickAt(t);
  }
  std::vector<std::string> Skips(int year = 2026) const {
    std::vector<std::string> skips;
    for (const std::string& m : LogMessages(year))
      if (m.rfind("ERROR MEAS SKIP", 0) == 0) skips.push_back(m);
    return skips;
  }

  std::vector<std::int64_t> Runs;   // cycle time of every cycle completed
};

struct DayCase {
  const char* Name;
  const char* Zone;
  std::int64_t StartTime, EndTime, Interval;   // window (seconds of the day) and interval (s)
  std::int64_t First, Last, Step;              // ticks from First to Last, Step apart
  std::vector<std::int64_t> Runs;              // cycle times expected
  std::vector<std::string> Skips = {};         // "ERROR MEAS SKIP" lines expected
};

inline void PrintTo(const DayCase& c, std::ostream* os) { *os << c.Name; }

class SchedulerDay : public SchedulerTest, public ::testing::WithParamInterface<DayCase> {};

TEST_P(SchedulerDay, MeasuresEveryBoundaryTheClockShowsOrLogsItsSkip) {
  const DayCase& c = GetParam();
  {
    ScopedTz zone(c.Zone);
    Start(c.First, c.Interval, c.StartTime, c.EndTime);
    TickRange(c.First, c.Last, c.Step);
    EXPECT_EQ(Runs, c.Runs);
    EXPECT_EQ(Host.Clocks, (c.Last - c.First) / c.Step + 1);   // every tick shows the clock
    // One day file per day, holding every cycle of it once, in order.
    std::map<std::string, std::vector<std::int64_t>> days;
    for (std::int64_t t : Runs) days[DayFilePath(Settings.KrfFolder, t)].push_back(t);
    for (const auto& [path, times] : days) EXPECT_EQ(Stored(path), times) << path;
    std::vector<std::string> skips = Skips();
    for (const std::string& s : Skips(2027)) skips.push_back(s);
    EXPECT_EQ(skips, c.Skips);
    EXPECT_TRUE(Doc->StopMeasurement());
    Doc.reset();
  }
  EXPECT_EQ(Exists(Settings.KrfFolder + "2026"), !c.Runs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchedulerDay,
    ::testing::Values(
        DayCase{"WholeDayAtEveryBoundaryInsideTheWindow", "Asia/Tokyo", 21600, 72000, 600, Dec7(5, 58, 0),
                Dec7(23, 59, 59), 1, Every(Dec7(6, 0, 0), 600, 85)},
        // 06:10, 06:20 and 06:30 are crossed by one late tick: the last is measured.
        DayCase{"LateTickMeasuresTheLastBoundaryAndLogsTheOthers", "Asia/Tokyo", 0, 86399, 600, Dec7(6, 0, 5),
                Dec7(6, 35, 0), 2095, {Dec7(6, 30, 0)}, {"ERROR MEAS SKIP 2"}},
        // At one second: a tick that read midnight counts as none, so 00:00:01 is left out, said.
        DayCase{"NewYearAtOneSecondLogsTheBoundaryAfterMidnight", "Asia/Tokyo", 0, 86399, 1,
                Tokyo(2026, 12, 31, 23, 59, 48), Tokyo(2027, 1, 1, 0, 0, 10), 1,
                [] {
                  auto runs = Every(Tokyo(2026, 12, 31, 23, 59, 49), 1, 12);
                  for (std::int64_t t : Every(Tokyo(2027, 1, 1, 0, 0, 2), 1, 9)) runs.push_back(t);
                  return runs;
                }(),
                {"ERROR MEAS SKIP"}},
        // Berlin, 25 October 2026: 02:00 is shown twice and measured twice, an hour apart.
        DayCase{"FallBackMeasuresTheRepeatedTwoOClockTwice", "Europe/Berlin", 3600, 86399, 3600,
                Utc(2026, 10, 24, 22, 30), Utc(2026, 10, 25, 22, 59, 59), 7, Every(Utc(2026, 10, 24, 23, 0), 3600, 24)}),
    [](const ::testing::TestParamInfo<DayCase>& info) { return std::string(info.param.Name); });

// The reasons are the profile check's: its test reads them.
TEST_F(SchedulerTest, ScheduleThatCanNeverMeasureIsRefused) {
  struct Case {
    std::int64_t Start, End, Interval;
  };
  const Case cases[] = {{0, 86399, 0}, {0, 86399, 4294967295}, {72000, 21600, 600}, {21600, 72000, 2000000000},
                        {21601, 21601, 600}};
  for (const Case& c : cases) {
    Start(Dec7(10, 0, 0), c.Interval, c.Start, c.End);
    EXPECT_TRUE(WindowFinding(Settings)) << c.Interval;
    EXPECT_FALSE(Doc->Measuring()) << c.Interval;
  }
  Settings.StartTime = Settings.EndTime = 21600;   // one boundary a day is enough
  Doc->OnStartInterval();
  EXPECT_TRUE(Doc->Measuring());
  const std::vector<std::string> log = LogMessages();
  EXPECT_EQ(std::count(log.begin(), log.end(), "INT.MEAS START"), 1);
}

TEST_F(SchedulerTest, AClockStepIsLoggedOnceWithoutStoringABoundaryTwice) {
  struct Case {
    std::int64_t Interval;
    std::int64_t Step;              // s, at 10:03:00
    std::vector<std::string> Log;   // what the step leaves in the log
  };
  const Case cases[] = {
      {60, -90, {"CLOCK STEP -90"}},    // back over two boundaries already stored
      {60, -5, {"CLOCK STEP -5"}},
      {60, 10, {"CLOCK STEP +10"}},
      {60, 3600, {"CLOCK STEP +3600", "ERROR MEAS SKIP 59"}},   // 10:04 to 11:03: the last measured
      {1, -30, {"CLOCK STEP -30"}},
      {1, 30, {"CLOCK STEP +30", "ERROR MEAS SKIP 30"}},        // 10:03:01 to 10:03:31: the last measured
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Step);
    Runs.clear();
    Start(Dec7(10, 0, 30), c.Interval);
    TickRange(Dec7(10, 0, 30), Dec7(10, 3, 0));
    Clock.Step(c.Step);
    const std::int64_t after = Clock.Now();
    TickRange(after + 1, after + 150);
    std::vector<std::string> logged;
    for (const std::string& m : LogMessages())
      if (m.rfind("CLOCK", 0) == 0 || m.rfind("ERROR", 0) == 0) logged.push_back(m);
    EXPECT_EQ(logged, c.Log);
    EXPECT_EQ(Written().LastClockStep, c.Step);
    const std::vector<std::int64_t> stored = Stored(DayFile());
    EXPECT_EQ(stored, Runs);
    EXPECT_TRUE(std::adjacent_find(stored.begin(), stored.end(), std::greater_equal<>()) == stored.end());
    EXPECT_TRUE(Doc->StopMeasurement());
    Doc.reset();
    std::filesystem::remove_all(Settings.KrfFolder);
    std::filesystem::create_directories(Settings.KrfFolder);
  }
}

TEST_F(SchedulerTest, AnUnsynchronisedClockIsLoggedOnceKeptInTheStatus) {
  Start(Dec7(10, 0, 0), 600);
  Clock.Sync = ClockSync::Unsynchronised;
  TickRange(Dec7(10, 0, 1), Dec7(10, 0, 3));
  EXPECT_EQ(Written().ClockSynchronised, false);   // the warning it brings is the status's own test
  EXPECT_EQ(Written().SensorsInUse, std::vector<std::string>{});
  Clock.Sync = ClockSync::Unknown;   // asking failed: nothing is said
  TickAt(Dec7(10, 0, 4));
  Clock.Sync = ClockSync::Synchronised;
  TickRange(Dec7(10, 0, 5), Dec7(10, 0, 6));
  EXPECT_EQ(Written().ClockSynchronised, true);
  const std::vector<std::string> log = LogMessages();
  EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.end()), (std::vector<std::string>{"CLOCK UNSYNC", "CLOCK SYNC"}));
}

// A boundary while the last cycle is incomplete is skipped and logged; the status file follows
// the session from its start to the stop.
TEST_F(SchedulerTest, BoundaryWhileTheCycleBeforeIsPendingIsSkipped) {
  Start(Dec7(10, 0, 30), 60);
  EXPECT_EQ(Written().State, StationState::Starting);
  Doc->OnIntervalTick();   // nothing to identify: measuring from the first tick, which never measures
  EXPECT_EQ(Written().State, StationState::Measuring);
  EXPECT_EQ(Written().NextBoundary, Dec7(10, 1, 0));
  Clock.Set(Dec7(10, 1, 0));
  Doc->OnIntervalTick();   // run started, its completion not handled yet
  Clock.Set(Dec7(10, 2, 0));
  Doc->OnIntervalTick();   // skipped
  EXPECT_EQ(Doc->RunsStarted(), 1);
  EXPECT_EQ(Written().Counters.Skipped, 1);
  EXPECT_EQ(Skips(), std::vector<std::string>{"ERROR MEAS SKIP"});
  ASSERT_TRUE(Host.PumpCycle(5s));
  const StationStatus cycle = Written();
  EXPECT_EQ(cycle.Counters.Stored, 1);
  EXPECT_EQ(cycle.LastStored, Dec7(10, 1, 0));
  EXPECT_EQ(cycle.NextBoundary, Dec7(10, 3, 0));
  TickAt(Dec7(10, 3, 0));   // the next boundary runs again
  EXPECT_EQ(Host.LastClock, "2026/12/07  10:03:00");
  EXPECT_EQ(Stored(DayFile()), (std::vector<std::int64_t>{Dec7(10, 1, 0), Dec7(10, 3, 0)}));
  ASSERT_TRUE(Doc->StopMeasurement());
  EXPECT_EQ(Written().State, StationState::Stopped);
  EXPECT_FALSE(Written().NextBoundary);
}

// Outside the window nothing is measured, but the status file is rewritten from the ticks, so a
// reader tells a live runner from a dead one at night too.
TEST_F(SchedulerTest, StatusIsRewrittenEveryHalfMinuteOutsideTheWindow) {
  Start(Dec7(20, 0, 0), 600, 6 * 3600, 18 * 3600);
  TickRange(Dec7(20, 0, 1), Dec7(20, 1, 0));
  EXPECT_TRUE(Runs.empty());
  EXPECT_GE(Written().Updated, Dec7(20, 1, 0) - 30);
}

TEST_F(SchedulerTest, TicksComeAtEveryWholeSecondUntilTheStop) {
  Clock.Set(Dec7(10, 0, 0), 300);
  MakeDoc().OnStartInterval();
  ASSERT_EQ(Host.Timers.List().size(), 1u);
  EXPECT_EQ(Host.Timers.List()[0].Delay, 702ms);   // just after the next whole second
  Clock.Set(Dec7(10, 0, 1), 2);
  Host.FireTimers();
  EXPECT_EQ(Host.Clocks, 1);
  ASSERT_EQ(Host.Timers.List().size(), 1u);
  EXPECT_EQ(Host.Timers.List()[0].Delay, 1000ms);
  ASSERT_TRUE(Doc->StopMeasurement());
  Host.FireTimers();   // a tick that comes after the stop does nothing
  EXPECT_EQ(Host.Clocks, 1);
  EXPECT_TRUE(Host.Timers.List().empty());
}

}  // namespace
}  // namespace spectrel::testing
