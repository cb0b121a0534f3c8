// The day file writer: exact bytes of every block kind, composed here line by line.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/krf_test_support.h"
#include "spectrum/records.h"
#include "support/comma_locale.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

using testing::ReadBytes;
using testing::ScopedTz;
using testing::Section;
using testing::TempDir;

constexpr std::int64_t At090503 = 1555059903;   // 2019-04-12 09:05:03 UTC

const std::string HeaderOfTsukuba =
    "HD_KRF,100\nSITE,Tsukuba\nLON,140.125\nLAT,36.050\nALT,\nTZ,+9\nHD_KRF_END\n";

CKrfData Tsukuba() {
  CKrfData set;
  set.SiteName = "Tsukuba";
  set.SiteLon = "140.125";
  set.SiteLat = "36.050";
  set.TimeZone = "+9";
  return set;
}

std::vector<float> Table(int n, const std::function<float(int)>& f) {
  std::vector<float> v(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) v[static_cast<size_t>(k)] = f(k);
  return v;
}

TEST(KrfWriter, WholeWriteIsTheSevenHeaderLinesAndReplacesTheOldFileAtOnce) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  const std::string old = "HD_KRF,100\n" + std::string(5000, 'x') + "\n";
  testing::WriteBytes(path, old);
  const int reader = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  ASSERT_EQ(Tsukuba().SaveKrf(path), 1);
  EXPECT_EQ(ReadBytes(path), HeaderOfTsukuba);   // shorter than before: nothing of the old left
  // A reader that had the old file open keeps reading the old content whole.
  std::string seen(old.size() + 10, '\0');
  EXPECT_EQ(::pread(reader, seen.data(), seen.size(), 0), static_cast<ssize_t>(old.size()));
  EXPECT_EQ(seen.substr(0, old.size()), old);
  ::close(reader);
  EXPECT_EQ(dir.Count(), 1);   // no temporary file stays behind

  EXPECT_EQ(Tsukuba().SaveKrf(dir.File("no/such/folder/20190412.KRF")), 0);
  EXPECT_EQ(Tsukuba().SaveKrf(dir.Path), 0);   // a folder in place of the file
  EXPECT_EQ(dir.Count(), 1);
}

TEST(KrfWriter, PointWithoutBlocksIsFourLinesOfLocalTime) {
  struct Case {
    const char* Zone;
    std::int64_t Time;
    const char* Memo;
    const char* Lines;
  };
  const Case cases[] = {
      {"UTC0", At090503, "a,b", "MT,20190412090503\nMEMO,a,b\n"},   // values are not escaped
      // 09:05:03 in Berlin summer time is 07:05:03 UTC.
      {"Europe/Berlin", 1555052703, "", "MT,20190412090503\nMEMO,\n"},
      {"UTC0", INT64_MAX, "", "MT,\nMEMO,\n"},   // beyond the calendar: the value stays empty
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Zone);
    ScopedTz tz(c.Zone);
    TempDir dir;
    CKrfData set = Tsukuba();
    CRad rad;
    rad.MeasureTime = c.Time;
    rad.Memo = c.Memo;
    set.AppendRad(rad);
    ASSERT_EQ(set.SaveKrf(dir.File("20190412.KRF")), 1);
    EXPECT_EQ(ReadBytes(dir.File("20190412.KRF")),
              HeaderOfTsukuba + "DT_KRF,100\n" + c.Lines + "DT_KRF_END\n");
  }
}

SensorInfo Info(int model, const char* serial, const char* id, const char* type, const char* fv,
                const char* ft, std::array<std::string, 6> coef, std::vector<float> calib) {
  SensorInfo info(model);
  info.SerialNo = serial;
  info.SensorId = id;
  info.SensorType = type;
  info.FirmwareVersion = fv;
  info.FirmwareTime = ft;
  info.Coef = coef;
  info.Calib = std::move(calib);
  return info;
}

