// Simulated sensors for a program started with --simulate, each on its own pseudo-terminal. The
// station plugs in where the real ports plug in: it gives the drivers its sensors' devices and
// leaves the user's settings alone, so the dialogs edit and save the real ports and choice. A
// station with no sensor in use measures SR-101 and SR-103.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "measure/port_supply.h"
#include "settings/app_settings.h"

namespace solmet_sim {
class SimulatedSensor;
}

namespace spectrel {

class SimulatedStation : public PortSupply {
 public:
  SimulatedStation();
  ~SimulatedStation() override;  // stops every sensor
  SimulatedStation(const SimulatedStation&) = delete;
  SimulatedStation& operator=(const SimulatedStation&) = delete;

  // Starts the sensors the settings use now. paced: line speed and exposure times of a real
  // sensor; unpaced for tests. false, with a message in error, when one cannot be started.
  bool Start(const AppSettings& settings, bool paced, std::string& error);
  void Stop();

  // ---- PortSupply ----
  // The simulated sensor's device, started on first use (empty when it cannot be).
  std::string PortOf(int model, const std::string& configured) const override;
  ModelSet ModelsInUse(const AppSettings& settings) const override;

  // True when a model in use has a port whose device exists: "--simulate=auto" then measures
  // with the real sensors.
  static bool RealSensorsConfigured(const AppSettings& settings);

  struct Started {
    int Model;            // ModelIndex
    std::string Device;   // pseudo-terminal the program talks to
  };
  // The sensors running, in the order they were started.
  std::vector<Started> Sensors() const;

 private:
  bool StartModel(int model, std::string& error) const;   // with Lock held

  bool Paced = true;
  mutable std::mutex Lock;   // guards the sensors: a reconnecting worker may ask for a port
  mutable std::array<std::unique_ptr<solmet_sim::SimulatedSensor>, ModelCount> Running;   // by ModelIndex
  mutable std::vector<Started> Order;   // the order they were started
};

}  // namespace spectrel
