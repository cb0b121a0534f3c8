// The interval scheduler over simulated days: no sensor is in use, so every run ends at once and
// posts its cycle-done message, and the day file records every cycle time.
#include "doc_fixture.h"
#include "measure/day_paths.h"

namespace spectrel::testing {
namespace {

std::vector<std::int64_t> Every(std::int64_t first, std::int64_t step, int count) {
  std::vector<std::int64_t> times;
  for (int k = 0; k < count; ++k) times.push_back(first + step * k);
  return times;
}

class SchedulerTest : public DocTest {
 protected:
  void Start(std::int64_t at) {
    Clock.Set(at);
    MakeDoc().OnStartInterval();
  }
  // One timer tick at t; a run it starts is completed before returning.
  void TickAt(std::int64_t t) {
    Clock.Set(t);
    const std::int64_t before = Doc->RunsStarted();
    Doc->OnIntervalTick();
    if (Doc->RunsStarted() != before) {
      Runs.push_back(Doc->CycleTime());
      ASSERT_TRUE(Host.PumpCycle(*Doc, 5s));
    }
  }
  void TickRange(std::int64_t first, std::int64_t last, std::int64_t step = 1) {
    for (std::int64_t t = first; t <= last; t += step) TickAt(t);
  }

  std::vector<std::int64_t> Runs;   // cycle time of every run started
};

struct DayCase {
  const char* Name;
  std::int64_t StartTime, EndTime, Interval;   // window (seconds of the day) and interval (s)
  std::int64_t First, Last, Step;              // ticks from First to Last, Step apart
  std::vector<std::int64_t> Runs;              // cycle times expected
  const char* Zone = "Asia/Tokyo";
  std::int64_t OrSecond = 0;                   // a second cycle time as good as Runs[1], if any
};

inline void PrintTo(const DayCase& c, std::ostream* os) { *os << c.Name; }

class SchedulerDay : public SchedulerTest, public ::testing::WithParamInterface<DayCase> {};

TEST_P(SchedulerDay, RunsAtTheExpectedBoundaries) {
  const DayCase& c = GetParam();
  {
    ScopedTz zone(c.Zone);
    Settings.StartTime = c.StartTime;
    Settings.EndTime = c.EndTime;
    Settings.Interval = c.Interval;
    Start(c.First);
    TickRange(c.First, c.Last, c.Step);
    std::vector<std::int64_t> expected = c.Runs;
    if (c.OrSecond && Runs.size() > 1 && Runs[1] == c.OrSecond) expected[1] = c.OrSecond;
    EXPECT_EQ(Runs, expected);
    EXPECT_EQ(Host.Clocks, (c.Last - c.First) / c.Step + 1);   // every tick shows the clock
    if (!c.Runs.empty()) {
      EXPECT_EQ(Stored(DayFilePath(Settings.KrfFolder, c.Runs.front())), Runs);
    }
    EXPECT_EQ(Host.Count(WorkerMessage::StopRequest), 0);
    EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
    EXPECT_EQ(Doc->StopMeasurement(), 1);
    Doc.reset();
  }
  EXPECT_EQ(Exists(Settings.KrfFolder + "2026"), !c.Runs.empty());
}

std::vector<std::int64_t> SpringForwardRuns() {
  std::vector<std::int64_t> runs{Utc(2026, 3, 29, 0, 0, 0)};   // 01:00 CET; no 02:00
  for (int h = 3; h <= 23; ++h) runs.push_back(Utc(2026, 3, 29, h - 2, 0, 0));   // CEST
  return runs;
}

std::vector<std::int64_t> FallBackRuns() {
  std::vector<std::int64_t> runs{Utc(2026, 10, 24, 23, 0, 0), Utc(2026, 10, 25, 0, 0, 0)};   // 01:00, 02:00 CEST
  for (int h = 3; h <= 23; ++h) runs.push_back(Utc(2026, 10, 25, h - 1, 0, 0));   // CET
  return runs;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchedulerDay,
    ::testing::Values(
        DayCase{"WholeDayMeasuresAtEveryBoundaryInsideTheWindow", 21600, 72000, 600, Dec7(5, 58, 0),
                Dec7(23, 59, 59), 1, Every(Dec7(6, 0, 0), 600, 85)},
        DayCase{"StartAfterABoundaryWaitsForTheNext", 0, 86399, 600, Dec7(10, 3, 0), Dec7(10, 20, 0), 1,
                Every(Dec7(10, 10, 0), 600, 2)},
        DayCase{"FirstTickNeverMeasuresEvenOnABoundary", 0, 86399, 600, Dec7(10, 0, 0), Dec7(10, 10, 0), 1,
                {Dec7(10, 10, 0)}},
        // 06:10, 06:20 and 06:30 are crossed by one late tick.
        DayCase{"LateTickRunsOnceForTheLastBoundary", 0, 86399, 600, Dec7(6, 0, 5), Dec7(6, 35, 0), 2095,
                {Dec7(6, 30, 0)}},
        DayCase{"WindowEndsAreIncluded", 36000, 36600, 600, Dec7(9, 59, 58), Dec7(10, 30, 0), 1,
                Every(Dec7(10, 0, 0), 600, 2)},
        DayCase{"BoundaryOneSecondAfterTheWindowIsOut", 36000, 36599, 600, Dec7(9, 59, 58), Dec7(10, 30, 0), 1,
                {Dec7(10, 0, 0)}},
        DayCase{"StartTimeAfterEndTimeNeverMeasures", 72000, 21600, 600, Dec7(0, 0, 30), Dec7(23, 59, 0), 30, {}},
        DayCase{"IntervalBelowOneIsOneSecond", 21600, 21610, -5, Dec7(5, 59, 58), Dec7(6, 0, 15), 1,
                Every(Dec7(6, 0, 0), 1, 11)},
        // 29 March 2026 in Berlin, from 00:30 CET to 23:59:59 CEST: the clock jumps 02:00 -> 03:00.
        DayCase{"SpringForwardDayHasNoTwoOClockRun", 3600, 86399, 3600, Utc(2026, 3, 28, 23, 30, 0),
                Utc(2026, 3, 29, 21, 59, 59), 1, SpringForwardRuns(), "Europe/Berlin"},
        // 25 October 2026 in Berlin, from 00:30 CEST to 23:59:59 CET: 02:00 happens twice and is
        // measured once, stamped with either.
        DayCase{"FallBackDayMeasuresTheRepeatedHourOnce", 3600, 86399, 3600, Utc(2026, 10, 24, 22, 30, 0),
                Utc(2026, 10, 25, 22, 59, 59), 1, FallBackRuns(), "Europe/Berlin", Utc(2026, 10, 25, 1, 0, 0)}),
    [](const ::testing::TestParamInfo<DayCase>& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace spectrel::testing
