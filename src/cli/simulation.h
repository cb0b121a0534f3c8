// Simulated sensors for --simulate: one per model in use, each on its own pseudo-terminal, with
// the in-memory settings pointed at them. The profile on disk is never touched.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "solmet_sim.h"

namespace spectrel::cli {

class Simulation {
 public:
  Simulation() = default;
  ~Simulation();  // stops every sensor
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  // Starts a simulated sensor for every model in use, or SR-101 and SR-103 (marked in use) when
  // none is, and sets each one's ComPort to its device. paced: line pacing and real exposure
  // times, as a real sensor. false with a message in error when a sensor cannot be started.
  bool Start(AppSettings& settings, bool paced, std::string& error);
  void Stop();

  struct Started {
    int Model;            // ModelIndex
    std::string Device;   // pseudo-terminal the program talks to
  };
  const std::vector<Started>& Sensors() const { return List; }

 private:
  std::vector<std::unique_ptr<solmet_sim::SimulatedSensor>> Running;   // in model order
  std::vector<Started> List;                                            // same order
};

}  // namespace spectrel::cli
