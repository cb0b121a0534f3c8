// The drivers over real pseudo-terminals against the simulated sensors: identification results,
// the automatic exposure and what each model does differently.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sensor/sensor_driver.h"
#include "solmet_sim.h"

namespace spectrel {
namespace {

using solmet_sim::Fault;
using solmet_sim::SensorConfig;
using solmet_sim::SimulatedSensor;

constexpr int Noon = 12 * 3600;

// A clock that moves on one second each time it is read, from a known start.
class CountingClock : public Clock {
 public:
  explicit CountingClock(std::int64_t start) : Next(start) {}
  std::int64_t Now() const override { return Next++; }

 private:
  mutable std::atomic<std::int64_t> Next;
};

SensorConfig Config(int model, Fault fault = Fault::None) {
  SensorConfig c;
  c.Model = model;
  c.FaultKind = fault;
  c.Paced = false;
  c.TimeOfDay = Noon;
  return c;
}

// A running simulated sensor with a driver of the same model connected to it.
struct Bench {
  Bench(int model, SensorConfig config, const Clock& clock)
      : Sensor(std::move(config)), Driver(model, clock) {}
  SimulatedSensor Sensor;
  CSensorDriver Driver;
};

std::unique_ptr<Bench> Connect(SensorConfig config, const Clock& clock = RealClock()) {
  const int model = config.Model;
  auto bench = std::make_unique<Bench>(model, std::move(config), clock);
  EXPECT_TRUE(bench->Sensor.Start());
  EXPECT_EQ(bench->Driver.OpenPort(bench->Sensor.DevicePath(), 38400), 1);
  return bench;
}

// The exposures of the "GM" commands sent, in order.
std::vector<int> Exposures(const std::vector<std::string>& commands) {
  std::vector<int> out;
  for (const auto& c : commands)
    if (c.rfind("GM,", 0) == 0) out.push_back(std::atoi(c.c_str() + 3));
  return out;
}

bool Sent(const std::vector<std::string>& commands, const std::string& command) {
  return std::find(commands.begin(), commands.end(), command) != commands.end();
}

// ---- identification ----

TEST(SimIdentification, EveryModelReadyWithAxisAndCalibrationFromTheSensor) {
  for (int model = SR101; model <= SR104; ++model) {
    auto b = Connect(Config(model));
    CSensorDriver& d = b->Driver;
    ASSERT_EQ(d.ReadSensorInfo(), 1) << model;
    EXPECT_EQ(d.InfoStatus, InfoReady);
    EXPECT_EQ(d.Info.SensorType, Models[model].Name);
    EXPECT_EQ(d.Info.SensorId, b->Sensor.SensorId());
    EXPECT_EQ(d.Info.SerialNo, b->Sensor.SerialNo());
    EXPECT_EQ(d.Info.FirmwareVersion, "1.80");
    const std::vector<std::string> coef = b->Sensor.Coefficients();
    ASSERT_EQ(coef.size(), 6u);
    double sum = 0;
    for (int c = 0; c < 6; ++c) {
      EXPECT_EQ(d.Info.Coef[c], coef[static_cast<size_t>(c)]);
      sum += std::strtod(coef[static_cast<size_t>(c)].c_str(), nullptr);
    }
    EXPECT_EQ(d.Info.Wavelength[0], static_cast<float>(sum));  // pixel 1: C0 + C1 + ... + C5
    EXPECT_LT(d.Info.Wavelength[0], d.Info.Wavelength[Models[model].Pixels - 1]);
    EXPECT_EQ(d.Info.Calib, b->Sensor.Calibration());
    if (Models[model].HasPixelMap) {
      const auto map = b->Sensor.PixelMap();
      ASSERT_EQ(map.size(), 256u);
      EXPECT_TRUE(std::equal(map.begin(), map.end(), d.PixelMap.begin()));
      EXPECT_TRUE(Sent(b->Sensor.Commands(), "PXSB"));
    } else {
      EXPECT_FALSE(Sent(b->Sensor.Commands(), "PXSB"));
    }
  }
}

TEST(SimIdentification, SilentSensorIsNoAnswer) {
  auto b = Connect(Config(SR101, Fault::NoAnswer));
  EXPECT_EQ(b->Driver.ReadSensorInfo(), 0);
  EXPECT_EQ(b->Driver.InfoStatus, InfoNoAnswer);
}

TEST(SimIdentification, OtherModelRefusedAfterEveryQueryWithItsInformationKept) {
  auto b = Connect(Config(SR102, Fault::WrongModelName));
  CSensorDriver& d = b->Driver;
  EXPECT_EQ(d.ReadSensorInfo(), 0);
  EXPECT_EQ(d.InfoStatus, InfoWrongName);
  EXPECT_EQ(d.Info.SensorType, "SR-103");
  EXPECT_EQ(d.Info.SerialNo, b->Sensor.SerialNo());
  EXPECT_EQ(d.Info.FirmwareTime.size(), 19u);
  EXPECT_EQ(d.Info.Coef[5], b->Sensor.Coefficients()[5]);
  const auto sent = b->Sensor.Commands();
  EXPECT_TRUE(Sent(sent, "C5"));
  EXPECT_FALSE(Sent(sent, "CALB"));
}

TEST(SimIdentification, NoisyLineIsNeverTakenAsReady) {
  // Stray bytes ahead of every reply end up in the model name.
  auto b = Connect(Config(SR101, Fault::Garbage));
  EXPECT_EQ(b->Driver.ReadSensorInfo(), 0);
  EXPECT_EQ(b->Driver.InfoStatus, InfoWrongName);
}

TEST(SimIdentification, ShortCalibrationBlockAfterItsDeadline) {
  auto b = Connect(Config(SR103, Fault::CalibShort));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(b->Driver.ReadSensorInfo(), 0);
  EXPECT_EQ(b->Driver.InfoStatus, InfoCalibFailed);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4900));
  // Bytes of an incomplete block are never stored.
  EXPECT_TRUE(std::all_of(b->Driver.Info.Calib.begin(), b->Driver.Info.Calib.end(),
                          [](float f) { return f == 0.0f; }));
}

