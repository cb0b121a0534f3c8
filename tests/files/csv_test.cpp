// The hourly CSV file: label lines, the wavelength lines of both pitches, the cells of each column
// group, which points of the day go in, and how the file is replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/csv_writer.h"
#include "support/hand_made.h"
#include "spectrum/resample.h"
#include "support/comma_locale.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::AxisInfo;

constexpr std::int64_t Nov14 = 1700000000;   // 2023-11-14 22:13:20 UTC

// SR-101 on 300.5 + 0.75 k nm with E = k and SR-103 on first103 + 1.5 k nm with E = 1000 + k.
class Csv : public ::testing::Test {
 protected:
  Csv() { Axes(); }
  void Axes(float first103 = 899.5f) {
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f));
    hand.Info(AxisInfo(SR103, first103, 1.5f));
    BuildMergedWavelengths(hand.Set, merged);
  }
  int Point(std::initializer_list<int> models, std::int64_t time = Nov14, float seed = 0.0f) {
    for (int model : models) {
      SensorMeasurement m = testing::SpectrumBlock(
          model, [=](int k) { return seed + (model == SR103 ? 1000.0f : 0.0f) + static_cast<float>(k); });
      m.ExposureMs = model == SR101 ? 100 : 200;
      m.StatusFloat = model == SR101 ? std::array<float, 7>{25.3f, 12.1f, 1.2f, 3.4f}
                                     : std::array<float, 7>{-5.5f, 31.2f, 28.7f, 11.9f, 0.8f, 2.6f};
      hand.Block(m);
    }
    hand.Point.Memo = "Arvena Solmet";
    return hand.Append(time);
  }
  void Export(std::initializer_list<int> points) {
    writer.BuildCsvHeader(hand.Set, options, merged);
    for (int j : points) writer.AddCsvColumns(hand.Set, j, options, merged);
  }
  bool Write(const std::string& path) { return writer.WriteCsvFile(path, hand.Set, options, merged); }
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
  CsvOptions options{false, 300, 1800, {true, true, true, true}, true};
  CCsvWriter writer;
};

TEST_F(Csv, RawLinesListEveryPixelOnceUnderTheLabelsOfTheGroupsTheOptionsSelect) {
  const int both = Point({SR101, SR103});
  const int shortOnly = Point({SR101}, Nov14 + 600);
  Export({both, shortOnly});
  EXPECT_EQ(std::vector<std::string>(writer.CsvLines.begin(), writer.CsvLines.begin() + 8),
            (std::vector<std::string>{
                "Date,2023/11/14,,,2023/11/14,", "Time,22:13:20,,,22:23:20,", "Memo,Arvena Solmet,,,Arvena Solmet,",
                "Sensor,SR-101,SR-103,Merge,SR-101,", "Exposure Time(msec),100,200,,100,",
                "Sensor Temp.(deg),25.3,28.7,,25.3,", "Power(V),12.1,11.9,,12.1,",
                "Wavelength(nm),Irradiance(W/m2/um),Irradiance(W/m2/um),Irradiance(W/m2/um),Irradiance(W/m2/um),"}));
  // No SR-101 wavelength equals an SR-103 one; the merged axis repeats pixels of both.
  ASSERT_EQ(writer.CsvLines.size(), 8u + 1024u + 512u);
  EXPECT_TRUE(std::is_sorted(writer.CsvWavelengths.begin(), writer.CsvWavelengths.end()));
  EXPECT_EQ(writer.CsvLines[8], "300.50,0.00,,0.00,0.00,");
  EXPECT_EQ(Line("899.50"), "899.50,,1000.00,,,");            // SR-103 below the band: not merged
  EXPECT_EQ(Line("900.50"), "900.50,800.00,,802.01,800.00,");   // 0.99 of 800 and 0.01 of 1000.67
  // 926.5 nm is SR-103 pixel 18: SR-101 has no pixel there; merge 834.67 * 0.47 + 1018 * 0.53.
  EXPECT_EQ(Line("926.50"), "926.50,,1018.00,931.83,,");
  EXPECT_EQ(Line("950.75"), "950.75,867.00,,,867.00,");         // past the band: not merged
  EXPECT_EQ(writer.CsvLines.back(), "1666.00,,1511.00,1511.00,,");
  // The selection follows the options per model and merge.
  options.Sensor = {false, true, true, true};
  Export({both});
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-103,Merge,");
  EXPECT_EQ(Line("300.50"), "300.50,,0.00,");   // still on the merged axis
  options.Sensor = {true, true, true, true};
  options.Merge = false;
  Export({both});
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-101,SR-103,");
  EXPECT_EQ(writer.CsvLines.size(), 8u + 1024u + 512u);
  options.Sensor = {false, false, true, false};   // a single sensor keeps its own axis
  Export({both});
  ASSERT_EQ(writer.CsvLines.size(), 8u + 512u);
  EXPECT_EQ(writer.CsvLines[8], "899.50,1000.00,");
  EXPECT_EQ(writer.CsvLines.back(), "1666.00,1511.00,");
}

