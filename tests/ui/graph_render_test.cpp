// The painted graph, checked pixel by pixel on a 1000 x 750 image: where the curves may reach,
// where the grid and the grey sensor curves fall, and that odd ranges draw without fault.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "ui/graph_painter.h"

namespace spectrel {
namespace {

constexpr QRgb White = 0xFFFFFFFF;

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

struct Scene {
  GraphSettings Graph;
  int DispMode = 1;
  CResample Display;
  CKrfData Day;
  std::string Memo = "Station";
  std::string Time;
  std::string Integral;
  std::string Report;

  QImage Render(int width = 1000, int height = 750) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    CGraph graph;
    DrawGraph(p, width, height, {Graph, DispMode, Display, Day, Memo, Time, Integral, Report}, graph);
    p.end();
    Last = graph;
    return image;
  }
  CGraph Last;
};

QRgb Rgb(std::uint32_t colorRef) { return ColorOfRef(colorRef).rgb(); }

int CountPixels(const QImage& image, QRgb color, int left, int top, int right, int bottom) {
  int n = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y)
    for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x)
      if (image.pixel(x, y) == color) ++n;
  return n;
}

int CountNonWhite(const QImage& image, int left, int top, int right, int bottom) {
  return (right - left) * (bottom - top) - CountPixels(image, White, left, top, right, bottom);
}

TEST(GraphRender, CurveAboveTheTopIsCutInsideTheFrame) {
  Scene s;
  s.Graph.AutoScale = 0;       // axis 0..100, the curve reaches 200 from 1000 nm on
  s.Graph.GridLine = 0;
  s.Display = StepSpectrum();
  const QImage image = s.Render();
  const QRgb red = Rgb(s.Graph.GraphColor);
  ASSERT_EQ(red, qRgb(255, 0, 0));

  // The clip rectangle is the plot 140..800 x 93..637 shrunk by one: x 141..798, y 94..635.
  const int all = CountPixels(image, red, 0, 0, 1000, 750);
  EXPECT_GT(all, 0);
  EXPECT_EQ(CountPixels(image, red, 141, 94, 799, 636), all);
  // The low part lies at 637 - 50 x 5.44 = 365; the rise at 1000 nm (x = 140 + 700 x 0.44 = 448)
  // is cut in the first row inside the frame, and the frame row itself keeps its colour.
  EXPECT_EQ(image.pixel(300, 365), red);
  EXPECT_GT(CountPixels(image, red, 440, 94, 452, 95), 0);
  EXPECT_EQ(CountPixels(image, red, 0, 0, 1000, 94), 0);
  EXPECT_EQ(image.pixel(448, 93), Rgb(s.Graph.FrameColor));
  // Nothing of the curve at 200 (y = 637 - 1088 < 0) shows to the right of the rise.
  EXPECT_EQ(CountPixels(image, red, 460, 94, 799, 636), 0);
}

TEST(GraphRender, GridLinesFollowTheTicks) {
  Scene s;
  s.Graph.AutoScale = 0;
  s.Display = StepSpectrum();
  const QRgb frame = Rgb(s.Graph.FrameColor);
  s.Graph.GridLine = 1;
  const QImage withGrid = s.Render();
  // Tick 400 nm: x = 140 + 100 x 0.44 = 184; tick 20 W/m2/um: y = 637 - 108.8 -> 529.
  EXPECT_EQ(withGrid.pixel(184, 300), frame);
  EXPECT_EQ(withGrid.pixel(600, 529), frame);
  EXPECT_EQ(withGrid.pixel(186, 300), White);
  // Tick marks below the plot reach one axis font height (15) down.
  EXPECT_EQ(withGrid.pixel(184, 645), frame);
  s.Graph.GridLine = 0;
  const QImage noGrid = s.Render();
  EXPECT_EQ(noGrid.pixel(184, 300), White);
  EXPECT_EQ(noGrid.pixel(600, 529), White);
  EXPECT_EQ(noGrid.pixel(184, 645), frame);
}

TEST(GraphRender, EmptyDisplayDrawsOnlyFrameAndTexts) {
  Scene s;
  s.Graph.AutoScale = 0;
  s.Time = "2024/06/01  12:00:00";
  s.Integral = "Integral : 812.3W/m2(300 - 1800nm)";
  s.Report = "SR-101\nready\n";
  const QImage image = s.Render();
  const QRgb frame = Rgb(s.Graph.FrameColor);
  EXPECT_EQ(image.pixel(140, 300), frame);   // left edge of the frame
  EXPECT_EQ(image.pixel(799, 300), frame);   // its right edge, one inside 800
  EXPECT_EQ(image.pixel(184, 300), White);   // no grid without a spectrum
  EXPECT_EQ(CountNonWhite(image, 820, 93, 1000, 637), 0);   // no report without a spectrum
  EXPECT_EQ(CountNonWhite(image, 0, 640, 1000, 700), 0);    // no tick labels either
  // The time text sits on the frame's top (93 - 1) at its left end; the integral text ends at
  // the plot's right edge.
  EXPECT_GT(CountNonWhite(image, 140, 70, 330, 92), 0);
  EXPECT_GT(CountNonWhite(image, 700, 70, 800, 92), 0);
  EXPECT_EQ(CountNonWhite(image, 801, 60, 1000, 92), 0);
  EXPECT_EQ(CountNonWhite(image, 0, 60, 139, 92), 0);
  // The titles: memo around y 37, axis title around 712, upright title around x 50.
  EXPECT_GT(CountNonWhite(image, 400, 15, 600, 45), 0);
  EXPECT_GT(CountNonWhite(image, 400, 695, 600, 720), 0);
  EXPECT_GT(CountNonWhite(image, 35, 250, 55, 500), 0);
}