TEST(SimIdentification, ShortPixelMapIsACalibrationFailure) {
  auto b = Connect(Config(SR104, Fault::PixelMapShort));
  EXPECT_EQ(b->Driver.ReadSensorInfo(), 0);
  EXPECT_EQ(b->Driver.InfoStatus, InfoCalibFailed);
  EXPECT_TRUE(Sent(b->Sensor.Commands(), "PXSB"));
}

// ---- automatic exposure ----

struct Steered {
  int Model;
  int StartIndex;
  std::function<int(int)> Peak;
};

std::unique_ptr<Bench> MeasureSteered(const Steered& s, const Clock& clock = RealClock()) {
  SensorConfig c = Config(s.Model);
  c.PeakCounts = s.Peak;
  auto b = Connect(std::move(c), clock);
  b->Driver.ExposureIndex = s.StartIndex;
  EXPECT_EQ(b->Driver.Measure(), 1);
  EXPECT_EQ(b->Driver.MeasureOk, 1);
  return b;
}

TEST(SimExposure, BrightAtTheShortestExposureIsAcceptedWithSaturatedPixelsZeroed) {
  auto b = MeasureSteered({SR101, 0, [](int) { return 26000; }});
  const SensorMeasurement& m = b->Driver.Measurement;
  EXPECT_EQ(m.ExposureMs, 10);
  EXPECT_EQ(Exposures(b->Sensor.Commands()), (std::vector<int>{10, 10}));
  const auto light = b->Sensor.LastCounts(true);
  const auto dark = b->Sensor.LastCounts(false);
  ASSERT_EQ(light.size(), 1024u);
  int zeroed = 0;
  for (size_t k = 0; k < light.size(); ++k) {
    if (light[k] > 25000) {
      ++zeroed;
      EXPECT_EQ(m.Light[k], 0.0f) << k;
      EXPECT_EQ(m.Dark[k], 0.0f) << k;
    } else {
      EXPECT_EQ(m.Light[k], static_cast<float>(light[k] / 0.01)) << k;
      EXPECT_EQ(m.Dark[k], static_cast<float>(dark[k] / 0.01)) << k;
    }
  }
  EXPECT_GE(zeroed, 1);
}

