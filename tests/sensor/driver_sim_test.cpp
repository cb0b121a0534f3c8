// The drivers end to end over real pseudo-terminals against the simulated sensors: every model
// identified and measured, and a line that hangs up in the middle of a measurement.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sensor/sensor_driver.h"
#include "solmet_sim.h"

namespace spectrel {
namespace {

using solmet_sim::Fault;

// A running unpaced simulated sensor with a driver of the same model connected to it.
struct Bench {
  explicit Bench(int model, Fault fault = Fault::None) : Sensor(Config(model, fault)), Driver(model) {
    EXPECT_TRUE(Sensor.Start());
    EXPECT_EQ(Driver.OpenPort(Sensor.DevicePath(), 38400), 1);
  }
  static solmet_sim::SensorConfig Config(int model, Fault fault) {
    solmet_sim::SensorConfig c;
    c.Model = model;
    c.FaultKind = fault;
    c.Paced = false;
    c.TimeOfDay = 12 * 3600;
    return c;
  }
  solmet_sim::SimulatedSensor Sensor;
  CSensorDriver Driver;
};

TEST(SimEndToEnd, EveryModelIsIdentifiedAndMeasured) {
  for (int model = SR101; model <= SR104; ++model) {
    SCOPED_TRACE(Models[model].Name);
    Bench b(model);
    CSensorDriver& d = b.Driver;
    ASSERT_EQ(d.ReadSensorInfo(), 1);
    EXPECT_EQ(d.Info.SensorType, Models[model].Name);
    EXPECT_EQ(d.Info.SerialNo, b.Sensor.SerialNo());
    EXPECT_EQ(std::vector<std::string>(d.Info.Coef.begin(), d.Info.Coef.end()), b.Sensor.Coefficients());
    EXPECT_EQ(d.Info.Calib, b.Sensor.Calibration());
    const auto map = b.Sensor.PixelMap();
    if (model == SR104) {
      EXPECT_TRUE(std::equal(map.begin(), map.end(), d.PixelMap.begin()));
    }

    ASSERT_EQ(d.Measure(), 1);
    const SensorMeasurement& m = d.Measurement;
    const auto light = b.Sensor.LastCounts(true);
    const auto dark = b.Sensor.LastCounts(false);
    const double seconds = m.ExposureMs / 1000.0;
    for (size_t k = 0; k < light.size(); ++k) {
      const bool zero = map[k] == 0 || (Models[model].SaturationLimit && light[k] > Models[model].SaturationLimit);
      ASSERT_EQ(m.Light[k], zero ? 0.0f : static_cast<float>(light[k] / seconds)) << k;
      ASSERT_EQ(m.Dark[k], zero ? 0.0f : static_cast<float>(dark[k] / seconds)) << k;
    }
    const auto tokens = b.Sensor.StatusTokens();
    EXPECT_EQ(m.StatusInt[0], std::stoi(tokens[0]));
    EXPECT_EQ(m.StatusFloat[3], std::stof(tokens[static_cast<size_t>(Models[model].StatusIntCount + 3)]));
  }
}

TEST(SimEndToEnd, HangUpInTheMiddleEndsTheMeasurementAndLaterAttemptsAndTheLineIsLost) {
  Bench b(SR101, Fault::HangUp);
  EXPECT_EQ(b.Driver.Measure(), 0);
  EXPECT_EQ(b.Sensor.Commands().back(), "RB,0");
  EXPECT_TRUE(b.Driver.PortLost());
  EXPECT_EQ(b.Driver.WaitForInput(5000), InputWait::Gone);  // long before the 5 s
  EXPECT_EQ(b.Driver.ReadSensorInfo(), 0);
  EXPECT_EQ(b.Driver.InfoStatus, InfoNoAnswer);
}

}  // namespace
}  // namespace spectrel
