// Geometry of the graph computed by hand from its layout rules: fractions of the drawing area,
// tick steps of 1, 2 and 5 times powers of ten, and the truncating map to the plot.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/graph.h"

namespace spectrel {
namespace {

TEST(GraphLayout, ThousandBySevenFiftyArea) {
  const GraphLayout g = ComputeLayout(1000, 750);
  // 0.14 x 1000, 0.125 x 750 = 93.75, 0.8 x 1000, 0.85 x 750 = 637.5
  EXPECT_EQ(g.Plot, (GraphRect{140, 93, 800, 637}));
  EXPECT_EQ(g.TitleFontHeight, 25);   // 750 / 30
  EXPECT_EQ(g.AxisFontHeight, 15);    // 750 / 50
  EXPECT_EQ(g.FramePenWidth, 1);      // 750 / 500
  EXPECT_EQ(g.TitleAt, (GraphPoint{500, 37}));    // 0.05 x 750 = 37.5
  EXPECT_EQ(g.XTitleAt, (GraphPoint{500, 712}));  // 0.95 x 750 = 712.5
  EXPECT_EQ(g.YTitleAt, (GraphPoint{50, 375}));
  EXPECT_EQ(g.ReportRect, (GraphRect{820, 93, 1000, 637}));
}

TEST(GraphLayout, PenWidthGrowsWithHeightAndNeverVanishes) {
  EXPECT_EQ(ComputeLayout(4560, 3420).FramePenWidth, 6);   // 3420 / 500
  EXPECT_EQ(ComputeLayout(4560, 3420).AxisFontHeight, 68);
  EXPECT_EQ(ComputeLayout(40, 30).FramePenWidth, 1);
  EXPECT_EQ(ComputeLayout(40, 30).TitleFontHeight, 1);
  const GraphLayout empty = ComputeLayout(0, 0);
  EXPECT_EQ(empty.Plot, (GraphRect{0, 0, 0, 0}));
  EXPECT_EQ(empty.FramePenWidth, 1);
}

TEST(TickStep, LargestStepWithFiveWholeIntervals) {
  EXPECT_DOUBLE_EQ(TickStep(1500), 200);   // 1500/500 = 3, 1500/200 = 7.5
  EXPECT_DOUBLE_EQ(TickStep(100), 20);     // 100/50 = 2, 100/20 = 5
  EXPECT_DOUBLE_EQ(TickStep(7), 1);        // 7/2 = 3.5, 7/1 = 7
  EXPECT_DOUBLE_EQ(TickStep(4.9), 0.5);    // 4.9/1 = 4.9, 4.9/0.5 = 9.8
  EXPECT_DOUBLE_EQ(TickStep(60), 10);      // 60/20 = 3, 60/10 = 6
  EXPECT_DOUBLE_EQ(TickStep(5), 1);        // exactly five intervals
  EXPECT_DOUBLE_EQ(TickStep(0.01), 0.002); // the smallest candidate
  EXPECT_DOUBLE_EQ(TickStep(1e12), 1000000);
}

TEST(TickStep, TinyZeroAndNegativeSpansGetTheFallback) {
  EXPECT_DOUBLE_EQ(TickStep(0.009), 0.001);
  EXPECT_DOUBLE_EQ(TickStep(0), 0.001);
  EXPECT_DOUBLE_EQ(TickStep(-1500), 0.001);
  EXPECT_DOUBLE_EQ(TickStep(NAN), 0.001);
}

TEST(GraphTicks, WavelengthLabelsFrom300To1800) {
  CGraph g;
  GraphSettings s;
  s.GraphLeft = 300;
  s.GraphRight = 1800;
  g.Setup(s, {140, 93, 800, 637}, 0.0);
  EXPECT_DOUBLE_EQ(g.XStep, 200);
  std::vector<std::string> labels;
  for (double t : g.XTicks()) labels.push_back(WavelengthLabel(t));
  // 300 is no multiple of 200 and carries no label; 1800 is and does.
  EXPECT_EQ(labels, (std::vector<std::string>{"400", "600", "800", "1000", "1200", "1400", "1600", "1800"}));
}

TEST(GraphTicks, FixedIrradianceScaleLabels) {
  CGraph g;
  GraphSettings s;
  s.AutoScale = 0;
  s.GraphBottom = 0;
  s.GraphTop = 100;
  g.Setup(s, {140, 93, 800, 637}, 555.0);  // the data's maximum does not matter without auto scale
  EXPECT_DOUBLE_EQ(g.YMax, 100);
  EXPECT_DOUBLE_EQ(g.YStep, 20);
  std::vector<std::string> labels;
  for (double t : g.YTicks()) labels.push_back(IrradianceLabel(t));
  EXPECT_EQ(labels, (std::vector<std::string>{"0.0", "20.0", "40.0", "60.0", "80.0", "100.0"}));
}

TEST(GraphTicks, AutoScaleTopIsSixFifthsOfTheMaximum) {
  CGraph g;
  GraphSettings s;
  s.AutoScale = 1;
  s.GraphTop = 100;  // ignored with auto scale
  g.Setup(s, {140, 93, 800, 637}, 50.0);
  EXPECT_DOUBLE_EQ(g.YMax, 60);
  EXPECT_DOUBLE_EQ(g.YStep, 10);
  EXPECT_EQ(g.YTicks().size(), 7u);  // 0, 10, ... 60
  EXPECT_EQ(IrradianceLabel(g.YTicks().back()), "60.0");
}

TEST(GraphTicks, RangeWithoutMultiplesAndAbsurdRanges) {
  EXPECT_TRUE(TickValues(401, 599, 200).empty());
  EXPECT_EQ(TickValues(-250, 250, 100), (std::vector<double>{-200, -100, 0, 100, 200}));
  EXPECT_TRUE(TickValues(1800, 300, 0.001).empty());          // reversed range
  EXPECT_TRUE(TickValues(0, 1e15, TickStep(1e15)).empty());   // a billion ticks are not drawn
  EXPECT_TRUE(TickValues(0, INFINITY, 1).empty());
  EXPECT_EQ(TickValues(0, 0, TickStep(0)), (std::vector<double>{0}));
}

TEST(GraphMapping, TruncatesOffsetsIntoThePlot) {
  CGraph g;
  GraphSettings s;
  s.AutoScale = 0;
  g.Setup(s, {140, 93, 800, 637}, 0.0);
  EXPECT_EQ(g.MapX(300), 140);
  EXPECT_EQ(g.MapX(1800), 800);
  EXPECT_EQ(g.MapX(1050), 470);   // 140 + 750 x 660 / 1500 = 140 + 330
  EXPECT_EQ(g.MapX(301), 140);    // 660 / 1500 = 0.44 truncates to 0
  EXPECT_EQ(g.MapX(299), 140);    // -0.44 truncates towards zero too
  EXPECT_EQ(g.MapX(305), 142);    // 5 x 0.44 = 2.2
  EXPECT_EQ(g.MapY(0), 637);
  EXPECT_EQ(g.MapY(100), 93);
  EXPECT_EQ(g.MapY(50), 365);     // 637 - 50 x 544 / 100 = 637 - 272
  EXPECT_EQ(g.MapY(33), 458);     // 33 x 5.44 = 179.52 -> 179
  EXPECT_EQ(g.ClipRect(), (GraphRect{141, 94, 799, 636}));
}

TEST(GraphMapping, CoordinatesAreLimitedAndZeroSpansStayFinite) {
  CGraph g;
  GraphSettings s;
  s.AutoScale = 0;
  g.Setup(s, {140, 93, 800, 637}, 0.0);
  EXPECT_EQ(g.MapY(1e9), CoordMin);
  EXPECT_EQ(g.MapY(-1e9), CoordMax);
  EXPECT_EQ(g.MapX(1e12), CoordMax);

  s.GraphLeft = s.GraphRight = 500;   // zero wavelength span
  s.AutoScale = 1;                    // a night spectrum: top = 1.2 x 0 = bottom
  g.Setup(s, {140, 93, 800, 637}, 0.0);
  EXPECT_DOUBLE_EQ(g.XStep, 0.001);
  EXPECT_DOUBLE_EQ(g.YStep, 0.001);
  EXPECT_EQ(g.MapX(500), 140);        // 0/0: the left edge
  EXPECT_EQ(g.MapX(600), CoordMax);   // 100 x 660 / 0 = +inf
  EXPECT_EQ(g.MapX(400), CoordMin);
  EXPECT_EQ(g.MapY(0), 637);
  EXPECT_EQ(g.MapY(1), CoordMin);

  s.GraphLeft = 1800;                 // reversed axis: mapped mirror-wise, no fault
  s.GraphRight = 300;
  g.Setup(s, {140, 93, 800, 637}, 0.0);
  EXPECT_EQ(g.MapX(1800), 140);
  EXPECT_EQ(g.MapX(300), 800);
  EXPECT_TRUE(g.XTicks().empty());
}

TEST(GraphCurve, RepeatedPointsAreSkipped) {
  std::vector<GraphPoint> line;
  AppendCurvePoint(line, {1, 2});
  AppendCurvePoint(line, {1, 2});
  AppendCurvePoint(line, {1, 3});
  AppendCurvePoint(line, {1, 3});
  AppendCurvePoint(line, {1, 2});
  EXPECT_EQ(line, (std::vector<GraphPoint>{{1, 2}, {1, 3}, {1, 2}}));
}

TEST(GraphReport, LinesSplitAtLineFeeds) {
  const auto lines = ReportLines("a\nb\n", {820, 93}, 17);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Text, "a");
  EXPECT_EQ(lines[1].Text, "b");
  EXPECT_EQ(lines[2].Text, "");
  EXPECT_EQ(lines[0].At, (GraphPoint{820, 93}));
  EXPECT_EQ(lines[1].At, (GraphPoint{820, 113}));   // 17 x 12 / 10 = 20
  EXPECT_EQ(lines[2].At, (GraphPoint{820, 133}));

  const auto single = ReportLines("SR-101", {0, 0}, 15);
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].Text, "SR-101");
  EXPECT_EQ(ReportLines("", {0, 0}, 15).size(), 1u);
  EXPECT_EQ(ReportLines("\n\n", {5, 10}, 15).back().At, (GraphPoint{5, 46}));  // 15 x 12 / 10 = 18
}

}  // namespace
}  // namespace spectrel
