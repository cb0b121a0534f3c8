// The solmet-sim command line, and the sky the sensors look at.
#include <cmath>

#include "faults.h"
#include "options.h"
#include "sim_fixture.h"
#include "sky.h"

namespace solmet_sim_test {
namespace {

using solmet_sim::Fault;
using solmet_sim::Light;
using solmet_sim::ParseOptions;
using solmet_sim::SimOptions;

TEST(SimOptions, DefaultIsAPacedShortAndLongWavelengthPair) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(ParseOptions({}, o, error)) << error;
  ASSERT_EQ(o.Sensors.size(), 2u);
  EXPECT_EQ(o.Sensors[0].Model, 0);
  EXPECT_EQ(o.Sensors[1].Model, 2);
  EXPECT_TRUE(o.Sensors[0].Paced);
  EXPECT_EQ(o.Sensors[0].TimeOfDay, -1);
  EXPECT_EQ(o.Sensors[0].FaultKind, Fault::None);
  EXPECT_TRUE(o.LinkDir.empty());
  EXPECT_FALSE(o.Help);
}

TEST(SimOptions, EveryOptionReachesItsSensor) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--models", "SR102,sr-104", "--link-dir", "/tmp/x", "--fault", "SR104=pixel-map-short",
                            "--light", "SR-102=night", "--firmware", "SR104=1.81", "--serial", "SR102=A7",
                            "--unpaced", "--seed", "40", "--time-of-day", "09:30"},
                           o, error))
      << error;
  ASSERT_EQ(o.Sensors.size(), 2u);
  const auto& s102 = o.Sensors[0];
  const auto& s104 = o.Sensors[1];
  EXPECT_EQ(s102.Model, 1);
  EXPECT_EQ(s104.Model, 3);
  EXPECT_EQ(s102.LightKind, Light::Night);
  EXPECT_EQ(s104.LightKind, Light::Sun);
  EXPECT_EQ(s102.Serial, "A7");
  EXPECT_EQ(s102.FaultKind, Fault::None);
  EXPECT_EQ(s104.FaultKind, Fault::PixelMapShort);
  EXPECT_EQ(s104.Firmware, "1.81");
  EXPECT_FALSE(s102.Paced || s104.Paced);
  EXPECT_NE(s102.Seed, s104.Seed);
  EXPECT_EQ(s102.TimeOfDay, 9 * 3600 + 30 * 60);
  EXPECT_EQ(o.LinkDir, "/tmp/x");
}

TEST(SimOptions, BadCommandLinesAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--models", "SR105"},     {"--fault", "SR101=smoke"}, {"--fault", "SR101"},
      {"--light", "SR103=dusk"}, {"--seed", "-3"},           {"--seed", "12x"},
      {"--time-of-day", "25:00"}, {"--time-of-day", "noon"}, {"--link-dir"},
      {"--frobnicate", "1"},
      {"--fault", "SR102=garbage"},  // SR-102 is not simulated by default
  };
  for (const auto& args : bad) {
    SimOptions o;
    std::string error;
    EXPECT_FALSE(ParseOptions(args, o, error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
  SimOptions o;
  std::string error;
  EXPECT_FALSE(ParseOptions({"--bogus"}, o, error));
  EXPECT_EQ(error, "unknown option --bogus");
  EXPECT_FALSE(ParseOptions({"--seed"}, o, error));
  EXPECT_EQ(error, "option --seed needs a value");
}

TEST(SimOptions, HelpNamesEveryOptionAndFaultNamesGoBothWays) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--unpaced", "--help"}, o, error));
  EXPECT_TRUE(o.Help);
  const std::string text = solmet_sim::UsageText();
  for (const char* word : {"--models", "--link-dir", "--fault", "--light", "--firmware", "--serial",
                           "--time-of-day", "--unpaced", "--seed", "--help", "sun", "night", "bright"})
    EXPECT_NE(text.find(word), std::string::npos) << word;
  for (Fault f : {Fault::NoAnswer, Fault::WrongModelName, Fault::CalibShort, Fault::PixelMapShort, Fault::GmWithoutOk,
                  Fault::RbShort, Fault::SsFewValues, Fault::Garbage, Fault::HangUp}) {
    EXPECT_NE(text.find(solmet_sim::FaultName(f)), std::string::npos) << solmet_sim::FaultName(f);
    EXPECT_EQ(solmet_sim::FaultFromName(solmet_sim::FaultName(f)), f);
  }
  EXPECT_EQ(solmet_sim::FaultFromName(solmet_sim::FaultName(Fault::None)), Fault::None);
  EXPECT_EQ(solmet_sim::FaultFromName("rb-short"), Fault::RbShort);
  EXPECT_FALSE(solmet_sim::FaultFromName("RB-SHORT").has_value());
}

TEST(SimSky, DaylightRisesAtSixAndSetsAtEighteen) {
  for (int second : {0, 6 * 3600, 18 * 3600, 23 * 3600 + 59 * 60}) EXPECT_EQ(solmet_sim::Daylight(second), 0.0) << second;
  EXPECT_DOUBLE_EQ(solmet_sim::Daylight(12 * 3600), 1.0);
  // 09:00 is a quarter of the day's arc: sin(45°)^1.3.
  EXPECT_NEAR(solmet_sim::Daylight(9 * 3600), 0.6373, 1e-4);
}

TEST(SimSky, NoonSpectrumHasTheSunsShapeAndTheAirsBands) {
  const auto e = [](double nm) { return solmet_sim::NoonIrradiance(nm); };
  double peak = 0.0, peakNm = 0.0;
  for (double nm = 280.0; nm <= 2000.0; nm += 1.0)
    if (e(nm) > peak) peak = e(nm), peakNm = nm;
  EXPECT_GT(peak, 1500.0);
  EXPECT_LT(peak, 2000.0);
  EXPECT_GT(peakNm, 450.0);  // a 5800 K sun peaks near 500 nm
  EXPECT_LT(peakNm, 650.0);
  EXPECT_LT(e(760), 0.5 * e(745));
  EXPECT_LT(e(940), 0.5 * e(870));
  EXPECT_LT(e(1130), 0.5 * e(1060));
  EXPECT_LT(e(1380), 0.05 * e(1250));
  EXPECT_LT(e(1870), 0.02 * e(1650));
  EXPECT_LT(e(280), 1e-6 * peak);
  EXPECT_LT(e(300), 0.02 * peak);
  EXPECT_GT(e(340), 0.3 * peak);
}

}  // namespace
}  // namespace solmet_sim_test
