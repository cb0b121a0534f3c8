// The driver's protocol operations and identification against a scripted far end whose replies
// are composed byte by byte in the test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "pty_responder.h"
#include "sensor/sensor_driver.h"

namespace spectrel {
namespace {

using testing::PtyResponder;
using Seconds = std::chrono::duration<double>;

Seconds Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::steady_clock::now() - start;
}

// Little-endian bytes of 32-bit words, as the calibration block carries them.
std::string Words(const std::vector<std::uint32_t>& words) {
  std::string out;
  for (std::uint32_t w : words)
    for (int b = 0; b < 4; ++b) out += static_cast<char>((w >> (8 * b)) & 0xFF);
  return out;
}

// An identifiable SR-101 with a simple polynomial axis: w(p) = 100 + 0.5 p + 0.001 p^2 nm, and a
// calibration block whose first two words are 1.0f and 0.05f, the rest 0.
std::string HealthySr101(const std::string& cmd) {
  if (cmd.empty()) return "OK\r";
  if (cmd == "ID") return "ID-7,OK\r";
  if (cmd == "ST") return "SR-101,OK\r";
  if (cmd == "SER") return "SN0042,OK\r";
  if (cmd == "FV") return "1.75,OK\r";
  if (cmd == "FT") return "2019/04/01,12:00:00,OK\r";
  if (cmd == "C0") return "100,OK\r";
  if (cmd == "C1") return "0.5,OK\r";
  if (cmd == "C2") return "1.0E-3,OK\r";
  if (cmd == "C3" || cmd == "C4" || cmd == "C5") return "0,OK\r";
  if (cmd == "CALB") {
    std::vector<std::uint32_t> words(1024, 0);
    words[0] = 0x3F800000;  // 1.0f
    words[1] = 0x3D4CCCCD;  // 0.05f
    return Words(words) + "OK\r";
  }
  return "ERR\r";
}

TEST(DriverPort, OpenFailuresAreInfoStatusOne) {
  CSR101 driver;
  EXPECT_EQ(driver.OpenPort("/dev/nonexistent-sensor-line", 38400), 0);
  EXPECT_EQ(driver.InfoStatus, InfoPortFailed);
  EXPECT_FALSE(driver.IsOpen());
  CSR102 none;
  EXPECT_EQ(none.OpenPort("0", 38400), 0);  // no port chosen
  EXPECT_EQ(none.InfoStatus, InfoPortFailed);
  EXPECT_EQ(none.ClosePort(), 1);
  EXPECT_EQ(none.InfoStatus, InfoNone);
}

TEST(DriverProtocol, CommandsLeaveAsFormattedWithOneCr) {
  PtyResponder far([](const std::string&) { return std::string(); });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  EXPECT_EQ(driver.SendCommand("GM,%d,%d,%d\r", 100, 0, 1), 11);
  EXPECT_EQ(driver.SendCommand("RB,%d\r", 0), 5);
  EXPECT_EQ(driver.SendCommand("\r"), 1);
  for (int i = 0; i < 100 && far.Commands().size() < 3; ++i) driver.WaitForInput(10);
  EXPECT_EQ(far.Commands(), (std::vector<std::string>{"GM,100,0,1", "RB,0", ""}));
}

TEST(DriverProtocol, ReplyLinesAndTheOkRule) {
  std::vector<std::string> script = {"ABC,OK\r", "5,NG\r", "\r", "OK\r", "  7 ,OK\r"};
  size_t next = 0;
  PtyResponder far([&](const std::string&) { return next < script.size() ? script[next++] : ""; });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);

  char line[256];
  driver.SendCommand("ID\r");
  ASSERT_EQ(driver.ReadLine(line, 1), 7);  // the CR counts
  EXPECT_STREQ(line, "ABC,OK\r");

