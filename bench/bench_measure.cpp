// Wall time of one measurement per model against a paced simulated sensor, compared with what the
// line itself allows: the exposures taken plus every command and reply byte at 3840 bytes per
// second (38400 baud, 10 bits a byte). Target: at most 1.05 x that minimum + 100 ms.
#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "sensor/sensor_driver.h"
#include "solmet_sim.h"

namespace {

using namespace spectrel;

constexpr double LineBytesPerSecond = 3840.0;

// A paced simulated sensor with an identified driver on it, kept for all repetitions.
struct Station {
  explicit Station(int model) : Sensor(MakeConfig(model)), Driver(model) {
    Ready = Sensor.Start() && Driver.OpenPort(Sensor.DevicePath(), 38400) &&
            Driver.ReadSensorInfo() && Driver.Measure();  // settles the exposure
  }
  static solmet_sim::SensorConfig MakeConfig(int model) {
    solmet_sim::SensorConfig c;
    c.Model = model;
    c.Paced = true;
    c.TimeOfDay = 12 * 3600;
    return c;
  }
  solmet_sim::SimulatedSensor Sensor;
  CSensorDriver Driver;
  bool Ready = false;
};

Station& StationOf(int model) {
  static std::array<std::unique_ptr<Station>, ModelCount> stations;
  if (!stations[static_cast<size_t>(model)])
    stations[static_cast<size_t>(model)] = std::make_unique<Station>(model);
  return *stations[static_cast<size_t>(model)];
}

// Bytes of the reply line "v1,v2,...,OK\r".
size_t LineBytes(const std::vector<std::string>& values) {
  size_t n = 3;
  for (const auto& v : values) n += v.size() + 1;
  return n;
}

struct LineBudget {
  double ExposureSeconds = 0;   // sum of the exposures asked for
  double CommandBytes = 0;      // commands with their CR
  double ReplyBytes = 0;        // reply lines and blocks with the line after them
};

// What one measurement asked of the line, from the commands the sensor received.
LineBudget Budget(const Station& s, const std::vector<std::string>& commands) {
  const ModelDescription& model = s.Driver.Description();
  LineBudget b;
  for (const auto& c : commands) {
    b.CommandBytes += static_cast<double>(c.size() + 1);
    if (c.rfind("GM,", 0) == 0) {
      b.ExposureSeconds += std::atoi(c.c_str() + 3) / 1000.0;
      b.ReplyBytes += 3;
    } else if (c == "RB,0") {
      b.ReplyBytes += model.CountsBytes() + 3;
    } else if (c == "SER") {
      b.ReplyBytes += static_cast<double>(LineBytes({s.Sensor.SerialNo()}));
    } else if (c == "SS") {
      b.ReplyBytes += static_cast<double>(LineBytes(s.Sensor.StatusTokens()));
    } else if (c == "FV") {
      b.ReplyBytes += static_cast<double>(LineBytes({s.Driver.Info.FirmwareVersion}));
    } else if (c == "T2") {
      b.ReplyBytes += static_cast<double>(LineBytes({s.Driver.Token(0)}));  // the last reply read
    } else {
      b.ReplyBytes += 3;  // wake-up, shutter: "OK\r"
    }
  }
  return b;
}

void BM_Measure(benchmark::State& state) {
  const int model = static_cast<int>(state.range(0));
  Station& s = StationOf(model);
  if (!s.Ready) {
    state.SkipWithError("simulated sensor not ready");
    return;
  }
  double wall = 0, minimum = 0, minimumRepliesOnly = 0;
  int runs = 0;
  for (auto _ : state) {
    s.Sensor.ClearCommands();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = s.Driver.Measure();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    if (!ok) {
      state.SkipWithError("measurement failed");
      return;
    }
    const LineBudget b = Budget(s, s.Sensor.Commands());
    wall += seconds;
    minimum += b.ExposureSeconds + (b.CommandBytes + b.ReplyBytes) / LineBytesPerSecond;
    minimumRepliesOnly += b.ExposureSeconds + b.ReplyBytes / LineBytesPerSecond;
    ++runs;
  }
  wall /= runs;
  minimum /= runs;
  minimumRepliesOnly /= runs;
  state.counters["minimum_ms"] = minimum * 1000.0;
  state.counters["target_ms"] = (1.05 * minimum + 0.100) * 1000.0;
  state.counters["ratio"] = wall / minimum;
  state.counters["ratio_replies_only"] = wall / minimumRepliesOnly;
  state.counters["over_target_ms"] = (wall - (1.05 * minimum + 0.100)) * 1000.0;
  state.counters["exposure_ms"] = s.Driver.Measurement.ExposureMs;
  state.SetLabel(std::string(Models[static_cast<size_t>(model)].Name));
}

BENCHMARK(BM_Measure)
    ->DenseRange(SR101, SR104)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
