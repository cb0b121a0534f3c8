// The painted graph, checked pixel by pixel on a 1000 x 750 image (plot 140..800 x 93..637,
// 0.44 px per nm over 300..1800, 5.44 px per W/m2/um over 0..100): where the curves may reach,
// where the grid, texts and grey sensor curves fall, and that odd ranges draw without fault.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "ui/graph_painter.h"

namespace spectrel {
namespace {

constexpr QRgb White = 0xFFFFFFFF;
const QRgb Red = qRgb(255, 0, 0);          // the default curve colour 0x0000FF
const QRgb Green = qRgb(0, 128, 0);        // the default frame colour 0x008000
const QRgb Grey = qRgb(200, 200, 200);     // the sensors' own curves

// The main curve on the 1 nm grid: 50 W/m2/um below 1000 nm, 200 from there on.
CResample StepSpectrum() {
  CResample r;
  r.StartNm = 300;
  r.EndNm = 1800;
  for (int w = r.StartNm; w <= r.EndNm; ++w) r.Values.push_back(w < 1000 ? 50.0 : 200.0);
  r.MaxValue = 200.0;
  r.MinValue = 50.0;
  return r;
}

// Fixed axis 0..100 unless a test says otherwise.
struct Scene {
  Scene() { Graph.AutoScale = 0; }
  QImage Render(int width = 1000, int height = 750) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawGraph(p, width, height, {Graph, DispMode, Display, Day, "Station", Time, Integral, Report}, Last);
    return image;
  }
  GraphSettings Graph;
  int DispMode = 1;
  CResample Display;
  CKrfData Day;
  std::string Time, Integral, Report;
  CGraph Last;
};

int Count(const QImage& image, QRgb color, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y)
    for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x) n += image.pixel(x, y) == color;
  return n;
}

int NonWhite(const QImage& image, int left, int top, int right, int bottom) {
  return (right - left) * (bottom - top) - Count(image, White, left, top, right, bottom);
}

// A region of the image (left, top, right, bottom) and whether anything is drawn in it.
struct Region {
  int L, T, R, B;
  bool Ink;
};

void ExpectInk(const QImage& image, std::initializer_list<Region> regions) {
  for (const Region& r : regions)
    EXPECT_EQ(NonWhite(image, r.L, r.T, r.R, r.B) > 0, r.Ink) << r.L << "," << r.T << "," << r.R << "," << r.B;
}

TEST(GraphRender, CurveAboveTheTopIsCutInsideTheFrame) {
  Scene s;
  s.Graph.GridLine = 0;
  s.Display = StepSpectrum();   // reaches 200 from 1000 nm on
  ASSERT_EQ(ColorOfRef(s.Graph.GraphColor).rgb(), Red);
  const QImage image = s.Render();
  // The clip rectangle is the plot shrunk by one: x 141..798, y 94..635.
  const int all = Count(image, Red, 0, 0, 1000, 750);
  EXPECT_GT(all, 0);
  EXPECT_EQ(Count(image, Red, 141, 94, 799, 636), all);
  // The low part lies at 637 - 50 x 5.44 = 365; the rise at 1000 nm (x = 140 + 700 x 0.44 = 448)
  // is cut in the first row inside the frame, and the frame row itself keeps its colour.
  EXPECT_EQ(image.pixel(300, 365), Red);
  EXPECT_GT(Count(image, Red, 440, 94, 452, 95), 0);
  EXPECT_EQ(Count(image, Red, 0, 0, 1000, 94), 0);
  EXPECT_EQ(image.pixel(448, 93), Green);
  // Nothing of the curve at 200 (y = 637 - 1088 < 0) shows to the right of the rise.
  EXPECT_EQ(Count(image, Red, 460, 94, 799, 636), 0);
}

TEST(GraphRender, GridLinesFollowTheTicks) {
  Scene s;
  s.Display = StepSpectrum();
  const QImage grid = s.Render();
  s.Graph.GridLine = 0;
  const QImage bare = s.Render();
  // Tick 400 nm: x = 140 + 100 x 0.44 = 184; tick 20 W/m2/um: y = 637 - 108.8 -> 529.
  EXPECT_EQ(grid.pixel(184, 300), Green);
  EXPECT_EQ(grid.pixel(600, 529), Green);
  EXPECT_EQ(grid.pixel(186, 300), White);
  EXPECT_EQ(bare.pixel(184, 300), White);
  EXPECT_EQ(bare.pixel(600, 529), White);
  // Tick marks below the plot reach one axis font height (15) down, with or without grid.
  EXPECT_EQ(grid.pixel(184, 645), Green);
  EXPECT_EQ(bare.pixel(184, 645), Green);
}

