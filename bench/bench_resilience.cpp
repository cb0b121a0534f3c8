// The two figures of an unattended station's recovery, against simulated sensors on
// pseudo-terminals: how long a stop takes while a sensor waits out a 10 s read deadline (target
// at most 1 s), and how long a sensor that came back takes to its first stored measurement
// (target at most one interval + 5 s).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

#include "measure/spectrel_doc.h"
#include "solmet_sim.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace {

using namespace spectrel;
using Steady = std::chrono::steady_clock;

std::unique_ptr<solmet_sim::SimulatedSensor> StartSensor(int model, solmet_sim::Fault fault,
                                                        const std::string& link = "") {
  solmet_sim::SensorConfig config;
  config.Model = model;
  config.FaultKind = fault;
  config.Paced = false;
  auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(config);
  if (!sensor->Start() || (!link.empty() && !sensor->LinkAs(link))) return nullptr;
  return sensor;
}

double Seconds(Steady::duration d) { return std::chrono::duration<double>(d).count(); }

// Waits at most limit for ready(), pumping the document's messages meanwhile.
template <typename Ready>
bool PumpUntil(CSpectrelDoc& doc, testing::RecordingHost& host, Steady::duration limit, Ready ready) {
  const auto end = Steady::now() + limit;
  while (!ready()) {
    if (Steady::now() >= end) return false;
    host.PumpQuiet(doc, std::chrono::milliseconds(10));
    if (doc.Measuring()) doc.OnIntervalTick();
  }
  return true;
}

void BM_StopWhileReadingSpectrum(benchmark::State& state) {
  testing::TempDir dir;
  const auto sensor = StartSensor(SR103, solmet_sim::Fault::RbShort);  // every "RB" read times out
  AppSettings settings;
  settings.KrfFolder = dir.Path + "/";
  settings.CsvFolder = dir.Path + "/";
  settings.UseSensor = {0, 0, 1, 0};
  settings.ComPort[SR103] = sensor ? sensor->DevicePath() : "";
  testing::RecordingHost host;
  CSpectrelDoc doc(settings, host);
  for (auto _ : state) {
    doc.OnStartManual();
    CSensorDriver& d = doc.Driver(SR103);
    // The manual start is polled as the desktop program polls it, until the run is under way.
    PumpUntil(doc, host, std::chrono::seconds(10),
              [&] { return doc.PollManualStart() != CSpectrelDoc::ManualPoll::Waiting; });
    const auto giveUp = Steady::now() + std::chrono::seconds(10);
    while (d.Activity() != DriverActivity::ReadingSpectrum && Steady::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = Steady::now();
    doc.StopMeasurement();
    state.SetIterationTime(Seconds(Steady::now() - start));
  }
}
BENCHMARK(BM_StopWhileReadingSpectrum)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ReturnToFirstStoredPoint(benchmark::State& state) {
  testing::TempDir dir;
  const std::string link = dir.Path + "/SR101";
  auto sensor = StartSensor(SR101, solmet_sim::Fault::None, link);
  AppSettings settings;
  settings.KrfFolder = dir.Path + "/";
  settings.CsvFolder = dir.Path + "/";
  settings.UseSensor = {1, 0, 0, 0};
  settings.ComPort[SR101] = link;
  settings.StartTime = 0;
  settings.EndTime = 86399;
  settings.Interval = 2;
  testing::RecordingHost host;
  CSpectrelDoc doc(settings, host);
  doc.OnStartInterval();
  // A point with this sensor stored after the first `after` points of the day.
  const auto stored = [&](int after) {
    const CKrfData& day = doc.DayData();
    return !doc.LastDayFile().empty() && day.RadCount() > after && day.Rad(day.RadCount() - 1).Block(SR101);
  };
  for (auto _ : state) {
    PumpUntil(doc, host, std::chrono::seconds(20), [&] { return stored(0); });
    sensor.reset();   // unplugged
    PumpUntil(doc, host, std::chrono::seconds(20), [&] { return doc.SensorReconnecting(SR101); });
    sensor = StartSensor(SR101, solmet_sim::Fault::None, link);   // plugged in again
    const auto back = Steady::now();
    const int before = doc.DayData().RadCount();
    PumpUntil(doc, host, std::chrono::seconds(90), [&] { return stored(before); });
    state.SetIterationTime(Seconds(Steady::now() - back));
  }
  state.counters["reconnects"] = static_cast<double>(doc.Reconnects());
  doc.StopMeasurement();
}
BENCHMARK(BM_ReturnToFirstStoredPoint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