TEST(KrfWriter, HeadersAndDataBlocksFollowModelOrder) {
  ScopedTz tz("UTC0");
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  CKrfData set = Tsukuba();
  const SensorInfo info103 =
      Info(SR103, "B103", "ID3", "SR-103", "2.01", "2018/11/30 08:15:00",
           {"890.5", "1.5625", "0", "-2.5e-05", "0", "0"}, Table(512, [](int k) { return 1.0f + k; }));
  const SensorInfo info101 =
      Info(SR101, "A101", "ID1", "SR-101", "1.80", "2019/04/01 12:00:00",
           {"299.5", "0.78125", "0", "0", "0", "-1e-12"}, Table(1024, [](int k) { return 0.25f * (k % 7); }));
  set.SetInfo(SR103, info103);   // joined first, still written second
  set.SetInfo(SR101, info101);

  CRad rad;
  rad.MeasureTime = At090503;
  rad.Memo = "clear sky";
  SensorMeasurement m103(SR103);
  m103.SerialNo = "B103";
  m103.MeasureTime = At090503 + 2;
  m103.ExposureMs = 50;
  m103.StatusInt = {1, -2, 3, 40000};
  m103.StatusFloat = {1.0f, 2.5f, -0.04f, 0.05f, 20.25f, 21.75f, 99.0f};   // seventh unused
  m103.Light = Table(512, [](int k) { return static_cast<float>(k); });
  m103.Dark = Table(512, [](int k) { return -static_cast<float>(k); });
  SensorMeasurement m101(SR101);
  m101.SerialNo = "A101";
  m101.MeasureTime = At090503 + 1;
  m101.ExposureMs = 100;
  m101.StatusInt = {-3, 7, 7, 7};   // only the first belongs to the model
  m101.StatusFloat = {20.25f, 21.75f, 0.05f, -0.04f, 5.0f, 5.0f, 5.0f};
  m101.Light = Table(1024, [](int k) { return 1000.0f + k; });
  m101.Dark = Table(1024, [](int) { return 0.5f; });
  rad.SetBlock(SR103, m103);   // finished first, still written second
  rad.SetBlock(SR101, m101);
  set.AppendRad(rad);
  ASSERT_EQ(set.SaveKrf(path), 1);

  const std::string expected =
      HeaderOfTsukuba +
      "HD_SR101,100\nSN,A101\nID,ID1\nST,SR-101\nFV,1.80\nFT,2019/04/01 12:00:00\n"
      "C0,299.5\nC1,0.78125\nC2,0\nC3,0\nC4,0\nC5,-1e-12\n"
      "CAL_BGN\n" + Section(info101.Calib) + "CAL_END\nHD_SR101_END\n"
      "HD_SR103,100\nSN,B103\nID,ID3\nST,SR-103\nFV,2.01\nFT,2018/11/30 08:15:00\n"
      "C0,890.5\nC1,1.5625\nC2,0\nC3,-2.5e-05\nC4,0\nC5,0\n"
      "CAL_BGN\n" + Section(info103.Calib) + "CAL_END\nHD_SR103_END\n"
      "DT_KRF,100\nMT,20190412090503\nMEMO,clear sky\nDT_KRF_END\n"
      "DT_SR101,100\nSN,A101\nMT,20190412090504\nET,100\nSS,-3,20.2,21.8,0.1,-0.0\n"
      "MD_BGN\n" + Section(m101.Light) + "MD_END\nDD_BGN\n" + Section(m101.Dark) + "DD_END\n"
      "DT_SR101_END\n"
      "DT_SR103,100\nSN,B103\nMT,20190412090505\nET,50\nSS,1,-2,3,40000,1.0,2.5,-0.0,0.1,20.2,21.8\n"
      "MD_BGN\n" + Section(m103.Light) + "MD_END\nDD_BGN\n" + Section(m103.Dark) + "DD_END\n"
      "DT_SR103_END\n";
  const std::string written = ReadBytes(path);
  EXPECT_EQ(written.size(), expected.size());
  EXPECT_TRUE(written == expected);   // binary content: no dump of 20 KB on failure
}

TEST(KrfWriter, BinarySectionsKeepLineFeedsCarriageReturnsAndNuls) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  CKrfData set;
  SensorInfo info(SR101);
  for (auto& c : info.Calib) c = testing::FloatFromBits(0x0D0A000Du);   // bytes 0D 00 0A 0D
  info.Calib.back() = testing::FloatFromBits(0x0A0D0A00u);             // 00 0A 0D 0A: ends in a line feed
  set.SetInfo(SR101, info);
  ASSERT_EQ(set.SaveKrf(path), 1);
  std::string calib;
  for (int k = 0; k < 1023; ++k) calib += std::string("\x0D\x00\x0A\x0D", 4);
  calib += std::string("\x00\x0A\x0D\x0A", 4);
  EXPECT_TRUE(ReadBytes(path) ==
              "HD_KRF,100\nSITE,\nLON,\nLAT,\nALT,\nTZ,\nHD_KRF_END\n"
              "HD_SR101,100\nSN,\nID,\nST,\nFV,\nFT,\nC0,\nC1,\nC2,\nC3,\nC4,\nC5,\n"
              "CAL_BGN\n" + calib + "CAL_END\nHD_SR101_END\n");
}

