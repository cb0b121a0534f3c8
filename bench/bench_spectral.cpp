// Spectral computations and the hourly CSV file on a full day of SR-102 + SR-104 points taken
// every minute from 06:00 to 20:00 (840 points, 60 of them in each hour).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "files/csv_writer.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"

namespace {

using namespace spectrel;

// The day in UTC: 2023-11-14 06:00:00 + p minutes.
constexpr std::int64_t DayStart = 1699941600;

struct Day {
  Day() {
    setenv("TZ", "UTC0", 1);
    tzset();
    Set = testing::MakeDay({SR102, SR104}, 840, DayStart, 60);
    BuildMergedWavelengths(Set, Merged);
    char dir[] = "/tmp/spectrel-bench-XXXXXX";
    if (mkdtemp(dir) != nullptr) Folder = dir;
  }
  ~Day() {
    std::error_code ignored;
    if (!Folder.empty()) std::filesystem::remove_all(Folder, ignored);
  }
  CKrfData Set;
  std::vector<double> Merged;
  std::string Folder;
};

Day& TheDay() {
  static Day day;
  return day;
}

// The file of the last hour (19:00 .. 19:59): every cycle rebuilds and rewrites it whole.
void WriteHour(benchmark::State& state, int pitch) {
  Day& day = TheDay();
  CsvOptions options;
  options.OneNm = pitch == 1;
  options.From = 300;
  options.To = 1800;
  options.Sensor = {true, true, true, true};
  options.Merge = true;
  CCsvWriter writer;
  const std::string path = day.Folder + "/2023111419.CSV";
  for (auto _ : state) {
    if (!writer.WriteCsvFile(path, day.Set, options, day.Merged)) {
      state.SkipWithError("CSV file not written");
      break;
    }
  }
  state.counters["lines"] = static_cast<double>(writer.CsvLines.size());
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

void BM_CsvHourRawWithMerge(benchmark::State& state) { WriteHour(state, 0); }
void BM_CsvHour1nm300To1800(benchmark::State& state) { WriteHour(state, 1); }

void BM_ResampleAndIntegral(benchmark::State& state) {
  Day& day = TheDay();
  CResample grid;
  const int last = day.Set.RadCount() - 1;
  for (auto _ : state) {
    grid.Resample(day.Set, last);
    benchmark::DoNotOptimize(grid.Integral(300, 1800));
  }
  state.counters["points"] = static_cast<double>(grid.Values.size());
}

BENCHMARK(BM_CsvHourRawWithMerge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvHour1nm300To1800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleAndIntegral)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
