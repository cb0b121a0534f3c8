// The solmet-sim command line: every option reaches the sensor it names, bad lines are refused.
#include <gtest/gtest.h>

#include "options.h"

namespace solmet_sim_test {
namespace {

using solmet_sim::Fault;
using solmet_sim::Light;
using solmet_sim::ParseOptions;
using solmet_sim::SimOptions;

TEST(SimOptions, EveryOptionReachesItsSensor) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(ParseOptions({"--models", "SR102,sr-104", "--link-dir=/tmp/x", "--fault", "SR104=pixel-map-short",
                            "--light", "SR-102=night", "--firmware=SR104=1.81", "--serial", "SR102=A7",
                            "--unpaced", "--seed", "40", "--time-of-day", "09:30", "--silent", "SR104=5-12"},
                           o, error))
      << error;
  ASSERT_EQ(o.Sensors.size(), 2u);
  const auto& s102 = o.Sensors[0];
  const auto& s104 = o.Sensors[1];
  EXPECT_EQ(s102.Model * 10 + s104.Model, 13);
  EXPECT_EQ(s102.LightKind, Light::Night);
  EXPECT_EQ(s104.LightKind, Light::Sun);
  EXPECT_EQ(s102.Serial, "A7");
  EXPECT_EQ(s104.FaultKind, Fault::PixelMapShort);
  EXPECT_EQ(s104.Firmware, "1.81");
  EXPECT_EQ(s104.SilentFromMs, 5000);
  EXPECT_EQ(s104.SilentUntilMs, 12000);
  EXPECT_EQ(s102.SilentUntilMs, 0);
  EXPECT_FALSE(s102.Paced || s104.Paced);
  EXPECT_NE(s102.Seed, s104.Seed);
  EXPECT_EQ(s102.TimeOfDay, 9 * 3600 + 30 * 60);
  EXPECT_EQ(o.LinkDir, "/tmp/x");
  // Without options: a paced SR-101 and SR-103 on the clock's time.
  ASSERT_TRUE(ParseOptions({}, o, error));
  ASSERT_EQ(o.Sensors.size(), 2u);
  EXPECT_EQ(o.Sensors[0].Model * 10 + o.Sensors[1].Model, 2);
  EXPECT_TRUE(o.Sensors[0].Paced);
  EXPECT_EQ(o.Sensors[0].TimeOfDay, -1);
}

TEST(SimOptions, BadCommandLinesAreRefusedWithAReason) {
  const std::vector<std::vector<std::string>> bad = {
      {"--models", "SR105"}, {"--fault", "SR101=smoke"}, {"--fault", "SR101"}, {"--light", "SR103=dusk"},
      {"--seed", "12x"}, {"--time-of-day", "25:00"}, {"--link-dir"}, {"--frobnicate", "1"},
      {"--silent", "SR101=9-3"}, {"--silent", "SR101=4"}, {"--silent", "SR103=1-2s"},
      {"--fault", "SR102=garbage"}};   // SR-102 is not simulated by default
  for (const auto& args : bad) {
    SimOptions o;
    std::string error;
    EXPECT_FALSE(ParseOptions(args, o, error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

}  // namespace
}  // namespace solmet_sim_test
