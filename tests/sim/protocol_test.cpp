// The sensor side of the line, checked byte for byte through a plain termios client.
#include <cmath>
#include <cstdlib>

#include "sim_fixture.h"

namespace solmet_sim_test {
namespace {

TEST(SimProtocol, IdentificationRepliesAreValueCommaOkCr) {
  Rig rig(Unpaced(0));
  ASSERT_TRUE(rig.Started);
  ASSERT_TRUE(rig.Port->IsOpen());
  const std::pair<const char*, const char*> replies[] = {
      {"", "OK\r"}, {"ID", "SIM101,OK\r"}, {"ST", "SR-101,OK\r"}, {"SER", "SN1010007,OK\r"},
      {"FV", "1.80,OK\r"}, {"FT", "2019/04/01,12:00:00,OK\r"}};
  for (const auto& [command, reply] : replies) EXPECT_EQ(rig.Port->Ask(command), reply) << command;
  EXPECT_EQ(rig.Sensor.SensorId(), "SIM101");
  EXPECT_EQ(rig.Sensor.SerialNo(), "SN1010007");
  // A configured serial number and firmware version are answered, the latter changeable.
  auto config = Unpaced(2);
  config.Serial = "X-0042";
  config.Firmware = "2.01b";
  Rig other(config);
  ASSERT_TRUE(other.Started);
  EXPECT_EQ(other.Port->Ask("SER"), "X-0042,OK\r");
  EXPECT_EQ(other.Port->Ask("FV"), "2.01b,OK\r");
  other.Sensor.SetFirmware("1.79");
  EXPECT_EQ(other.Port->Ask("FV"), "1.79,OK\r");
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
    for (float f : DecodeFloats(calib)) ASSERT_TRUE(std::isfinite(f) && f > 0.0f) << f;

    EXPECT_EQ(port.Ask("GM,10,0,1"), "OK\r");
    port.Send("RB,0\r");
    const std::string counts = port.ReadBytes(2 * kPixels[m]);
    ASSERT_EQ(counts.size(), 2u * kPixels[m]);
    EXPECT_EQ(port.ReadLine(), "OK\r");
    // The shutter starts closed, so this was a dark spectrum.
    EXPECT_EQ(DecodeCounts(counts), rig.Sensor.LastCounts(false));
    EXPECT_TRUE(rig.Sensor.LastCounts(true).empty());

    // Only the instrument with a pixel map answers "PXSB", only it knows "T2".
    if (m != 3) {
      EXPECT_EQ(port.Ask("PXSB"), "ERR\r");
      EXPECT_EQ(port.Ask("T2"), "ERR\r");
      continue;
    }
    port.Send("PXSB\r");
    const std::string map = port.ReadBytes(256);
    ASSERT_EQ(map.size(), 256u);
    EXPECT_EQ(port.ReadLine(), "OK\r");
    const auto dead = std::count(map.begin(), map.end(), '\0');
    EXPECT_GE(dead, 1);
    EXPECT_LE(dead, 8);
    EXPECT_EQ(std::vector<std::uint8_t>(map.begin(), map.end()), rig.Sensor.PixelMap());
    EXPECT_EQ(port.Ask("T2"), "27.50,OK\r");
  }
}

// The axis from the six coefficient replies, pixel numbers counted from 1.
double AxisAt(const std::vector<std::string>& coef, int pixel) {
  double sum = 0.0, power = 1.0;
  for (const auto& c : coef) sum += std::atof(c.c_str()) * power, power *= pixel;
  return sum;
}

TEST(SimProtocol, CoefficientRepliesGiveEachModelsWavelengthRange) {
  const double first[4] = {300, 300, 900, 900}, last[4] = {1100, 1100, 1700, 1800};
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
    const auto real = [&](int t) { return std::atof(tokens[static_cast<std::size_t>(t)].c_str()); };
    if (m < 2) {
      EXPECT_EQ(tokens[0], "-1");          // Peltier cooling
      EXPECT_DOUBLE_EQ(real(1), 25.0);     // sensor temperature
      EXPECT_DOUBLE_EQ(real(2), 12.0);     // supply voltage
    } else {
      EXPECT_EQ(tokens[1], "0");           // cooling active
      EXPECT_EQ(tokens[2], "0");           // fin normal
      EXPECT_DOUBLE_EQ(real(4), -10.0);    // cooled InGaAs
      EXPECT_DOUBLE_EQ(real(7), 12.0);     // supply voltage
    }
  }
}

TEST(SimProtocol, UnknownOrMalformedCommandsAnswerErrWithoutOk) {
  Rig rig(Unpaced(1));
  ASSERT_TRUE(rig.Started);
  // A line feed is not a line end: "ID\n" is a different command.
  for (const char* command : {"XYZ", "id", "ID,1", "GM,abc,0,1", "GM,0,0,1", "GM,10,0", "RB,1", "RB", "ID\n"})
    EXPECT_EQ(rig.Port->Ask(command), "ERR\r") << command;
  // No malformed "GM" took a spectrum, and the line still works afterwards.
  EXPECT_TRUE(rig.Sensor.LastCounts(false).empty());
  EXPECT_EQ(rig.Port->Ask("ST"), "SR-102,OK\r");
}

TEST(SimProtocol, CommandsAreRecordedWithoutTheirCr) {
  Rig rig(Unpaced(0));
  ASSERT_TRUE(rig.Started);
  for (const char* command : {"", "ID", "GM,20,0,1", "XYZ"}) rig.Port->Ask(command);
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
