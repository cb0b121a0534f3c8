#include "cli/simulation.h"

#include "spectrum/model_table.h"

namespace spectrel::cli {

Simulation::~Simulation() { Stop(); }

bool Simulation::Start(AppSettings& settings, bool paced, std::string& error) {
  bool anyInUse = false;
  for (int model = 0; model < ModelCount; ++model) anyInUse = anyInUse || settings.UseSensor[model] == 1;
  if (!anyInUse) {
    // A fresh station: one short- and one long-wavelength sensor, so the merge is exercised too.
    settings.UseSensor[SR101] = 1;
    settings.UseSensor[SR103] = 1;
  }
  for (int model = 0; model < ModelCount; ++model) {
    if (settings.UseSensor[model] != 1) continue;
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
    settings.ComPort[model] = sensor->DevicePath();
    List.push_back({model, sensor->DevicePath()});
    Running.push_back(std::move(sensor));
  }
  return true;
}

void Simulation::Stop() {
  // Last started first; each sensor joins its own worker.
  while (!Running.empty()) {
    Running.back()->Stop();
    Running.pop_back();
  }
  List.clear();
}

}  // namespace spectrel::cli
