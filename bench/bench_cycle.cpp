// Cycle completion at the end of a long day, every write flushed to disk (the temporary folder must be on one): 840 points in the day file (SR-102 and SR-104),
// raw CSV with the merged spectrum, 59 points already in the hour; and the first cycle of a day.
// A whole day at a 10-s interval: a cycle in its first hour and in its last (8,640 points in the
// day; budget: the last at most 1.5 times the first, peak resident memory at most 150 MB). One
// event-log line, flushed to disk.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/krf_file.h"
#include "measure/spectrel_doc.h"
#include "support/fake_clock.h"
#include "support/synthetic_day.h"

namespace {

using spectrel::testing::FakeClock;

// Tasks and events go nowhere: the cycle is completed by hand.
class NullHost : public spectrel::DocumentHost {
 public:
  void Post(std::function<void()>) override {}
  void CallAfter(std::chrono::milliseconds, std::function<void()>) override {}
  void StateChanged(const spectrel::StateEvent&) override {}
  void SensorStatusChanged(const spectrel::SensorEvent&) override {}
  void ClockTicked(const std::string&) override {}
  void CycleCompleted(const spectrel::CycleSummary&) override {}
  bool Ask(const std::string&) override { return true; }
};

// 2026-12-07 00:00 in Tokyo, seconds since 1970.
constexpr std::int64_t DayStart = 1796569200;

long PeakKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

struct Station {
  // pointsBefore points step seconds apart, the last of them step before the cycle.
  explicit Station(int pointsBefore, int step = 60, std::int64_t cycleTime = DayStart + 18 * 3600 + 59 * 60)
      : CycleTime(cycleTime), Clock(cycleTime + 40) {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    char pattern[] = "/tmp/bench-cycle-XXXXXX";
    Folder = mkdtemp(pattern);
    Settings.KrfFolder = Folder + "/data/";
    Settings.CsvFolder = Folder + "/csv/";
    Settings.UseSensor = {false, true, false, true};
    Settings.SaveCsv = true;
    Settings.CsvPitch = spectrel::WavelengthPitch::Raw;
    Settings.CsvMerge = true;
    std::filesystem::create_directories(Settings.KrfFolder + "2026");
    DayFile = Settings.KrfFolder + "2026/20261207.KRF";
    Master = Folder + "/master.KRF";
    // One point a minute from 04:59: the last is 18:58, 59 of them in the hour of 18.
    if (pointsBefore > 0) {
      spectrel::SaveKrf(spectrel::testing::MakeDay({spectrel::SR102, spectrel::SR104}, pointsBefore,
                                                   cycleTime - static_cast<std::int64_t>(pointsBefore) * step, step),
                        Master);
    }
    Doc = std::make_unique<spectrel::CSpectrelDoc>(Settings, Host, Clock);
    Result.Time = CycleTime;
    for (int model : {spectrel::SR102, spectrel::SR104}) {
      Result.Identified[model] = spectrel::testing::MakeSensorInfo(model);
      Result.Measured[model] = spectrel::testing::MakeMeasurement(model, CycleTime, 7);
    }
  }
  ~Station() {
    Doc.reset();
    std::error_code ec;
    std::filesystem::remove_all(Folder, ec);
  }
  // Puts the day file back as it was before the cycle.
  void Reset(bool withDayFile) {
    std::error_code ec;
    std::filesystem::remove(DayFile, ec);
    std::filesystem::remove_all(Settings.CsvFolder, ec);
    if (withDayFile) std::filesystem::copy_file(Master, DayFile, ec);
  }

  const std::int64_t CycleTime;
  std::string Folder;
  std::string DayFile;
  std::string Master;
  spectrel::AppSettings Settings;
  NullHost Host;
  FakeClock Clock;
  spectrel::CycleResult Result;   // what a run of both sensors brings back
  std::unique_ptr<spectrel::CSpectrelDoc> Doc;
};

void BM_CompleteCycleEndOfDay(benchmark::State& state) {
  Station station(840);
  for (auto _ : state) {
    state.PauseTiming();
    station.Reset(true);
    state.ResumeTiming();
    station.Doc->CompleteCycle(station.Result);
  }
  if (station.Doc->LastCycle().DayFile.empty() || station.Doc->LastCycle().CsvFile.empty())
    state.SkipWithError("the cycle was not stored");
}

void BM_CompleteCycleFirstOfDay(benchmark::State& state) {
  Station station(0);
  for (auto _ : state) {
    state.PauseTiming();
    station.Reset(false);
    state.ResumeTiming();
    station.Doc->CompleteCycle(station.Result);
  }
  if (station.Doc->LastCycle().DayFile.empty() || station.Doc->LastCycle().CsvFile.empty())
    state.SkipWithError("the cycle was not stored");
}

// Cycles of a running station in a day at a 10-s interval, range(0) points already stored: the
// run's first cycle (which reads the day back) is not counted, then one cycle every 10 s. Both
// begin at minute 56 of their hour, so their hourly CSV files hold as many points.
void BM_CompleteCycleTenSecondDay(benchmark::State& state) {
  const int before = static_cast<int>(state.range(0));
  Station station(before, 10, DayStart + static_cast<std::int64_t>(before) * 10);
  station.Reset(true);
  station.Doc->CompleteCycle(station.Result);
  // Only what the running station holds counts, not the making and first reading of the day.
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  int stored = 0;
  for (auto _ : state) {
    station.Result.Time += 10;
    station.Doc->CompleteCycle(station.Result);
    stored += station.Doc->LastCycle().DayFile.empty() ? 0 : 1;
  }
  if (stored != static_cast<int>(state.iterations())) state.SkipWithError("a cycle was not stored");
  state.counters["peak_MB"] = static_cast<double>(PeakKb()) / 1024.0;
}

void BM_EventLogLine(benchmark::State& state) {
  Station station(0);
  for (auto _ : state) station.Doc->WriteLog("INT.MEAS START");
}

BENCHMARK(BM_CompleteCycleTenSecondDay)->Arg(336)->Arg(8616)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_EventLogLine)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CompleteCycleEndOfDay)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CompleteCycleFirstOfDay)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
