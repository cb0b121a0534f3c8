// The hourly CSV file: which points it holds, how it replaces an older one, and where it fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "files/csv_writer.h"
#include "files/krf_test_support.h"
#include "spectrum/hand_made.h"
#include "spectrum/resample.h"
#include "support/comma_locale.h"

namespace spectrel {
namespace {

namespace fs = std::filesystem;
using testing::AxisInfo;
using testing::ReadBytes;

// 2023-11-15 00:00:00 UTC; in Tokyo (+9) that is 09:00:00.
constexpr std::int64_t Nov15Utc = 1700006400;

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& line : lines) all += line + "\n";
  return all;
}

class CsvFile : public ::testing::Test {
 protected:
  void SetUp() override {
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f));   // E = k + seed on every pixel
    settings.CsvPitch = 1;
    settings.CsvFrom = 500;
    settings.CsvTo = 502;
  }
  void Point(std::int64_t time, float seed) {
    hand.Block(testing::SpectrumBlock(SR101, [seed](int k) { return seed + static_cast<float>(k); }));
    hand.Point.Memo = "m";
    hand.Append(time);
  }
  int Write(const std::string& path) { return writer.WriteCsvFile(path, hand.Set, settings, merged); }
  testing::ScopedTz tokyo{"Asia/Tokyo"};
  testing::TempDir dir;
  testing::HandSet hand;
  AppSettings settings;
  std::vector<double> merged;
  CCsvWriter writer;
};

TEST_F(CsvFile, HourOfTheLastPointDecidesWhichPointsAreWritten) {
  Point(Nov15Utc - 1800, 1000.0f);   // 08:30:00, another hour
  Point(Nov15Utc + 3000, 2000.0f);   // 09:50:00
  Point(Nov15Utc + 3598, 3000.0f);   // 09:59:58
  const std::string hour09 = dir.File("2023111509.CSV");
  ASSERT_EQ(Write(hour09), 1);
  // 500 nm is 266.67 pixels in: E = seed + 266.67.
  const std::string expected09 =
      "Date,2023/11/15,2023/11/15,\nTime,09:50:00,09:59:58,\nMemo,m,m,\nSensor,SR-101,SR-101,\n"
      "Exposure Time(msec),0,0,\nSensor Temp.(deg),0.0,0.0,\nPower(V),0.0,0.0,\n"
      "Wavelength(nm),Irradiance(W/m2/um),Irradiance(W/m2/um),\n"
      "500.00,2266.00,3266.00,\n501.00,2267.33,3267.33,\n502.00,2268.67,3268.67,\n";
  EXPECT_EQ(ReadBytes(hour09), expected09);
  EXPECT_EQ(ReadBytes(hour09), Joined(writer.CsvLines));

  Point(Nov15Utc + 3605, 4000.0f);   // 10:00:05 begins hour 10 alone
  ASSERT_EQ(Write(dir.File("2023111510.CSV")), 1);
  const std::string text10 = ReadBytes(dir.File("2023111510.CSV"));
  EXPECT_EQ(text10.substr(0, text10.find('\n')), "Date,2023/11/15,");
  EXPECT_NE(text10.find("Time,10:00:05,\n"), std::string::npos);
  EXPECT_NE(text10.find("500.00,4266.00,\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(hour09), expected09);
  EXPECT_EQ(dir.Count(), 2);
}

TEST_F(CsvFile, EveryLineEndsWithACommaAndALineFeedAndARewriteReplacesTheWholeFile) {
  settings.CsvPitch = 0;   // a long file first: SR-101 and SR-103 raw
  hand.Info(AxisInfo(SR103, 899.5f, 1.5f));
  BuildMergedWavelengths(hand.Set, merged);
  hand.Block(testing::SpectrumBlock(SR103, [](int k) { return static_cast<float>(k); }));
  Point(Nov15Utc + 60, 0.0f);
  const std::string path = dir.File("2023111509.CSV");
  ASSERT_EQ(Write(path), 1);
  const std::string text = ReadBytes(path);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  std::istringstream lines(text);
  size_t count = 0;
  for (std::string line; std::getline(lines, line); ++count) ASSERT_EQ(line.back(), ',') << count;
  EXPECT_EQ(count, 8u + 1024u + 512u);

  settings.CsvPitch = 1;   // then a short one over it
  settings.CsvTo = 500;
  ASSERT_EQ(Write(path), 1);
  EXPECT_EQ(writer.CsvLines.size(), 9u);
  EXPECT_EQ(ReadBytes(path), Joined(writer.CsvLines));
  EXPECT_EQ(dir.Count(), 1);   // no temporary left
}

TEST_F(CsvFile, NoFileWhereTheFolderCannotTakeOne) {
  Point(Nov15Utc + 60, 0.0f);
  EXPECT_EQ(Write(dir.File("missing/2023111509.CSV")), 0);
  testing::WriteBytes(dir.File("plain"), "not a folder");
  EXPECT_EQ(Write(dir.File("plain/2023111509.CSV")), 0);
  EXPECT_EQ(Write(dir.Path), 0);   // the folder itself is no file to replace
  EXPECT_EQ(dir.Count(), 1);
  CKrfData empty;
  EXPECT_EQ(writer.WriteCsvFile(dir.File("empty.CSV"), empty, settings, merged), 0);
}

TEST_F(CsvFile, NumbersKeepTheFullStopUnderACommaLocale) {
  testing::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be made here";
  Point(Nov15Utc + 60, 0.0f);
  hand.Set.Rad(0).Block(SR101)->StatusFloat = {25.3f, 12.1f, 0.0f, 0.0f};
  ASSERT_EQ(Write(dir.File("2023111509.CSV")), 1);
  const std::string text = ReadBytes(dir.File("2023111509.CSV"));
  EXPECT_NE(text.find("Sensor Temp.(deg),25.3,\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Power(V),12.1,\n"), std::string::npos);
  EXPECT_NE(text.find("501.00,267.33,\n"), std::string::npos);
}

}  // namespace
}  // namespace spectrel
