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
using Commands = std::vector<std::string>;
using PeakHook = std::function<int(int)>;

// A clock that moves on one second each time it is read, from a known start.
class CountingClock : public Clock {
 public:
  explicit CountingClock(std::int64_t start) : Next(start) {}
  std::int64_t Now() const override { return Next++; }

 private:
  mutable std::atomic<std::int64_t> Next;
};

// A running unpaced simulated sensor with a driver of the same model connected to it.
struct Bench {
  Bench(int model, Fault fault, PeakHook peak, std::string firmware, const Clock& clock)
      : Sensor(Config(model, fault, std::move(peak), std::move(firmware))), Driver(model, clock) {
    EXPECT_TRUE(Sensor.Start());
    EXPECT_EQ(Driver.OpenPort(Sensor.DevicePath(), 38400), 1);
  }
  static SensorConfig Config(int model, Fault fault, PeakHook peak, std::string firmware) {
    SensorConfig c;
    c.Model = model;
    c.FaultKind = fault;
    c.Paced = false;
    c.TimeOfDay = 12 * 3600;
    c.PeakCounts = std::move(peak);
    c.Firmware = std::move(firmware);
    return c;
  }
  solmet_sim::SimulatedSensor Sensor;
  CSensorDriver Driver;
};

std::unique_ptr<Bench> Connect(int model, Fault fault = Fault::None, PeakHook peak = {},
                               std::string firmware = "1.80", const Clock& clock = RealClock()) {
  return std::make_unique<Bench>(model, fault, std::move(peak), std::move(firmware), clock);
}

// Measures once from the given exposure index with the light peak steered per exposure.
std::unique_ptr<Bench> MeasureSteered(int model, int start, PeakHook peak, const Clock& clock = RealClock()) {
  auto b = Connect(model, Fault::None, std::move(peak), "1.80", clock);
  b->Driver.ExposureIndex = start;
  EXPECT_EQ(b->Driver.Measure(), 1);
  EXPECT_EQ(b->Driver.MeasureOk, 1);
  return b;
}

// The exposures of the "GM" commands sent, in order.
std::vector<int> Exposures(const Commands& commands) {
  std::vector<int> out;
  for (const auto& c : commands)
    if (c.rfind("GM,", 0) == 0) out.push_back(std::atoi(c.c_str() + 3));
  return out;
}

bool Sent(const Commands& commands, const std::string& command) {
  return std::find(commands.begin(), commands.end(), command) != commands.end();
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(SimIdentification, EveryModelReadyWithAxisAndCalibrationFromTheSensor) {
  for (int model = SR101; model <= SR104; ++model) {
    SCOPED_TRACE(Models[model].Name);
    auto b = Connect(model);
    CSensorDriver& d = b->Driver;
    ASSERT_EQ(d.ReadSensorInfo(), 1);
    EXPECT_EQ(d.InfoStatus, InfoReady);
    EXPECT_EQ(d.Info.SensorType, Models[model].Name);
    EXPECT_EQ(d.Info.SerialNo, b->Sensor.SerialNo());
    EXPECT_EQ(d.Info.FirmwareVersion, "1.80");
    EXPECT_EQ(std::vector<std::string>(d.Info.Coef.begin(), d.Info.Coef.end()), b->Sensor.Coefficients());
    EXPECT_LT(d.Info.Wavelength[0], d.Info.Wavelength[Models[model].Pixels - 1]);
    EXPECT_EQ(d.Info.Calib, b->Sensor.Calibration());
    EXPECT_EQ(Sent(b->Sensor.Commands(), "PXSB"), model == SR104);
    if (model == SR104) {
      const auto map = b->Sensor.PixelMap();
      ASSERT_EQ(map.size(), 256u);
      EXPECT_TRUE(std::equal(map.begin(), map.end(), d.PixelMap.begin()));
    }
  }
}

TEST(SimIdentification, EachLineFaultGivesItsInfoStatus) {
  struct Case {
    int Model;
    Fault Kind;
    int Status;
  };
  const Case cases[] = {
      {SR101, Fault::NoAnswer, InfoNoAnswer},
      {SR102, Fault::WrongModelName, InfoWrongName},
      {SR102, Fault::FtWithoutOk, InfoQueryFailed},
      {SR101, Fault::Garbage, InfoWrongName},  // stray bytes ahead of every reply end up in the name
      {SR103, Fault::CalibShort, InfoCalibFailed},
      {SR104, Fault::PixelMapShort, InfoCalibFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Kind));
    auto b = Connect(c.Model, c.Kind);
    const CSensorDriver& d = b->Driver;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(b->Driver.ReadSensorInfo(), 0);
    EXPECT_EQ(d.InfoStatus, c.Status);
    const Commands sent = b->Sensor.Commands();
    if (c.Kind == Fault::NoAnswer) {
      EXPECT_EQ(sent, Commands{""});  // nothing asked after silence
    }
    if (c.Kind == Fault::WrongModelName) {
      // Refused after every information query, with the information kept.
      EXPECT_EQ(d.Info.SensorType, "SR-103");
      EXPECT_EQ(d.Info.SerialNo, b->Sensor.SerialNo());
      EXPECT_EQ(d.Info.FirmwareTime.size(), 19u);
      EXPECT_EQ(d.Info.Coef[5], b->Sensor.Coefficients()[5]);
      EXPECT_TRUE(Sent(sent, "C5"));
      EXPECT_FALSE(Sent(sent, "CALB"));
    }
    if (c.Kind == Fault::CalibShort) {
      EXPECT_GE(SecondsSince(start), 4.9);  // the 5 s block deadline
      // Bytes of an incomplete block are never stored.
      EXPECT_TRUE(std::all_of(d.Info.Calib.begin(), d.Info.Calib.end(), [](float f) { return f == 0.0f; }));
    }
    if (c.Kind == Fault::FtWithoutOk) {
      // The first failing query ends identification: no coefficient is asked for.
      EXPECT_TRUE(Sent(sent, "FT"));
      EXPECT_FALSE(Sent(sent, "C0"));
    }
    if (c.Kind == Fault::PixelMapShort) {
      EXPECT_TRUE(Sent(sent, "PXSB"));
    }
  }
}

