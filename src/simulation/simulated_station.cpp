#include "simulation/simulated_station.h"

#include <sys/stat.h>

#include "measure/settings_options.h"
#include "sensor/serial.h"
#include "solmet_sim.h"
#include "spectrum/model_table.h"

namespace spectrel {

SimulatedStation::SimulatedStation() = default;
SimulatedStation::~SimulatedStation() { Stop(); }

bool SimulatedStation::Start(const AppSettings& settings, bool paced, std::string& error) {
  std::lock_guard<std::mutex> hold(Lock);
  Paced = paced;
  const ModelSet used = ModelsInUse(settings);
  for (int model = 0; model < ModelCount; ++model) {
    if (used[static_cast<size_t>(model)] && !StartModel(model, error)) return false;
  }
  return true;
}

bool SimulatedStation::StartModel(int model, std::string& error) const {
  if (Running[static_cast<size_t>(model)]) return true;
  solmet_sim::SensorConfig config;
  config.Model = model;
  config.Paced = Paced;
  config.Seed = static_cast<std::uint32_t>(model + 1);
  auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(config);
  if (!sensor->Start()) {
    error = "the simulated " + std::string(Models[static_cast<size_t>(model)].Name) + " could not be started";
    return false;
  }
  Order.push_back({model, sensor->DevicePath()});
  Running[static_cast<size_t>(model)] = std::move(sensor);
  return true;
}

std::string SimulatedStation::PortOf(int model, const std::string&) const {
  std::lock_guard<std::mutex> hold(Lock);
  std::string error;
  if (!ValidModel(model) || !StartModel(model, error)) return {};
  return Running[static_cast<size_t>(model)]->DevicePath();
}

ModelSet SimulatedStation::ModelsInUse(const AppSettings& settings) const {
  ModelSet used = UsedModels(settings);
  for (bool inUse : used)
    if (inUse) return used;
  // A fresh station: one short- and one long-wavelength sensor, so the merge is exercised too.
  used[SR101] = used[SR103] = true;
  return used;
}

std::vector<SimulatedStation::Started> SimulatedStation::Sensors() const {
  std::lock_guard<std::mutex> hold(Lock);
  return Order;
}

bool SimulatedStation::RealSensorsConfigured(const AppSettings& settings) {
  const ModelSet used = UsedModels(settings);
  for (int model = 0; model < ModelCount; ++model) {
    if (!used[static_cast<size_t>(model)]) continue;
    const std::string device = CSerial::DeviceName(settings.ComPort[static_cast<size_t>(model)]);
    struct stat info {};
    if (!device.empty() && ::stat(device.c_str(), &info) == 0) return true;
  }
  return false;
}

void SimulatedStation::Stop() {
  std::lock_guard<std::mutex> hold(Lock);
  // Last started first; each sensor joins its own worker.
  for (auto it = Order.rbegin(); it != Order.rend(); ++it) {
    Running[static_cast<size_t>(it->Model)]->Stop();
    Running[static_cast<size_t>(it->Model)].reset();
  }
  Order.clear();
}

}  // namespace spectrel