TEST(SimExposure, DimStepsUpToTheLongestAndIsAcceptedThere) {
  auto b = MeasureSteered({SR101, 0, [](int) { return 9000; }});
  EXPECT_EQ(b->Driver.Measurement.ExposureMs, 5000);
  EXPECT_EQ(b->Driver.ExposureIndex, 8);
  EXPECT_EQ(Exposures(b->Sensor.Commands()),
            (std::vector<int>{10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 5000}));
  // The shutter closes once, after the last light spectrum.
  const auto sent = b->Sensor.Commands();
  const auto cl = std::find(sent.begin(), sent.end(), "CL");
  ASSERT_NE(cl, sent.end());
  EXPECT_EQ(Exposures({sent.begin(), cl}).size(), 9u);
}

TEST(SimExposure, LimitsThemselvesStepAwayAndTheNextMeasureStartsWhereTheLastSettled) {
  // Exactly 10000 at 100 ms steps up; 15000 at 200 ms is accepted.
  auto b = MeasureSteered({SR101, 3, [](int e) { return e == 100 ? 10000 : 15000; }});
  EXPECT_EQ(Exposures(b->Sensor.Commands()), (std::vector<int>{100, 200, 200}));
  EXPECT_EQ(b->Driver.ExposureIndex, 4);
  b->Sensor.ClearCommands();
  ASSERT_EQ(b->Driver.Measure(), 1);
  EXPECT_EQ(Exposures(b->Sensor.Commands()), (std::vector<int>{200, 200}));

  // Exactly 25000 at 100 ms steps down; 12500 at 50 ms is accepted.
  auto down = MeasureSteered({SR101, 3, [](int e) { return e == 100 ? 25000 : 12500; }});
  EXPECT_EQ(Exposures(down->Sensor.Commands()), (std::vector<int>{100, 50, 50}));
  EXPECT_EQ(down->Driver.Measurement.ExposureMs, 50);

  // Exactly 25000 at 10 ms has nowhere shorter to go.
  auto shortest = MeasureSteered({SR101, 0, [](int) { return 25000; }});
  EXPECT_EQ(Exposures(shortest->Sensor.Commands()), (std::vector<int>{10, 10}));
}

