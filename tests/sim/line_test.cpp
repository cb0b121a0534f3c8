// The line itself: pacing like a 38400-baud cable, prompt stop in the middle of a command, the
// line staying up across reopening, restarts and device links.
#include <chrono>
#include <filesystem>
#include <thread>

#include "sim_fixture.h"

namespace solmet_sim_test {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

solmet_sim::SensorConfig Paced(int model) {
  auto c = Unpaced(model);
  c.Paced = true;
  return c;
}

TEST(SimLine, PacedRepliesTakeAtLeastTheirTimeOnTheLineAndExposuresTheirLength) {
  Rig rig(Paced(0));
  ASSERT_TRUE(rig.Started);
  auto start = Clock::now();
  EXPECT_EQ(rig.Port->Ask("GM,300,0,1", 3.0), "OK\r");
  EXPECT_GE(SecondsSince(start), 0.30);
  // 2048 counts bytes and "OK\r" at 3840 bytes/s: 2051 / 3840 = 0.534 s.
  start = Clock::now();
  rig.Port->Send("RB,0\r");
  const std::string block = rig.Port->ReadBytes(2048 + 3, 5.0);
  EXPECT_GE(SecondsSince(start), 0.52);
  ASSERT_EQ(block.size(), 2051u);
  EXPECT_EQ(block.substr(2048), "OK\r");
  // Ten "SR-101,OK\r" replies of 10 bytes asked at once: at least 100 / 3840 = 0.026 s.
  start = Clock::now();
  std::string all;
  for (int i = 0; i < 10; ++i) all += "ST\r";
  rig.Port->Send(all);
  const std::string replies = rig.Port->ReadBytes(100, 3.0);
  EXPECT_GE(SecondsSince(start), 0.025);
  ASSERT_EQ(replies.size(), 100u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(replies.substr(10 * i, 10), "SR-101,OK\r");
}

TEST(SimLine, StopIsPromptInALongExposureAPacedBlockOrAnUnreadFlood) {
  {
    auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(Paced(0));
    ASSERT_TRUE(sensor->Start());
    TestPort port(sensor->DevicePath());
    port.Send("GM,5000,0,1\r");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = Clock::now();
    sensor->Stop();
    EXPECT_LT(SecondsSince(start), 1.0);  // far less than the 5 s exposure
    EXPECT_EQ(port.ReadLine(0.2), "");    // the interrupted exposure is never answered
  }
  {
    auto sensor = std::make_unique<solmet_sim::SimulatedSensor>(Paced(1));
    ASSERT_TRUE(sensor->Start());
    TestPort port(sensor->DevicePath());
    ASSERT_EQ(port.Ask("GM,10,0,1"), "OK\r");
    port.Send("RB,0\r");
    ASSERT_EQ(port.ReadBytes(100, 2.0).size(), 100u);  // the block is on its way (4099 bytes)
    const auto start = Clock::now();
    sensor.reset();
    EXPECT_LT(SecondsSince(start), 0.5);
  }
  Rig rig(Unpaced(1));
  ASSERT_TRUE(rig.Started);
  // Far more calibration blocks than the line can hold, none of them read.
  std::string many;
  for (int i = 0; i < 40; ++i) many += "CALB\r";
  rig.Port->Send(many);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto start = Clock::now();
  rig.Sensor.Stop();
  EXPECT_LT(SecondsSince(start), 1.0);
}

TEST(SimLine, LineStaysUpAcrossReopeningAndRestarts) {
  solmet_sim::SimulatedSensor sensor(Unpaced(3));
  ASSERT_TRUE(sensor.Start());
  EXPECT_TRUE(sensor.Start());  // already running: nothing changes
  EXPECT_EQ(sensor.DevicePath().rfind("/dev/pts/", 0), 0u) << sensor.DevicePath();
  for (int i = 0; i < 3; ++i) {
    TestPort port(sensor.DevicePath());
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Ask("ST"), "SR-104,OK\r");
  }
  sensor.Stop();
  sensor.Stop();  // twice is harmless
  ASSERT_TRUE(sensor.Start());
  TestPort port(sensor.DevicePath());
  EXPECT_EQ(port.Ask("ID"), "SIM104,OK\r");
}

TEST(SimLine, LinkLeadsToTheDeviceAndGoesWithTheSensor) {
  char folder[] = "/tmp/solmet-sim-link-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::filesystem::path link = std::filesystem::path(folder) / "SR103";
  {
    solmet_sim::SimulatedSensor sensor(Unpaced(2));
    EXPECT_FALSE(sensor.LinkAs(link.string()));  // no device before Start
    ASSERT_TRUE(sensor.Start());
    ASSERT_TRUE(sensor.LinkAs(link.string()));
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), sensor.DevicePath());
    TestPort port(link.string());
    EXPECT_EQ(port.Ask("ST"), "SR-103,OK\r");
  }
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace solmet_sim_test