  driver.SendCommand("X\r");
  EXPECT_EQ(driver.QueryOk(1), 0);
  EXPECT_EQ(driver.Token(0), "5");
  driver.SendCommand("X\r");
  EXPECT_EQ(driver.QueryOk(1), 0);  // a line holding only a CR
  EXPECT_EQ(driver.TokenCount(), 0);
  driver.SendCommand("X\r");
  EXPECT_EQ(driver.QueryOk(1), 1);
  EXPECT_EQ(driver.TokenCount(), 1);
  driver.SendCommand("X\r");
  EXPECT_EQ(driver.QueryOk(1), 1);
  EXPECT_EQ(driver.Token(0), "  7 ");  // blanks belong to the token
  EXPECT_EQ(driver.Token(1), "OK");
  EXPECT_EQ(driver.Token(2), "");
}

TEST(DriverProtocol, OverlongLineKeepsItsHeadAndTheNextLineStartsClean) {
  const std::string body(300, 'x');
  int calls = 0;
  PtyResponder far([&](const std::string&) { return ++calls == 1 ? body + ",OK\r" : "NEXT,OK\r"; });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  char line[256];
  driver.SendCommand("A\r");
  EXPECT_EQ(driver.ReadLine(line, 2), 304);
  EXPECT_EQ(std::strlen(line), 255u);
  EXPECT_EQ(std::string(line), std::string(255, 'x'));
  driver.SendCommand("B\r");
  ASSERT_EQ(driver.QueryOk(2), 1);
  EXPECT_EQ(driver.Token(0), "NEXT");
}

TEST(DriverProtocol, SilenceTimesOutAtTheDeadline) {
  PtyResponder far([](const std::string&) { return std::string(); });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  char line[256];
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(driver.ReadLine(line, 1), -1);
  EXPECT_GE(Since(start).count(), 0.95);
  EXPECT_LT(Since(start).count(), 2.0);

  // A reply cut off without its CR is no reply, even though it ends in "OK".
  far.Send("12,OK");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(driver.QueryOk(1), 0);
  EXPECT_GE(Since(start).count(), 0.95);
}

TEST(DriverProtocol, BlocksWholeOrTimedOut) {
  int calls = 0;
  PtyResponder far([&](const std::string&) {
    return ++calls == 1 ? std::string("\x01\x02\x00\x0D\x03", 5) + "OK\r" : std::string("\x01\x02\x03", 3);
  });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  unsigned char block[5] = {};
  driver.SendCommand("RB,0\r");
  ASSERT_EQ(driver.ReadBlock(block, 5, 2), 5);
  EXPECT_EQ(block[2], 0x00);
  EXPECT_EQ(block[3], 0x0D);  // a CR inside a block is data
  EXPECT_EQ(block[4], 0x03);
  char line[256];
  EXPECT_EQ(driver.ReadLine(line, 1), 3);  // the line after the block
  driver.SendCommand("RB,0\r");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(driver.ReadBlock(block, 4, 1), -1);
  EXPECT_GE(Since(start).count(), 0.95);
}

TEST(DriverProtocol, HangUpEndsWaitsAtOnce) {
  PtyResponder far([](const std::string&) { return std::string(); });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  far.HangUp();
  char line[256];
  unsigned char block[8];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(driver.ReadLine(line, 5), -1);
  EXPECT_EQ(driver.ReadBlock(block, 8, 5), -1);
  EXPECT_EQ(driver.Measure(), 0);
  EXPECT_EQ(driver.ReadSensorInfo(), 0);
  EXPECT_EQ(driver.InfoStatus, InfoNoAnswer);
  EXPECT_LT(Since(start).count(), 1.0);
}

