#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/csv_writer.h"
#include "spectrum/comma_locale.h"
#include "spectrum/hand_made.h"
#include "spectrum/resample.h"

namespace spectrel {
namespace {

namespace fs = std::filesystem;
using testing::AxisInfo;
using testing::HandSet;
using testing::SpectrumBlock;

// 2023-11-15 00:00:00 UTC; in Tokyo (+9) that is 09:00:00.
constexpr std::int64_t Nov15Utc = 1700006400;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& line : lines) all += line + "\n";
  return all;
}

class CsvFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("TZ")) OldZone = old;
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    char dir[] = "/tmp/spectrel-csv-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    Folder = dir;
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f));   // E = k + seed on every pixel
    settings.CsvPitch = 1;
    settings.CsvFrom = 500;
    settings.CsvTo = 502;
  }
  void TearDown() override {
    if (OldZone.empty())
      unsetenv("TZ");
    else
      setenv("TZ", OldZone.c_str(), 1);
    tzset();
    fs::remove_all(Folder);
  }
  void Point(std::int64_t time, float seed) {
    hand.Block(SpectrumBlock(SR101, [seed](int k) { return seed + static_cast<float>(k); }));
    hand.Point.Memo = "m";
    hand.Append(time);
  }
  int Write(const fs::path& path) { return writer.WriteCsvFile(path, hand.Set, settings, merged); }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string OldZone;
  fs::path Folder;
  HandSet hand;
  AppSettings settings;
  std::vector<double> merged;
  CCsvWriter writer;
};

TEST_F(CsvFile, HourOfTheLastPointDecidesWhichPointsAreWritten) {
  Point(Nov15Utc - 1800, 1000.0f);   // 08:30:00, another hour
  Point(Nov15Utc + 3000, 2000.0f);   // 09:50:00
  Point(Nov15Utc + 3598, 3000.0f);   // 09:59:58
  const fs::path hour09 = Folder / "2023111509.CSV";
  ASSERT_EQ(Write(hour09), 1);
  // 500 nm is 266.67 pixels in: E = seed + 266.67.
  const std::string expected09 =
      "Date,2023/11/15,2023/11/15,\n"
      "Time,09:50:00,09:59:58,\n"
      "Memo,m,m,\n"
      "Sensor,SR-101,SR-101,\n"
      "Exposure Time(msec),0,0,\n"
      "Sensor Temp.(deg),0.0,0.0,\n"
      "Power(V),0.0,0.0,\n"
      "Wavelength(nm),Irradiance(W/m2/um),Irradiance(W/m2/um),\n"
      "500.00,2266.00,3266.00,\n"
      "501.00,2267.33,3267.33,\n"
      "502.00,2268.67,3268.67,\n";
  EXPECT_EQ(ReadFile(hour09), expected09);
  EXPECT_EQ(ReadFile(hour09), Joined(writer.CsvLines));

  Point(Nov15Utc + 3605, 4000.0f);   // 10:00:05 begins hour 10 alone
  const fs::path hour10 = Folder / "2023111510.CSV";
  ASSERT_EQ(Write(hour10), 1);
  const std::string text10 = ReadFile(hour10);
  EXPECT_EQ(text10.substr(0, text10.find('\n')), "Date,2023/11/15,");
  EXPECT_NE(text10.find("Time,10:00:05,\n"), std::string::npos);
  EXPECT_NE(text10.find("500.00,4266.00,\n"), std::string::npos);
  EXPECT_EQ(ReadFile(hour09), expected09);
  EXPECT_EQ(FolderNames(), (std::vector<std::string>{"2023111509.CSV", "2023111510.CSV"}));
}

TEST_F(CsvFile, RewriteReplacesTheWholeFile) {
  settings.CsvTo = 1800;   // a long file first
  Point(Nov15Utc + 60, 0.0f);
  const fs::path path = Folder / "2023111509.CSV";
  ASSERT_EQ(Write(path), 1);
  const auto longSize = fs::file_size(path);
  settings.CsvTo = 500;    // then a shorter one over it
  ASSERT_EQ(Write(path), 1);
  EXPECT_LT(fs::file_size(path), longSize);
  EXPECT_EQ(ReadFile(path), Joined(writer.CsvLines));
  EXPECT_EQ(writer.CsvLines.size(), 9u);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"2023111509.CSV"});   // no temporary left
}

TEST_F(CsvFile, EveryLineEndsWithACommaAndALineFeed) {
  settings.CsvPitch = 0;
  hand.Info(AxisInfo(SR103, 899.5f, 1.5f));
  BuildMergedWavelengths(hand.Set, merged);
  hand.Block(SpectrumBlock(SR103, [](int k) { return static_cast<float>(k); }));
  Point(Nov15Utc + 60, 0.0f);
  const fs::path path = Folder / "x.CSV";
  ASSERT_EQ(Write(path), 1);
  const std::string text = ReadFile(path);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find('\r'), std::string::npos);
  std::istringstream lines(text);
  size_t count = 0;
  for (std::string line; std::getline(lines, line); ++count) ASSERT_EQ(line.back(), ',') << count;
  EXPECT_EQ(count, 8u + 1024u + 512u);
}

TEST_F(CsvFile, NoFileWhereTheFolderCannotTakeOne) {
  Point(Nov15Utc + 60, 0.0f);
  EXPECT_EQ(Write(Folder / "missing" / "2023111509.CSV"), 0);
  std::ofstream(Folder / "plain") << "not a folder";
  EXPECT_EQ(Write(Folder / "plain" / "2023111509.CSV"), 0);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"plain"});
  EXPECT_EQ(Write(Folder), 0);   // the folder itself is no file to replace
  CKrfData empty;
  EXPECT_EQ(writer.WriteCsvFile(Folder / "empty.CSV", empty, settings, merged), 0);
}

TEST_F(CsvFile, NumbersKeepTheFullStopUnderACommaLocale) {
  testing::CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be made here";
  Point(Nov15Utc + 60, 0.0f);
  hand.Set.Rad(0).Block(SR101)->StatusFloat = {25.3f, 12.1f, 0.0f, 0.0f};
  const fs::path path = Folder / "2023111509.CSV";
  ASSERT_EQ(Write(path), 1);
  const std::string text = ReadFile(path);
  EXPECT_NE(text.find("Sensor Temp.(deg),25.3,\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Power(V),12.1,\n"), std::string::npos);
  EXPECT_NE(text.find("501.00,267.33,\n"), std::string::npos);
}

}  // namespace
}  // namespace spectrel
