// Lines of the CSV export: label lines, the wavelength grids and the cells of each column group.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "files/csv_writer.h"
#include "files/krf_test_support.h"
#include "spectrum/hand_made.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"

namespace spectrel {
namespace {

using testing::AxisInfo;

constexpr std::int64_t Nov14 = 1700000000;   // 2023-11-14 22:13:20 UTC

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
    cells.push_back(line.substr(start, comma - start));
  return cells;
}

// SR-101 on 300.5 + 0.75 k nm with E = k and SR-103 on first103 + 1.5 k nm with E = 1000 + k.
class Csv : public ::testing::Test {
 protected:
  void Axes(float first103 = 899.5f) {
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f));
    hand.Info(AxisInfo(SR103, first103, 1.5f));
    BuildMergedWavelengths(hand.Set, merged);
  }
  int Point(std::initializer_list<int> models, std::int64_t time = Nov14) {
    for (int model : models) {
      SensorMeasurement m = testing::SpectrumBlock(
          model, [model](int k) { return (model == SR103 ? 1000.0f : 0.0f) + static_cast<float>(k); });
      m.ExposureMs = model == SR101 ? 100 : 200;
      m.StatusFloat = model == SR101 ? std::array<float, 7>{25.3f, 12.1f, 1.2f, 3.4f}
                                     : std::array<float, 7>{-5.5f, 31.2f, 28.7f, 11.9f, 0.8f, 2.6f};
      hand.Block(m);
    }
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
  testing::ScopedTz utc{"UTC0"};
  testing::HandSet hand;
  std::vector<double> merged;
  AppSettings settings;   // "Raw", every model and the merge selected
  CCsvWriter writer;
};

TEST_F(Csv, GroupOfTwoSensorsAndTheMergeInLabelLines) {
  Axes();
  Export({Point({SR101, SR103})});
  ASSERT_GE(writer.CsvLines.size(), 8u);
  EXPECT_EQ(std::vector<std::string>(writer.CsvLines.begin(), writer.CsvLines.begin() + 8),
            (std::vector<std::string>{
                "Date,2023/11/14,,,", "Time,22:13:20,,,", "Memo,Arvena Solmet,,,", "Sensor,SR-101,SR-103,Merge,",
                "Exposure Time(msec),100,200,,", "Sensor Temp.(deg),25.3,28.7,,", "Power(V),12.1,11.9,,",
                "Wavelength(nm),Irradiance(W/m2/um),Irradiance(W/m2/um),Irradiance(W/m2/um),"}));
}

TEST_F(Csv, PointWithoutItsLongSensorHasNoSr103NorMergeColumn) {
  Axes();
  const int both = Point({SR101, SR103});
  const int shortOnly = Point({SR101}, Nov14 + 600);
  Export({both, shortOnly, Point({SR101, SR103}, Nov14 + 1200)});
  EXPECT_EQ(writer.CsvLines[0], "Date,2023/11/14,,,2023/11/14,2023/11/14,,,");
  EXPECT_EQ(writer.CsvLines[1], "Time,22:13:20,,,22:23:20,22:33:20,,,");
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,SR-103,Merge,SR-101,SR-101,SR-103,Merge,");
  EXPECT_EQ(writer.CsvLines[4], "Exposure Time(msec),100,200,,100,100,200,,");
  // 926.5 nm is SR-103 pixel 18: SR-101 has no pixel there; merge 834.67 * 0.47 + 1018 * 0.53.
  EXPECT_EQ(Line("926.50"), "926.50,,1018.00,931.83,,,1018.00,931.83,");
}

TEST_F(Csv, OneNanometreGridWithInterpolatedAndMergedValues) {
  Axes();
  settings.CsvPitch = 1;
  const int j = Point({SR101, SR103});
  Export({j});
  ASSERT_EQ(writer.CsvLines.size(), 8u + 1501u);
  ASSERT_EQ(writer.CsvWavelengths.size(), 1501u);
  EXPECT_EQ(writer.CsvWavelengths.front(), 300.0);
  EXPECT_EQ(writer.CsvWavelengths.back(), 1800.0);
  EXPECT_EQ(writer.CsvLines[8], "300.00,,,,");              // below both axes
  EXPECT_EQ(writer.CsvLines[9], "301.00,0.67,,0.67,");      // (301 - 300.5) / 0.75
  EXPECT_EQ(Line("899.00"), "899.00,798.00,,798.00,");      // SR-103 begins at 899.5
  EXPECT_EQ(Line("900.00"), "900.00,799.33,1000.33,799.33,");
  EXPECT_EQ(Line("925.00"), "925.00,832.67,1017.00,924.83,");   // the mean of both
  EXPECT_EQ(Line("950.00"), "950.00,866.00,1033.67,1033.67,");
  EXPECT_EQ(Line("1067.00"), "1067.00,1022.00,1111.67,1111.67,");
  EXPECT_EQ(Line("1068.00"), "1068.00,,1112.33,1112.33,");   // SR-101 ends at 1067.75
  EXPECT_EQ(Line("1666.00"), "1666.00,,1511.00,1511.00,");
  EXPECT_EQ(Line("1667.00"), "1667.00,,,,");
  EXPECT_EQ(writer.CsvLines.back(), "1800.00,,,,");
  // Without a merged axis the merge column stays empty.
  settings.CsvFrom = 924;
  settings.CsvTo = 926;
  merged.clear();
  Export({j});
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,SR-103,Merge,");
  EXPECT_EQ(writer.CsvLines.size(), 11u);
  EXPECT_EQ(writer.CsvLines[9], "925.00,832.67,1017.00,,");
}

