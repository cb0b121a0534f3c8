#include "simulation/simulated_station.h"

#include <sys/stat.h>

#include "sensor/serial.h"
#include "solmet_sim.h"
#include "spectrum/model_table.h"

namespace spectrel {

SimulatedStation::SimulatedStation() = default;
SimulatedStation::~SimulatedStation() { Stop(); }

bool SimulatedStation::Start(AppSettings& settings, bool paced, std::string& error) {
  RealComPort = settings.ComPort;
  RealUseSensor = settings.UseSensor;
  SimComPort = settings.ComPort;
  SimUseSensor = settings.UseSensor;
  bool anyInUse = false;
  for (int use : SimUseSensor) anyInUse = anyInUse || use == 1;
  if (!anyInUse) {
    // A fresh station: one short- and one long-wavelength sensor, so the merge is exercised too.
    SimUseSensor[SR101] = 1;
    SimUseSensor[SR103] = 1;
  }
  for (int model = 0; model < ModelCount; ++model) {
    if (SimUseSensor[static_cast<size_t>(model)] != 1) continue;
    solmet_sim::SensorConfig config;
    config.Model = model;
    config.Paced = paced;
    config.Seed = static_cast<std::uint32_t>(model + 1);
    auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(config);
    if (!sensor->Start()) {
      error = "the simulated " + std::string(Models[model].Name) + " could not be started";
      Stop();
      return false;
    }
    SimComPort[static_cast<size_t>(model)] = sensor->DevicePath();
    List.push_back({model, sensor->DevicePath()});
    Sensors_.push_back(std::move(sensor));
  }
  ApplySimulatedPorts(settings);
  return true;
}

bool SimulatedStation::RealSensorsConfigured(const AppSettings& settings) {
  for (int model = 0; model < ModelCount; ++model) {
    if (settings.UseSensor[static_cast<size_t>(model)] != 1) continue;
    const std::string device = CSerial::DeviceName(settings.ComPort[static_cast<size_t>(model)]);
    struct stat info {};
    if (!device.empty() && ::stat(device.c_str(), &info) == 0) return true;
  }
  return false;
}

void SimulatedStation::Stop() {
  // Last started first; each sensor joins its own worker.
  while (!Sensors_.empty()) {
    Sensors_.back()->Stop();
    Sensors_.pop_back();
  }
  List.clear();
}

void SimulatedStation::RestoreRealPorts(AppSettings& settings) const {
  if (!Running()) return;
  settings.ComPort = RealComPort;
  settings.UseSensor = RealUseSensor;
}

void SimulatedStation::ApplySimulatedPorts(AppSettings& settings) const {
  if (!Running()) return;
  settings.ComPort = SimComPort;
  settings.UseSensor = SimUseSensor;
}

}  // namespace spectrel
