// What each simulated model and each injected fault puts on the wire, through a raw client, and
// the line itself across reopening.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <thread>

#include "solmet_sim.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace solmet_sim_test {
namespace {

using solmet_sim::Fault;
using spectrel::testing::RawEnd;

constexpr int kPixels[4] = {1024, 2048, 512, 256};
constexpr const char* kNames[4] = {"SR-101", "SR-102", "SR-103", "SR-104"};

solmet_sim::SensorConfig Unpaced(int model, Fault fault = Fault::None) {
  solmet_sim::SensorConfig c;
  c.Model = model;
  c.FaultKind = fault;
  c.Paced = false;
  c.TimeOfDay = 12 * 3600;
  return c;
}

// A simulated sensor with a raw client on its line.
struct Rig {
  explicit Rig(solmet_sim::SensorConfig config) : Sensor(std::move(config)) {
    EXPECT_TRUE(Sensor.Start());
    Port = RawEnd::OpenDevice(Sensor.DevicePath());
  }
  solmet_sim::SimulatedSensor Sensor;
  RawEnd Port;
};

// The words of a block, little-endian like the host.
template <typename Word>
std::vector<Word> Words(const std::string& block) {
  std::vector<Word> words(block.size() / sizeof(Word));
  std::memcpy(words.data(), block.data(), sizeof(Word) * words.size());
  return words;
}

TEST(SimProtocol, EveryModelAnswersEachCommandAsItsSensorWould) {
  const size_t statusValues[4] = {5, 5, 10, 10};
  for (int m = 0; m < 4; ++m) {
    SCOPED_TRACE(kNames[m]);
    Rig rig(Unpaced(m));
    RawEnd& port = rig.Port;
    const std::string tag = std::string(kNames[m]).substr(3);
    const std::pair<std::string, std::string> lines[] = {
        {"", "OK\r"}, {"ID", "SIM" + tag + ",OK\r"}, {"ST", std::string(kNames[m]) + ",OK\r"},
        {"SER", "SN" + tag + "0007,OK\r"}, {"FV", "1.80,OK\r"}, {"FT", "2019/04/01,12:00:00,OK\r"},
        {"OP", "OK\r"}, {"CL", "OK\r"}, {"GM,10,0,1", "OK\r"}};
    for (const auto& [command, reply] : lines) EXPECT_EQ(port.Ask(command), reply) << command;
    const auto coefficients = rig.Sensor.Coefficients();
    ASSERT_EQ(coefficients.size(), 6u);
    for (size_t j = 0; j < 6; ++j) {
      EXPECT_EQ(port.Ask("C" + std::to_string(j)), coefficients[j] + ",OK\r");
      EXPECT_LT(coefficients[j].size(), 32u);  // fits a 32-byte text field with its NUL
    }
    port.Send("CALB\r");
    EXPECT_EQ(Words<float>(port.Read(4 * kPixels[m])), rig.Sensor.Calibration());
    EXPECT_EQ(port.ReadLine(), "OK\r");
    port.Send("RB,0\r");
    const auto counts = Words<std::int16_t>(port.Read(2 * kPixels[m]));
    EXPECT_EQ(counts.size(), static_cast<size_t>(kPixels[m]));
    EXPECT_EQ(counts, rig.Sensor.LastCounts(false));  // taken with the shutter closed
    EXPECT_EQ(port.ReadLine(), "OK\r");
    const auto status = rig.Sensor.StatusTokens();
    EXPECT_EQ(status.size(), statusValues[m]);
    std::string values;
    for (const std::string& v : status) values += v + ",";
    EXPECT_EQ(port.Ask("SS"), values + "OK\r");
    // Only the model with a pixel map answers "PXSB", and only it knows "T2".
    if (m != 3) {
      EXPECT_EQ(port.Ask("PXSB"), "ERR\r");
      EXPECT_EQ(port.Ask("T2"), "ERR\r");
      continue;
    }
    port.Send("PXSB\r");
    const std::string map = port.Read(256);
    EXPECT_EQ(std::vector<std::uint8_t>(map.begin(), map.end()), rig.Sensor.PixelMap());
    EXPECT_EQ(port.ReadLine(), "OK\r");
    EXPECT_EQ(port.Ask("T2"), "27.50,OK\r");
  }
}

TEST(SimProtocol, UnknownOrMalformedCommandsAnswerErr) {
  Rig rig(Unpaced(1));
  // A line feed is not a line end: "ID\n" is a different command.
  for (const char* command : {"XYZ", "id", "ID,1", "GM,abc,0,1", "GM,0,0,1", "GM,10,0", "RB,1", "ID\n"})
    EXPECT_EQ(rig.Port.Ask(command), "ERR\r") << command;
  EXPECT_TRUE(rig.Sensor.LastCounts(false).empty());  // no malformed "GM" took a spectrum
  rig.Port.Send("OP\rCL\r");  // two commands in one write are two lines
  EXPECT_EQ(rig.Port.ReadLine() + rig.Port.ReadLine(), "OK\rOK\r");
  EXPECT_EQ(rig.Sensor.Commands().back(), "CL");
}

TEST(SimFaults, EachFaultOnTheWire) {
  struct Case {
    Fault Kind;
    int Model;
    const char* Command;
    size_t Bytes;       // bytes of a block (a short one stops one byte early, without "OK")
    const char* Reply;  // or the exact reply line
  };
  const Case cases[] = {
      {Fault::NoAnswer, 0, "ID", 0, ""},
      {Fault::WrongModelName, 2, "ST", 0, "SR-104,OK\r"},
      {Fault::FtWithoutOk, 1, "FT", 0, "ERR\r"},
      {Fault::GmWithoutOk, 0, "GM,10,0,1", 0, "ERR\r"},
      {Fault::SsFewValues, 2, "SS", 0, "0,0,0,-1,-10.00,31.50,28.00,12.00,OK\r"},
      {Fault::CalibShort, 0, "CALB", 4095, nullptr},
      {Fault::PixelMapShort, 3, "PXSB", 255, nullptr},
      {Fault::RbShort, 1, "RB,0", 4095, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Command);
    Rig rig(Unpaced(c.Model, c.Kind));
    rig.Port.Send(std::string(c.Command) + "\r");
    if (c.Reply) {
      EXPECT_EQ(rig.Port.ReadLine(0.3), c.Reply);
    } else {
      EXPECT_EQ(rig.Port.Read(c.Bytes + 4, 0.3).size(), c.Bytes);
    }
  }
  // Stray bytes (never a CR or a comma) go ahead of every reply, so the name no longer matches.
  Rig noisy(Unpaced(0, Fault::Garbage));
  const std::string clean = "SR-101,OK\r", reply = noisy.Port.Ask("ST");
  ASSERT_GT(reply.size(), clean.size());
  EXPECT_EQ(reply.substr(reply.size() - clean.size()), clean);
  EXPECT_EQ(reply.find_first_of(",\r"), reply.size() - clean.size() + 6);
  // A fault is switched while running.
  noisy.Sensor.SetFault(Fault::None);
  EXPECT_EQ(noisy.Port.Ask("ST"), clean);
  // The line is closed instead of sending the first spectrum.
  Rig hangUp(Unpaced(0, Fault::HangUp));
  EXPECT_EQ(hangUp.Port.Ask("ID"), "SIM101,OK\r");
  hangUp.Port.Send("RB,0\r");
  EXPECT_TRUE(hangUp.Port.HungUp());
}

TEST(SimFaults, SensorInItsSpanOfSilenceHearsButAnswersNothing) {
  auto config = Unpaced(0);
  config.SilentUntilMs = 1500;
  Rig rig(config);
  const auto start = std::chrono::steady_clock::now();   // the span began before this
  EXPECT_EQ(rig.Port.Ask("ID", 0.3), "");
  std::this_thread::sleep_until(start + std::chrono::milliseconds(1600));
  EXPECT_EQ(rig.Port.Ask("ID"), "SIM101,OK\r");
  EXPECT_EQ(rig.Sensor.Commands(), (std::vector<std::string>{"ID", "ID"}));
}

TEST(SimLine, TheLinkServesEveryReopeningForTheSensorsLifetime) {
  spectrel::testing::TempDir dir;
  const std::string link = dir.File("SR104");
  {
    solmet_sim::SimulatedSensor sensor(Unpaced(3));
    EXPECT_FALSE(sensor.LinkAs(link));  // no device before Start
    ASSERT_TRUE(sensor.Start());
    ASSERT_TRUE(sensor.LinkAs(link));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(RawEnd::OpenDevice(link).Ask("ST"), "SR-104,OK\r");
  }
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

}  // namespace
}  // namespace solmet_sim_test