TEST(DriverIdentification, InformationFromHandComposedReplies) {
  PtyResponder far(HealthySr101);
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  ASSERT_EQ(driver.ReadSensorInfo(), 1);
  EXPECT_EQ(driver.InfoStatus, InfoReady);
  EXPECT_EQ(driver.Info.SensorId, "ID-7");
  EXPECT_EQ(driver.Info.SensorType, "SR-101");
  EXPECT_EQ(driver.Info.SerialNo, "SN0042");
  EXPECT_EQ(driver.Info.FirmwareVersion, "1.75");
  EXPECT_EQ(driver.Info.FirmwareTime, "2019/04/01 12:00:00");
  EXPECT_EQ(driver.Info.Coef[2], "1.0E-3");
  // Pixel numbers start at 1: 100 + 0.5 + 0.001; pixel 10: 100 + 5 + 0.1;
  // pixel 1024: 100 + 512 + 1048.576.
  EXPECT_FLOAT_EQ(driver.Info.Wavelength[0], 100.501f);
  EXPECT_FLOAT_EQ(driver.Info.Wavelength[9], 105.1f);
  EXPECT_FLOAT_EQ(driver.Info.Wavelength[1023], 1660.576f);
  EXPECT_EQ(driver.Info.Calib[0], 1.0f);
  EXPECT_EQ(driver.Info.Calib[1], 0.05f);
  EXPECT_EQ(driver.Info.Calib[1023], 0.0f);
  const std::vector<std::string> expected = {"",   "ID", "ST", "SER", "FV", "FT", "C0",
                                             "C1", "C2", "C3", "C4",  "C5", "CALB"};
  EXPECT_EQ(far.Commands(), expected);
  EXPECT_EQ(driver.ClosePort(), 1);
  EXPECT_EQ(driver.InfoStatus, InfoNone);
  EXPECT_FALSE(driver.IsOpen());
}

TEST(DriverIdentification, OverlongTokensCutToTheTextField) {
  const std::string id(40, 'I');
  PtyResponder far([&](const std::string& cmd) {
    if (cmd == "ID") return id + ",OK\r";
    if (cmd == "FT") return std::string(20, 'D') + "," + std::string(20, 'T') + ",OK\r";
    return HealthySr101(cmd);
  });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  ASSERT_EQ(driver.ReadSensorInfo(), 1);
  EXPECT_EQ(driver.Info.SensorId, std::string(31, 'I'));
  EXPECT_EQ(driver.Info.FirmwareTime, std::string(20, 'D') + " " + std::string(10, 'T'));
}

TEST(DriverIdentification, AnyFailedQueryIsInfoStatusThreeAndEndsThere) {
  const std::vector<std::string> queries = {"ID", "ST", "SER", "FV", "FT", "C0",
                                            "C1", "C2", "C3", "C4", "C5"};
  for (size_t q = 0; q < queries.size(); ++q) {
    PtyResponder far([&](const std::string& cmd) {
      return cmd == queries[q] ? std::string("12,NG\r") : HealthySr101(cmd);
    });
    CSR101 driver;
    ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
    EXPECT_EQ(driver.ReadSensorInfo(), 0) << queries[q];
    EXPECT_EQ(driver.InfoStatus, InfoQueryFailed) << queries[q];
    const auto sent = far.Commands();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), queries[q]) << "no query after the failed one";
    EXPECT_EQ(sent.size(), q + 2);
  }
}

TEST(DriverIdentification, SilentSensorIsInfoStatusTwo) {
  PtyResponder far([](const std::string&) { return std::string(); });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  EXPECT_EQ(driver.ReadSensorInfo(), 0);
  EXPECT_EQ(driver.InfoStatus, InfoNoAnswer);
  EXPECT_EQ(far.Commands(), std::vector<std::string>{""});
}

// A fake SR-101 that answers the acquisition commands with hand-composed spectra: light counts
// Head followed by 100s at every exposure, dark counts 100 everywhere.
struct HandSpectra {
  bool ShutterOpen = false;
  std::vector<int> Head = {20000, -1};
  std::string Status = "1,25.5,12.0,0.85,1.2,OK\r";
  std::string operator()(const std::string& cmd) {
    if (cmd == "OP" || cmd == "CL") {
      ShutterOpen = cmd == "OP";
      return "OK\r";
    }
    if (cmd.rfind("GM,", 0) == 0) return "OK\r";
    if (cmd == "RB,0") {
      std::string block;
      for (int k = 0; k < 1024; ++k) {
        int c = 100;
        if (ShutterOpen && k < static_cast<int>(Head.size())) c = Head[static_cast<size_t>(k)];
        const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(c));
        block += static_cast<char>(u & 0xFF);
        block += static_cast<char>(u >> 8);
      }
      return block + "OK\r";
    }
    if (cmd == "SS") return Status;
    if (cmd == "SER") return "SN0042,OK\r";
    return HealthySr101(cmd);
  }
};