TEST(SimExposure, FifteenPassesWithoutAcceptanceKeepTheLastLightExposure) {
  // 20 ms is just too dim and 50 ms just too bright: the exposure swings between them.
  const CountingClock clock(1'700'000'000);
  auto b = MeasureSteered({SR101, 0,
                           [](int e) { return e == 10 ? 5000 : e == 20 ? 10000 : 25000; }},
                          clock);
  const std::vector<int> gm = Exposures(b->Sensor.Commands());
  ASSERT_EQ(gm.size(), 16u);  // 15 light spectra and the dark one
  EXPECT_EQ(gm[0], 10);
  EXPECT_EQ(gm[13], 20);
  EXPECT_EQ(gm[14], 50);  // the fifteenth light spectrum
  EXPECT_EQ(gm[15], 50);  // the dark spectrum at the same exposure
  EXPECT_EQ(b->Driver.Measurement.ExposureMs, 50);
  EXPECT_EQ(b->Driver.ExposureIndex, 2);
  // The time noted before the fifteenth light exposure (one clock reading per pass).
  EXPECT_EQ(b->Driver.Measurement.MeasureTime, 1'700'000'014);
}

TEST(SimExposure, EachModelDecidesWithItsOwnLimits) {
  // SR-102 accepts 8000 at once; SR-101 steps the same 8000 up.
  auto sr102 = MeasureSteered({SR102, 3, [](int) { return 8000; }});
  EXPECT_EQ(Exposures(sr102->Sensor.Commands()), (std::vector<int>{100, 100}));
  auto sr101 = MeasureSteered({SR101, 7, [](int) { return 8000; }});
  EXPECT_EQ(Exposures(sr101->Sensor.Commands()), (std::vector<int>{2000, 5000, 5000}));

  // SR-103 zeroes a count of 30001 (at 10 ms it is still accepted) but keeps 26000 at 100 ms.
  auto sr103 = MeasureSteered({SR103, 0, [](int) { return 30001; }});
  const auto light = sr103->Sensor.LastCounts(true);
  const auto top = std::max_element(light.begin(), light.end()) - light.begin();
  ASSERT_EQ(light[static_cast<size_t>(top)], 30001);
  EXPECT_EQ(sr103->Driver.Measurement.Light[static_cast<size_t>(top)], 0.0f);
  EXPECT_EQ(sr103->Driver.Measurement.Dark[static_cast<size_t>(top)], 0.0f);
  auto kept = MeasureSteered({SR103, 3, [](int) { return 26000; }});
  EXPECT_EQ(Exposures(kept->Sensor.Commands()), (std::vector<int>{100, 100}));
  EXPECT_EQ(*std::max_element(kept->Driver.Measurement.Light.begin(),
                              kept->Driver.Measurement.Light.end()),
            260000.0f);
}

TEST(SimExposure, MeasureTimeComesFromTheInjectedClock) {
  const CountingClock clock(1'234'567'890);
  auto b = MeasureSteered({SR101, 3, [](int) { return 20000; }}, clock);
  EXPECT_EQ(b->Driver.Measurement.MeasureTime, 1'234'567'890);
}

// ---- status values ----

TEST(SimStatus, StatusValuesOfBothLayouts) {
  for (int model : {SR101, SR103}) {
    auto b = MeasureSteered({model, 3, [](int) { return 20000; }});
    const auto tokens = b->Sensor.StatusTokens();
    const ModelDescription& desc = Models[model];
    ASSERT_EQ(static_cast<int>(tokens.size()), desc.StatusIntCount + desc.SsFloatCount);
    const SensorMeasurement& m = b->Driver.Measurement;
    for (int i = 0; i < desc.StatusIntCount; ++i)
      EXPECT_EQ(m.StatusInt[i], std::atoi(tokens[static_cast<size_t>(i)].c_str()));
    for (int f = 0; f < desc.SsFloatCount; ++f)
      EXPECT_EQ(m.StatusFloat[f],
                static_cast<float>(std::atof(tokens[static_cast<size_t>(desc.StatusIntCount + f)].c_str())));
    EXPECT_EQ(m.SerialNo, b->Sensor.SerialNo());
  }
}

// ---- the fixed-exposure model ----

TEST(SimFixedExposure, ThirtyMillisecondsDeadPixelsZeroedNoSaturationTest) {
  SensorConfig c = Config(SR104);
  c.PeakCounts = [](int) { return 32000; };
  auto b = Connect(std::move(c));
  CSensorDriver& d = b->Driver;
  ASSERT_EQ(d.ReadSensorInfo(), 1);
  ASSERT_EQ(d.Measure(), 1);
  const SensorMeasurement& m = d.Measurement;
  EXPECT_EQ(m.ExposureMs, 30);
  const auto map = b->Sensor.PixelMap();
  const auto light = b->Sensor.LastCounts(true);
  const auto dark = b->Sensor.LastCounts(false);
  int dead = 0;
  for (size_t k = 0; k < 256; ++k) {
    if (map[k] == 0) {
      ++dead;
      EXPECT_NE(light[k], 0);  // the sensor does send something for a dead pixel
      EXPECT_EQ(m.Light[k], 0.0f) << k;
      EXPECT_EQ(m.Dark[k], 0.0f) << k;
    } else {
      EXPECT_EQ(m.Light[k], static_cast<float>(light[k] / 0.03)) << k;
      EXPECT_EQ(m.Dark[k], static_cast<float>(dark[k] / 0.03)) << k;
    }
  }
  EXPECT_GE(dead, 1);
  EXPECT_EQ(*std::max_element(m.Light.begin(), m.Light.end()), static_cast<float>(32000 / 0.03));
  const std::vector<std::string> sent = b->Sensor.Commands();
  const std::vector<std::string> measure(std::find(sent.begin(), sent.end(), "CALB") + 2, sent.end());
  const std::vector<std::string> expected = {"",    "OP",   "GM,30,0,1", "RB,0", "CL", "GM,30,0,1",
                                             "RB,0", "SER", "SS",        "FV",   "T2"};
  EXPECT_EQ(measure, expected);
  EXPECT_FLOAT_EQ(m.StatusFloat[6], 27.5f);
}

TEST(SimFixedExposure, SecondTemperatureOnlyForFirmwareOnePointEighty) {
  for (const std::string firmware : {"1.81", "2.0", "1.8", "1.80 "}) {
    SensorConfig c = Config(SR104);
    c.Firmware = firmware;
    auto b = Connect(std::move(c));
    b->Driver.Measurement.StatusFloat[6] = 99.0f;
    ASSERT_EQ(b->Driver.Measure(), 1) << firmware;
    EXPECT_TRUE(Sent(b->Sensor.Commands(), "FV"));
    EXPECT_FALSE(Sent(b->Sensor.Commands(), "T2")) << firmware;
    EXPECT_EQ(b->Driver.Measurement.StatusFloat[6], -273.15f) << firmware;
  }
}

// ---- failures ----

TEST(SimFailures, FailedExposureStillClosesTheShutterAndKeepsTheIndex) {
  auto b = Connect(Config(SR101, Fault::GmWithoutOk));
  b->Driver.ExposureIndex = 4;
  EXPECT_EQ(b->Driver.Measure(), 0);
  EXPECT_EQ(b->Driver.MeasureOk, 0);
  EXPECT_EQ(b->Driver.ExposureIndex, 4);
  EXPECT_EQ(b->Sensor.Commands(), (std::vector<std::string>{"", "OP", "GM,200,0,1", "CL"}));
}

TEST(SimFailures, FixedExposureModelLeavesTheShutterAfterAFailedLightSpectrum) {
  auto b = Connect(Config(SR104, Fault::GmWithoutOk));
  EXPECT_EQ(b->Driver.Measure(), 0);
  EXPECT_EQ(b->Sensor.Commands(), (std::vector<std::string>{"", "OP", "GM,30,0,1"}));
}

TEST(SimFailures, TooFewStatusValuesFailTheMeasurement) {
  auto b = Connect(Config(SR103, Fault::SsFewValues));
  EXPECT_EQ(b->Driver.Measure(), 0);
  EXPECT_EQ(b->Driver.MeasureOk, 0);
  EXPECT_EQ(b->Sensor.Commands().back(), "SS");
}

TEST(SimFailures, HangUpInTheMiddleEndsPromptly) {
  auto b = Connect(Config(SR101, Fault::HangUp));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(b->Driver.Measure(), 0);
  EXPECT_EQ(b->Driver.MeasureOk, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  // Once the line is gone, every further attempt fails quickly too.
  EXPECT_EQ(b->Driver.ReadSensorInfo(), 0);
  EXPECT_EQ(b->Driver.InfoStatus, InfoNoAnswer);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace spectrel
