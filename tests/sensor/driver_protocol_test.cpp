// The driver's protocol, identification and acquisition against a scripted far end: exact bytes
// on the wire, replies composed by hand, no time passing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sensor/sensor_driver.h"
#include "support/fake_clock.h"
#include "support/scripted_port.h"

namespace spectrel {
namespace {

using testing::ScriptedLine;
using Commands = std::vector<std::string>;

std::string Counts(const std::vector<int>& counts) {
  std::string block;
  for (int c : counts) block += {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF)};
  return block;
}

// A hand-made sensor: axis w(p) = 100 + 0.5 p + 0.001 p^2 nm, calibration 1.0f (0x3F800000) then
// 0.05f (0x3D4CCCCD) then 0, pixel 6 dead in the map, light spectra whose first pixel is
// Peak(exposure ms) and 100 elsewhere, dark 100 everywhere. Override replaces replies.
struct HandSensor {
  explicit HandSensor(int model = SR101, std::function<int(int)> peak = [](int) { return 20000; })
      : Model(model), Peak(std::move(peak)) {}
  int Model;
  std::function<int(int)> Peak;
  std::map<std::string, std::string> Override;
  std::function<void()> OnExposure = [] {};
  bool ShutterOpen = false;
  int ExposureMs = 0;

  std::string operator()(const std::string& cmd) {
    if (Override.count(cmd)) return Override[cmd];
    const int pixels = Models[Model].Pixels;
    const std::map<std::string, std::string> lines = {
        {"", ""}, {"ID", "ID-7,"}, {"ST", std::string(Models[Model].Name) + ","}, {"SER", "SN0042,"},
        {"FV", "1.80,"}, {"FT", "2019/04/01,12:00:00,"}, {"C0", "100,"}, {"C1", "0.5,"},
        {"C2", "1.0E-3,"}, {"C3", "0,"}, {"C4", "0,"}, {"C5", "0,"}, {"OP", ""}, {"CL", ""},
        {"T2", "27.5,"},
        {"SS", Models[Model].StatusIntCount == 4 ? "0,0,1,-1,-10.0,31.5,28.0,12.0,1.5,2.1," : "1,25.5,12.0,0.85,1.2,"}};
    if (cmd == "OP" || cmd == "CL") ShutterOpen = cmd == "OP";
    if (lines.count(cmd)) return lines.at(cmd) + "OK\r";
    if (cmd.rfind("GM,", 0) == 0) {
      ExposureMs = std::stoi(cmd.substr(3));
      OnExposure();
      return "OK\r";
    }
    if (cmd == "CALB")
      return std::string("\x00\x00\x80\x3F\xCD\xCC\x4C\x3D", 8) + std::string(4 * pixels - 8, '\0') + "OK\r";
    if (cmd == "PXSB") return std::string(5, '\1') + '\0' + std::string(pixels - 6, '\1') + "OK\r";
    if (cmd != "RB,0") return "ERR\r";
    std::vector<int> counts(static_cast<size_t>(pixels), 100);
    if (ShutterOpen) counts[0] = Peak(ExposureMs);
    return Counts(counts) + "OK\r";
  }
};

// A driver of the sensor's model on a scripted line answered by the hand-made sensor.
struct Rig {
  explicit Rig(HandSensor s = HandSensor(), const Clock& clock = RealClock())
      : Sensor(std::move(s)), Line([this](const std::string& c) { return Sensor(c); }),
        Driver(Sensor.Model, clock) {
    Driver.UsePort(Line.MakePort());
    EXPECT_TRUE(Driver.OpenPort("/dev/sensor", 38400));
  }
  HandSensor Sensor;
  ScriptedLine Line;
  CSensorDriver Driver;
};

TEST(DriverProtocol, RepliesAreReadLineByLineWithBinaryBlocksBetween) {
  Rig r;
  r.Line.Reply = [](const std::string& c) { return c == "LONG" ? std::string(300, 'x') + ",OK\r" : c + "\r"; };
  CSensorDriver& d = r.Driver;
  EXPECT_EQ(d.SendCommand("GM", 100, 0, 1), 11);  // the text's length, CR included
  EXPECT_EQ(d.SendCommand(""), 1);
  EXPECT_EQ(r.Line.Written, "GM,100,0,1\r\r");
  char line[256];
  EXPECT_EQ(d.ReadLine(line, 1), 11);
  EXPECT_STREQ(line, "GM,100,0,1\r");
  EXPECT_EQ(d.ReadLine(line, 1), 1);
  // An overlong line keeps its head; the next line starts clean.
  d.SendCommand("LONG");
  EXPECT_EQ(d.ReadLine(line, 2), 304);
  EXPECT_EQ(std::string(line), std::string(255, 'x'));
  d.SendCommand("NEXT,OK");
  ASSERT_TRUE(d.QueryOk(2));
  EXPECT_EQ(d.Token(2), "");
  r.Line.Reply = [](const std::string&) { return std::string("\x01\x02\x00\x0D\x03", 5) + "OK\r"; };
  std::vector<std::uint8_t> block(5);
  d.SendCommand("RB", 0);
  ASSERT_EQ(d.ReadBlock(block, 10), 5);
  EXPECT_EQ(block, (std::vector<std::uint8_t>{1, 2, 0, 0x0D, 3}));  // a CR inside a block is data
  EXPECT_EQ(d.ReadLine(1), 3);
  EXPECT_TRUE(r.Line.Waits.empty());
}

// Nothing more comes: each read waits out its whole deadline once.
TEST(DriverProtocol, AReadOfAnUnfinishedReplyWaitsOutItsWholeDeadlineOnce) {
  Rig r;
  CSensorDriver& d = r.Driver;
  r.Line.Reply = [](const std::string&) { return std::string("\x01\x02\x03", 3); };
  std::vector<std::uint8_t> more(6);
  d.SendCommand("RB", 0);
  EXPECT_EQ(d.ReadBlock(more, 10), -1);
  r.Line.Incoming = "12,OK";  // cut off without its CR: no reply
  EXPECT_FALSE(d.QueryOk(2));
  ASSERT_EQ(r.Line.Waits.size(), 2u);
  EXPECT_GT(r.Line.Waits[0], 9900);
  EXPECT_GT(r.Line.Waits[1], 1900);
}

// A stop ends every wait before it begins, even with a silent sensor.
TEST(DriverProtocol, AStopEndsEveryWaitBeforeItBegins) {
  Rig r;
  r.Line.Reply = [](const std::string&) { return std::string(); };
  CSensorDriver& d = r.Driver;
  std::atomic<bool> stop{true};
  d.SetStopFlag(&stop);
  EXPECT_FALSE(d.Measure());
  EXPECT_TRUE(r.Line.Waits.empty());
  EXPECT_FALSE(d.PortLost());
}

// A hung-up line ends every wait at once and counts as lost until the port is opened again.
TEST(DriverProtocol, AHungUpLineIsLostUntilThePortIsOpenedAgain) {
  Rig r;
  r.Line.Reply = [](const std::string&) { return std::string(); };
  CSensorDriver& d = r.Driver;
  r.Line.HungUp = true;
  EXPECT_FALSE(d.ReadSensorInfo());
  EXPECT_EQ(d.InfoStatus, InfoNoAnswer);
  EXPECT_EQ(r.Line.Waits.size(), 1u);
  EXPECT_TRUE(d.PortLost());
  r.Line.HungUp = false;
  EXPECT_TRUE(d.OpenPort("/dev/sensor", 38400));
  EXPECT_FALSE(d.PortLost());
}

TEST(DriverExchange, IdentifiesThenMeasuresASensorIntoItsRecords) {
  Rig r;
  CSensorDriver& d = r.Driver;
  const LineSettings& line = r.Line.Settings;
  EXPECT_EQ(line, (LineSettings{38400, 8, LineParity::None, LineStopBits::One}));
  ASSERT_TRUE(d.ReadSensorInfo());
  EXPECT_EQ(d.InfoStatus, InfoReady);
  EXPECT_EQ(r.Line.Written, "\rID\rST\rSER\rFV\rFT\rC0\rC1\rC2\rC3\rC4\rC5\rCALB\r");
  EXPECT_EQ((Commands{d.Info.SensorId, d.Info.SensorType, d.Info.SerialNo, d.Info.FirmwareVersion,
                      d.Info.FirmwareTime, d.Info.Coef[0], d.Info.Coef[2], d.Info.Coef[5]}),
            (Commands{"ID-7", "SR-101", "SN0042", "1.80", "2019/04/01 12:00:00", "100", "1.0E-3", "0"}));
  EXPECT_FLOAT_EQ(d.Info.Wavelength[9], 105.1f);   // the axis follows: pixel 10 is 100 + 5 + 0.1 nm
  EXPECT_EQ((std::vector<float>{d.Info.Calib[0], d.Info.Calib[1], d.Info.Calib[1023]}),
            (std::vector<float>{1.0f, 0.05f, 0.0f}));
  EXPECT_TRUE(r.Line.Incoming.empty());  // the line after the block was read
  // Peak 20000 at 100 ms: between the limits, accepted at once.
  r.Line.Written.clear();
  d.ExposureIndex = 3;
  ASSERT_TRUE(d.Measure());
  EXPECT_TRUE(d.MeasureOk);
  EXPECT_EQ(r.Line.Written, "\rOP\rGM,100,0,1\rRB,0\rCL\rGM,100,0,1\rRB,0\rSER\rSS\r");
  const SensorMeasurement& m = d.Measurement;
  EXPECT_EQ(m.ExposureMs, 100);
  EXPECT_EQ((std::vector<float>{m.Light[0], m.Dark[0], m.Light[1], m.Dark[1023]}),
            (std::vector<float>{200000, 1000, 1000, 1000}));
  EXPECT_EQ(m.SerialNo, "SN0042");
  EXPECT_EQ(m.StatusInt[0], 1);
  EXPECT_EQ((std::vector<float>(m.StatusFloat.begin(), m.StatusFloat.begin() + 4)),
            (std::vector<float>{25.5f, 12.0f, 0.85f, 1.2f}));
  EXPECT_TRUE(r.Line.Incoming.empty());
  d.ClosePort();
  EXPECT_EQ(d.InfoStatus, InfoNone);
  EXPECT_FALSE(d.OpenPort("0", 38400));  // no port chosen
  EXPECT_EQ(d.InfoStatus, InfoPortFailed);
}

TEST(DriverIdentification, EachFailureEndsIdentificationWithItsOwnStatus) {
  struct Case {
    int Model;
    std::string Command, Reply;
    int Status;
  };
  std::vector<Case> cases = {{SR101, "", "", InfoNoAnswer},
                             {SR102, "ST", "SR-103,OK\r", InfoWrongName},
                             {SR103, "CALB", std::string(2047, '\0'), InfoCalibFailed},
                             {SR104, "PXSB", std::string(255, '\1'), InfoCalibFailed}};
  for (const char* query : {"ID", "ST", "SER", "FV", "FT", "C0", "C1", "C2", "C3", "C4", "C5"})
    cases.push_back({SR101, query, "12,NG\r", InfoQueryFailed});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Command);
    HandSensor s(c.Model);
    s.Override[c.Command] = c.Reply;
    Rig r(s);
    EXPECT_FALSE(r.Driver.ReadSensorInfo());
    EXPECT_EQ(r.Driver.InfoStatus, c.Status);
    const bool wrongName = c.Status == InfoWrongName;
    // Nothing is asked after the failure; a wrong name is refused after every query.
    EXPECT_EQ(r.Line.Commands.back(), wrongName ? "C5" : c.Command);
    if (wrongName) {
      EXPECT_EQ(r.Driver.Info.SerialNo, "SN0042");
    }
    if (c.Status == InfoCalibFailed) {
      EXPECT_GT(r.Line.Waits.back(), 4900);  // the 5 s block deadline
      EXPECT_LE(r.Line.Waits.back(), 5000);
      EXPECT_EQ(r.Driver.Info.Calib[0], c.Model == SR104 ? 1.0f : 0.0f);  // no partial block stored
    }
  }
}

