// How late the desktop window's thread gets (its worst stall, target under 50 ms) in the
// situations a scientist meets: a 1440-point day file opened through the overview pane, the print
// dialog created, the overview torn off into a window of its own and docked again, and stepping
// through a day's points. Measured on the real main window by a 10 ms timer that records its own
// lateness; each benchmark reports the largest stall it saw as max_stall_ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QPrintDialog>
#include <QSettings>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/main_frame.h"
#include "app/overview_pane.h"
#include "app/spectrel_app.h"
#include "widget_bench.h"
#include "ui/spectrel_view.h"

namespace {

using namespace spectrel;

// The folder of the day file, which holds the program's profile too.
const std::string& Folder() {
  static const std::string folder = std::filesystem::path(bench::FullDayFile()).parent_path().parent_path().string();
  return folder;
}

// The program with its window shown, its profile in the benchmark's folder.
CSpectrelApp& App() {
  static std::unique_ptr<CSpectrelApp> app = [] {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(Folder()));
    auto a = std::make_unique<CSpectrelApp>(StartOptions{Folder() + "/spectrel"});
    a->InitInstance();
    a->MainFrame()->resize(1280, 900);
    return a;
  }();
  return *app;
}

// The largest lateness of a 10 ms timer while work runs on the window's thread and until done().
double LargestStallMs(const std::function<void()>& work, const std::function<bool()>& done) {
  QTimer tick;
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0;
  qint64 worst = 0;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    worst = std::max(worst, now - last - 10);
    last = now;
  });
  tick.start(10);
  QTimer::singleShot(20, work);
  QElapsedTimer settle;
  settle.start();
  // Work done, then another 100 ms so that what it left queued (repaints) is counted too.
  qint64 doneAt = -1;
  while (doneAt < 0 || settle.elapsed() - doneAt < 100) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (doneAt < 0 && settle.elapsed() > 30 && done()) doneAt = settle.elapsed();
  }
  return static_cast<double>(worst);
}

void Report(benchmark::State& state, double worst) { state.counters["max_stall_ms"] = worst; }

void BM_StallOpeningADay(benchmark::State& state) {
  OverviewPane& pane = App().MainFrame()->Overview();
  const QString day = QString::fromStdString(Folder() + "/2023/20231114.KRF");
  double worst = 0;
  for (auto _ : state) {
    pane.BackToLive();
    worst = std::max(worst, LargestStallMs([&] { pane.OpenDayFile(day); }, [&] { return !pane.Reading(); }));
  }
  Report(state, worst);
}
BENCHMARK(BM_StallOpeningADay)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StallCreatingThePrintDialog(benchmark::State& state) {
  double worst = 0;
  for (auto _ : state) {
    std::unique_ptr<QPrintDialog> dialog;
    worst = std::max(worst, LargestStallMs(
                                [&] {
                                  dialog = std::make_unique<QPrintDialog>(&App().MainFrame()->View().Printer(), App().MainFrame());
                                  dialog->open();
                                },
                                [&] { return dialog != nullptr && dialog->isVisible(); }));
    dialog.reset();
  }
  Report(state, worst);
}
BENCHMARK(BM_StallCreatingThePrintDialog)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StallTearingOffTheOverview(benchmark::State& state) {
  OverviewPane& pane = App().MainFrame()->Overview();
  const QString day = QString::fromStdString(Folder() + "/2023/20231114.KRF");
  pane.OpenDayFile(day);
  while (pane.Reading()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  double worst = 0;
  for (auto _ : state) {
    for (bool floating : {true, false})
      worst = std::max(worst, LargestStallMs([&] { pane.Dock()->setFloating(floating); }, [] { return true; }));
  }
  Report(state, worst);
}
BENCHMARK(BM_StallTearingOffTheOverview)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StallSteppingThroughPoints(benchmark::State& state) {
  OverviewPane& pane = App().MainFrame()->Overview();
  double worst = 0;
  for (auto _ : state) {
    worst = std::max(worst, LargestStallMs([&] {
      for (int i = 0; i < 10; ++i) QTimer::singleShot(i * 15, [&pane] { pane.StepPoint(-1); });
    }, [] { return true; }));
  }
  Report(state, worst);
}
BENCHMARK(BM_StallSteppingThroughPoints)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return spectrel::bench::RunWidgetBenchmarks(argc, argv); }
