#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "files/csv_writer.h"
#include "spectrum/hand_made.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

using testing::AxisInfo;
using testing::HandSet;
using testing::SpectrumBlock;

// Runs the test in UTC and restores the zone afterwards.
class Utc {
 public:
  Utc() {
    if (const char* old = std::getenv("TZ")) Old = old, HadOld = true;
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  ~Utc() {
    if (HadOld)
      setenv("TZ", Old.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  std::string Old;
  bool HadOld = false;
};

constexpr std::int64_t Nov14 = 1700000000;   // 2023-11-14 22:13:20 UTC

// SR-101 on 300.5 + 0.75 k nm with E = k and SR-103 on 899.5 + 1.5 k nm with E = 1000 + k.
SensorMeasurement Sr101() {
  SensorMeasurement m = SpectrumBlock(SR101, [](int k) { return static_cast<float>(k); });
  m.ExposureMs = 100;
  m.StatusFloat = {25.3f, 12.1f, 1.2f, 3.4f};
  return m;
}

SensorMeasurement Sr103() {
  SensorMeasurement m = SpectrumBlock(SR103, [](int k) { return 1000.0f + static_cast<float>(k); });
  m.ExposureMs = 200;
  m.StatusFloat = {-5.5f, 31.2f, 28.7f, 11.9f, 0.8f, 2.6f};
  return m;
}

class CsvLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f));
    hand.Info(AxisInfo(SR103, 899.5f, 1.5f));
    BuildMergedWavelengths(hand.Set, merged);
  }
  int Point(std::initializer_list<SensorMeasurement> blocks, std::int64_t time = Nov14) {
    for (const auto& b : blocks) hand.Block(b);
    hand.Point.Memo = "Arvena Solmet";
    return hand.Append(time);
  }
  void Export(std::initializer_list<int> points) {
    writer.BuildCsvHeader(hand.Set, settings, merged);
    for (int j : points) writer.AddCsvColumns(hand.Set, j, settings, merged);
  }
  // The wavelength line whose first cell is text.
  const std::string& Line(const std::string& first) {
    for (const std::string& line : writer.CsvLines)
      if (line.rfind(first + ",", 0) == 0) return line;
    static const std::string none = "(no such line)";
    return none;
  }
  Utc utc;
  HandSet hand;
  std::vector<double> merged;
  AppSettings settings;
  CCsvWriter writer;
};

TEST_F(CsvLayout, GroupOfTwoSensorsAndTheMergeInLabelLines) {
  Export({Point({Sr101(), Sr103()})});
  ASSERT_GE(writer.CsvLines.size(), 8u);
  const std::vector<std::string> labels(writer.CsvLines.begin(), writer.CsvLines.begin() + 8);
  EXPECT_EQ(labels, (std::vector<std::string>{
                        "Date,2023/11/14,,,",
                        "Time,22:13:20,,,",
                        "Memo,Arvena Solmet,,,",
                        "Sensor,SR-101,SR-103,Merge,",
                        "Exposure Time(msec),100,200,,",
                        "Sensor Temp.(deg),25.3,28.7,,",
                        "Power(V),12.1,11.9,,",
                        "Wavelength(nm),Irradiance(W/m2/um),Irradiance(W/m2/um),Irradiance(W/m2/um),",
                    }));
}

TEST_F(CsvLayout, PointWithoutItsLongSensorHasNoSr103NorMergeColumn) {
  const int both = Point({Sr101(), Sr103()});
  const int shortOnly = Point({Sr101()}, Nov14 + 600);
  const int again = Point({Sr101(), Sr103()}, Nov14 + 1200);
  Export({both, shortOnly, again});
  EXPECT_EQ(writer.CsvLines[0], "Date,2023/11/14,,,2023/11/14,2023/11/14,,,");
  EXPECT_EQ(writer.CsvLines[1], "Time,22:13:20,,,22:23:20,22:33:20,,,");
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,SR-103,Merge,SR-101,SR-101,SR-103,Merge,");
  EXPECT_EQ(writer.CsvLines[4], "Exposure Time(msec),100,200,,100,100,200,,");
  // 926.5 nm is SR-103 pixel 18: SR-101 has no pixel there; merge 834.67 * 0.47 + 1018 * 0.53.
  EXPECT_EQ(Line("926.50"), "926.50,,1018.00,931.83,,,1018.00,931.83,");
}

TEST_F(CsvLayout, OneNanometreGridWithInterpolatedAndMergedValues) {
  settings.CsvPitch = 1;
  Export({Point({Sr101(), Sr103()})});
  ASSERT_EQ(writer.CsvLines.size(), 8u + 1501u);
  ASSERT_EQ(writer.CsvWavelengths.size(), 1501u);
  EXPECT_EQ(writer.CsvWavelengths.front(), 300.0);
  EXPECT_EQ(writer.CsvWavelengths.back(), 1800.0);
  EXPECT_EQ(writer.CsvLines[8], "300.00,,,,");              // below both axes
  EXPECT_EQ(writer.CsvLines[9], "301.00,0.67,,0.67,");      // (301 - 300.5) / 0.75
  EXPECT_EQ(Line("899.00"), "899.00,798.00,,798.00,");      // SR-103 begins at 899.5
  EXPECT_EQ(Line("900.00"), "900.00,799.33,1000.33,799.33,");
  // 832.67 and 1017.00 give their mean.
  EXPECT_EQ(Line("925.00"), "925.00,832.67,1017.00,924.83,");
  EXPECT_EQ(Line("950.00"), "950.00,866.00,1033.67,1033.67,");
  EXPECT_EQ(Line("1067.00"), "1067.00,1022.00,1111.67,1111.67,");
  EXPECT_EQ(Line("1068.00"), "1068.00,,1112.33,1112.33,");   // SR-101 ends at 1067.75
  EXPECT_EQ(Line("1666.00"), "1666.00,,1511.00,1511.00,");
  EXPECT_EQ(Line("1667.00"), "1667.00,,,,");
  EXPECT_EQ(writer.CsvLines.back(), "1800.00,,,,");
}