TEST_F(Csv, EverySelectionClear) {
  Axes();
  settings.CsvSensor = {0, 0, 0, 0};
  settings.CsvMerge = 0;
  const int j = Point({SR101, SR103});
  Export({j});
  EXPECT_EQ(writer.CsvLines, (std::vector<std::string>{"Date,", "Time,", "Memo,", "Sensor,", "Exposure Time(msec),",
                                                       "Sensor Temp.(deg),", "Power(V),", "Wavelength(nm),"}));
  settings.CsvPitch = 1;
  Export({j});
  ASSERT_EQ(writer.CsvLines.size(), 1509u);
  EXPECT_EQ(writer.CsvLines[0], "Date,");
  for (size_t i = 8; i < writer.CsvLines.size(); ++i)
    ASSERT_EQ(writer.CsvLines[i], std::to_string(300 + i - 8) + ".00,");
}

TEST_F(Csv, SelectionFollowsTheSettingsPerModelAndMerge) {
  Axes();
  settings.CsvSensor = {0, 1, 1, 1};   // SR-101 not exported
  const int j = Point({SR101, SR103});
  Export({j});
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-103,Merge,");
  EXPECT_EQ(Line("926.50"), "926.50,1018.00,931.83,");
  EXPECT_EQ(Line("300.50"), "300.50,,0.00,");   // still on the merged axis
  settings.CsvSensor = {1, 1, 1, 1};
  settings.CsvMerge = 0;
  Export({j});
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,SR-103,");
  EXPECT_EQ(writer.CsvLines.size(), 8u + 1024u + 512u);
  settings.CsvSensor = {0, 0, 1, 0};   // a single sensor keeps its own axis
  Export({j});
  ASSERT_EQ(writer.CsvLines.size(), 8u + 512u);
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-103,");
  EXPECT_EQ(writer.CsvLines[8], "899.50,1000.00,");
  EXPECT_EQ(writer.CsvLines.back(), "1666.00,1511.00,");
  EXPECT_THROW(writer.AddCsvColumns(hand.Set, j + 1, settings, merged), std::invalid_argument);
}

TEST_F(Csv, RawUnionListsEveryPixelOnceWithMergeValuesOnTheSameLine) {
  Axes();
  Export({Point({SR101, SR103})});
  // No SR-101 wavelength equals an SR-103 one; the merged axis repeats pixels of both.
  ASSERT_EQ(writer.CsvWavelengths.size(), 1024u + 512u);
  ASSERT_EQ(writer.CsvLines.size(), 8u + 1536u);
  EXPECT_TRUE(std::is_sorted(writer.CsvWavelengths.begin(), writer.CsvWavelengths.end()));
  EXPECT_EQ(writer.CsvLines[8], "300.50,0.00,,0.00,");
  EXPECT_EQ(Line("899.50"), "899.50,,1000.00,,");   // SR-103 below the band: not merged
  EXPECT_EQ(Line("900.50"), "900.50,800.00,,802.01,");   // 0.99 of 800 and 0.01 of 1000.67
  EXPECT_EQ(Line("925.25"), "925.25,833.00,,926.00,");   // 0.495 of 833 and 0.505 of 1017.1667
  EXPECT_EQ(Line("926.50"), "926.50,,1018.00,931.83,");  // 0.47 of 834.6667 and 0.53 of 1018
  EXPECT_EQ(Line("950.00"), "950.00,866.00,,1033.67,");   // SR-101's last merged pixel
  EXPECT_EQ(Line("950.75"), "950.75,867.00,,,");          // past the band: not merged
  EXPECT_EQ(Line("1067.75"), "1067.75,1023.00,,,");
  EXPECT_EQ(writer.CsvLines.back(), "1666.00,,1511.00,1511.00,");
  size_t filled[3] = {0, 0, 0};
  for (size_t i = 8; i < writer.CsvLines.size(); ++i) {
    const std::vector<std::string> cells = Cells(writer.CsvLines[i]);
    ASSERT_EQ(cells.size(), 4u) << writer.CsvLines[i];
    ASSERT_NE(cells[1].empty(), cells[2].empty()) << writer.CsvLines[i];
    for (int c = 0; c < 3; ++c) filled[c] += cells[static_cast<size_t>(c) + 1].empty() ? 0 : 1;
  }
  EXPECT_EQ(filled[0], 1024u);
  EXPECT_EQ(filled[1], 512u);
  EXPECT_EQ(filled[2], 867u + 511u);   // SR-101 up to 950 nm, SR-103 from 900 nm
}

