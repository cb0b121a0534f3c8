// An unpaced simulated sensor with a raw client on its line.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "solmet_sim.h"
#include "support/pty_pair.h"

namespace solmet_sim_test {

using spectrel::testing::RawEnd;

constexpr int kPixels[4] = {1024, 2048, 512, 256};
constexpr const char* kNames[4] = {"SR-101", "SR-102", "SR-103", "SR-104"};

inline solmet_sim::SensorConfig Unpaced(int model, solmet_sim::Fault fault = solmet_sim::Fault::None) {
  solmet_sim::SensorConfig c;
  c.Model = model;
  c.FaultKind = fault;
  c.Paced = false;
  c.TimeOfDay = 12 * 3600;
  return c;
}

struct Rig {
  explicit Rig(solmet_sim::SensorConfig config) : Sensor(std::move(config)) {
    EXPECT_TRUE(Sensor.Start());
    Port = RawEnd::OpenDevice(Sensor.DevicePath());
  }
  solmet_sim::SimulatedSensor Sensor;
  RawEnd Port;
};

// The value tokens of a reply line "v1,v2,...,OK\r"; empty when it does not end so.
inline std::vector<std::string> Values(const std::string& line) {
  const std::string end = "OK\r";
  if (line.size() < end.size() || line.compare(line.size() - end.size(), end.size(), end) != 0) return {};
  std::vector<std::string> out;
  for (size_t start = 0, comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
    out.push_back(line.substr(start, comma - start));
  return out;
}

}  // namespace solmet_sim_test
