// Day file speed on a full day at a one-minute interval: 840 points of SR-102 and SR-104
// (about 15 MB). Targets: load 30 ms, whole write 50 ms, append of one point 1 ms.
#include <stdlib.h>

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "files/krf_file.h"
#include "support/synthetic_day.h"

namespace {

using spectrel::CKrfData;
using spectrel::CRad;

constexpr int DayPoints = 840;                    // 05:00 to 19:00 at one-minute steps
constexpr std::int64_t DayStart = 1555045200;     // 2019-04-12 05:00:00 UTC

// The day written once into a private folder, removed at exit.
struct DayFiles {
  DayFiles() {
    char pattern[] = "/tmp/spectrel_bench_krf.XXXXXX";
    if (::mkdtemp(pattern)) Dir = pattern;
    Set = spectrel::testing::MakeDay({spectrel::SR102, spectrel::SR104}, DayPoints, DayStart, 60);
    Day = Dir + "/20190412.KRF";
    SaveKrf(Set, Day);
  }
  ~DayFiles() {
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::string Dir;
  std::string Day;   // the full day file
  CKrfData Set;      // what it holds
};

DayFiles& Files() {
  static DayFiles files;
  return files;
}

void BM_LoadKrf(benchmark::State& state) {
  const DayFiles& files = Files();
  CKrfData set;
  for (auto _ : state) {
    state.PauseTiming();
    set.Clear();
    state.ResumeTiming();
    const int count = LoadKrf(set, files.Day).Points;
    if (count != DayPoints) state.SkipWithError("day file did not read back whole");
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(files.Day)));
}
BENCHMARK(BM_LoadKrf)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7)->ReportAggregatesOnly(true);

void BM_SaveKrf(benchmark::State& state) {
  const DayFiles& files = Files();
  const std::string path = files.Dir + "/whole.KRF";
  for (auto _ : state) {
    if (!SaveKrf(files.Set, path)) state.SkipWithError("whole write failed");
  }
}
BENCHMARK(BM_SaveKrf)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7)->ReportAggregatesOnly(true);

void BM_AppendKrf(benchmark::State& state) {
  const DayFiles& files = Files();
  const std::string path = files.Dir + "/append.KRF";
  CRad rad;
  rad.MeasureTime = DayStart + DayPoints * 60;
  rad.Memo = "appended";
  for (int model : {spectrel::SR102, spectrel::SR104})
    rad.SetBlock(model, spectrel::testing::MakeMeasurement(model, rad.MeasureTime, 1));
  constexpr int Refresh = 200;   // appends before the copy is laid anew (about 3.6 MB of growth)
  int appended = Refresh;
  for (auto _ : state) {
    if (appended == Refresh) {
      state.PauseTiming();
      std::filesystem::copy_file(files.Day, path, std::filesystem::copy_options::overwrite_existing);
      appended = 0;
      state.ResumeTiming();
    }
    if (!AppendKrf(files.Set, path, rad)) state.SkipWithError("append failed");
    ++appended;
  }
}
BENCHMARK(BM_AppendKrf)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(7)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