TEST(GraphRender, ReportColumnAndLabelsWithASpectrum) {
  Scene s;
  s.Graph.AutoScale = 0;
  s.Display = StepSpectrum();
  s.Report = "";
  const QImage bare = s.Render();
  EXPECT_EQ(CountNonWhite(bare, 820, 93, 1000, 637), 0);
  s.Report = "a\nb\n";
  const QImage twoLines = s.Render();
  // Line "a" from y 93, line "b" from 93 + height x 1.2; both inside the column.
  EXPECT_GT(CountNonWhite(twoLines, 820, 93, 860, 110), 0);
  EXPECT_GT(CountNonWhite(twoLines, 820, 112, 860, 130), 0);
  EXPECT_EQ(CountNonWhite(twoLines, 860, 93, 1000, 637), 0);
  // Wavelength labels below the ticks: "400" centred on x 184, from y 637 + 15 down.
  EXPECT_GT(CountNonWhite(bare, 170, 652, 200, 675), 0);
  EXPECT_EQ(CountNonWhite(bare, 140, 652, 165, 675), 0);   // 300 carries no label
  // Irradiance labels end left of x 140 - 15; "40.0" stands on y = 637 - 217.6 -> 420.
  EXPECT_GT(CountNonWhite(bare, 80, 405, 125, 421), 0);
  EXPECT_EQ(CountNonWhite(bare, 80, 425, 125, 440), 0);
  EXPECT_EQ(CountNonWhite(bare, 126, 405, 139, 419), 0);   // above the tick mark on 420
}

// A short-wavelength information record and one light spectrum, as the day holds them.
void AddSensorPoint(CKrfData& day, int model, float firstNm, float light) {
  const int n = Models[model].Pixels;
  SensorInfo info(model);
  info.Wavelength.resize(n);
  info.Calib.assign(n, 1.0f);
  for (int k = 0; k < n; ++k) info.Wavelength[k] = firstNm + static_cast<float>(k);
  day.SetInfo(model, info);
  SensorMeasurement m(model);
  m.Light.assign(n, light);
  m.Dark.assign(n, 0.0f);
  if (day.RadCount() == 0) day.AppendRad(CRad{});
  day.LastRad()->SetBlock(model, m);
}

TEST(GraphRender, DetailedModeAddsTheSensorsGreyCurves) {
  Scene s;
  s.Graph.AutoScale = 0;
  s.Graph.GridLine = 0;
  s.Display = StepSpectrum();
  AddSensorPoint(s.Day, SR103, 1000.0f, 30.0f);   // 1000..1511 nm at 30 W/m2/um
  const QRgb grey = qRgb(200, 200, 200);
  // 1200 nm: x = 140 + 900 x 0.44 = 536; 30 W/m2/um: y = 637 - 163.2 -> 474.
  s.DispMode = 0;
  const QImage detailed = s.Render();
  EXPECT_EQ(detailed.pixel(536, 474), grey);
  // Inside the plot (no text there) the grey is only on that row, from 1000 to 1511 nm:
  // x = 140 + 700 x 0.44 = 448 to 140 + 1211 x 0.44 = 672.
  EXPECT_EQ(CountPixels(detailed, grey, 141, 94, 799, 473), 0);
  EXPECT_EQ(CountPixels(detailed, grey, 141, 475, 799, 636), 0);
  EXPECT_EQ(CountPixels(detailed, grey, 449, 474, 672, 475), 672 - 449);
  EXPECT_EQ(CountPixels(detailed, grey, 674, 474, 799, 475), 0);
  s.DispMode = 1;
  const QImage normal = s.Render();
  EXPECT_EQ(CountPixels(normal, grey, 141, 94, 799, 636), 0);
}

TEST(GraphRender, DegenerateRangesDrawWithoutFault) {
  Scene s;
  s.Display = StepSpectrum();
  s.Report = "x\n";
  s.Display.Values.assign(s.Display.Values.size(), 0.0);   // a night: auto top 0 = bottom 0
  s.Display.MaxValue = 0.0;
  s.Graph.AutoScale = 1;
  QImage image = s.Render();
  EXPECT_DOUBLE_EQ(s.Last.YMax, 0.0);
  EXPECT_EQ(image.pixel(140, 300), Rgb(s.Graph.FrameColor));

  s.Graph.GraphLeft = s.Graph.GraphRight = 800;   // zero wavelength span
  image = s.Render();
  EXPECT_EQ(image.pixel(140, 300), Rgb(s.Graph.FrameColor));

  s.Graph.AutoScale = 0;
  s.Graph.GraphLeft = 1800;                       // both axes reversed
  s.Graph.GraphRight = 300;
  s.Graph.GraphTop = -5;
  s.Display = StepSpectrum();
  image = s.Render();
  EXPECT_EQ(image.pixel(140, 300), Rgb(s.Graph.FrameColor));

  s.Graph.GraphLeft = 0;                          // a range edited far beyond any instrument
  s.Graph.GraphRight = 1e15;
  s.Graph.GraphTop = 1e300;
  image = s.Render();
  EXPECT_EQ(image.pixel(140, 300), Rgb(s.Graph.FrameColor));

  // A spectrum whose grid holds fewer values than its ends promise draws what it has.
  s.Graph = GraphSettings{};
  s.Display.Values.resize(10);
  image = s.Render(8, 6);
  EXPECT_EQ(image.width(), 8);
}

}  // namespace
}  // namespace spectrel
