// The probe's report: the text a person reads and the JSON a script parses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "sensor/probe_report.h"

namespace spectrel {
namespace {

// Runs the test body in UTC so that local times are known, and puts the zone back afterwards.
class ProbeReport : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) Saved = tz, HadTz = true;
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
  }
  void TearDown() override {
    if (HadTz)
      ::setenv("TZ", Saved.c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  std::string Saved;
  bool HadTz = false;
};

ProbeResult Sr103Result() {
  ProbeResult r;
  r.Model = SR103;
  r.Port = "/dev/ttyUSB0";
  r.Ok = true;
  r.InfoStatus = 6;
  r.StatusText = "Measurement OK";
  SensorInfo info(SR103);
  info.SerialNo = "SN\"7\"";
  info.SensorId = "A\\B";
  info.SensorType = "SR-103";
  info.FirmwareVersion = "1.80";
  info.FirmwareTime = "2019/04/01 12:00:00";
  info.Coef = {"900", "1.5", "0", "0", "0", "0"};
  ComputeWavelengths(info);  // 901.5 .. 900 + 1.5 * 512 = 1668
  r.Info = info;
  SensorMeasurement m(SR103);
  m.MeasureTime = 1'700'000'000;  // 2023-11-14 22:13:20 UTC
  m.ExposureMs = 200;
  m.StatusInt = {0, 0, 1, -1};
  m.StatusFloat = {-10.0f, 31.5f, 28.0f, 12.0f, 1.5f, std::numeric_limits<float>::quiet_NaN(), 0.0f};
  m.Light[7] = 123456.5f;
  m.Light[8] = -5.0f;
  r.Measurement = m;
  return r;
}

TEST_F(ProbeReport, JsonHasAFixedShape) {
  const std::string expected =
      "{\"model\":\"SR-103\",\"port\":\"/dev/ttyUSB0\",\"ok\":true,\"info_status\":6,"
      "\"status\":\"Measurement OK\","
      "\"info\":{\"serial\":\"SN\\\"7\\\"\",\"id\":\"A\\\\B\",\"type\":\"SR-103\","
      "\"firmware_version\":\"1.80\",\"firmware_time\":\"2019/04/01 12:00:00\","
      "\"coefficients\":[\"900\",\"1.5\",\"0\",\"0\",\"0\",\"0\"],"
      "\"first_wavelength_nm\":901.5,\"last_wavelength_nm\":1668},"
      "\"measurement\":{\"time\":\"2023/11/14 22:13:20\",\"time_unix\":1700000000,"
      "\"exposure_ms\":200,\"peak_light_cps\":123456.5,\"status_int\":[0,0,1,-1],"
      "\"status_float\":[-10,31.5,28,12,1.5,null]}}\n";
  EXPECT_EQ(ProbeJson(Sr103Result()), expected);
}

TEST_F(ProbeReport, FailureInJsonCarriesTheStatusTextAndNoBlocks) {
  ProbeResult r;
  r.Model = SR101;
  r.Port = "/dev/pts/\x01\xE9";
  r.InfoStatus = 2;
  r.StatusText = "Error(Communication with the sensor failed)";
  EXPECT_EQ(ProbeJson(r),
            "{\"model\":\"SR-101\",\"port\":\"/dev/pts/\\u0001\\u00e9\",\"ok\":false,"
            "\"info_status\":2,\"status\":\"Error(Communication with the sensor failed)\","
            "\"info\":null,\"measurement\":null}\n");
}

TEST_F(ProbeReport, TextShowsInformationMeasurementAndResult) {
  ProbeResult r = Sr103Result();
  r.Info->SensorId = "ID\r\n7";  // control bytes from a noisy line do not reach the terminal
  const std::string text = ProbeText(r);
  EXPECT_NE(text.find("Sensor ID:         ID??7\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Wavelength range:  901.50 - 1668.00 nm\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Measurement time:  2023/11/14 22:13:20\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Exposure:          200 ms\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Peak light:        123456.5 counts/s\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Status integers:   0 0 1 -1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Status reals:      -10.00 31.50 28.00 12.00 1.50 -\n"), std::string::npos)
      << text;
  const std::string last = "Result:            Measurement OK\n";
  ASSERT_GE(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

TEST_F(ProbeReport, SecondTemperatureListedForTheModelThatHasIt) {
  ProbeResult r;
  r.Model = SR104;
  r.Ok = true;
  r.InfoStatus = 6;
  SensorMeasurement m(SR104);
  m.StatusFloat = {1, 2, 3, 4, 5, 6, -273.15f};
  r.Measurement = m;
  EXPECT_NE(ProbeJson(r).find("\"status_float\":[1,2,3,4,5,6,-273.15]"), std::string::npos);
  EXPECT_NE(ProbeText(r).find("Status reals:      1.00 2.00 3.00 4.00 5.00 6.00 -273.15\n"),
            std::string::npos);
}

}  // namespace
}  // namespace spectrel
