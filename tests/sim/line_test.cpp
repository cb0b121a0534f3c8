// The line itself: pacing like a 38400-baud cable, a prompt stop, the line staying up across
// reopening and restarts, and the device link.
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "sim_fixture.h"
#include "support/temp_dir.h"

namespace solmet_sim_test {
namespace {

using Steady = std::chrono::steady_clock;

double SecondsSince(Steady::time_point start) {
  return std::chrono::duration<double>(Steady::now() - start).count();
}

solmet_sim::SensorConfig Paced(int model) {
  auto c = Unpaced(model);
  c.Paced = true;
  return c;
}

TEST(SimLine, PacedRepliesTakeTheirTimeOnTheLineAndExposuresTheirLength) {
  Rig rig(Paced(0));
  auto start = Steady::now();
  EXPECT_EQ(rig.Port.Ask("GM,300,0,1", 3.0), "OK\r");
  EXPECT_GE(SecondsSince(start), 0.30);
  // 2048 counts bytes and "OK\r" at 3840 bytes/s: 2051 / 3840 = 0.534 s.
  start = Steady::now();
  rig.Port.Send("RB,0\r");
  EXPECT_EQ(rig.Port.Read(2051, 5.0).size(), 2051u);
  EXPECT_GE(SecondsSince(start), 0.52);
}

TEST(SimLine, StopIsPromptInALongExposure) {
  auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(Paced(0));
  ASSERT_TRUE(sensor->Start());
  RawEnd port = RawEnd::OpenDevice(sensor->DevicePath());
  port.Send("GM,5000,0,1\r");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto start = Steady::now();
  sensor.reset();
  EXPECT_LT(SecondsSince(start), 2.0);  // well before the 5 s exposure ends
}

TEST(SimLine, SensorInItsSpanOfSilenceHearsButAnswersNothing) {
  auto config = Unpaced(0);
  config.SilentUntilMs = 1500;
  Rig rig(config);
  const auto start = Steady::now();   // the span began before this
  EXPECT_EQ(rig.Port.Ask("ID", 0.3), "");
  std::this_thread::sleep_until(start + std::chrono::milliseconds(1600));
  EXPECT_EQ(rig.Port.Ask("ID"), "SIM101,OK\r");
  EXPECT_EQ(rig.Sensor.Commands(), (std::vector<std::string>{"ID", "ID"}));
}

TEST(SimLine, LineStaysUpAcrossReopeningAndRestartsAndTheLinkGoesWithTheSensor) {
  spectrel::testing::TempDir dir;
  const std::string link = dir.File("SR104");
  {
    solmet_sim::SimulatedSensor sensor(Unpaced(3));
    EXPECT_FALSE(sensor.LinkAs(link));  // no device before Start
    ASSERT_TRUE(sensor.Start());
    ASSERT_TRUE(sensor.LinkAs(link));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(RawEnd::OpenDevice(link).Ask("ST"), "SR-104,OK\r");
    sensor.Stop();
    ASSERT_TRUE(sensor.Start());
    EXPECT_EQ(RawEnd::OpenDevice(sensor.DevicePath()).Ask("ID"), "SIM104,OK\r");
  }
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

}  // namespace
}  // namespace solmet_sim_test
