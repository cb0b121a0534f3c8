// The graph: its geometry computed by hand from the layout rules (fractions of the drawing area,
// tick steps of 1, 2 and 5 times powers of ten, the truncating map to the plot, 4:3 areas on the
// window, the page and the clipboard), then the painted picture checked pixel by pixel on a
// 1000 x 750 image (plot 140..800 x 93..637, 0.44 px per nm over 300..1800, 5.44 px per W/m2/um
// over 0..100).
#include <cmath>

#include "support/hand_made.h"
#include "ui/drawing_area.h"
#include "ui/graph.h"
#include "ui/graph_painter.h"
#include "ui/spectrum_text.h"
#include "ui_test_support.h"

namespace spectrel {
namespace {

using uitest::Count;

CGraph Laid(const GraphSettings& s, double dataMax = 0.0) {
  CGraph g;
  g.Setup(s, {140, 93, 800, 637}, dataMax);
  return g;
}

TEST(GraphLayout, EverythingScalesWithTheAreaYetNoPenVanishes) {
  const GraphLayout g = ComputeLayout(1000, 750);
  // 0.14 x 1000, 0.125 x 750 = 93.75, 0.8 x 1000, 0.85 x 750 = 637.5; titles at 0.05 and 0.95 x 750.
  EXPECT_EQ(g.Plot, (GraphRect{140, 93, 800, 637}));
  EXPECT_EQ(std::tuple(g.TitleAt, g.XTitleAt, g.YTitleAt),
            std::tuple(GraphPoint{500, 37}, GraphPoint{500, 712}, GraphPoint{50, 375}));
  EXPECT_EQ(g.ReportRect, (GraphRect{820, 93, 1000, 637}));
  // Title H/30, axis H/50, frame pen H/500 but at least 1.
  const std::pair<int, std::array<int, 3>> fonts[] = {{750, {25, 15, 1}}, {3420, {114, 68, 6}}, {30, {1, 0, 1}}};
  for (const auto& [h, sizes] : fonts) {
    const GraphLayout l = ComputeLayout(h * 4 / 3, h);
    EXPECT_EQ((std::array<int, 3>{l.TitleFontHeight, l.AxisFontHeight, l.FramePenWidth}), sizes) << h;
  }
  // On paper lines have their width in millimetres (0.35 mm at 1200 dpi is 16.5 dots); coarser
  // devices keep one unit.
  const std::tuple<double, int, int> pens[] = {{0.35, 1200, 17}, {0.2, 1200, 9}, {0.2, 300, 2}, {0.35, 299, 1}, {0.01, 600, 1}};
  for (const auto& [mm, dpi, width] : pens) EXPECT_EQ(LinePenWidth(mm, dpi), width) << mm << " " << dpi;
}

TEST(GraphTicks, TheStepIsTheLargestGivingFiveWholeIntervals) {
  // 1500/500 = 3 but 1500/200 = 7.5; 4.9/1 = 4.9 but 4.9/0.5 = 9.8; 5 gives exactly five.
  // Spans below the smallest candidate, zero, negative or not a number fall back to 0.001.
  const std::pair<double, double> cases[] = {{1500, 200}, {100, 20},      {4.9, 0.5}, {5, 1},         {1e12, 1e6},
                                             {0.01, 0.002}, {0.009, 0.001}, {0, 0.001}, {-1500, 0.001}, {NAN, 0.001}};
  for (const auto& [span, step] : cases) EXPECT_DOUBLE_EQ(TickStep(span), step) << span;
}

TEST(GraphTicks, TicksAreTheStepsMultiplesInsideTheRange) {
  EXPECT_EQ(TickValues(-250, 250, 100), (std::vector<double>{-200, -100, 0, 100, 200}));
  EXPECT_TRUE(TickValues(401, 599, 200).empty());
  EXPECT_TRUE(TickValues(1800, 300, 0.001).empty());          // reversed range
  EXPECT_TRUE(TickValues(0, 1e15, TickStep(1e15)).empty());   // a billion ticks are not drawn
}

TEST(GraphMapping, FixedOrAutomaticTopTruncatedIntoThePlotLimits) {
  GraphSettings s;
  s.AutoScale = false;   // 0..100: the data's maximum does not matter
  CGraph g = Laid(s, 555.0);
  EXPECT_EQ(std::tuple(g.XStep, g.YMax, g.YStep), std::tuple(200.0, 100.0, 20.0));
  // 0.44 px per nm from x 140: 1050 -> 140 + 330; 0.44 and -0.44 truncate towards zero.
  for (const auto& [nm, x] : {std::pair{300.0, 140}, {1800.0, 800}, {1050.0, 470}, {301.0, 140}, {299.0, 140},
                              {305.0, 142}, {1e12, CoordMax}})
    EXPECT_EQ(g.MapX(nm), x) << nm;
  // 5.44 px per W/m2/um up from y 637: 50 -> 637 - 272; 33 -> 179.52 truncated to 179.
  for (const auto& [w, y] : {std::pair{0.0, 637}, {50.0, 365}, {33.0, 458}, {1e9, CoordMin}, {-1e9, CoordMax}})
    EXPECT_EQ(g.MapY(w), y) << w;
  EXPECT_EQ(g.ClipRect(), (GraphRect{141, 94, 799, 636}));
  s.AutoScale = true;   // top = 1.2 x 50, GraphTop ignored
  EXPECT_EQ(std::tuple(Laid(s, 50.0).YMax, Laid(s, 50.0).YStep), std::tuple(60.0, 10.0));
  s.GraphLeft = s.GraphRight = 500;   // zero spans: a night spectrum's top 1.2 x 0 is the bottom
  g = Laid(s);
  EXPECT_EQ(std::tuple(g.MapX(500), g.MapX(600), g.MapX(400), g.MapY(0), g.MapY(1)),
            std::tuple(140, CoordMax, CoordMin, 637, CoordMin));
}

TEST(GraphTicks, LabelsKeepTheDecimalsOfTheStepWithoutANegativeZero) {
  // Auto scale over a largest value of 0.004: top 0.0048, step 0.001.
  const std::vector<double> ticks = TickValues(0, 0.0048, TickStep(0.0048));
  std::vector<std::string> labels;
  for (double t : ticks) labels.push_back(IrradianceLabel(t, TickStep(0.0048)));
  EXPECT_EQ(labels, (std::vector<std::string>{"0.000", "0.001", "0.002", "0.003", "0.004"}));
  EXPECT_EQ(IrradianceLabel(TickValues(-0.05, 1, 0.1)[0], 0.1) + " " + IrradianceLabel(20, 20), "0.0 20.0");
  EXPECT_EQ(std::tuple(WavelengthLabel(1800), IrradianceLabel(20)), std::tuple("1800", "20.0"));
}

TEST(GraphMapping, ALogarithmicAxisGivesEachDecadeEqualHeight) {
  GraphSettings s;
  s.AutoScale = false;
  s.GraphTop = 1000;
  CGraph g = Laid(s);
  g.SetLogY(0.1);   // four decades over 544 rows: 136 each
  EXPECT_EQ(std::tuple(g.MapY(0.1), g.MapY(1), g.MapY(10), g.MapY(1000), g.MapY(0) > 637), std::tuple(637, 501, 365, 93, true));
  EXPECT_EQ(g.YTicks(), (std::vector<double>{0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}));
  EXPECT_NEAR(g.YAt(365), 10.0, 0.2);
}

TEST(SpectrumNumbers, SavedNumbersReadBackAsAnOverlay) {
  CResample r;
  r.StartNm = 300;
  r.EndNm = 302;
  r.Values = {1.5, 2.25, 1e-4};
  const QString text = SpectrumNumbers(r);
  EXPECT_TRUE(text.startsWith("Wavelength (nm)\tIrradiance (W/m2/um)\n300\t1.5\n301\t2.25\n")) << text.toStdString();
  uitest::TempDir folder;
  testing::WriteBytes(folder.File("s.txt"), text.toStdString());
  std::vector<std::pair<double, double>> points;
  QString problem;
  ASSERT_TRUE(ReadSpectrumNumbers(QString::fromStdString(folder.File("s.txt")), points, problem));
  EXPECT_EQ(points, SpectrumPoints(r));
}

TEST(DrawingArea, EveryDrawingAreaKeepsFourToThree) {
  // 1200 x 0.75 = 900 > 600: limited by the height, width 600 / 0.75; 800 x 0.75 = 600 <= 900.
  EXPECT_EQ(ScreenDrawingArea(1200, 600), (DrawingArea{800, 600, 0, 0}));
  EXPECT_EQ(ScreenDrawingArea(101, 50), (DrawingArea{66, 50, 0, 0}));   // 50 / 0.75 = 66.67
  // Portrait: hh = 600 x (4800 x 0.75) / 600 = 3600 fits in 6600; margins 240 and 180.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 600, 600), (DrawingArea{4560, 3420, 240, 180}));
  // Landscape: hh = 4950 > 4800, so width 4800 x 6600 / 4950 = 6400; margins 320 and 240.
  EXPECT_EQ(PrinterDrawingArea(6600, 4800, 600, 600), (DrawingArea{6080, 4560, 320, 240}));
  // Half the vertical resolution: hh = 300 x 3600 / 600 = 1800; margins 240 and 90.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 600, 300), (DrawingArea{4560, 1710, 240, 90}));
  // A printer without a resolution is treated as square.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 0, 0), (DrawingArea{4560, 3420, 240, 180}));
}

const QRgb White = qRgb(255, 255, 255);
const QRgb Red = qRgb(255, 0, 0);        // the default curve colour 0x0000FF
const QRgb Green = qRgb(0, 128, 0);      // the default frame colour 0x008000
const QRgb Grey = qRgb(200, 200, 200);   // the sensors' own curves

// Fixed axis 0..100; the main curve on the 1 nm grid: 50 W/m2/um below 1000 nm, 200 from there on.
struct Scene {
  Scene() {
    Graph.AutoScale = Graph.GridLine = false;
    Display.StartNm = 300;
    Display.EndNm = 1800;
    for (int w = 300; w <= 1800; ++w) Display.Values.push_back(w < 1000 ? 50.0 : 200.0);
    Display.MaxValue = 200.0;
  }
  QImage Render(int width = 1000, int height = 750) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawGraph(p, width, height, {Graph, DispMode, Display, Day, "Station", "", "", "a\nb"}, Last);
    return image;
  }
  GraphSettings Graph;
  DisplayMode DispMode = DisplayMode::Normal;
  CResample Display;
  CKrfData Day;
  CGraph Last;
};

TEST(GraphRender, CurveCutInsideTheFrameGridLinesFollowTheTicksTickMarksAlways) {
  Scene s;
  const QImage bare = s.Render();
  // The clip rectangle is the plot shrunk by one: x 141..798, y 94..635.
  const int all = Count(bare, Red, 0, 0, 1000, 750);
  EXPECT_GT(all, 0);
  EXPECT_EQ(Count(bare, Red, 141, 94, 799, 636), all);
  // The low part lies at 637 - 50 x 5.44 = 365; the rise at 1000 nm (x = 140 + 700 x 0.44 = 448)
  // is cut in the first row inside the frame, and the frame row itself keeps its colour.
  EXPECT_EQ(bare.pixel(300, 365), Red);
  EXPECT_GT(Count(bare, Red, 440, 94, 452, 95), 0);
  EXPECT_EQ(bare.pixel(448, 93), Green);
  EXPECT_EQ(Count(bare, Red, 460, 94, 799, 636), 0);   // 200 lies far above the top
  s.Graph.GridLine = true;
  const QImage grid = s.Render();
  // Tick 400 nm: x = 140 + 100 x 0.44 = 184; tick 20 W/m2/um: y = 637 - 108.8 -> 529.
  EXPECT_EQ(std::tuple(grid.pixel(184, 300), grid.pixel(600, 529), grid.pixel(186, 300)), std::tuple(Green, Green, White));
  EXPECT_EQ(std::tuple(bare.pixel(184, 300), bare.pixel(600, 529)), std::tuple(White, White));
  // Tick marks below the plot reach one axis font height (15) down, with or without grid.
  EXPECT_EQ(std::tuple(grid.pixel(184, 645), bare.pixel(184, 645)), std::tuple(Green, Green));
  s.Display = CResample{};   // no spectrum: no grid, no ticks, no report, only the frame
  const QImage empty = s.Render();
  EXPECT_EQ(std::tuple(empty.pixel(140, 300), empty.pixel(184, 300), empty.pixel(184, 645)), std::tuple(Green, White, White));
  EXPECT_EQ(Count(empty, White, 820, 93, 1000, 637), 180 * 544);
}

TEST(GraphRender, DetailedModeAddsTheLastPointsSensorCurvesInGrey) {
  Scene s;
  // One SR-103 record over 1000..1511 nm, light 30 W/m2/um with calibration 1 and no dark.
  s.Day.SetInfo(SR103, testing::AxisInfo(SR103, 1000.0f, 1.0f));
  s.Day.AppendRad(CRad{});
  s.Day.LastRad()->SetBlock(SR103, testing::FlatBlock(SR103, 30.0f));
  EXPECT_EQ(Count(s.Render(), Grey, 141, 94, 799, 636), 0);
  s.DispMode = DisplayMode::Detailed;
  const QImage detailed = s.Render();
  // 30 W/m2/um: y = 637 - 163.2 -> 474; inside the plot the grey is only on that row, from
  // x = 448 (1000 nm) to 140 + 1211 x 0.44 = 672 (1511 nm).
  EXPECT_EQ(Count(detailed, Grey, 449, 474, 672, 475), 672 - 449);
  EXPECT_EQ(Count(detailed, Grey, 141, 94, 799, 636), Count(detailed, Grey, 448, 474, 674, 475));
}

TEST(GraphReading, TheCursorReadsTheShownSpectrumThenEachSensor) {
  Scene s;
  s.Day.SetInfo(SR103, testing::AxisInfo(SR103, 1000.0f, 1.0f));
  s.Day.AppendRad(CRad{});
  // The SR-103's pixel k at 1000 + k nm reads 30 + k W/m2/um.
  s.Day.LastRad()->SetBlock(SR103, testing::SpectrumBlock(SR103, [](int k) { return 30.0f + static_cast<float>(k); }));
  const GraphInputs inputs{s.Graph, s.DispMode, s.Display, s.Day, "", "", "", ""};
  // 1199.6 nm reads the grid's 1200 nm and the pixel at 1200 nm; 900 nm lies below the SR-103.
  EXPECT_EQ(GraphReadingAt(inputs, 1199.6), QStringLiteral("1200 nm   200 W/m2/um   SR-103 230"));
  EXPECT_EQ(GraphReadingAt(inputs, 900), QStringLiteral("900 nm   50 W/m2/um   SR-103 -"));
}

}  // namespace
}  // namespace spectrel