TEST(DriverMeasure, CountsPerSecondFromHandComposedBlocks) {
  HandSpectra sensor;  // peak 20000 at 100 ms: between the limits, accepted at once
  PtyResponder far([&](const std::string& cmd) { return sensor(cmd); });
  CSR101 driver;
  driver.ExposureIndex = 3;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  ASSERT_EQ(driver.Measure(), 1);
  EXPECT_EQ(driver.MeasureOk, 1);
  const SensorMeasurement& m = driver.Measurement;
  EXPECT_EQ(m.ExposureMs, 100);
  EXPECT_EQ(m.Light[0], 200000.0f);
  EXPECT_EQ(m.Dark[0], 1000.0f);
  EXPECT_EQ(m.Light[1], -10.0f);
  EXPECT_EQ(m.Light[2], 1000.0f);
  EXPECT_EQ(m.SerialNo, "SN0042");
  EXPECT_EQ(m.StatusInt[0], 1);
  EXPECT_FLOAT_EQ(m.StatusFloat[0], 25.5f);
  EXPECT_FLOAT_EQ(m.StatusFloat[1], 12.0f);
  EXPECT_FLOAT_EQ(m.StatusFloat[2], 0.85f);
  EXPECT_FLOAT_EQ(m.StatusFloat[3], 1.2f);
  const std::vector<std::string> expected = {"",        "OP",   "GM,100,0,1", "RB,0", "CL",
                                             "GM,100,0,1", "RB,0", "SER",        "SS"};
  EXPECT_EQ(far.Commands(), expected);
}

TEST(DriverMeasure, SaturatedPixelsAtTheShortestExposureAreZeroed) {
  HandSpectra sensor;
  sensor.Head = {26000, 25000, 25001, -32768};
  PtyResponder far([&](const std::string& cmd) { return sensor(cmd); });
  CSR101 driver;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  ASSERT_EQ(driver.Measure(), 1);
  const SensorMeasurement& m = driver.Measurement;
  EXPECT_EQ(m.ExposureMs, 10);
  EXPECT_EQ(driver.ExposureIndex, 0);
  EXPECT_EQ(m.Light[0], 0.0f);
  EXPECT_EQ(m.Dark[0], 0.0f);
  EXPECT_EQ(m.Light[1], 2500000.0f);  // at the limit: kept
  EXPECT_EQ(m.Dark[1], 10000.0f);
  EXPECT_EQ(m.Light[2], 0.0f);
  EXPECT_EQ(m.Dark[2], 0.0f);
  EXPECT_EQ(m.Light[3], -3276800.0f);
  EXPECT_EQ(m.Light[4], 10000.0f);
}

TEST(DriverMeasure, StatusReplyWithTooFewValuesFailsTheMeasurement) {
  HandSpectra sensor;
  sensor.Status = "1,25.5,12.0,OK\r";
  PtyResponder far([&](const std::string& cmd) { return sensor(cmd); });
  CSR101 driver;
  driver.ExposureIndex = 3;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  EXPECT_EQ(driver.Measure(), 0);
  EXPECT_EQ(driver.MeasureOk, 0);
}

TEST(DriverMeasure, DamagedStoredIndexStartsFromTheTableEnds) {
  HandSpectra sensor;
  PtyResponder far([&](const std::string& cmd) { return sensor(cmd); });
  CSR101 driver;
  driver.ExposureIndex = 42;
  ASSERT_EQ(driver.OpenPort(far.DevicePath(), 38400), 1);
  ASSERT_EQ(driver.Measure(), 1);
  EXPECT_EQ(driver.Measurement.ExposureMs, 5000);
  EXPECT_EQ(driver.ExposureIndex, 8);
}

}  // namespace
}  // namespace spectrel
