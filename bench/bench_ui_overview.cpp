// The day overview of a whole day: a 1440-point SR-102 + SR-104 day file read and drawn (target
// 150 ms), the drawn overview redrawn at a new size (30 ms), and how late the window's thread
// gets while a day is read beside it or a cycle adds its point (100 ms), measured by a 10 ms
// timer that records its own lateness.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "files/krf_file.h"
#include "support/synthetic_day.h"
#include "ui/archive_day.h"
#include "ui/day_overview.h"

namespace {

using namespace spectrel;

constexpr std::int64_t DayStart = 1699920000;   // a day's first minute, s UTC
constexpr int Points = 1440;                     // one point a minute

const std::string& DayFile() {
  static const std::string path = [] {
    const auto file = std::filesystem::temp_directory_path() / "spectrel-bench-overview.krf";
    SaveKrf(testing::MakeDay({SR102, SR104}, Points, DayStart, 60), file.string());
    return file.string();
  }();
  return path;
}

void Draw(const CDayOverview& overview, QImage& image) {
  image.fill(Qt::white);
  QPainter painter(&image);
  overview.Render(painter, image.rect());
}

void BM_OpenDayAndDrawOverview(benchmark::State& state) {
  const std::string& path = DayFile();
  QImage image(1200, 900, QImage::Format_RGB32);
  for (auto _ : state) {
    ArchiveDay day = ReadArchiveDay(path, 300, 1800);
    CDayOverview overview;
    overview.SetData(std::move(day.Overview), std::move(day.Spectrogram));
    Draw(overview, image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_OpenDayAndDrawOverview)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_RedrawOverviewAtNewSize(benchmark::State& state) {
  CDayOverview overview;
  overview.SetData(ReadArchiveDay(DayFile(), 300, 1800).Overview);
  QImage sizes[] = {QImage(1200, 900, QImage::Format_RGB32), QImage(900, 640, QImage::Format_RGB32)};
  int turn = 0;
  for (auto _ : state) {
    Draw(overview, sizes[turn ^= 1]);
    benchmark::DoNotOptimize(sizes[turn].constBits());
  }
}
BENCHMARK(BM_RedrawOverviewAtNewSize)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The largest lateness of a 10 ms timer while work runs on the window's thread's event loop.
template <typename Work>
double LargestStallMs(Work work, const std::function<bool()>& done) {
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
  work();
  while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return static_cast<double>(worst);
}

void BM_WindowStallWhileADayLoads(benchmark::State& state) {
  double worst = 0;
  for (auto _ : state) {
    CDayOverview overview;
    bool shown = false;
    std::thread reader;
    worst = std::max(worst, LargestStallMs([&] {
      reader = std::thread([&] {
        ArchiveDay day = ReadArchiveDay(DayFile(), 300, 1800);
        QMetaObject::invokeMethod(&overview, [&, day = std::move(day)]() mutable {
          overview.SetData(std::move(day.Overview), std::move(day.Spectrogram));
          shown = true;
        }, Qt::QueuedConnection);
      });
    }, [&] { return shown; }));
    reader.join();
  }
  state.counters["max_stall_ms"] = worst;
}
BENCHMARK(BM_WindowStallWhileADayLoads)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CycleAddsItsPointToAFullDay(benchmark::State& state) {
  const CKrfData day = testing::MakeDay({SR102, SR104}, Points, DayStart, 60);
  CKrfData growing = day.Header();
  for (int j = 0; j + 1 < Points; ++j) growing.AppendRad(day.Rad(j));
  CDayOverview overview;
  overview.Data().Follow(growing, 300, 1800);
  for (auto _ : state) {
    state.PauseTiming();
    auto copy = std::make_unique<CDayOverview>();
    copy->SetData(overview.Data());
    auto full = std::make_unique<CKrfData>(growing);
    full->AppendRad(day.Rad(Points - 1));
    state.ResumeTiming();
    copy->Data().Follow(*full, 300, 1800);
    copy->Changed();
    // Taking the copies down is the benchmark's own business, not the cycle's.
    state.PauseTiming();
    copy.reset();
    full.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CycleAddsItsPointToAFullDay)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  // The overview is a widget: a whole application, on the offscreen platform; no window is shown.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
