// Simulated sensors for a program started with --simulate: one per model in use (SR-101 and
// SR-103 when none is), each on its own pseudo-terminal, with the in-memory settings pointed at
// them. The real port and use settings are kept, so the profile never receives the simulator's
// devices.
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

class SimulatedStation {
 public:
  SimulatedStation();
  ~SimulatedStation();  // stops every sensor
  SimulatedStation(const SimulatedStation&) = delete;
  SimulatedStation& operator=(const SimulatedStation&) = delete;

  // Starts the sensors and points the settings at them. paced: line speed and exposure times of
  // a real sensor; unpaced for tests. false, with a message in error, when one cannot be started.
  bool Start(AppSettings& settings, bool paced, std::string& error);
  void Stop();
  // Puts the real ports and use flags back (before the settings are saved).
  void RestoreRealPorts(AppSettings& settings) const;
  // Points the settings at the simulator again (after a save while running).
  void ApplySimulatedPorts(AppSettings& settings) const;
  bool Running() const { return !Sensors_.empty(); }

  // True when a model in use has a port whose device exists: "--simulate=auto" then measures
  // with the real sensors.
  static bool RealSensorsConfigured(const AppSettings& settings);

  struct Started {
    int Model;            // ModelIndex
    std::string Device;   // pseudo-terminal the program talks to
  };
  const std::vector<Started>& Sensors() const { return List; }

 private:
  std::vector<std::unique_ptr<solmet_sim::SimulatedSensor>> Sensors_;   // in model order
  std::vector<Started> List;                                             // same order
  std::array<std::string, 4> RealComPort;     // the profile's ports
  std::array<int, 4> RealUseSensor{};         // the profile's use flags
  std::array<std::string, 4> SimComPort;      // the simulator's devices
  std::array<int, 4> SimUseSensor{};          // the models simulated
};

}  // namespace spectrel
