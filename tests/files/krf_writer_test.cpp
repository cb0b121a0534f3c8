// The day file writer: exact bytes of every block kind, composed here line by line.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "files/krf_test_support.h"
#include "spectrum/records.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

using testing::FloatBytes;
using testing::FloatFromBits;
using testing::ReadBytes;
using testing::ScopedTz;
using testing::Section;
using testing::TempDir;

constexpr std::int64_t At090503 = 1555059903;   // 2019-04-12 09:05:03 UTC

const std::string HeaderOfTsukuba =
    "HD_KRF,100\n"
    "SITE,Tsukuba\n"
    "LON,140.125\n"
    "LAT,36.050\n"
    "ALT,\n"
    "TZ,+9\n"
    "HD_KRF_END\n";

CKrfData Tsukuba() {
  CKrfData set;
  set.SiteName = "Tsukuba";
  set.SiteLon = "140.125";
  set.SiteLat = "36.050";
  set.SiteAlt = "";
  set.TimeZone = "+9";
  return set;
}

std::vector<float> Table(int n, float (*f)(int)) {
  std::vector<float> v(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) v[static_cast<size_t>(k)] = f(k);
  return v;
}

TEST(KrfWriter, EmptySetIsTheSevenHeaderLines) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  ASSERT_EQ(Tsukuba().SaveKrf(path), 1);
  EXPECT_EQ(ReadBytes(path), HeaderOfTsukuba);
}

TEST(KrfWriter, PointWithoutBlocksIsFourLinesAndValuesAreNotEscaped) {
  ScopedTz tz("UTC0");
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  CKrfData set = Tsukuba();
  CRad rad;
  rad.MeasureTime = At090503;
  rad.Memo = "a,b";
  set.AppendRad(rad);
  ASSERT_EQ(set.SaveKrf(path), 1);
  EXPECT_EQ(ReadBytes(path), HeaderOfTsukuba +
                                 "DT_KRF,100\n"
                                 "MT,20190412090503\n"
                                 "MEMO,a,b\n"
                                 "DT_KRF_END\n");
}

TEST(KrfWriter, HeadersAndDataBlocksFollowModelOrder) {
  ScopedTz tz("UTC0");
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  CKrfData set = Tsukuba();

  SensorInfo info103(SR103);
  info103.SerialNo = "B103";
  info103.SensorId = "ID3";
  info103.SensorType = "SR-103";
  info103.FirmwareVersion = "2.01";
  info103.FirmwareTime = "2018/11/30 08:15:00";
  info103.Coef = {"890.5", "1.5625", "0", "-2.5e-05", "0", "0"};
  info103.Calib = Table(512, [](int k) { return 1.0f + static_cast<float>(k); });
  SensorInfo info101(SR101);
  info101.SerialNo = "A101";
  info101.SensorId = "ID1";
  info101.SensorType = "SR-101";
  info101.FirmwareVersion = "1.80";
  info101.FirmwareTime = "2019/04/01 12:00:00";
  info101.Coef = {"299.5", "0.78125", "0", "0", "0", "-1e-12"};
  info101.Calib = Table(1024, [](int k) { return 0.25f * static_cast<float>(k % 7); });
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
  m101.Light = Table(1024, [](int k) { return 1000.0f + static_cast<float>(k); });
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
      "DT_SR101,100\nSN,A101\nMT,20190412090504\nET,100\n"
      "SS,-3,20.2,21.8,0.1,-0.0\n"
      "MD_BGN\n" + Section(m101.Light) + "MD_END\n"
      "DD_BGN\n" + Section(m101.Dark) + "DD_END\n"
      "DT_SR101_END\n"
      "DT_SR103,100\nSN,B103\nMT,20190412090505\nET,50\n"
      "SS,1,-2,3,40000,1.0,2.5,-0.0,0.1,20.2,21.8\n"
      "MD_BGN\n" + Section(m103.Light) + "MD_END\n"
      "DD_BGN\n" + Section(m103.Dark) + "DD_END\n"
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
  for (auto& c : info.Calib) c = FloatFromBits(0x0D0A000Du);   // bytes 0D 00 0A 0D
  info.Calib.back() = FloatFromBits(0x0A0D0A00u);             // bytes 00 0A 0D 0A: ends in a line feed
  set.SetInfo(SR101, info);
  ASSERT_EQ(set.SaveKrf(path), 1);
  const std::string bytes = ReadBytes(path);

  const std::string head = "HD_KRF,100\nSITE,\nLON,\nLAT,\nALT,\nTZ,\nHD_KRF_END\n"
                           "HD_SR101,100\nSN,\nID,\nST,\nFV,\nFT,\nC0,\nC1,\nC2,\nC3,\nC4,\nC5,\n"
                           "CAL_BGN\n";
  ASSERT_EQ(bytes.size(), head.size() + 4096 + std::string("CAL_END\nHD_SR101_END\n").size());
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  const size_t start = head.size();
  EXPECT_EQ(bytes.substr(start, 4), std::string("\x0D\x00\x0A\x0D", 4));
  EXPECT_EQ(bytes.substr(start + 4092, 4), std::string("\x00\x0A\x0D\x0A", 4));
  EXPECT_EQ(bytes[start + 4095], '\n');
  EXPECT_EQ(bytes.substr(start + 4096), "CAL_END\nHD_SR101_END\n");
}

