// Peak memory of a station at the end of the longest day the settings allow: a point every
// minute around the clock (1440 in the day file, 60 in the hour's CSV file), then whole manual
// measurements against simulated sensors on pseudo-terminals, each reloading the full day file
// and rewriting the hour's CSV file. The peak resident set (VmHWM) is taken after the day file
// has been made, so it counts only what measuring costs. Budget: 100 MB.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/local_day.h"
#include "files/krf_file.h"
#include "files/station_names.h"
#include "measure/spectrel_doc.h"
#include "solmet_sim.h"
#include "support/recording_host.h"
#include "support/synthetic_day.h"

namespace {

constexpr int PointsInDay = 1440;   // one a minute, the shortest interval the dialog offers
constexpr std::int64_t Minute = 60;

long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
  }
  return -1;
}

// Starts the peak-RSS count afresh from what is resident now.
void ResetPeakMemory() {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_ManualMeasurementOnFullDay(benchmark::State& state) {
  const int shortModel = static_cast<int>(state.range(0));
  const int longModel = static_cast<int>(state.range(1));
  char pattern[] = "/tmp/bench-run-memory-XXXXXX";
  const std::string folder = std::string(mkdtemp(pattern)) + "/";

  spectrel::AppSettings settings;
  settings.KrfFolder = folder;
  settings.CsvFolder = folder;
  settings.UseSensor[shortModel] = true;
  settings.UseSensor[longModel] = true;
  std::vector<std::unique_ptr<solmet_sim::SimulatedSensor>> sensors;
  for (int model : {shortModel, longModel}) {
    solmet_sim::SensorConfig config;
    config.Model = model;
    config.Paced = false;
    sensors.push_back(std::make_unique<solmet_sim::SimulatedSensor>(config));
    if (!sensors.back()->Start()) {
      state.SkipWithError("simulated sensor not started");
      return;
    }
    settings.ComPort[model] = sensors.back()->DevicePath();
  }
  {
    const std::int64_t now = static_cast<std::int64_t>(time(nullptr));
    const std::string dayFile = spectrel::DayFilePath(folder, now);
    std::filesystem::create_directories(std::filesystem::path(dayFile).parent_path());
    SaveKrf(spectrel::testing::MakeDay({shortModel, longModel}, PointsInDay, spectrel::LocalMidnight(now), Minute),
            dayFile);
  }
  ResetPeakMemory();

  spectrel::testing::RecordingHost host;
  int points = 0;
  {
    spectrel::CSpectrelDoc doc(settings, host);
    for (auto _ : state) {
      doc.OnStartManual();
      host.LiveTimers = true;   // the manual start settles by its own 50 ms looks
      host.PumpUntil([&] { return !doc.Measuring(); }, std::chrono::seconds(60));
      if (doc.Measuring()) doc.StopMeasurement();
      points = doc.DayData().RadCount();
    }
  }
  state.counters["peak_MB"] = static_cast<double>(StatusKb("VmHWM")) / 1024.0;
  state.counters["points_in_memory"] = points;   // the hour measured
  sensors.clear();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

BENCHMARK(BM_ManualMeasurementOnFullDay)
    ->Args({spectrel::SR101, spectrel::SR103})
    ->Args({spectrel::SR102, spectrel::SR104})
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