TEST(GraphRender, EmptyDisplayDrawsOnlyFrameAndTexts) {
  Scene s;
  s.Time = "2024/06/01  12:00:00";
  s.Integral = "Integral : 812.3W/m2(300 - 1800nm)";
  s.Report = "SR-101\nready\n";
  const QImage image = s.Render();
  EXPECT_EQ(image.pixel(140, 300), Green);   // left edge of the frame
  EXPECT_EQ(image.pixel(799, 300), Green);   // its right edge, one inside 800
  EXPECT_EQ(image.pixel(184, 300), White);   // no grid without a spectrum
  // No report and no tick labels without a spectrum. The time text sits on the frame's top
  // (93 - 1) at its left end, the integral text ends at the plot's right edge; the titles: memo
  // around y 37, axis title around 712, upright title around x 50.
  ExpectInk(image, {{820, 93, 1000, 637, false}, {0, 640, 1000, 700, false}, {140, 70, 330, 92, true},
                    {700, 70, 800, 92, true}, {801, 60, 1000, 92, false}, {0, 60, 139, 92, false},
                    {400, 15, 600, 45, true}, {400, 695, 600, 720, true}, {35, 250, 55, 500, true}});
}

TEST(GraphRender, ReportColumnAndLabelsWithASpectrum) {
  Scene s;
  s.Display = StepSpectrum();
  const QImage bare = s.Render();
  s.Report = "a\nb\n";
  // Line "a" from y 93, line "b" from 93 + height x 1.2, both inside the column.
  ExpectInk(s.Render(), {{820, 93, 860, 110, true}, {820, 112, 860, 130, true}, {860, 93, 1000, 637, false}});
  // No report column without a report. Wavelength labels below the ticks: "400" centred on
  // x 184 from y 637 + 15 down, none for 300. Irradiance labels end left of x 140 - 15: "40.0"
  // stands on y = 637 - 217.6 -> 420, nothing above it next to the tick mark.
  ExpectInk(bare, {{820, 93, 1000, 637, false}, {170, 652, 200, 675, true}, {140, 652, 165, 675, false},
                   {80, 405, 125, 421, true}, {80, 425, 125, 440, false}, {126, 405, 139, 419, false}});
}

TEST(GraphRender, DetailedModeAddsTheSensorsGreyCurves) {
  Scene s;
  s.Graph.GridLine = 0;
  s.Display = StepSpectrum();
  // One SR-103 record over 1000..1511 nm, light 30 W/m2/um with calibration 1 and no dark.
  const int n = Models[SR103].Pixels;
  SensorInfo info(SR103);
  info.Calib.assign(n, 1.0f);
  for (int k = 0; k < n; ++k) info.Wavelength[k] = 1000.0f + static_cast<float>(k);
  s.Day.SetInfo(SR103, info);
  SensorMeasurement m(SR103);
  m.Light.assign(n, 30.0f);
  m.Dark.assign(n, 0.0f);
  s.Day.AppendRad(CRad{});
  s.Day.LastRad()->SetBlock(SR103, m);

  s.DispMode = 0;
  const QImage detailed = s.Render();
  // 1200 nm: x = 140 + 900 x 0.44 = 536; 30 W/m2/um: y = 637 - 163.2 -> 474. Inside the plot
  // the grey is only on that row, from x = 448 (1000 nm) to 140 + 1211 x 0.44 = 672 (1511 nm).
  EXPECT_EQ(detailed.pixel(536, 474), Grey);
  EXPECT_EQ(Count(detailed, Grey, 141, 94, 799, 473), 0);
  EXPECT_EQ(Count(detailed, Grey, 141, 475, 799, 636), 0);
  EXPECT_EQ(Count(detailed, Grey, 449, 474, 672, 475), 672 - 449);
  EXPECT_EQ(Count(detailed, Grey, 674, 474, 799, 475), 0);
  s.DispMode = 1;
  EXPECT_EQ(Count(s.Render(), Grey, 141, 94, 799, 636), 0);
}

TEST(GraphRender, DegenerateRangesDrawWithoutFault) {
  Scene s;
  s.Display = StepSpectrum();
  s.Report = "x\n";
  s.Display.Values.assign(s.Display.Values.size(), 0.0);   // a night: auto top 0 = bottom 0
  s.Display.MaxValue = 0.0;
  s.Graph.AutoScale = 1;
  EXPECT_EQ(s.Render().pixel(140, 300), Green);
  EXPECT_DOUBLE_EQ(s.Last.YMax, 0.0);
  s.Graph.GraphLeft = s.Graph.GraphRight = 800;   // zero wavelength span
  EXPECT_EQ(s.Render().pixel(140, 300), Green);
  s.Graph.AutoScale = 0;
  s.Graph.GraphLeft = 1800;                       // both axes reversed
  s.Graph.GraphRight = 300;
  s.Graph.GraphTop = -5;
  s.Display = StepSpectrum();
  EXPECT_EQ(s.Render().pixel(140, 300), Green);
  s.Graph.GraphLeft = 0;                          // a range edited far beyond any instrument
  s.Graph.GraphRight = 1e15;
  s.Graph.GraphTop = 1e300;
  EXPECT_EQ(s.Render().pixel(140, 300), Green);
  // A spectrum whose grid holds fewer values than its ends promise draws what it has.
  s.Graph = GraphSettings{};
  s.Display.Values.resize(10);
  EXPECT_EQ(s.Render(8, 6).width(), 8);
}

}  // namespace
}  // namespace spectrel
