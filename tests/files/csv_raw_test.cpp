#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/csv_writer.h"
#include "spectrum/hand_made.h"
#include "spectrum/resample.h"

namespace spectrel {
namespace {

using testing::AxisInfo;
using testing::HandSet;
using testing::SpectrumBlock;

std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1)
    cells.push_back(line.substr(start, comma - start));
  return cells;
}

// SR-101 on 300.5 + 0.75 k nm with E = k; SR-103 on first103 + 1.5 k nm with E = 1000 + k.
class CsvRaw : public ::testing::Test {
 protected:
  void Configure(float first103) {
    hand.Info(AxisInfo(SR101, 300.5f, 0.75f));
    hand.Info(AxisInfo(SR103, first103, 1.5f));
    hand.Block(SpectrumBlock(SR101, [](int k) { return static_cast<float>(k); }));
    hand.Block(SpectrumBlock(SR103, [](int k) { return 1000.0f + static_cast<float>(k); }));
    const int j = hand.Append(1700000000);
    BuildMergedWavelengths(hand.Set, merged);
    writer.BuildCsvHeader(hand.Set, settings, merged);
    writer.AddCsvColumns(hand.Set, j, settings, merged);
  }
  const std::string& Line(const std::string& first) {
    for (const std::string& line : writer.CsvLines)
      if (line.rfind(first + ",", 0) == 0) return line;
    static const std::string none = "(no such line)";
    return none;
  }
  HandSet hand;
  std::vector<double> merged;
  AppSettings settings;
  CCsvWriter writer;
};

TEST_F(CsvRaw, UnionListsEveryPixelOnceWithMergeValuesOnTheSameLine) {
  Configure(899.5f);
  // No SR-101 wavelength equals an SR-103 one; the merged axis repeats pixels of both.
  ASSERT_EQ(writer.CsvWavelengths.size(), 1024u + 512u);
  ASSERT_EQ(writer.CsvLines.size(), 8u + 1536u);
  EXPECT_TRUE(std::is_sorted(writer.CsvWavelengths.begin(), writer.CsvWavelengths.end()));
  EXPECT_EQ(writer.CsvLines[8], "300.50,0.00,,0.00,");
  EXPECT_EQ(Line("899.50"), "899.50,,1000.00,,");   // SR-103 below the band: not merged
  // 900.5 nm is inside the band: 0.99 of 800 and 0.01 of 1000.67.
  EXPECT_EQ(Line("900.50"), "900.50,800.00,,802.01,");
  // 925.25 nm, SR-101 pixel 833: weight 0.495 of 833 and 0.505 of 1017.1667.
  EXPECT_EQ(Line("925.25"), "925.25,833.00,,926.00,");
  // 926.5 nm, SR-103 pixel 18: weight 0.47 of 834.6667 and 0.53 of 1018.
  EXPECT_EQ(Line("926.50"), "926.50,,1018.00,931.83,");
  EXPECT_EQ(Line("950.00"), "950.00,866.00,,1033.67,");   // SR-101's last merged pixel
  EXPECT_EQ(Line("950.75"), "950.75,867.00,,,");          // past the band: not merged
  EXPECT_EQ(Line("1067.75"), "1067.75,1023.00,,,");
  EXPECT_EQ(writer.CsvLines.back(), "1666.00,,1511.00,1511.00,");

  size_t filled[3] = {0, 0, 0};
  for (size_t i = 8; i < writer.CsvLines.size(); ++i) {
    const std::vector<std::string> cells = Cells(writer.CsvLines[i]);
    ASSERT_EQ(cells.size(), 4u) << writer.CsvLines[i];
    ASSERT_FALSE(cells[1].empty() && cells[2].empty()) << writer.CsvLines[i];
    ASSERT_FALSE(!cells[1].empty() && !cells[2].empty()) << writer.CsvLines[i];
    for (int c = 0; c < 3; ++c) filled[c] += cells[static_cast<size_t>(c) + 1].empty() ? 0 : 1;
  }
  EXPECT_EQ(filled[0], 1024u);
  EXPECT_EQ(filled[1], 512u);
  EXPECT_EQ(filled[2], 867u + 511u);   // SR-101 up to 950 nm, SR-103 from 900 nm
}

TEST_F(CsvRaw, EqualWavelengthsOfTwoSensorsShareOneLine) {
  // SR-103 on 899 + 1.5 b nm meets SR-101 pixel 798 + 2 b for b = 0 .. 112 (899.0 .. 1067.0 nm);
  // inside the band (b = 1 .. 34) the merged axis holds each of them twice.
  Configure(899.0f);
  EXPECT_EQ(merged.size(), 867u + 511u);
  EXPECT_EQ(std::count(merged.begin(), merged.end(), 920.0), 2);
  EXPECT_EQ(writer.CsvWavelengths.size(), 1024u + 512u - 113u);
  EXPECT_EQ(std::count(writer.CsvWavelengths.begin(), writer.CsvWavelengths.end(), 920.0), 1);
  EXPECT_EQ(Line("899.00"), "899.00,798.00,1000.00,798.00,");
  EXPECT_EQ(Line("900.50"), "900.50,800.00,1001.00,802.01,");
  // 920 nm: SR-101 pixel 826, SR-103 pixel 14; weight 0.6 of 826 and 0.4 of 1014.
  EXPECT_EQ(Line("920.00"), "920.00,826.00,1014.00,901.20,");
  EXPECT_EQ(Line("950.00"), "950.00,866.00,1034.00,1034.00,");
  EXPECT_EQ(Line("1067.00"), "1067.00,1022.00,1112.00,1112.00,");
  EXPECT_EQ(writer.CsvLines.back(), "1665.50,,1511.00,1511.00,");

  size_t mergeCells = 0;
  for (size_t i = 8; i < writer.CsvLines.size(); ++i)
    mergeCells += Cells(writer.CsvLines[i])[3].empty() ? 0 : 1;
  EXPECT_EQ(mergeCells, 867u + 511u - 34u);   // every merged wavelength has its value once
}

TEST_F(CsvRaw, SingleSensorSelectedKeepsItsOwnAxis) {
  settings.CsvSensor = {0, 0, 1, 0};
  settings.CsvMerge = 0;
  Configure(899.5f);
  ASSERT_EQ(writer.CsvLines.size(), 8u + 512u);
  EXPECT_EQ(writer.CsvLines[3], "Sensor,SR-103,");
  EXPECT_EQ(writer.CsvLines[8], "899.50,1000.00,");
  EXPECT_EQ(writer.CsvLines.back(), "1666.00,1511.00,");
}

}  // namespace
}  // namespace spectrel
