// The sensor side of the line, checked byte for byte through a plain termios client.
#include <cmath>
#include <cstdlib>

#include "sim_fixture.h"

namespace solmet_sim_test {
namespace {

using solmet_sim::SimulatedSensor;

TEST(SimProtocol, IdentificationRepliesAreValueCommaOkCr) {
  Rig rig(Unpaced(0));
  ASSERT_TRUE(rig.Started);
  ASSERT_TRUE(rig.Port->IsOpen());
  TestPort& port = *rig.Port;
  EXPECT_EQ(port.Ask(""), "OK\r");
  EXPECT_EQ(port.Ask("ID"), "SIM101,OK\r");
  EXPECT_EQ(port.Ask("ST"), "SR-101,OK\r");
  EXPECT_EQ(port.Ask("SER"), "SN1010007,OK\r");
  EXPECT_EQ(port.Ask("FV"), "1.80,OK\r");
  EXPECT_EQ(port.Ask("FT"), "2019/04/01,12:00:00,OK\r");
  EXPECT_EQ(rig.Sensor.SensorId(), "SIM101");
  EXPECT_EQ(rig.Sensor.SerialNo(), "SN1010007");
}

TEST(SimProtocol, ConfiguredSerialAndFirmwareAreAnswered) {
  auto config = Unpaced(2);
  config.Serial = "X-0042";
  config.Firmware = "2.01b";
  Rig rig(config);
  ASSERT_TRUE(rig.Started);
  EXPECT_EQ(rig.Port->Ask("SER"), "X-0042,OK\r");
  EXPECT_EQ(rig.Port->Ask("FV"), "2.01b,OK\r");
  rig.Sensor.SetFirmware("1.79");
  EXPECT_EQ(rig.Port->Ask("FV"), "1.79,OK\r");
}

TEST(SimProtocol, EveryModelNamesItselfAndAnswersItsBlockSizes) {
  for (int m = 0; m < 4; ++m) {
    SCOPED_TRACE(kNames[m]);
    Rig rig(Unpaced(m));
    ASSERT_TRUE(rig.Started);
    TestPort& port = *rig.Port;
    EXPECT_EQ(port.Ask("ST"), std::string(kNames[m]) + ",OK\r");

    port.Send("CALB\r");
    const std::string calib = port.ReadBytes(4 * kPixels[m]);
    ASSERT_EQ(calib.size(), 4u * kPixels[m]);
    EXPECT_EQ(port.ReadLine(), "OK\r");
    EXPECT_EQ(DecodeFloats(calib), rig.Sensor.Calibration());

    EXPECT_EQ(port.Ask("GM,10,0,1"), "OK\r");
    port.Send("RB,0\r");
    const std::string counts = port.ReadBytes(2 * kPixels[m]);
    ASSERT_EQ(counts.size(), 2u * kPixels[m]);
    EXPECT_EQ(port.ReadLine(), "OK\r");
    // The shutter starts closed, so this was a dark spectrum.
    EXPECT_EQ(DecodeCounts(counts), rig.Sensor.LastCounts(false));
    EXPECT_TRUE(rig.Sensor.LastCounts(true).empty());

    // Only the instrument with a pixel map answers "PXSB", only it knows "T2".
    if (m == 3) {
      port.Send("PXSB\r");
      const std::string map = port.ReadBytes(256);
      ASSERT_EQ(map.size(), 256u);
      EXPECT_EQ(port.ReadLine(), "OK\r");
      int dead = 0;
      for (char b : map) dead += b == 0;
      EXPECT_GE(dead, 1);
      EXPECT_LE(dead, 8);
      EXPECT_EQ(std::vector<std::uint8_t>(map.begin(), map.end()), rig.Sensor.PixelMap());
      EXPECT_EQ(port.Ask("T2"), "27.50,OK\r");
    } else {
      EXPECT_EQ(port.Ask("PXSB"), "ERR\r");
      EXPECT_EQ(port.Ask("T2"), "ERR\r");
    }
  }
}

TEST(SimProtocol, CalibrationFactorsArePositiveAndFinite) {
  for (int m = 0; m < 4; ++m) {
    SimulatedSensor sensor(Unpaced(m));
    const auto calib = sensor.Calibration();
    ASSERT_EQ(calib.size(), static_cast<std::size_t>(kPixels[m]));
    for (float f : calib) {
      ASSERT_TRUE(std::isfinite(f));
      ASSERT_GT(f, 0.0f);
    }
  }
}

// The axis from the six coefficient replies, pixel numbers counted from 1.
double AxisAt(const std::vector<std::string>& coef, int pixel) {
  double sum = 0.0, power = 1.0;
  for (const auto& c : coef) {
    sum += std::atof(c.c_str()) * power;
    power *= pixel;
  }
  return sum;
}

TEST(SimProtocol, CoefficientRepliesGiveEachModelsWavelengthRange) {
  const double first[4] = {300, 300, 900, 900};
  const double last[4] = {1100, 1100, 1700, 1800};
  for (int m = 0; m < 4; ++m) {
    SCOPED_TRACE(kNames[m]);
    Rig rig(Unpaced(m));
    ASSERT_TRUE(rig.Started);
    std::vector<std::string> coef;
    for (int j = 0; j < 6; ++j) {
      const auto tokens = Tokens(rig.Port->Ask("C" + std::to_string(j)));
      ASSERT_EQ(tokens.size(), 2u);
      EXPECT_EQ(tokens[1], "OK");
      EXPECT_LT(tokens[0].size(), 32u);  // fits the 32-byte text field with its NUL
      coef.push_back(tokens[0]);
    }
    EXPECT_EQ(coef, rig.Sensor.Coefficients());
    EXPECT_NEAR(AxisAt(coef, 1), first[m], 0.01);
    EXPECT_NEAR(AxisAt(coef, kPixels[m]), last[m], 0.01);
    EXPECT_LT(std::atof(coef[2].c_str()), 0.0);  // a slight bend, as a grating gives
    for (int i = 2; i <= kPixels[m]; ++i) ASSERT_GT(AxisAt(coef, i), AxisAt(coef, i - 1));
    EXPECT_EQ(rig.Port->Ask("C6"), "ERR\r");
  }
}

TEST(SimProtocol, StatusCarriesTheModelsValueCount) {
  const std::size_t values[4] = {5, 5, 10, 10};
  for (int m = 0; m < 4; ++m) {
    SCOPED_TRACE(kNames[m]);
    Rig rig(Unpaced(m));
    ASSERT_TRUE(rig.Started);
    const auto tokens = Tokens(rig.Port->Ask("SS"));
    ASSERT_EQ(tokens.size(), values[m] + 1);
    EXPECT_EQ(tokens.back(), "OK");
    EXPECT_EQ(std::vector<std::string>(tokens.begin(), tokens.end() - 1), rig.Sensor.StatusTokens());
    if (m < 2) {
      EXPECT_EQ(tokens[0], "-1");                           // Peltier cooling
      EXPECT_DOUBLE_EQ(std::atof(tokens[1].c_str()), 25.0);  // sensor temperature
      EXPECT_DOUBLE_EQ(std::atof(tokens[2].c_str()), 12.0);  // supply voltage
    } else {
      EXPECT_EQ(tokens[1], "0");                             // cooling active
      EXPECT_EQ(tokens[2], "0");                             // fin normal
      EXPECT_DOUBLE_EQ(std::atof(tokens[4].c_str()), -10.0); // cooled InGaAs
      EXPECT_DOUBLE_EQ(std::atof(tokens[7].c_str()), 12.0);  // supply voltage
    }
  }
}

TEST(SimProtocol, UnknownOrMalformedCommandsAnswerErrWithoutOk) {
  Rig rig(Unpaced(1));
  ASSERT_TRUE(rig.Started);
  TestPort& port = *rig.Port;
  EXPECT_EQ(port.Ask("XYZ"), "ERR\r");
  EXPECT_EQ(port.Ask("id"), "ERR\r");
  EXPECT_EQ(port.Ask("ID,1"), "ERR\r");
  EXPECT_EQ(port.Ask("GM,abc,0,1"), "ERR\r");
  EXPECT_EQ(port.Ask("GM,0,0,1"), "ERR\r");
  EXPECT_EQ(port.Ask("GM,10,0"), "ERR\r");
  EXPECT_EQ(port.Ask("RB,1"), "ERR\r");
  EXPECT_EQ(port.Ask("RB"), "ERR\r");
  // A line feed is not a line end: "ID\n" is a different command.
  EXPECT_EQ(port.Ask("ID\n"), "ERR\r");
  // No malformed "GM" took a spectrum, and the line still works afterwards.
  EXPECT_TRUE(rig.Sensor.LastCounts(false).empty());
  EXPECT_EQ(port.Ask("ST"), "SR-102,OK\r");
}

TEST(SimProtocol, CommandsAreRecordedWithoutTheirCr) {
  Rig rig(Unpaced(0));
  ASSERT_TRUE(rig.Started);
  rig.Port->Ask("");
  rig.Port->Ask("ID");
  rig.Port->Ask("GM,20,0,1");
  rig.Port->Ask("XYZ");
  EXPECT_EQ(rig.Sensor.Commands(), (std::vector<std::string>{"", "ID", "GM,20,0,1", "XYZ"}));
  rig.Sensor.ClearCommands();
  EXPECT_TRUE(rig.Sensor.Commands().empty());
  // Two commands in one write are two lines.
  rig.Port->Send("OP\rCL\r");
  EXPECT_EQ(rig.Port->ReadLine(), "OK\r");
  EXPECT_EQ(rig.Port->ReadLine(), "OK\r");
  EXPECT_EQ(rig.Sensor.Commands(), (std::vector<std::string>{"OP", "CL"}));
}

}  // namespace
}  // namespace solmet_sim_test
