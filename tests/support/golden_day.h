// One small day as records and as the exact bytes of its day file (in UTC): the one place the
// file format is composed, read one way by the writer tests and the other by the reader tests.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "spectrum/records.h"

namespace spectrel::testing {

constexpr std::int64_t At090503 = 1555059903;   // 2019-04-12 09:05:03 UTC

// Four bytes per single-precision value, lowest first.
inline std::string Section(const std::vector<float>& values) {
  std::string bytes;
  for (float v : values)
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((std::bit_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
  return bytes;
}

inline std::vector<float> Ramp(int n, float first, float step) {
  std::vector<float> v(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) v[static_cast<size_t>(k)] = first + step * static_cast<float>(k);
  return v;
}

struct GoldenDay {
  CKrfData Set;
  std::string Bytes;
};

// SR-104 and SR-101 (joined in that order, written in model order), a point with both blocks and
// one without any. The SR-101 calibration is full of line feed, carriage return and NUL bytes;
// every status real has one decimal, so the records come back exactly.
inline GoldenDay MakeGoldenDay() {
  GoldenDay g;
  CKrfData& set = g.Set;
  set.SiteName = "Tsukuba";
  set.SiteLon = "140.125";
  set.SiteLat = "36.050";
  set.TimeZone = "+9";
  SensorInfo i104(SR104);
  i104.SerialNo = "D104";
  i104.SensorType = "SR-104";
  i104.Coef = {"898.6", "3.5", "0", "0", "0", "0"};
  i104.Calib = Ramp(256, 0.125f, 0.25f);
  ComputeWavelengths(i104);
  SensorInfo i101(SR101);
  i101.SerialNo = "A101";
  i101.SensorId = "ID1";
  i101.FirmwareVersion = "1.80";
  i101.FirmwareTime = "2019/04/01 12:00:00";
  i101.Coef = {"299.5", "0.78125", "0", "0", "0", "-1e-12"};
  i101.Calib.assign(1024, std::bit_cast<float>(0x0D0A000Du));   // bytes 0D 00 0A 0D
  ComputeWavelengths(i101);
  set.SetInfo(SR104, i104);
  set.SetInfo(SR101, i101);

  SensorMeasurement m104(SR104);
  m104.SerialNo = "D104";
  m104.MeasureTime = At090503 + 2;
  m104.ExposureMs = 30;
  m104.StatusInt = {0, 1, -1, 40000};
  m104.StatusFloat = {25.5f, -0.5f, 1234.5f, 3.5f, 0.0f, 12.0f, 30.5f};
  m104.Light = Ramp(256, -8.0f, 1.5f);
  m104.Dark = Ramp(256, 500.0f, 0.0f);
  SensorMeasurement m101(SR101);
  m101.SerialNo = "A101";
  m101.MeasureTime = At090503 + 1;
  m101.ExposureMs = 100;
  m101.StatusInt = {-3, 0, 0, 0};
  m101.StatusFloat = {20.5f, 11.5f, 0.5f, -0.5f, 0, 0, 0};
  m101.Light = Ramp(1024, 1000.0f, 1.0f);
  m101.Dark = Ramp(1024, 0.5f, 0.0f);
  CRad first;
  first.MeasureTime = At090503;
  first.Memo = "clear sky";
  first.SetBlock(SR104, m104);
  first.SetBlock(SR101, m101);
  set.AppendRad(first);
  CRad second;   // a memo of valid UTF-8 (a micro sign), a byte that is not UTF-8 and a control byte
  second.MeasureTime = At090503 + 600;
  second.Memo = "q\"b\xC2\xB5\xE9\x01";
  set.AppendRad(second);

  g.Bytes = "HD_KRF,100\nSITE,Tsukuba\nLON,140.125\nLAT,36.050\nALT,\nTZ,+9\nHD_KRF_END\n"
            "HD_SR101,100\nSN,A101\nID,ID1\nST,\nFV,1.80\nFT,2019/04/01 12:00:00\n"
            "C0,299.5\nC1,0.78125\nC2,0\nC3,0\nC4,0\nC5,-1e-12\n"
            "CAL_BGN\n" + Section(i101.Calib) + "CAL_END\nHD_SR101_END\n"
            "HD_SR104,100\nSN,D104\nID,\nST,SR-104\nFV,\nFT,\n"
            "C0,898.6\nC1,3.5\nC2,0\nC3,0\nC4,0\nC5,0\n"
            "CAL_BGN\n" + Section(i104.Calib) + "CAL_END\nHD_SR104_END\n"
            "DT_KRF,100\nMT,20190412090503\nMEMO,clear sky\nDT_KRF_END\n"
            "DT_SR101,100\nSN,A101\nMT,20190412090504\nET,100\nSS,-3,20.5,11.5,0.5,-0.5\n"
            "MD_BGN\n" + Section(m101.Light) + "MD_END\nDD_BGN\n" + Section(m101.Dark) + "DD_END\n"
            "DT_SR101_END\n"
            "DT_SR104,100\nSN,D104\nMT,20190412090505\nET,30\nSS,0,1,-1,40000,25.5,-0.5,1234.5,3.5,0.0,12.0,30.5\n"
            "MD_BGN\n" + Section(m104.Light) + "MD_END\nDD_BGN\n" + Section(m104.Dark) + "DD_END\n"
            "DT_SR104_END\n"
            "DT_KRF,100\nMT,20190412091503\nMEMO,q\"b\xC2\xB5\xE9\x01\nDT_KRF_END\n";
  return g;
}

}  // namespace spectrel::testing
