// Geometry of the graph and of its drawing areas computed by hand from the layout rules:
// fractions of the drawing area, tick steps of 1, 2 and 5 times powers of ten, the truncating
// map to the plot, and 4:3 areas on the window, the page and the clipboard.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/drawing_area.h"
#include "ui/graph.h"

namespace spectrel {
namespace {

CGraph Laid(const GraphSettings& s, double dataMax = 0.0) {
  CGraph g;
  g.Setup(s, {140, 93, 800, 637}, dataMax);
  return g;
}

TEST(GraphLayout, FractionsOfTheAreaAndPensThatNeverVanish) {
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
  EXPECT_EQ(ComputeLayout(4560, 3420).FramePenWidth, 6);   // 3420 / 500
  EXPECT_EQ(ComputeLayout(4560, 3420).AxisFontHeight, 68);
  EXPECT_EQ(ComputeLayout(40, 30).FramePenWidth, 1);
  EXPECT_EQ(ComputeLayout(40, 30).TitleFontHeight, 1);
  EXPECT_EQ(ComputeLayout(0, 0).Plot, (GraphRect{0, 0, 0, 0}));
  EXPECT_EQ(ComputeLayout(0, 0).FramePenWidth, 1);
}

TEST(GraphTicks, LargestStepWithFiveWholeIntervals) {
  // 1500/500 = 3 but 1500/200 = 7.5; 4.9/1 = 4.9 but 4.9/0.5 = 9.8; 5 gives exactly five.
  // Spans below the smallest candidate, zero, negative or not a number fall back to 0.001.
  const std::pair<double, double> cases[] = {{1500, 200}, {100, 20}, {7, 1},       {4.9, 0.5},
                                             {60, 10},    {5, 1},    {0.01, 0.002}, {1e12, 1e6},
                                             {0.009, 0.001}, {0, 0.001}, {-1500, 0.001}, {NAN, 0.001}};
  for (const auto& [span, step] : cases) EXPECT_DOUBLE_EQ(TickStep(span), step) << span;

  EXPECT_TRUE(TickValues(401, 599, 200).empty());
  EXPECT_EQ(TickValues(-250, 250, 100), (std::vector<double>{-200, -100, 0, 100, 200}));
  EXPECT_TRUE(TickValues(1800, 300, 0.001).empty());          // reversed range
  EXPECT_TRUE(TickValues(0, 1e15, TickStep(1e15)).empty());   // a billion ticks are not drawn
  EXPECT_TRUE(TickValues(0, INFINITY, 1).empty());
  EXPECT_EQ(TickValues(0, 0, TickStep(0)), (std::vector<double>{0}));
}

TEST(GraphTicks, LabelsOfBothAxesFixedAndAutomatic) {
  GraphSettings s;   // 300..1800 nm
  s.AutoScale = 0;   // 0..100: the data's maximum does not matter
  CGraph g = Laid(s, 555.0);
  EXPECT_DOUBLE_EQ(g.XStep, 200);
  EXPECT_DOUBLE_EQ(g.YMax, 100);
  EXPECT_DOUBLE_EQ(g.YStep, 20);
  std::vector<std::string> x, y;
  for (double t : g.XTicks()) x.push_back(WavelengthLabel(t));
  for (double t : g.YTicks()) y.push_back(IrradianceLabel(t));
  // 300 is no multiple of 200 and carries no label; 1800 is and does.
  EXPECT_EQ(x, (std::vector<std::string>{"400", "600", "800", "1000", "1200", "1400", "1600", "1800"}));
  EXPECT_EQ(y, (std::vector<std::string>{"0.0", "20.0", "40.0", "60.0", "80.0", "100.0"}));

  s.AutoScale = 1;   // top = 1.2 x 50, GraphTop 100 ignored
  g = Laid(s, 50.0);
  EXPECT_DOUBLE_EQ(g.YMax, 60);
  EXPECT_DOUBLE_EQ(g.YStep, 10);
  EXPECT_EQ(g.YTicks().size(), 7u);  // 0, 10, ... 60
  EXPECT_EQ(IrradianceLabel(g.YTicks().back()), "60.0");
}

TEST(GraphMapping, TruncatesIntoThePlotLimitsAndStaysFiniteOnZeroSpans) {
  GraphSettings s;
  s.AutoScale = 0;
  CGraph g = Laid(s);
  // 0.44 px per nm from x 140: 1050 -> 140 + 330; 0.44 and -0.44 truncate towards zero, 2.2 to 2.
  for (const auto& [nm, x] : {std::pair{300.0, 140}, {1800.0, 800}, {1050.0, 470}, {301.0, 140}, {299.0, 140},
                              {305.0, 142}, {1e12, CoordMax}})
    EXPECT_EQ(g.MapX(nm), x) << nm;
  // 5.44 px per W/m2/um up from y 637: 50 -> 637 - 272; 33 -> 179.52 truncated to 179.
  for (const auto& [w, y] : {std::pair{0.0, 637}, {100.0, 93}, {50.0, 365}, {33.0, 458}, {1e9, CoordMin},
                             {-1e9, CoordMax}})
    EXPECT_EQ(g.MapY(w), y) << w;
  EXPECT_EQ(g.ClipRect(), (GraphRect{141, 94, 799, 636}));

  s.GraphLeft = s.GraphRight = 500;   // zero wavelength span
  s.AutoScale = 1;                    // a night spectrum: top = 1.2 x 0 = bottom
  g = Laid(s);
  EXPECT_DOUBLE_EQ(g.XStep, 0.001);
  EXPECT_DOUBLE_EQ(g.YStep, 0.001);
  EXPECT_EQ(g.MapX(500), 140);        // 0/0: the left edge
  EXPECT_EQ(g.MapX(600), CoordMax);   // 100 x 660 / 0 = +inf
  EXPECT_EQ(g.MapX(400), CoordMin);
  EXPECT_EQ(g.MapY(0), 637);
  EXPECT_EQ(g.MapY(1), CoordMin);

  s.GraphLeft = 1800;                 // reversed axis: mapped mirror-wise, no fault
  s.GraphRight = 300;
  g = Laid(s);
  EXPECT_EQ(g.MapX(1800), 140);
  EXPECT_EQ(g.MapX(300), 800);
  EXPECT_TRUE(g.XTicks().empty());
}

TEST(GraphText, RepeatedCurvePointsAreSkippedAndReportLinesSplitAtLineFeeds) {
  std::vector<GraphPoint> line;
  for (GraphPoint p : {GraphPoint{1, 2}, {1, 2}, {1, 3}, {1, 3}, {1, 2}}) AppendCurvePoint(line, p);
  EXPECT_EQ(line, (std::vector<GraphPoint>{{1, 2}, {1, 3}, {1, 2}}));

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

TEST(DrawingArea, WindowPageAndClipboardKeepFourToThree) {
  // 1200 x 0.75 = 900 > 600: limited by the height, width 600 / 0.75; 800 x 0.75 = 600 <= 900.
  EXPECT_EQ(ScreenDrawingArea(1200, 600), (DrawingArea{800, 600, 0, 0}));
  EXPECT_EQ(ScreenDrawingArea(800, 900), (DrawingArea{800, 600, 0, 0}));
  EXPECT_EQ(ScreenDrawingArea(1000, 750), (DrawingArea{1000, 750, 0, 0}));
  EXPECT_EQ(ScreenDrawingArea(101, 50), (DrawingArea{66, 50, 0, 0}));   // 50 / 0.75 = 66.67
  EXPECT_EQ(ScreenDrawingArea(0, 0), (DrawingArea{0, 0, 0, 0}));
  // Portrait: hh = 600 x (4800 x 0.75) / 600 = 3600 fits in 6600; margins 240 and 180.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 600, 600), (DrawingArea{4560, 3420, 240, 180}));
  // Landscape: hh = 4950 > 4800, so width 4800 x 6600 / 4950 = 6400; margins 320 and 240.
  EXPECT_EQ(PrinterDrawingArea(6600, 4800, 600, 600), (DrawingArea{6080, 4560, 320, 240}));
  // Half the vertical resolution: hh = 300 x 3600 / 600 = 1800; margins 240 and 90.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 600, 300), (DrawingArea{4560, 1710, 240, 90}));
  // A printer without a resolution is treated as square.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 0, 0), (DrawingArea{4560, 3420, 240, 180}));
  EXPECT_EQ(PrinterDrawingArea(0, 0, 600, 600), (DrawingArea{0, 0, 0, 0}));
  EXPECT_EQ(ClipboardDrawingArea(), (DrawingArea{640, 480, 0, 0}));
}

}  // namespace
}  // namespace spectrel
