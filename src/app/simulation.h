// Simulated sensors for a program started with --simulate: one per model in use (SR-101 and
// SR-103 when none is), their pseudo-terminals set as ports in memory only. The real port and
// use settings are kept so that the profile never receives the simulator's devices.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "settings/app_settings.h"

namespace solmet_sim {
class SimulatedSensor;
}

namespace spectrel {

class Simulation {
 public:
  Simulation();
  ~Simulation();
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  // Starts the sensors and points the settings at them. paced: real line speed and exposure
  // times; unpaced for tests. false when a sensor could not be started.
  bool Start(AppSettings& settings, bool paced);
  // Puts the real ports and use flags back (before the settings are saved).
  void RestoreRealPorts(AppSettings& settings) const;
  // Points the settings at the simulator again (after a save while running).
  void ApplySimulatedPorts(AppSettings& settings) const;
  bool Running() const { return !Sensors.empty(); }

 private:
  std::vector<std::unique_ptr<solmet_sim::SimulatedSensor>> Sensors;
  std::array<std::string, 4> RealComPort;     // the profile's ports
  std::array<int, 4> RealUseSensor{};         // the profile's use flags
  std::array<std::string, 4> SimComPort;      // the simulator's devices
  std::array<int, 4> SimUseSensor{};          // the models simulated
};

}  // namespace spectrel