TEST(SimExposure, StepsFollowEachModelsLimitsAndTheNextMeasureStartsWhereTheLastSettled) {
  struct Case {
    int Model, Start;  // start index 0 = 10 ms, 3 = 100 ms, 7 = 2000 ms
    PeakHook Peak;
    std::vector<int> Gm;  // light exposures, then the dark one
    float TopLight;       // largest light rate, counts per second
  };
  const Case cases[] = {
      // Dim steps up to the longest and is accepted there: 9000 / 5 s.
      {SR101, 0, [](int) { return 9000; }, {10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 5000}, 1800},
      // Exactly the lower limit steps up, exactly the upper one steps down; not at 10 ms.
      {SR101, 3, [](int e) { return e == 100 ? 10000 : 15000; }, {100, 200, 200}, 75000},
      {SR101, 3, [](int e) { return e == 100 ? 25000 : 12500; }, {100, 50, 50}, 250000},
      {SR101, 0, [](int) { return 25000; }, {10, 10}, 2500000},
      // 8000 is bright enough for SR-102 but too dim for SR-101; 26000 is below SR-103's saturation.
      {SR102, 3, [](int) { return 8000; }, {100, 100}, 80000},
      {SR101, 7, [](int) { return 8000; }, {2000, 5000, 5000}, 1600},
      {SR103, 3, [](int) { return 26000; }, {100, 100}, 260000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(Models[c.Model].Name) + " from index " + std::to_string(c.Start));
    auto b = MeasureSteered(c.Model, c.Start, c.Peak);
    const Commands sent = b->Sensor.Commands();
    EXPECT_EQ(Exposures(sent), c.Gm);
    EXPECT_EQ(b->Driver.Measurement.ExposureMs, c.Gm.back());
    const auto& light = b->Driver.Measurement.Light;
    EXPECT_EQ(*std::max_element(light.begin(), light.end()), c.TopLight);
    // The shutter closes once, after the last light spectrum.
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "CL"), 1);
    EXPECT_EQ(Exposures({sent.begin(), std::find(sent.begin(), sent.end(), "CL")}).size(), c.Gm.size() - 1);
    b->Sensor.ClearCommands();
    ASSERT_EQ(b->Driver.Measure(), 1);
    EXPECT_EQ(Exposures(b->Sensor.Commands()), (std::vector<int>{c.Gm.back(), c.Gm.back()}));
  }
}