// The exposures of the "GM" commands sent, in order.
std::vector<int> Exposures(const Commands& commands) {
  std::vector<int> out;
  for (const auto& c : commands)
    if (c.rfind("GM,", 0) == 0) out.push_back(std::stoi(c.substr(3)));
  return out;
}

TEST(DriverMeasure, TheExposureStepsUntilItSettlesWhereTheNextMeasureStarts) {
  struct Case {
    int Start;  // 0 = 10 ms, 3 = 100 ms, 7 = 2000 ms, 42 = damaged
    std::function<int(int)> Peak;
    std::vector<int> Gm;  // light exposures, then the dark one
  };
  const Case cases[] = {
      {0, [](int) { return 9000; }, {10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 5000}},
      {3, [](int e) { return e == 100 ? 25000 : 12500; }, {100, 50, 50}},
      {42, [](int) { return 20000; }, {5000, 5000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Gm));
    Rig r(HandSensor(SR101, c.Peak));
    r.Driver.ExposureIndex = c.Start;
    ASSERT_TRUE(r.Driver.Measure());
    EXPECT_EQ(Exposures(r.Line.Commands), c.Gm);
    r.Line.Commands.clear();
    ASSERT_TRUE(r.Driver.Measure());
    EXPECT_EQ(Exposures(r.Line.Commands), (std::vector<int>{c.Gm.back(), c.Gm.back()}));
  }
}