TEST(KrfWriter, StatusLinesRoundToOneDecimalInCConventions) {
  ScopedTz tz("UTC0");
  const auto written = [] {
    TempDir dir;
    CKrfData set;
    CRad rad;
    rad.MeasureTime = At090503;
    SensorMeasurement m104(SR104);
    m104.SerialNo = "D104";
    m104.MeasureTime = At090503;
    m104.ExposureMs = 30;
    m104.StatusInt = {0, 1, -1, 7};
    m104.StatusFloat = {25.0f, 24.96f, -5.25f, 3.45f, 1234.25f, 0.0f, NoSecondTemperature};
    SensorMeasurement m102(SR102);
    m102.StatusInt = {-12};
    m102.StatusFloat = {1.5f, -2.25f, 1000000.0f, 0.75f};
    rad.SetBlock(SR104, m104);
    rad.SetBlock(SR102, m102);
    set.AppendRad(rad);
    EXPECT_EQ(set.SaveKrf(dir.File("x.KRF")), 1);
    return ReadBytes(dir.File("x.KRF"));
  };
  // 3.45f lies just above its decimal text and rounds up; -5.25, 1234.25, -2.25 and 0.75 are exact
  // halves and round to the even digit; no second temperature is -273.15, written -273.1.
  const std::string sr104 = "DT_SR104,100\nSN,D104\nMT,20190412090503\nET,30\n"
                            "SS,0,1,-1,7,25.0,25.0,-5.2,3.5,1234.2,0.0,-273.1\nMD_BGN\n";
  const std::string sr102 = "\nSS,-12,1.5,-2.2,1000000.0,0.8\n";
  std::string bytes = written();
  EXPECT_NE(bytes.find(sr104), std::string::npos) << bytes.substr(0, 200);
  EXPECT_NE(bytes.find(sr102), std::string::npos);
  testing::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no way to build a German locale here";
  bytes = written();
  EXPECT_NE(bytes.find(sr104), std::string::npos) << bytes.substr(0, 200);
  EXPECT_NE(bytes.find(sr102), std::string::npos);
}

TEST(KrfWriter, AppendAddsOneMeasurementBlockAtTheEndButNeverCreatesAFile) {
  ScopedTz tz("UTC0");
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  const CKrfData set = Tsukuba();
  EXPECT_EQ(set.AppendKrf(path, CRad()), 0);
  EXPECT_EQ(dir.Count(), 0);
  ASSERT_EQ(set.SaveKrf(path), 1);

  CRad first;   // not an element of the set
  first.MeasureTime = At090503;
  first.Memo = "one";
  SensorMeasurement m(SR104);
  m.SerialNo = "D104";
  m.MeasureTime = At090503 + 60;
  m.ExposureMs = 30;
  m.StatusFloat[6] = NoSecondTemperature;
  m.Light = Table(256, [](int k) { return static_cast<float>(k * k); });
  first.SetBlock(SR104, m);
  CRad second;
  second.MeasureTime = At090503 + 3600;
  second.Memo = "two";
  ASSERT_EQ(set.AppendKrf(path, first), 1);
  ASSERT_EQ(set.AppendKrf(path, second), 1);
  EXPECT_TRUE(ReadBytes(path) ==
              HeaderOfTsukuba + "DT_KRF,100\nMT,20190412090503\nMEMO,one\nDT_KRF_END\n"
              "DT_SR104,100\nSN,D104\nMT,20190412090603\nET,30\n"
              "SS,0,0,0,0,0.0,0.0,0.0,0.0,0.0,0.0,-273.1\n"
              "MD_BGN\n" + Section(m.Light) + "MD_END\nDD_BGN\n" + std::string(1024, '\0') + "DD_END\n"
              "DT_SR104_END\n"
              "DT_KRF,100\nMT,20190412100503\nMEMO,two\nDT_KRF_END\n");
}

TEST(KrfWriter, AFileHeldByAnotherWriterIsRefused) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  ASSERT_EQ(Tsukuba().SaveKrf(path), 1);
  const int holder = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  CKrfData other;
  other.SiteName = "elsewhere";
  EXPECT_EQ(other.AppendKrf(path, CRad()), 0);
  EXPECT_EQ(other.SaveKrf(path), 0);
  EXPECT_EQ(ReadBytes(path), HeaderOfTsukuba);
  ::flock(holder, LOCK_UN);
  EXPECT_EQ(other.AppendKrf(path, CRad()), 1);
  ::close(holder);
  EXPECT_EQ(dir.Count(), 1);
}

TEST(KrfWriter, FailedWritesLeaveTheFileAsItWas) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  const CKrfData day = testing::MakeDay({SR102}, 1, At090503, 60);   // about 20 KB
  ASSERT_EQ(day.SaveKrf(path), 1);
  const std::string before = ReadBytes(path);
  const CRad rad = day.Rad(0);
  {
    // Room for a few more kilobytes only: the 16 KB block is cut, then taken back.
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = before.size() + 4000;
    const auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const int appended = day.AppendKrf(path, rad);
    CKrfData bigger = day;
    bigger.AppendRad(rad);
    const int saved = bigger.SaveKrf(path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(appended, 0);
    EXPECT_EQ(saved, 0);
  }
  EXPECT_TRUE(ReadBytes(path) == before);
  EXPECT_EQ(dir.Count(), 1);   // the temporary file of the failed whole write is gone
  EXPECT_EQ(day.AppendKrf(path, rad), 1);
  EXPECT_GT(ReadBytes(path).size(), before.size() + 16384);
}

}  // namespace
}  // namespace spectrel
