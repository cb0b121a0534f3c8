// Spectra as the instrument takes them: dark offset, sun through the atmosphere, time of day,
// night and bright light, and the steered peak for the automatic exposure.
#include <cmath>
#include <mutex>

#include "sim_fixture.h"

namespace solmet_sim_test {
namespace {

using solmet_sim::Light;

solmet_sim::SensorConfig Lit(int model, Light light) {
  auto c = Unpaced(model);
  c.LightKind = light;
  return c;
}

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

// Mean irradiance in W/m2/um over five pixels around nm: (light - dark) / s × calibration.
double Irradiance(const solmet_sim::SimulatedSensor& sensor, int model, double nm, int ms,
                  const std::vector<std::int16_t>& light, const std::vector<std::int16_t>& dark) {
  const auto coef = sensor.Coefficients();
  int centre = 0;
  double bestGap = 1e9;
  for (int k = 0; k < kPixels[model]; ++k) {
    double w = 0.0, power = 1.0;
    for (const auto& c : coef) w += std::atof(c.c_str()) * power, power *= k + 1;
    if (std::fabs(w - nm) < bestGap) bestGap = std::fabs(w - nm), centre = k;
  }
  centre = std::clamp(centre, 2, kPixels[model] - 3);
  const auto calib = sensor.Calibration();
  double sum = 0.0;
  for (int k = centre - 2; k <= centre + 2; ++k) sum += (light[k] - dark[k]) / (ms / 1000.0) * calib[k];
  return sum / 5.0;
}

TEST(SimSpectrum, ClosedShutterGivesOnlyTheDarkOffsetAndDeadPixelsReadFullScale) {
  for (int m = 0; m < 4; ++m) {
    SCOPED_TRACE(kNames[m]);
    Rig rig(Lit(m, Light::Bright));  // no light passes a closed shutter
    ASSERT_TRUE(rig.Started);
    const auto dark = Take(*rig.Port, m, 100, false);
    ASSERT_EQ(dark.size(), static_cast<std::size_t>(kPixels[m]));
    const auto map = rig.Sensor.PixelMap();
    ASSERT_EQ(map.size(), dark.size());
    for (int k = 0; k < kPixels[m]; ++k) {
      if (map[k] == 0) {
        ASSERT_EQ(dark[k], 32767) << k;
      } else {
        ASSERT_GT(dark[k], 100) << k;
        ASSERT_LT(dark[k], 1000) << k;
      }
    }
  }
}

TEST(SimSpectrum, NoonSunPeaksInsideEachModelsExposureWindow) {
  // Lower decision and saturation limits of the automatic exposure: at 50 ms the noon sun sits
  // between them, 20 ms is too short and 100 ms saturates.
  const int lower[3] = {10000, 7000, 10000}, upper[3] = {25000, 17700, 30000};
  for (int m = 0; m < 3; ++m) {
    SCOPED_TRACE(kNames[m]);
    Rig rig(Unpaced(m));
    ASSERT_TRUE(rig.Started);
    const int at50 = Peak(Take(*rig.Port, m, 50, true));
    EXPECT_GT(at50, lower[m]);
    EXPECT_LT(at50, upper[m]);
    EXPECT_LE(Peak(Take(*rig.Port, m, 20, true)), lower[m]);
    EXPECT_GT(Peak(Take(*rig.Port, m, 100, true)), upper[m]);
  }
  // The fixed 30 ms of SR-104 gives a strong signal that stays below full scale.
  Rig rig(Unpaced(3));
  ASSERT_TRUE(rig.Started);
  const auto light = Take(*rig.Port, 3, 30, true);
  const auto map = rig.Sensor.PixelMap();
  int livePeak = 0;
  for (int k = 0; k < 256; ++k)
    if (map[k]) livePeak = std::max<int>(livePeak, light[k]);
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
  const auto visible = [&](double nm) { return Irradiance(shortRig.Sensor, 0, nm, 50, light, dark); };
  // A 5800 K black body scaled to 1800 W/m2/um, dimmed by Rayleigh scattering at 500 nm
  // (exp(-0.09 × (550/500)^4) = 0.877): about 1580 W/m2/um.
  EXPECT_NEAR(visible(500), 1580.0, 60.0);
  EXPECT_LT(visible(760), 0.5 * visible(740));             // the oxygen band
  EXPECT_LT(std::fabs(visible(302)), 0.02 * visible(500));  // the ozone takes nearly everything

  Rig longRig(Unpaced(2));
  ASSERT_TRUE(longRig.Started);
  const auto ir = Take(*longRig.Port, 2, 50, true);
  const auto irDark = Take(*longRig.Port, 2, 50, false);
  const auto infrared = [&](double nm) { return Irradiance(longRig.Sensor, 2, nm, 50, ir, irDark); };
  EXPECT_GT(infrared(1250), 200.0);
  EXPECT_LT(infrared(1250), 600.0);
  // The 1380 nm water band is nearly black; 1130 nm is deep but not black.
  EXPECT_LT(infrared(1380), 0.1 * infrared(1250));
  EXPECT_LT(infrared(1130), 0.5 * infrared(1060));
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

TEST(SimSpectrum, NightIsDarkAndBrightSaturatesAtEveryExposure) {
  Rig night(Lit(2, Light::Night));
  ASSERT_TRUE(night.Started);
  const auto light = Take(*night.Port, 2, 5000, true);
  const auto dark = Take(*night.Port, 2, 5000, false);
  double diff = 0.0;
  for (std::size_t k = 0; k < light.size(); ++k) diff += light[k] - dark[k];
  EXPECT_LT(std::fabs(diff / light.size()), 3.0);
  EXPECT_LT(Peak(light), 2000);
  for (int m = 0; m < 4; ++m) {
    Rig rig(Lit(m, Light::Bright));
    ASSERT_TRUE(rig.Started);
    for (int ms : {10, 30, 5000}) {
      const auto counts = Take(*rig.Port, m, ms, true);
      EXPECT_EQ(Peak(counts), 32767) << kNames[m] << " at " << ms << " ms";
      EXPECT_GT(std::count(counts.begin(), counts.end(), 32767), kPixels[m] / 4);
    }
    if (m > 0) continue;
    // Switched while running, the same sensor stops saturating.
    rig.Sensor.SetLight(Light::Sun);
    EXPECT_LT(Peak(Take(*rig.Port, 0, 50, true)), 25000);
    rig.Sensor.SetLight(Light::Night);
    EXPECT_LT(Peak(Take(*rig.Port, 0, 50, true)), 1000);
  }
}

TEST(SimSpectrum, PeakCountsHookFixesTheLargestLightCount) {
  auto config = Lit(0, Light::Night);  // the hook brings its own light
  std::mutex askedLock;
  std::vector<int> asked;  // exposures the worker asked the hook about
  config.PeakCounts = [&](int ms) {
    std::lock_guard<std::mutex> hold(askedLock);
    asked.push_back(ms);
    return ms == 10 ? 26000 : ms == 20 ? 9000 : 40000;  // the last beyond full scale
  };
  Rig rig(config);
  ASSERT_TRUE(rig.Started);
  const auto at10 = Take(*rig.Port, 0, 10, true);
  EXPECT_EQ(Peak(at10), 26000);
  EXPECT_EQ(std::count(at10.begin(), at10.end(), 26000), 1);  // the shape is kept, not flattened
  EXPECT_EQ(Peak(Take(*rig.Port, 0, 20, true)), 9000);
  EXPECT_EQ(Peak(Take(*rig.Port, 0, 50, true)), 32767);
  EXPECT_LT(Peak(Take(*rig.Port, 0, 10, false)), 1000);  // a dark spectrum is not steered
  std::lock_guard<std::mutex> hold(askedLock);
  EXPECT_EQ(asked, (std::vector<int>{10, 20, 50}));
}

TEST(SimSpectrum, NoiseFollowsTheSeed) {
  auto other = Unpaced(3);
  other.Seed = 99;
  Rig ra(Unpaced(3)), rb(Unpaced(3)), rc(other);
  ASSERT_TRUE(ra.Started && rb.Started && rc.Started);
  const auto first = Take(*ra.Port, 3, 30, true);
  EXPECT_EQ(first, Take(*rb.Port, 3, 30, true));
  EXPECT_NE(first, Take(*rc.Port, 3, 30, true));
}

}  // namespace
}  // namespace solmet_sim_test
