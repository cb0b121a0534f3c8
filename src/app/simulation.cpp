#include "app/simulation.h"

#include "solmet_sim.h"

namespace spectrel {

Simulation::Simulation() = default;
Simulation::~Simulation() = default;

bool Simulation::Start(AppSettings& settings, bool paced) {
  RealComPort = settings.ComPort;
  RealUseSensor = settings.UseSensor;
  SimComPort = settings.ComPort;
  SimUseSensor = settings.UseSensor;
  bool any = false;
  for (int use : SimUseSensor) any = any || use == 1;
  if (!any) {
    SimUseSensor = {1, 0, 1, 0};   // a short- and a long-wavelength sensor, merged
  }
  for (int model = 0; model < 4; ++model) {
    if (SimUseSensor[static_cast<size_t>(model)] != 1) continue;
    solmet_sim::SensorConfig config;
    config.Model = model;
    config.Paced = paced;
    config.Seed = static_cast<std::uint32_t>(model + 1);
    auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(config);
    if (!sensor->Start()) return false;
    SimComPort[static_cast<size_t>(model)] = sensor->DevicePath();
    Sensors.push_back(std::move(sensor));
  }
  ApplySimulatedPorts(settings);
  return true;
}

void Simulation::RestoreRealPorts(AppSettings& settings) const {
  if (!Running()) return;
  settings.ComPort = RealComPort;
  settings.UseSensor = RealUseSensor;
}

void Simulation::ApplySimulatedPorts(AppSettings& settings) const {
  if (!Running()) return;
  settings.ComPort = SimComPort;
  settings.UseSensor = SimUseSensor;
}

}  // namespace spectrel
