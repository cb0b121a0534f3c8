// Starts an unpaced simulated sensor and a termios client on its device.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "solmet_sim.h"
#include "test_port.h"

namespace solmet_sim_test {

constexpr int kNoon = 12 * 3600;
constexpr int kPixels[4] = {1024, 2048, 512, 256};
constexpr const char* kNames[4] = {"SR-101", "SR-102", "SR-103", "SR-104"};

inline solmet_sim::SensorConfig Unpaced(int model) {
  solmet_sim::SensorConfig c;
  c.Model = model;
  c.Paced = false;
  c.TimeOfDay = kNoon;
  c.Seed = 7;
  return c;
}

struct Rig {
  explicit Rig(solmet_sim::SensorConfig config) : Sensor(std::move(config)) {
    Started = Sensor.Start();
    if (Started) Port = std::make_unique<TestPort>(Sensor.DevicePath());
  }
  solmet_sim::SimulatedSensor Sensor;
  bool Started = false;
  std::unique_ptr<TestPort> Port;
};

// Splits a reply line at commas after dropping its CR.
inline std::vector<std::string> Tokens(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> out;
  std::string::size_type start = 0;
  for (;;) {
    const auto comma = line.find(',', start);
    out.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

}  // namespace solmet_sim_test