TEST_F(Csv, RawEqualWavelengthsOfTwoSensorsShareOneLine) {
  // SR-103 on 899 + 1.5 b nm meets SR-101 pixel 798 + 2 b for b = 0 .. 112 (899.0 .. 1067.0 nm);
  // inside the band (b = 1 .. 34) the merged axis holds each of them twice.
  Axes(899.0f);
  Export({Point({SR101, SR103})});
  EXPECT_EQ(merged.size(), 867u + 511u);
  EXPECT_EQ(writer.CsvWavelengths.size(), 1024u + 512u - 113u);
  EXPECT_EQ(std::count(writer.CsvWavelengths.begin(), writer.CsvWavelengths.end(), 920.0), 1);
  EXPECT_EQ(Line("899.00"), "899.00,798.00,1000.00,798.00,");
  EXPECT_EQ(Line("900.50"), "900.50,800.00,1001.00,802.01,");
  EXPECT_EQ(Line("920.00"), "920.00,826.00,1014.00,901.20,");   // 0.6 of 826 and 0.4 of 1014
  EXPECT_EQ(Line("950.00"), "950.00,866.00,1034.00,1034.00,");
  EXPECT_EQ(Line("1067.00"), "1067.00,1022.00,1112.00,1112.00,");
  EXPECT_EQ(writer.CsvLines.back(), "1665.50,,1511.00,1511.00,");
  size_t mergeCells = 0;
  for (size_t i = 8; i < writer.CsvLines.size(); ++i) mergeCells += Cells(writer.CsvLines[i])[3].empty() ? 0 : 1;
  EXPECT_EQ(mergeCells, 867u + 511u - 34u);   // every merged wavelength has its value once
}

TEST(CsvSynthetic, Sr101AloneOnTheOneNanometreGridAndRaw) {
  testing::ScopedTz utc("UTC0");
  const CKrfData day = testing::MakeDay({SR101}, 1, Nov14, 60);
  const SensorInfo& info = *day.Info(SR101);
  const SensorMeasurement& m = *day.Rad(0).Block(SR101);
  AppSettings settings;
  CCsvWriter writer;
  std::vector<double> merged;
  BuildMergedWavelengths(day, merged);
  writer.BuildCsvHeader(day, settings, merged);
  writer.AddCsvColumns(day, 0, settings, merged);
  ASSERT_EQ(writer.CsvLines.size(), 8u + 1024u);
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,");
  for (size_t k = 0; k < 1024; ++k) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.2f,%.2f,", static_cast<double>(info.Wavelength[k]),
                  static_cast<double>((m.Light[k] - m.Dark[k]) * info.Calib[k]));
    ASSERT_EQ(writer.CsvLines[8 + k], expected) << "pixel " << k;
  }

  settings.CsvPitch = 1;
  writer.BuildCsvHeader(day, settings, merged);
  writer.AddCsvColumns(day, 0, settings, merged);
  ASSERT_EQ(writer.CsvLines.size(), 1509u);
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,");
  EXPECT_EQ(writer.CsvLines[8], "300.00,,");   // the synthetic axis starts at 300.4
  EXPECT_EQ(writer.CsvLines[8 + 1500], "1800.00,,");
  for (size_t i = 8; i < writer.CsvLines.size(); ++i) {
    const std::string& line = writer.CsvLines[i];
    const std::string first = std::to_string(300 + i - 8) + ".00,";
    ASSERT_EQ(line.rfind(first, 0), 0u) << line;
    const bool inside = 300.4 <= 300.0 + (i - 8) && 300.0 + (i - 8) <= 1100.2;
    ASSERT_EQ(line.size() > first.size() + 1, inside) << line;
    ASSERT_EQ(line.back(), ',');
  }
}

}  // namespace
}  // namespace spectrel
