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

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Silent(const std::string&) { return {}; }

// An identifiable SR-101 with a simple polynomial axis: w(p) = 100 + 0.5 p + 0.001 p^2 nm, and a
// calibration block whose first two words are 1.0f (0x3F800000) and 0.05f (0x3D4CCCCD), the rest 0.
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
  if (cmd == "CALB") return std::string("\x00\x00\x80\x3F\xCD\xCC\x4C\x3D", 8) + std::string(4 * 1022, '\0') + "OK\r";
  return "ERR\r";
}

// An SR-101 driver opened on a scripted far end.
struct Scripted {
  explicit Scripted(PtyResponder::Handler handler) : Far(std::move(handler)) {
    EXPECT_EQ(Driver.OpenPort(Far.DevicePath(), 38400), 1);
  }
  PtyResponder Far;
  CSR101 Driver;
  char Line[256] = {};
};

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

TEST(DriverProtocol, ReplyLinesAndTheOkRule) {
  const std::vector<std::string> script = {"ABC,OK\r", "5,NG\r", "\r", "OK\r", "  7 ,OK\r"};
  size_t next = 0;
  Scripted s([&](const std::string&) { return next < script.size() ? script[next++] : ""; });
  CSR101& d = s.Driver;
  EXPECT_EQ(d.SendCommand("GM,%d,%d,%d\r", 100, 0, 1), 11);  // the text's length, CR included
  ASSERT_EQ(d.ReadLine(s.Line, 1), 7);  // the CR counts
  EXPECT_STREQ(s.Line, "ABC,OK\r");
  d.SendCommand("X\r");
  EXPECT_EQ(d.QueryOk(1), 0);
  EXPECT_EQ(d.Token(0), "5");
  d.SendCommand("X\r");
  EXPECT_EQ(d.QueryOk(1), 0);  // a line holding only a CR
  EXPECT_EQ(d.TokenCount(), 0);
  d.SendCommand("X\r");
  EXPECT_EQ(d.QueryOk(1), 1);
  EXPECT_EQ(d.TokenCount(), 1);
  d.SendCommand("X\r");
  EXPECT_EQ(d.QueryOk(1), 1);
  EXPECT_EQ(d.Token(0), "  7 ");  // blanks belong to the token
  EXPECT_EQ(d.Token(1), "OK");
  EXPECT_EQ(d.Token(2), "");
}

TEST(DriverProtocol, OverlongLineKeepsItsHeadAndTheNextLineStartsClean) {
  int calls = 0;
  Scripted s([&](const std::string&) { return ++calls == 1 ? std::string(300, 'x') + ",OK\r" : "NEXT,OK\r"; });
  s.Driver.SendCommand("A\r");
  EXPECT_EQ(s.Driver.ReadLine(s.Line, 2), 304);
  EXPECT_EQ(std::string(s.Line), std::string(255, 'x'));
  s.Driver.SendCommand("B\r");
  ASSERT_EQ(s.Driver.QueryOk(2), 1);
  EXPECT_EQ(s.Driver.Token(0), "NEXT");
}