TEST_F(CsvLayout, OneNanometreMergeColumnIsEmptyWithoutAMergedAxis) {
  settings.CsvPitch = 1;
  settings.CsvFrom = 924;
  settings.CsvTo = 926;
  merged.clear();
  Export({Point({Sr101(), Sr103()})});
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,SR-103,Merge,");
  EXPECT_EQ(writer.CsvLines.size(), 11u);
  EXPECT_EQ(writer.CsvLines[9], "925.00,832.67,1017.00,,");
}

TEST_F(CsvLayout, EverySelectionClear) {
  settings.CsvSensor = {0, 0, 0, 0};
  settings.CsvMerge = 0;
  const int j = Point({Sr101(), Sr103()});
  Export({j});
  EXPECT_EQ(writer.CsvLines,
            (std::vector<std::string>{"Date,", "Time,", "Memo,", "Sensor,", "Exposure Time(msec),",
                                      "Sensor Temp.(deg),", "Power(V),", "Wavelength(nm),"}));
  settings.CsvPitch = 1;
  Export({j});
  ASSERT_EQ(writer.CsvLines.size(), 1509u);
  EXPECT_EQ(writer.CsvLines[0], "Date,");
  for (size_t i = 8; i < writer.CsvLines.size(); ++i) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%d.00,", static_cast<int>(300 + i - 8));
    ASSERT_EQ(writer.CsvLines[i], expected);
  }
}

TEST_F(CsvLayout, SelectionFollowsTheSettingsPerModelAndMerge) {
  settings.CsvSensor = {0, 1, 1, 1};   // SR-101 not exported
  const int j = Point({Sr101(), Sr103()});
  Export({j});
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-103,Merge,");
  EXPECT_EQ(Line("926.50"), "926.50,1018.00,931.83,");
  EXPECT_EQ(Line("300.50"), "300.50,,0.00,");   // still on the merged axis
  settings.CsvSensor = {1, 1, 1, 1};
  settings.CsvMerge = 0;
  Export({j});
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,SR-103,");
  EXPECT_EQ(writer.CsvLines.size(), 8u + 1024u + 512u);
  EXPECT_THROW(writer.AddCsvColumns(hand.Set, j + 1, settings, merged), std::invalid_argument);
}

TEST(CsvSynthetic, OneNanometreFrom300To1800) {
  Utc utc;
  const CKrfData day = testing::MakeDay({SR101}, 1, Nov14, 60);
  AppSettings settings;
  settings.CsvPitch = 1;
  CCsvWriter writer;
  std::vector<double> merged;
  BuildMergedWavelengths(day, merged);
  writer.BuildCsvHeader(day, settings, merged);
  writer.AddCsvColumns(day, 0, settings, merged);
  ASSERT_EQ(writer.CsvLines.size(), 1509u);
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,");
  EXPECT_EQ(writer.CsvLines[8], "300.00,,");   // the synthetic axis starts at 300.4
  EXPECT_EQ(writer.CsvLines[8 + 1500], "1800.00,,");
  for (size_t i = 8; i < writer.CsvLines.size(); ++i) {
    const std::string& line = writer.CsvLines[i];
    char first[32];
    std::snprintf(first, sizeof first, "%d.00,", static_cast<int>(300 + i - 8));
    ASSERT_EQ(line.rfind(first, 0), 0u) << line;
    const double w = static_cast<double>(300 + i - 8);
    const bool inside = day.Info(SR101)->Wavelength.front() <= w && w <= day.Info(SR101)->Wavelength.back();
    ASSERT_EQ(line.size() > std::string(first).size() + 1, inside) << line;
    ASSERT_EQ(line.back(), ',');
  }
}

TEST(CsvSynthetic, RawSr101AloneGivesOneLinePerPixel) {
  Utc utc;
  const CKrfData day = testing::MakeDay({SR101}, 1, Nov14, 60);
  AppSettings settings;   // "Raw", every model and the merge selected
  CCsvWriter writer;
  std::vector<double> merged;
  BuildMergedWavelengths(day, merged);
  writer.BuildCsvHeader(day, settings, merged);
  writer.AddCsvColumns(day, 0, settings, merged);
  ASSERT_EQ(writer.CsvLines.size(), 8u + 1024u);
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,");
  const SensorInfo& info = *day.Info(SR101);
  const SensorMeasurement& m = *day.Rad(0).Block(SR101);
  for (size_t k = 0; k < 1024; ++k) {
    const float e = (m.Light[k] - m.Dark[k]) * info.Calib[k];
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.2f,%.2f,", static_cast<double>(info.Wavelength[k]),
                  static_cast<double>(e));
    ASSERT_EQ(writer.CsvLines[8 + k], expected) << "pixel " << k;
  }
}

}  // namespace
}  // namespace spectrel
