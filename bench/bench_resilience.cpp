// The figures of an unattended station's recovery, against simulated sensors on pseudo-terminals:
// how long a stop takes while a sensor waits out a 10 s read deadline or is being probed (target
// at most 1 s), and how long a sensor that came back takes to its first stored measurement, its
// device gone meanwhile or present and silent (target at most one interval + 5 s).
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

// Waits at most limit for ready(), running the document's rhythm and news meanwhile.
template <typename Ready>
bool PumpUntil(testing::RecordingHost& host, Steady::duration limit, Ready ready) {
  host.LiveTimers = true;
  return host.PumpUntil(ready, std::chrono::duration_cast<std::chrono::milliseconds>(limit));
}

void BM_StopWhileReadingSpectrum(benchmark::State& state) {
  testing::TempDir dir;
  const auto sensor = StartSensor(SR103, solmet_sim::Fault::RbShort);  // every "RB" read times out
  AppSettings settings;
  settings.KrfFolder = dir.Path + "/";
  settings.CsvFolder = dir.Path + "/";
  settings.UseSensor = {false, false, true, false};
  settings.ComPort[SR103] = sensor ? sensor->DevicePath() : "";
  testing::RecordingHost host;
  CSpectrelDoc doc(settings, host);
  for (auto _ : state) {
    doc.OnStartManual();
    // The manual start settles by its own 50 ms looks, until the run is under way.
    PumpUntil(host, std::chrono::seconds(10), [&] { return doc.State() != MeasureState::ManualSettling; });
    const auto giveUp = Steady::now() + std::chrono::seconds(10);
    while (doc.Link(SR103).Activity() != DriverActivity::ReadingSpectrum && Steady::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = Steady::now();
    doc.StopMeasurement();
    state.SetIterationTime(Seconds(Steady::now() - start));
  }
}
BENCHMARK(BM_StopWhileReadingSpectrum)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Interval measurement of SR-101 behind a fixed link, every 2 s all day.
struct ReturnRig {
  explicit ReturnRig(const std::string& folder) : Link(folder + "/SR101") {
    Sensor = StartSensor(SR101, solmet_sim::Fault::None, Link);
    Settings.KrfFolder = folder + "/";
    Settings.CsvFolder = folder + "/";
    Settings.UseSensor = {true, false, false, false};
    Settings.ComPort[SR101] = Link;
    Settings.StartTime = 0;
    Settings.EndTime = 86399;
    Settings.Interval = 2;
    Doc = std::make_unique<CSpectrelDoc>(Settings, Host);
    Doc->OnStartInterval();
  }
  // A point with this sensor stored after the cycle of time `after`.
  bool Stored(std::int64_t after) const {
    const CycleSummary& cycle = Doc->LastCycle();
    return !cycle.DayFile.empty() && cycle.Time > after && cycle.Sensors.find("SR-101") != std::string::npos;
  }
  // Seconds from now to the sensor's next stored point.
  double SecondsToStored() {
    const auto back = Steady::now();
    const std::int64_t before = Doc->LastCycle().Time;
    Pump(std::chrono::seconds(90), [&] { return Stored(before); });
    return Seconds(Steady::now() - back);
  }
  template <typename Ready>
  bool Pump(Steady::duration limit, Ready ready) { return PumpUntil(Host, limit, ready); }
  bool Probing() {
    return Doc->Link(SR101).Reconnecting() && Doc->Link(SR101).Activity() == DriverActivity::Waking;
  }

  std::string Link;
  std::unique_ptr<solmet_sim::SimulatedSensor> Sensor;
  AppSettings Settings;
  testing::RecordingHost Host;
  std::unique_ptr<CSpectrelDoc> Doc;
};

// The sensor's device goes away (its simulator stopped, as an unplugged adapter) and comes back.
void BM_ReturnToFirstStoredPointPortGone(benchmark::State& state) {
  testing::TempDir dir;
  ReturnRig rig(dir.Path);
  for (auto _ : state) {
    rig.Pump(std::chrono::seconds(20), [&] { return rig.Stored(0); });
    rig.Sensor.reset();   // unplugged
    rig.Pump(std::chrono::seconds(20), [&] { return rig.Doc->Link(SR101).Reconnecting(); });
    rig.Sensor = StartSensor(SR101, solmet_sim::Fault::None, rig.Link);   // plugged in again
    state.SetIterationTime(rig.SecondsToStored());
  }
  state.counters["reconnects"] = static_cast<double>(rig.Doc->Reconnects());
  rig.Doc->StopMeasurement();
}
BENCHMARK(BM_ReturnToFirstStoredPointPortGone)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

// The port stays; the sensor falls silent (switched off), is given up after three failed cycles,
// stays silent another 20 s (long enough for a doubling back-off to reach 16 s) and answers again.
// The document keeps whole seconds and the probe its own 2 s rhythm from the moment it is seen,
// so a fixed silence would always switch the sensor on at one phase of both (after exactly 20 s:
// just as a wake-up goes out unheard, the worst). The iterations switch it on 0.25, 0.75, 1.25
// and 1.75 s into the 2 s, and the figure is the mean of the four.
// After the iterations: a stop while the silent sensor is being probed.
void BM_ReturnToFirstStoredPointSensorSilent(benchmark::State& state) {
  testing::TempDir dir;
  ReturnRig rig(dir.Path);
  int phase = 0;
  for (auto _ : state) {
    rig.Pump(std::chrono::seconds(20), [&] { return rig.Stored(0); });
    rig.Sensor->SetFault(solmet_sim::Fault::NoAnswer);
    rig.Pump(std::chrono::seconds(60), [&] { return rig.Probing(); });
    rig.Pump(std::chrono::milliseconds(20250 + 500 * (phase++ % 4)), [] { return false; });
    rig.Sensor->SetFault(solmet_sim::Fault::None);   // switched on again
    state.SetIterationTime(rig.SecondsToStored());
  }
  state.counters["reconnects"] = static_cast<double>(rig.Doc->Reconnects());
  rig.Sensor->SetFault(solmet_sim::Fault::NoAnswer);
  rig.Pump(std::chrono::seconds(60), [&] { return rig.Probing(); });
  const auto start = Steady::now();
  rig.Doc->StopMeasurement();
  state.counters["stop_ms_while_probing"] = 1000 * Seconds(Steady::now() - start);
}
BENCHMARK(BM_ReturnToFirstStoredPointSensorSilent)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