TEST(DriverMeasure, FifteenPassesWithoutAcceptanceKeepTheLastLightExposure) {
  testing::FakeClock clock(1'700'000'000);
  HandSensor s;  // 20 ms just too dim, 50 ms just too bright: the exposure swings between them
  s.Peak = [](int e) { return e == 10 ? 5000 : e == 20 ? 10000 : 25000; };
  s.OnExposure = [&clock] { clock.Advance(1); };
  Rig r(s, clock);
  ASSERT_TRUE(r.Driver.Measure());
  // 15 light spectra and the dark one.
  EXPECT_EQ(Exposures(r.Line.Commands), (std::vector<int>{10, 20, 50, 20, 50, 20, 50, 20, 50, 20, 50, 20, 50, 20, 50, 50}));
  EXPECT_EQ(r.Driver.Measurement.ExposureMs, 50);
  EXPECT_EQ(r.Driver.ExposureIndex, 2);
  EXPECT_EQ(r.Driver.Measurement.MeasureTime, 1'700'000'014);  // noted before the fifteenth
}

TEST(DriverMeasure, AFailedMeasureKeepsItsExposureIndex) {
  HandSensor silentGm;
  silentGm.Override["GM,5000,0,1"] = "";
  Rig r(silentGm);
  r.Driver.ExposureIndex = 8;
  EXPECT_FALSE(r.Driver.Measure());
  EXPECT_FALSE(r.Driver.MeasureOk);
  EXPECT_EQ(r.Driver.ExposureIndex, 8);
  EXPECT_EQ(r.Line.Commands, (Commands{"", "OP", "GM,5000,0,1", "CL"}));  // the shutter is closed
  EXPECT_GT(r.Line.Waits.front(), 6900);  // 5000 / 1000 + 2 s
  EXPECT_LE(r.Line.Waits.front(), 7000);
  HandSensor fewValues(SR103);
  fewValues.Override["SS"] = "0,0,1,-1,-10.0,31.5,28.0,12.0,OK\r";
  Rig few(fewValues);
  EXPECT_FALSE(few.Driver.Measure());
  EXPECT_EQ(few.Line.Commands.back(), "SS");
  // The fixed-exposure model leaves the shutter open after a failed light spectrum.
  HandSensor fixed(SR104);
  fixed.Override["GM,30,0,1"] = "ERR\r";
  Rig sr104(fixed);
  EXPECT_FALSE(sr104.Driver.Measure());
  EXPECT_EQ(sr104.Line.Commands, (Commands{"", "OP", "GM,30,0,1"}));
}

TEST(DriverMeasure, TheFixedExposureModelFromItsPixelMapToTheSecondTemperatureOfOneFirmware) {
  for (const char* firmware : {"1.80", "1.81", "1.8", "1.80 "}) {
    SCOPED_TRACE(firmware);
    HandSensor s(SR104, [](int) { return 32000; });
    s.Override = {{"FV", std::string(firmware) + ",OK\r"}, {"ID", std::string(40, 'I') + ",OK\r"},
                  {"FT", std::string(20, 'D') + "," + std::string(20, 'T') + ",OK\r"}};
    Rig r(s);
    ASSERT_TRUE(r.Driver.ReadSensorInfo());
    EXPECT_EQ(r.Line.Commands.back(), "PXSB");
    // Overlong tokens are cut to the 32-byte text fields.
    EXPECT_EQ(r.Driver.Info.SensorId, std::string(31, 'I'));
    EXPECT_EQ(r.Driver.Info.FirmwareTime, std::string(20, 'D') + " " + std::string(10, 'T'));
    r.Line.Commands.clear();
    r.Driver.Measurement.StatusFloat[6] = 99.0f;
    ASSERT_TRUE(r.Driver.Measure());
    const bool asked = std::string(firmware) == "1.80";
    Commands expected = {"", "OP", "GM,30,0,1", "RB,0", "CL", "GM,30,0,1", "RB,0", "SER", "SS", "FV"};
    if (asked) expected.push_back("T2");
    EXPECT_EQ(r.Line.Commands, expected);
    const SensorMeasurement& m = r.Driver.Measurement;
    EXPECT_EQ(m.ExposureMs, 30);
    // 32000 stays (no saturation test); the dead sixth pixel reads 0 in light and dark.
    EXPECT_EQ((std::vector<float>{m.Light[0], m.Dark[0], m.Light[5], m.Dark[5]}),
              (std::vector<float>{static_cast<float>(32000 / 0.03), static_cast<float>(100 / 0.03), 0, 0}));
    EXPECT_EQ(m.StatusInt[3], -1);
    EXPECT_EQ(m.StatusFloat[5], 2.1f);
    EXPECT_EQ(m.StatusFloat[6], asked ? 27.5f : -273.15f);
  }
}

}  // namespace
}  // namespace spectrel