TEST(KrfWriter, StatusLineOfSr104WithoutSecondTemperature) {
  ScopedTz tz("UTC0");
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  CKrfData set;
  CRad rad;
  rad.MeasureTime = At090503;
  SensorMeasurement m(SR104);
  m.SerialNo = "D104";
  m.MeasureTime = At090503;
  m.ExposureMs = 30;
  m.StatusInt = {0, 1, -1, 7};
  m.StatusFloat = {25.0f, 24.96f, -5.25f, 3.45f, 1234.25f, 0.0f, NoSecondTemperature};
  rad.SetBlock(SR104, m);
  set.AppendRad(rad);
  ASSERT_EQ(set.SaveKrf(path), 1);
  const std::string bytes = ReadBytes(path);
  // 3.45f lies just above its decimal text and rounds up; -5.25 and 1234.25 are exact halves and
  // round to the even digit.
  const std::string block = "DT_SR104,100\nSN,D104\nMT,20190412090503\nET,30\n"
                            "SS,0,1,-1,7,25.0,25.0,-5.2,3.5,1234.2,0.0,-273.1\nMD_BGN\n";
  EXPECT_NE(bytes.find(block), std::string::npos) << bytes.substr(0, 200);
}

TEST(KrfWriter, NumbersStayInCConventionsUnderACommaLocale) {
  ScopedTz tz("UTC0");
  testing::ScopedCommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no way to build a German locale here";
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  CKrfData set;
  CRad rad;
  rad.MeasureTime = At090503;
  SensorMeasurement m(SR102);
  m.StatusInt = {-12};
  m.StatusFloat = {1.5f, -2.25f, 1000000.0f, 0.75f};
  rad.SetBlock(SR102, m);
  set.AppendRad(rad);
  ASSERT_EQ(set.SaveKrf(path), 1);
  EXPECT_NE(ReadBytes(path).find("\nSS,-12,1.5,-2.2,1000000.0,0.8\n"), std::string::npos);
}

TEST(KrfWriter, TimesAreLocalTimeOfTheComputer) {
  // 09:05:03 on 12 April 2019 in Berlin is summer time, UTC+2: 07:05:03 UTC.
  ScopedTz tz("Europe/Berlin");
  TempDir dir;
  CKrfData set;
  CRad rad;
  rad.MeasureTime = 1555052703;
  set.AppendRad(rad);
  ASSERT_EQ(set.SaveKrf(dir.File("20190412.KRF")), 1);
  EXPECT_NE(ReadBytes(dir.File("20190412.KRF")).find("\nMT,20190412090503\nMEMO,\n"), std::string::npos);
}