TEST_F(Csv, OneNanometreGridIsFilledColumnByColumnInEveryLocale) {
  options.OneNm = true;
  const int j = Point({SR101, SR103});
  Export({j});
  ASSERT_EQ(writer.CsvLines.size(), 8u + 1501u);
  EXPECT_EQ(writer.CsvWavelengths.front(), 300.0);
  EXPECT_EQ(writer.CsvLines[8], "300.00,,,,");              // below both axes
  EXPECT_EQ(writer.CsvLines[9], "301.00,0.67,,0.67,");      // (301 - 300.5) / 0.75
  EXPECT_EQ(Line("899.00"), "899.00,798.00,,798.00,");      // SR-103 begins at 899.5
  EXPECT_EQ(Line("925.00"), "925.00,832.67,1017.00,924.83,");   // the mean of both
  EXPECT_EQ(Line("1068.00"), "1068.00,,1112.33,1112.33,");   // SR-101 ends at 1067.75
  EXPECT_EQ(writer.CsvLines.back(), "1800.00,,,,");
  testing::CommaLocale comma;   // numbers keep their full stop
  if (comma.Active()) {
    Export({j});
    EXPECT_EQ(writer.CsvLines[5], "Sensor Temp.(deg),25.3,28.7,,");
    EXPECT_EQ(writer.CsvLines[9], "301.00,0.67,,0.67,");
  }
  // Without a merged axis the merge column stays empty; cells never go past the wavelength lines.
  options.From = 924;
  options.To = 926;
  merged.clear();
  writer.BuildCsvHeader(hand.Set, options, merged);
  writer.CsvLines.push_back("after the grid");
  writer.AddCsvColumns(hand.Set, j, options, merged);
  EXPECT_EQ(writer.CsvLines.size(), 12u);
  EXPECT_EQ(writer.CsvLines[9], "925.00,832.67,1017.00,,");
  EXPECT_EQ(writer.CsvLines.back(), "after the grid");
  // Nothing selected: the label cells and the grid alone.
  options.Sensor = {};
  options.Merge = false;
  Export({j});
  EXPECT_EQ(writer.CsvLines,
            (std::vector<std::string>{"Date,", "Time,", "Memo,", "Sensor,", "Exposure Time(msec),",
                                      "Sensor Temp.(deg),", "Power(V),", "Wavelength(nm),", "924.00,",
                                      "925.00,", "926.00,"}));
}

TEST_F(Csv, RawEqualWavelengthsOfTwoSensorsShareOneLine) {
  // SR-103 on 899 + 1.5 b nm meets SR-101 pixel 798 + 2 b for b = 0 .. 112 (899.0 .. 1067.0 nm);
  // inside the band (b = 1 .. 34) the merged axis holds each of them twice.
  Axes(899.0f);
  Export({Point({SR101, SR103})});
  EXPECT_EQ(writer.CsvWavelengths.size(), 1024u + 512u - 113u);
  EXPECT_EQ(std::count(writer.CsvWavelengths.begin(), writer.CsvWavelengths.end(), 920.0), 1);
  EXPECT_EQ(Line("899.00"), "899.00,798.00,1000.00,798.00,");
  EXPECT_EQ(Line("920.00"), "920.00,826.00,1014.00,901.20,");   // 0.6 of 826 and 0.4 of 1014
  EXPECT_EQ(Line("1067.00"), "1067.00,1022.00,1112.00,1112.00,");
  EXPECT_EQ(writer.CsvLines.back(), "1665.50,,1511.00,1511.00,");
}

TEST_F(Csv, AFileHoldsTheHourOfItsLastPointReplacingTheOldWhole) {
  testing::ScopedTz tokyo("Asia/Tokyo");   // 2023-11-15 00:00:00 UTC is 09:00:00 here
  constexpr std::int64_t Nov15 = 1700006400;
  testing::TempDir dir;
  options = {true, 500, 502, {true, true, true, true}, true};
  Point({SR101}, Nov15 - 1800, 1000.0f);   // 08:30:00, another hour
  Point({SR101}, Nov15 + 3000, 2000.0f);   // 09:50:00
  Point({SR101}, Nov15 + 3598, 3000.0f);   // 09:59:58
  const std::string path = dir.File("2023111509.CSV");
  testing::WriteBytes(path, std::string(100000, 'x'));
  ASSERT_TRUE(Write(path));
  // 500 nm is 266.67 pixels in: E = seed + 266.67.
  EXPECT_EQ(testing::ReadBytes(path),
            "Date,2023/11/15,2023/11/15,\nTime,09:50:00,09:59:58,\nMemo,Arvena Solmet,Arvena Solmet,\n"
            "Sensor,SR-101,SR-101,\nExposure Time(msec),100,100,\nSensor Temp.(deg),25.3,25.3,\n"
            "Power(V),12.1,12.1,\nWavelength(nm),Irradiance(W/m2/um),Irradiance(W/m2/um),\n"
            "500.00,2266.00,3266.00,\n501.00,2267.33,3267.33,\n502.00,2268.67,3268.67,\n");
  EXPECT_EQ(dir.Count(), 1);   // no temporary left
  Point({SR101}, Nov15 + 3605, 4000.0f);   // 10:00:05 begins hour 10 alone
  ASSERT_TRUE(Write(dir.File("2023111510.CSV")));
  EXPECT_EQ(testing::ReadBytes(dir.File("2023111510.CSV")).substr(0, 40), "Date,2023/11/15,\nTime,10:00:05,\nMemo,Arv");
  // Where no file can be made (the other such places are the shared whole-file writer's, checked
  // with the day file).
  EXPECT_FALSE(Write(dir.File("2023111509.CSV/x.CSV")));
  EXPECT_EQ(dir.Count(), 2);
  CKrfData empty;
  EXPECT_FALSE(writer.WriteCsvFile(dir.File("empty.CSV"), empty, options, merged));
}

}  // namespace
}  // namespace spectrel
