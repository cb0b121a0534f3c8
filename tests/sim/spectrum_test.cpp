// Spectra as the instrument takes them: dark offset, sun through the atmosphere, time of day,
// night and bright light, and the steered peak for the automatic exposure.
#include <algorithm>
#include <cmath>
#include <mutex>
#include <numeric>

#include "sim_fixture.h"

namespace solmet_sim_test {
namespace {

using solmet_sim::Light;

// Takes one spectrum with the shutter open or closed and reads it back.
std::vector<std::int16_t> Take(TestPort& port, int model, int ms, bool open) {
  EXPECT_EQ(port.Ask(open ? "OP" : "CL"), "OK\r");
  EXPECT_EQ(port.Ask("GM," + std::to_string(ms) + ",0,1"), "OK\r");
  port.Send("RB,0\r");
  const std::string block = port.ReadBytes(2 * kPixels[model]);
  EXPECT_EQ(port.ReadLine(), "OK\r");
  return DecodeCounts(block);
}

int Peak(const std::vector<std::int16_t>& counts) {
  return counts.empty() ? -1 : *std::max_element(counts.begin(), counts.end());
}

// Pixel whose axis wavelength lies nearest nm.
int PixelNear(const solmet_sim::SimulatedSensor& sensor, int model, double nm) {
  const auto coef = sensor.Coefficients();
  int best = 0;
  double bestGap = 1e9;
  for (int k = 0; k < kPixels[model]; ++k) {
    double w = 0.0, power = 1.0;
    for (const auto& c : coef) {
      w += std::atof(c.c_str()) * power;
      power *= k + 1;
    }
    if (std::fabs(w - nm) < bestGap) {
      bestGap = std::fabs(w - nm);
      best = k;
    }
  }
  return best;
}

// Mean irradiance in W/m2/um over five pixels around nm: (light - dark) / s × calibration.
double Irradiance(const solmet_sim::SimulatedSensor& sensor, int model, double nm, int ms,
                  const std::vector<std::int16_t>& light, const std::vector<std::int16_t>& dark) {
  const auto calib = sensor.Calibration();
  const int centre = std::clamp(PixelNear(sensor, model, nm), 2, kPixels[model] - 3);
  double sum = 0.0;
  for (int k = centre - 2; k <= centre + 2; ++k) {
    sum += (light[k] - dark[k]) / (ms / 1000.0) * calib[k];
  }
  return sum / 5.0;
}

TEST(SimSpectrum, ClosedShutterGivesOnlyTheDarkOffset) {
  for (int m = 0; m < 4; ++m) {
    auto config = Unpaced(m);
    config.LightKind = Light::Bright;  // no light passes a closed shutter
    Rig rig(config);
    ASSERT_TRUE(rig.Started);
    const auto dark = Take(*rig.Port, m, 100, false);
    ASSERT_EQ(dark.size(), static_cast<std::size_t>(kPixels[m]));
    const auto map = rig.Sensor.PixelMap();
    const auto dead = std::count(map.begin(), map.end(), 0);
    int live = 0;
    for (int k = 0; k < kPixels[m]; ++k) {
      if (map[k] == 0) continue;  // a dead pixel reads full scale
      ++live;
      ASSERT_GT(dark[k], 100) << k;
      ASSERT_LT(dark[k], 1000) << k;
    }
    EXPECT_EQ(live + dead, kPixels[m]);
  }
}

TEST(SimSpectrum, NoonSunPeaksInsideEachModelsExposureWindow) {
  // Lower decision and saturation limits of the automatic exposure, and the exposure (ms) at
  // which the noon sun should sit between them.
  const int lower[3] = {10000, 7000, 10000};
  const int upper[3] = {25000, 17700, 30000};
  for (int m = 0; m < 3; ++m) {
    SCOPED_TRACE(kNames[m]);
    Rig rig(Unpaced(m));
    ASSERT_TRUE(rig.Started);
    const int at50 = Peak(Take(*rig.Port, m, 50, true));
    EXPECT_GT(at50, lower[m]);
    EXPECT_LT(at50, upper[m]);
    EXPECT_LE(Peak(Take(*rig.Port, m, 20, true)), lower[m]);  // 20 ms is too short
    EXPECT_GT(Peak(Take(*rig.Port, m, 100, true)), upper[m]);  // 100 ms saturates
  }
  // The fixed 30 ms of SR-104 gives a strong signal that stays below full scale.
  Rig rig(Unpaced(3));
  ASSERT_TRUE(rig.Started);
  const auto light = Take(*rig.Port, 3, 30, true);
  const auto map = rig.Sensor.PixelMap();
  int livePeak = 0;
  for (int k = 0; k < 256; ++k) {
    if (map[k]) livePeak = std::max<int>(livePeak, light[k]);
  }
  EXPECT_GT(livePeak, 10000);
  EXPECT_LT(livePeak, 32767);
}

TEST(SimSpectrum, CalibratedNoonSunLooksLikeTheSunThroughTheAir) {
  Rig shortRig(Unpaced(0));
  ASSERT_TRUE(shortRig.Started);
  const auto light = Take(*shortRig.Port, 0, 50, true);
  const auto dark = Take(*shortRig.Port, 0, 50, false);
  EXPECT_EQ(light, shortRig.Sensor.LastCounts(true));
  EXPECT_EQ(dark, shortRig.Sensor.LastCounts(false));
  // A 5800 K black body scaled to 1800 W/m2/um, dimmed by Rayleigh scattering at 500 nm
  // (exp(-0.09 × (550/500)^4) = 0.877): about 1580 W/m2/um.
  const double green = Irradiance(shortRig.Sensor, 0, 500, 50, light, dark);
  EXPECT_NEAR(green, 1580.0, 60.0);
  // The oxygen band at 760 nm takes most of the light at its centre.
  EXPECT_LT(Irradiance(shortRig.Sensor, 0, 760, 50, light, dark),
            0.5 * Irradiance(shortRig.Sensor, 0, 740, 50, light, dark));
  // At the short end of the axis the ozone has taken nearly everything.
  EXPECT_LT(std::fabs(Irradiance(shortRig.Sensor, 0, 302, 50, light, dark)), 0.02 * green);

  Rig longRig(Unpaced(2));
  ASSERT_TRUE(longRig.Started);
  const auto ir = Take(*longRig.Port, 2, 50, true);
  const auto irDark = Take(*longRig.Port, 2, 50, false);
  const double clear = Irradiance(longRig.Sensor, 2, 1250, 50, ir, irDark);
  EXPECT_GT(clear, 200.0);
  EXPECT_LT(clear, 600.0);
  // The 1380 nm water band is nearly black; 1130 nm is deep but not black.
  EXPECT_LT(Irradiance(longRig.Sensor, 2, 1380, 50, ir, irDark), 0.1 * clear);
  EXPECT_LT(Irradiance(longRig.Sensor, 2, 1130, 50, ir, irDark),
            0.5 * Irradiance(longRig.Sensor, 2, 1060, 50, ir, irDark));
}

double LightSum(int secondsOfDay) {
  auto config = Unpaced(0);
  config.TimeOfDay = secondsOfDay;
  Rig rig(config);
  const auto light = Take(*rig.Port, 0, 50, true);
  const auto dark = Take(*rig.Port, 0, 50, false);
  double sum = 0.0;
  for (std::size_t k = 0; k < light.size(); ++k) sum += light[k] - dark[k];
  return sum;
}

TEST(SimSpectrum, SunFollowsTheTimeOfDay) {
  const double noon = LightSum(12 * 3600);
  ASSERT_GT(noon, 1e6);
  // Halfway from sunrise (06:00) to noon: sin(45°)^1.3 = 0.637 of the noon light.
  EXPECT_NEAR(LightSum(9 * 3600) / noon, 0.637, 0.01);
  EXPECT_NEAR(LightSum(15 * 3600) / noon, 0.637, 0.01);
  // Before sunrise and after sunset only noise is left.
  EXPECT_LT(std::fabs(LightSum(3 * 3600)) / noon, 0.002);
  EXPECT_LT(std::fabs(LightSum(21 * 3600)) / noon, 0.002);
}

TEST(SimSpectrum, NightGivesDarkCountsEvenAtLongExposure) {
  auto config = Unpaced(2);
  config.LightKind = Light::Night;
  Rig rig(config);
  ASSERT_TRUE(rig.Started);
  const auto light = Take(*rig.Port, 2, 5000, true);
  const auto dark = Take(*rig.Port, 2, 5000, false);
  double diff = 0.0;
  for (std::size_t k = 0; k < light.size(); ++k) diff += light[k] - dark[k];
  EXPECT_LT(std::fabs(diff / light.size()), 3.0);
  EXPECT_LT(Peak(light), 2000);
}

TEST(SimSpectrum, BrightSaturatesAtEveryExposure) {
  for (int m = 0; m < 4; ++m) {
    auto config = Unpaced(m);
    config.LightKind = Light::Bright;
    Rig rig(config);
    ASSERT_TRUE(rig.Started);
    for (int ms : {10, 30, 5000}) {
      const auto light = Take(*rig.Port, m, ms, true);
      EXPECT_EQ(Peak(light), 32767) << kNames[m] << " at " << ms << " ms";
      EXPECT_GT(std::count(light.begin(), light.end(), 32767), kPixels[m] / 4);
    }
  }
  // Switched back to the sun while running, the same sensor stops saturating.
  auto config = Unpaced(0);
  config.LightKind = Light::Bright;
  Rig rig(config);
  ASSERT_TRUE(rig.Started);
  rig.Sensor.SetLight(Light::Sun);
  EXPECT_LT(Peak(Take(*rig.Port, 0, 50, true)), 25000);
  rig.Sensor.SetLight(Light::Night);
  EXPECT_LT(Peak(Take(*rig.Port, 0, 50, true)), 1000);
}

TEST(SimSpectrum, PeakCountsHookFixesTheLargestLightCount) {
  auto config = Unpaced(0);
  std::mutex askedLock;
  std::vector<int> asked;  // exposures the worker asked the hook about
  config.PeakCounts = [&](int ms) {
    std::lock_guard<std::mutex> hold(askedLock);
    asked.push_back(ms);
    if (ms == 10) return 26000;
    if (ms == 20) return 9000;
    return 40000;  // beyond full scale
  };
  config.LightKind = Light::Night;  // the hook brings its own light
  Rig rig(config);
  ASSERT_TRUE(rig.Started);
  const auto at10 = Take(*rig.Port, 0, 10, true);
  EXPECT_EQ(Peak(at10), 26000);
  EXPECT_EQ(std::count(at10.begin(), at10.end(), 26000), 1);  // the shape is kept, not flattened
  EXPECT_EQ(Peak(Take(*rig.Port, 0, 20, true)), 9000);
  EXPECT_EQ(Peak(Take(*rig.Port, 0, 50, true)), 32767);
  // A dark spectrum is not steered.
  EXPECT_LT(Peak(Take(*rig.Port, 0, 10, false)), 1000);
  std::lock_guard<std::mutex> hold(askedLock);
  EXPECT_EQ(asked, (std::vector<int>{10, 20, 50}));
}

TEST(SimSpectrum, NoiseFollowsTheSeed) {
  auto a = Unpaced(3), b = Unpaced(3), c = Unpaced(3);
  c.Seed = 99;
  Rig ra(a), rb(b), rc(c);
  ASSERT_TRUE(ra.Started && rb.Started && rc.Started);
  const auto first = Take(*ra.Port, 3, 30, true);
  EXPECT_EQ(first, Take(*rb.Port, 3, 30, true));
  EXPECT_NE(first, Take(*rc.Port, 3, 30, true));
}

TEST(SimSpectrum, DeadPixelsReadFullScale) {
  Rig rig(Unpaced(3));
  ASSERT_TRUE(rig.Started);
  const auto dark = Take(*rig.Port, 3, 30, false);
  const auto map = rig.Sensor.PixelMap();
  for (int k = 0; k < 256; ++k) {
    if (map[k] == 0) {
      EXPECT_EQ(dark[k], 32767) << k;
    }
  }
}

}  // namespace
}  // namespace solmet_sim_test