TEST(KrfWriter, TimeBeyondTheCalendarLeavesTheValueEmpty) {
  ScopedTz tz("UTC0");
  TempDir dir;
  CKrfData set;
  CRad rad;
  rad.MeasureTime = INT64_MAX;
  set.AppendRad(rad);
  ASSERT_EQ(set.SaveKrf(dir.File("far")), 1);
  EXPECT_EQ(ReadBytes(dir.File("far")),
            "HD_KRF,100\nSITE,\nLON,\nLAT,\nALT,\nTZ,\nHD_KRF_END\n"
            "DT_KRF,100\nMT,\nMEMO,\nDT_KRF_END\n");
}

TEST(KrfWriter, AppendNeverCreatesAFile) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  CKrfData set;
  CRad rad;
  EXPECT_EQ(set.AppendKrf(path, rad), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path));
}

TEST(KrfWriter, AppendAddsOneMeasurementBlockAtTheEnd) {
  ScopedTz tz("UTC0");
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  const CKrfData set = Tsukuba();
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

  const std::string expected =
      HeaderOfTsukuba +
      "DT_KRF,100\nMT,20190412090503\nMEMO,one\nDT_KRF_END\n"
      "DT_SR104,100\nSN,D104\nMT,20190412090603\nET,30\n"
      "SS,0,0,0,0,0.0,0.0,0.0,0.0,0.0,0.0,-273.1\n"
      "MD_BGN\n" + Section(m.Light) + "MD_END\n"
      "DD_BGN\n" + std::string(1024, '\0') + "DD_END\n"
      "DT_SR104_END\n"
      "DT_KRF,100\nMT,20190412100503\nMEMO,two\nDT_KRF_END\n";
  EXPECT_TRUE(ReadBytes(path) == expected);
}

TEST(KrfWriter, WholeWriteReplacesTheOldFileAtOnce) {
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
  seen.resize(old.size());
  EXPECT_EQ(seen, old);
  ::close(reader);
  // No temporary file stays behind.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path)) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

TEST(KrfWriter, WholeWriteFailsWhereTheFileCannotBeCreated) {
  TempDir dir;
  EXPECT_EQ(Tsukuba().SaveKrf(dir.File("no/such/folder/20190412.KRF")), 0);
  EXPECT_EQ(Tsukuba().SaveKrf(dir.Path), 0);   // a folder in place of the file
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path));
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
  CRad rad;
  EXPECT_EQ(other.AppendKrf(path, rad), 0);
  EXPECT_EQ(other.SaveKrf(path), 0);
  EXPECT_EQ(ReadBytes(path), HeaderOfTsukuba);

  ::flock(holder, LOCK_UN);
  EXPECT_EQ(other.AppendKrf(path, rad), 1);
  ::close(holder);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path)) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

// Files may not grow past a limit for one scope: writes beyond it fail with EFBIG.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Old);
    OldSignal = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = Old;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Old);
    ::signal(SIGXFSZ, OldSignal);
  }

 private:
  rlimit Old{};
  void (*OldSignal)(int) = nullptr;
};

TEST(KrfWriter, FailedWritesLeaveTheFileAsItWas) {
  TempDir dir;
  const std::string path = dir.File("20190412.KRF");
  const CKrfData day = testing::MakeDay({SR102}, 1, At090503, 60);   // about 20 KB
  ASSERT_EQ(day.SaveKrf(path), 1);
  const std::string before = ReadBytes(path);
  CRad rad = day.Rad(0);
  {
    // Room for a few more kilobytes only: the 16 KB block is cut, then taken back.
    ScopedFileSizeLimit limit(before.size() + 4000);
    EXPECT_EQ(day.AppendKrf(path, rad), 0);
    CKrfData bigger = day;
    bigger.AppendRad(rad);
    EXPECT_EQ(bigger.SaveKrf(path), 0);
  }
  EXPECT_TRUE(ReadBytes(path) == before);
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path)) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);   // the temporary file of the failed whole write is gone
  EXPECT_EQ(day.AppendKrf(path, rad), 1);
  EXPECT_GT(ReadBytes(path).size(), before.size() + 16384);
}

}  // namespace
}  // namespace spectrel
