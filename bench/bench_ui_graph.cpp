// Drawing the graph of one merged SR-101 + SR-103 point (about 1400 grid values) with the grey
// curves of both sensors, grid and report, into a 1000 x 750 image, as every repaint does.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>

#include "spectrum/resample.h"
#include "ui/graph_painter.h"
#include "support/synthetic_day.h"

namespace {

using namespace spectrel;

struct Scene {
  Scene() {
    Day = testing::MakeDay({SR101, SR103}, 1, 1699941600, 600);
    Display.Resample(Day, 0);
    Settings.DispMode = DisplayMode::Detailed;   // the grey sensor curves too
    Settings.Graph.GridLine = true;
  }
  AppSettings Settings;
  CKrfData Day;
  CResample Display;
  std::string Memo = "Arvena Solmet";
  std::string Time = "2023/11/14  06:00:00";
  std::string Integral = "Integral : 812.3W/m2(300 - 1800nm)";
  std::string Report =
      "--- SR-101 ---\nExposure time : 100ms\nSensor Temp. : 20.3deg\nSupply Volt. : 12.0V\n"
      "--- SR-103 ---\nExposure time : 100ms\nSensor Temp. : -10.0deg\nSensor Cooling : Active\n";
};

void BM_DrawGraph(benchmark::State& state) {
  Scene scene;
  QImage image(1000, 750, QImage::Format_RGB32);
  CGraph graph;
  const GraphInputs inputs{scene.Settings.Graph, scene.Settings.DispMode, scene.Display, scene.Day,
                           scene.Memo,           scene.Time,              scene.Integral, scene.Report};
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawGraph(painter, 1000, 750, inputs, graph);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["grid_points"] = static_cast<double>(scene.Display.Values.size());
}
BENCHMARK(BM_DrawGraph)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  // Fonts and painting need a GUI application; no window is shown.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