TEST(DriverProtocol, LinesAndBlocksWholeOrTimedOutAtTheDeadline) {
  int calls = 0;
  Scripted s([&](const std::string& cmd) {
    if (cmd != "RB,0") return std::string();
    return ++calls == 1 ? std::string("\x01\x02\x00\x0D\x03", 5) + "OK\r" : std::string("\x01\x02\x03", 3);
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(s.Driver.ReadLine(s.Line, 1), -1);
  EXPECT_GE(SecondsSince(start), 0.95);
  EXPECT_LT(SecondsSince(start), 2.0);
  // A reply cut off without its CR is no reply, even though it ends in "OK".
  s.Far.Send("12,OK");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(s.Driver.QueryOk(1), 0);
  EXPECT_GE(SecondsSince(start), 0.95);

  unsigned char block[5] = {};
  s.Driver.SendCommand("RB,0\r");
  ASSERT_EQ(s.Driver.ReadBlock(block, 5, 2), 5);
  EXPECT_EQ(block[2], 0x00);
  EXPECT_EQ(block[3], 0x0D);  // a CR inside a block is data
  EXPECT_EQ(block[4], 0x03);
  EXPECT_EQ(s.Driver.ReadLine(s.Line, 1), 3);  // the line after the block
  s.Driver.SendCommand("RB,0\r");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(s.Driver.ReadBlock(block, 4, 1), -1);
  EXPECT_GE(SecondsSince(start), 0.95);
}

TEST(DriverProtocol, HangUpEndsWaitsAtOnce) {
  Scripted s(Silent);
  s.Far.HangUp();
  unsigned char block[8];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(s.Driver.ReadLine(s.Line, 5), -1);
  EXPECT_EQ(s.Driver.ReadBlock(block, 8, 5), -1);
  EXPECT_EQ(s.Driver.Measure(), 0);
  EXPECT_EQ(s.Driver.ReadSensorInfo(), 0);
  EXPECT_EQ(s.Driver.InfoStatus, InfoNoAnswer);
  EXPECT_LT(SecondsSince(start), 1.0);
}

TEST(DriverIdentification, InformationFromHandComposedReplies) {
  Scripted s(HealthySr101);
  CSR101& d = s.Driver;
  ASSERT_EQ(d.ReadSensorInfo(), 1);
  EXPECT_EQ(d.InfoStatus, InfoReady);
  EXPECT_EQ((std::vector<std::string>{d.Info.SensorId, d.Info.SensorType, d.Info.SerialNo,
                                      d.Info.FirmwareVersion, d.Info.FirmwareTime, d.Info.Coef[2]}),
            (std::vector<std::string>{"ID-7", "SR-101", "SN0042", "1.75", "2019/04/01 12:00:00", "1.0E-3"}));
  // Pixel numbers start at 1: 100 + 0.5 + 0.001; pixel 10: 100 + 5 + 0.1;
  // pixel 1024: 100 + 512 + 1048.576.
  EXPECT_FLOAT_EQ(d.Info.Wavelength[0], 100.501f);
  EXPECT_FLOAT_EQ(d.Info.Wavelength[9], 105.1f);
  EXPECT_FLOAT_EQ(d.Info.Wavelength[1023], 1660.576f);
  EXPECT_EQ((std::vector<float>{d.Info.Calib[0], d.Info.Calib[1], d.Info.Calib[1023]}),
            (std::vector<float>{1.0f, 0.05f, 0.0f}));
  EXPECT_EQ(s.Far.Commands(), (std::vector<std::string>{"", "ID", "ST", "SER", "FV", "FT", "C0", "C1",
                                                        "C2", "C3", "C4", "C5", "CALB"}));
  EXPECT_EQ(d.ClosePort(), 1);
  EXPECT_EQ(d.InfoStatus, InfoNone);
  EXPECT_FALSE(d.IsOpen());
}

TEST(DriverIdentification, OverlongTokensCutToTheTextField) {
  Scripted s([](const std::string& cmd) {
    if (cmd == "ID") return std::string(40, 'I') + ",OK\r";
    if (cmd == "FT") return std::string(20, 'D') + "," + std::string(20, 'T') + ",OK\r";
    return HealthySr101(cmd);
  });
  ASSERT_EQ(s.Driver.ReadSensorInfo(), 1);
  EXPECT_EQ(s.Driver.Info.SensorId, std::string(31, 'I'));
  EXPECT_EQ(s.Driver.Info.FirmwareTime, std::string(20, 'D') + " " + std::string(10, 'T'));
}

TEST(DriverIdentification, AnyFailedQueryIsInfoStatusThreeAndEndsThere) {
  const std::vector<std::string> queries = {"ID", "ST", "SER", "FV", "FT", "C0",
                                            "C1", "C2", "C3", "C4", "C5"};
  for (size_t q = 0; q < queries.size(); ++q) {
    SCOPED_TRACE(queries[q]);
    Scripted s([&](const std::string& cmd) { return cmd == queries[q] ? "12,NG\r" : HealthySr101(cmd); });
    EXPECT_EQ(s.Driver.ReadSensorInfo(), 0);
    EXPECT_EQ(s.Driver.InfoStatus, InfoQueryFailed);
    const auto sent = s.Far.Commands();
    ASSERT_EQ(sent.size(), q + 2);  // the wake-up, then no query after the failed one
    EXPECT_EQ(sent.back(), queries[q]);
  }
}

// A fake SR-101 that answers the acquisition commands with hand-composed spectra: light counts
// Head followed by 100s at every exposure, dark counts 100 everywhere.
struct HandSpectra {
  bool ShutterOpen = false;
  std::vector<int> Head = {20000, -1};
  std::string operator()(const std::string& cmd) {
    if (cmd == "OP" || cmd == "CL") ShutterOpen = cmd == "OP";
    if (cmd == "OP" || cmd == "CL" || cmd.rfind("GM,", 0) == 0) return "OK\r";
    if (cmd == "SS") return "1,25.5,12.0,0.85,1.2,OK\r";
    if (cmd != "RB,0") return HealthySr101(cmd);
    std::string block;
    for (size_t k = 0; k < 1024; ++k) {
      const auto u = static_cast<std::uint16_t>(ShutterOpen && k < Head.size() ? Head[k] : 100);
      block += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    }
    return block + "OK\r";
  }
};

TEST(DriverMeasure, CountsPerSecondFromHandComposedBlocks) {
  HandSpectra sensor;  // peak 20000 at 100 ms: between the limits, accepted at once
  Scripted s([&](const std::string& cmd) { return sensor(cmd); });
  CSR101& d = s.Driver;
  d.ExposureIndex = 3;
  ASSERT_EQ(d.Measure(), 1);
  EXPECT_EQ(d.MeasureOk, 1);
  const SensorMeasurement& m = d.Measurement;
  EXPECT_EQ(m.ExposureMs, 100);
  EXPECT_EQ((std::vector<float>{m.Light[0], m.Dark[0], m.Light[1], m.Light[2]}),
            (std::vector<float>{200000, 1000, -10, 1000}));
  EXPECT_EQ(m.SerialNo, "SN0042");
  EXPECT_EQ(m.StatusInt[0], 1);
  EXPECT_EQ((std::vector<float>(m.StatusFloat.begin(), m.StatusFloat.begin() + 4)),
            (std::vector<float>{25.5f, 12.0f, 0.85f, 1.2f}));
  EXPECT_EQ(s.Far.Commands(), (std::vector<std::string>{"", "OP", "GM,100,0,1", "RB,0", "CL",
                                                        "GM,100,0,1", "RB,0", "SER", "SS"}));
  // A damaged stored index starts from the end of the table.
  d.ExposureIndex = 42;
  ASSERT_EQ(d.Measure(), 1);
  EXPECT_EQ(m.ExposureMs, 5000);
  EXPECT_EQ(d.ExposureIndex, 8);
}

TEST(DriverMeasure, SaturatedPixelsAtTheShortestExposureAreZeroedInLightAndDark) {
  HandSpectra sensor;
  sensor.Head = {26000, 25000, 25001, -32768};
  Scripted s([&](const std::string& cmd) { return sensor(cmd); });
  ASSERT_EQ(s.Driver.Measure(), 1);
  const SensorMeasurement& m = s.Driver.Measurement;
  EXPECT_EQ(m.ExposureMs, 10);
  EXPECT_EQ(s.Driver.ExposureIndex, 0);
  // 26000 and 25001 zeroed, 25000 at the limit kept; dark counts are 100 everywhere.
  EXPECT_EQ((std::vector<float>(m.Light.begin(), m.Light.begin() + 5)),
            (std::vector<float>{0, 2500000, 0, -3276800, 10000}));
  EXPECT_EQ((std::vector<float>(m.Dark.begin(), m.Dark.begin() + 5)),
            (std::vector<float>{0, 10000, 0, 10000, 10000}));
}

}  // namespace
}  // namespace spectrel