TEST(SimExposure, FifteenPassesWithoutAcceptanceKeepTheLastLightExposure) {
  // 20 ms is just too dim and 50 ms just too bright: the exposure swings between them.
  const CountingClock clock(1'700'000'000);
  auto b = MeasureSteered(SR101, 0, [](int e) { return e == 10 ? 5000 : e == 20 ? 10000 : 25000; }, clock);
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

TEST(SimExposure, Sr103ZeroesAPixelAboveItsOwnSaturation) {
  auto b = MeasureSteered(SR103, 0, [](int) { return 30001; });  // accepted: nowhere shorter
  const auto light = b->Sensor.LastCounts(true);
  const auto top = static_cast<size_t>(std::max_element(light.begin(), light.end()) - light.begin());
  ASSERT_EQ(light[top], 30001);
  EXPECT_EQ(b->Driver.Measurement.Light[top], 0.0f);
  EXPECT_EQ(b->Driver.Measurement.Dark[top], 0.0f);
}

TEST(SimStatus, StatusValuesOfBothLayouts) {
  for (int model : {SR101, SR103}) {
    auto b = MeasureSteered(model, 3, [](int) { return 20000; });
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

TEST(SimFixedExposure, ThirtyMillisecondsDeadPixelsZeroedNoSaturationTest) {
  auto b = Connect(SR104, Fault::None, [](int) { return 32000; });
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
  const Commands sent = b->Sensor.Commands();
  EXPECT_EQ(Commands(std::find(sent.begin(), sent.end(), "CALB") + 2, sent.end()),
            (Commands{"", "OP", "GM,30,0,1", "RB,0", "CL", "GM,30,0,1", "RB,0", "SER", "SS", "FV", "T2"}));
  EXPECT_FLOAT_EQ(m.StatusFloat[6], 27.5f);
}

TEST(SimFixedExposure, SecondTemperatureOnlyForFirmwareOnePointEighty) {
  for (const std::string firmware : {"1.81", "2.0", "1.8", "1.80 "}) {
    SCOPED_TRACE(firmware);
    auto b = Connect(SR104, Fault::None, {}, firmware);
    b->Driver.Measurement.StatusFloat[6] = 99.0f;
    ASSERT_EQ(b->Driver.Measure(), 1);
    EXPECT_TRUE(Sent(b->Sensor.Commands(), "FV"));
    EXPECT_FALSE(Sent(b->Sensor.Commands(), "T2"));
    EXPECT_EQ(b->Driver.Measurement.StatusFloat[6], -273.15f);
  }
}

TEST(SimFailures, FailedExposureClosesTheShutterOnlyWhenAutomaticAndKeepsTheIndex) {
  auto b = Connect(SR101, Fault::GmWithoutOk);
  b->Driver.ExposureIndex = 4;
  EXPECT_EQ(b->Driver.Measure(), 0);
  EXPECT_EQ(b->Driver.MeasureOk, 0);
  EXPECT_EQ(b->Driver.ExposureIndex, 4);
  EXPECT_EQ(b->Sensor.Commands(), (Commands{"", "OP", "GM,200,0,1", "CL"}));
  // The fixed-exposure model leaves the shutter open after a failed light spectrum.
  auto fixed = Connect(SR104, Fault::GmWithoutOk);
  EXPECT_EQ(fixed->Driver.Measure(), 0);
  EXPECT_EQ(fixed->Sensor.Commands(), (Commands{"", "OP", "GM,30,0,1"}));
}

TEST(SimFailures, TooFewStatusValuesFailTheMeasurement) {
  auto b = Connect(SR103, Fault::SsFewValues);
  EXPECT_EQ(b->Driver.Measure(), 0);
  EXPECT_EQ(b->Driver.MeasureOk, 0);
  EXPECT_EQ(b->Sensor.Commands().back(), "SS");
}

TEST(SimFailures, HangUpInTheMiddleEndsPromptly) {
  auto b = Connect(SR101, Fault::HangUp);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(b->Driver.Measure(), 0);
  EXPECT_EQ(b->Driver.MeasureOk, 0);
  EXPECT_LT(SecondsSince(start), 3.0);
  // Once the line is gone, every further attempt fails quickly too.
  EXPECT_EQ(b->Driver.ReadSensorInfo(), 0);
  EXPECT_EQ(b->Driver.InfoStatus, InfoNoAnswer);
  EXPECT_LT(SecondsSince(start), 5.0);
}

}  // namespace
}  // namespace spectrel
