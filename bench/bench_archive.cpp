// A month of day files converted to NetCDF by the batch over archives: 30 days of 840 points of
// SR-102 with SR-104 (about 450 MB). Targets: the month in 3 s or less (150 MB/s of day files) on
// two cores, peak memory 300 MB or less. The files are made once in /tmp and removed at exit.
// Also with the irradiances quantized to 4 and 5 significant digits: the size of the month's
// NetCDF files (nc_MB) against the lossless ones, and the time it costs.
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "archive/day_conversion.h"
#include "archive/solar_position.h"
#include "files/krf_file.h"
#include "spectrum/records.h"
#include "support/synthetic_day.h"

namespace {

constexpr int MonthDays = 30;
constexpr int DayPoints = 840;                    // 05:00 to 19:00 at one-minute steps
constexpr std::int64_t FirstDay = 1554984000;     // 2019-04-11 12:00 UTC

struct MonthFiles {
  MonthFiles() {
    char pattern[] = "/tmp/spectrel_bench_archive.XXXXXX";
    if (::mkdtemp(pattern)) Dir = pattern;
    std::filesystem::create_directories(Dir + "/data/2019");
    spectrel::CKrfData day =
        spectrel::testing::MakeDay({spectrel::SR102, spectrel::SR104}, DayPoints, FirstDay, 60);
    for (int d = 0; d < MonthDays; ++d) {
      const std::time_t t = static_cast<std::time_t>(day.Rad(0).MeasureTime);
      std::tm utc{};
      gmtime_r(&t, &utc);
      char name[32];
      std::strftime(name, sizeof name, "/data/2019/%Y%m%d.KRF", &utc);
      SaveKrf(day, Dir + name);
      for (int j = 0; j < day.RadCount(); ++j) day.Rad(j).MeasureTime += 86400;
    }
    for (const auto& e : std::filesystem::recursive_directory_iterator(Dir + "/data"))
      if (e.is_regular_file()) Bytes += static_cast<std::int64_t>(e.file_size());
  }
  ~MonthFiles() {
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::string Dir;
  std::int64_t Bytes = 0;   // day files of the month
};

MonthFiles& Files() {
  static MonthFiles files;
  return files;
}

double PeakMb(int who) {
  rusage usage{};
  ::getrusage(who, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;   // kB on Linux
}

// Processor time of this process and its waited-for workers, s: the figure the machine's other
// load disturbs least.
double CpuSeconds() {
  double total = 0.0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    ::getrusage(who, &usage);
    for (const timeval& t : {usage.ru_utime, usage.ru_stime})
      total += static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  }
  return total;
}

void BM_MonthToNetCdf(benchmark::State& state) {
  const MonthFiles& files = Files();
  spectrel::archive::DayConversion options;
  options.OutFolder = files.Dir + "/nc";
  options.NetCdf.History = "spectrel-cli export";
  options.NetCdf.SignificantDigits = static_cast<int>(state.range(1));
  const int jobs = static_cast<int>(state.range(0));
  double seconds = 0.0;
  const double cpuBefore = CpuSeconds();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    spectrel::archive::DayPlan plan;
    std::string error;
    bool failed = !spectrel::archive::PlanDays(files.Dir + "/data", options.Format, options.OutFolder, true, plan, error);
    spectrel::archive::ConvertDays(plan.Convert, options, jobs,
                                   [&](std::size_t, const spectrel::archive::DayOutcome& o) { failed |= !o.Ok; });
    if (failed) state.SkipWithError("conversion failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.SetBytesProcessed(state.iterations() * files.Bytes);
  const double days = MonthDays * static_cast<double>(state.iterations());
  state.counters["ms_per_day"] = seconds * 1000.0 / days;
  state.counters["cpu_ms_per_day"] = (CpuSeconds() - cpuBefore) * 1000.0 / days;
  state.counters["peak_worker_MB"] = PeakMb(RUSAGE_CHILDREN);
  state.counters["peak_parent_MB"] = PeakMb(RUSAGE_SELF);
  std::int64_t written = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(options.OutFolder))
    if (e.is_regular_file()) written += static_cast<std::int64_t>(e.file_size());
  state.counters["nc_MB"] = static_cast<double>(written) / 1e6;
}
// Workers (0: one per core), significant digits kept (0: every bit).
BENCHMARK(BM_MonthToNetCdf)
    ->ArgNames({"jobs", "digits"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 4})
    ->Args({0, 5})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// The sun's position at every point of a day at one site: one span of slow parts, then each point.
void BM_SunForADay(benchmark::State& state) {
  for (auto _ : state) {
    spectrel::archive::SunTracker sun(36.05, 140.13, 25.0);
    double sum = 0.0;
    for (int j = 0; j < DayPoints; ++j) sum += sun.At(FirstDay - 7 * 3600 + 60 * j).ZenithDeg;
    benchmark::DoNotOptimize(sum);
  }
  state.counters["us_per_point"] = benchmark::Counter(static_cast<double>(state.iterations()) * DayPoints,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SunForADay)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
