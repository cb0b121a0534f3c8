// The day overview of a whole day: a 1440-point SR-102 + SR-104 day file read and drawn (target
// 150 ms), the drawn overview redrawn at a new size (30 ms), and a cycle adding its point to a
// full day (100 ms). The window's stalls are measured in bench_ui_stall.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "widget_bench.h"
#include "support/synthetic_day.h"
#include "ui/archive_day.h"
#include "ui/day_overview.h"

namespace {

using namespace spectrel;

using bench::DayStart;
using bench::Points;

const std::string& DayFile() { return bench::FullDayFile(); }

void Draw(const CDayOverview& overview, QImage& image) {
  image.fill(Qt::white);
  QPainter painter(&image);
  overview.Render(painter, image.rect());
}

void BM_OpenDayAndDrawOverview(benchmark::State& state) {
  const std::string& path = DayFile();
  QImage image(1200, 900, QImage::Format_RGB32);
  for (auto _ : state) {
    ArchiveDay day = ReadArchiveDay(path, 300, 1800, StationZone::Process());
    CDayOverview overview;
    overview.SetData(std::move(day.Overview), std::move(day.Spectrogram));
    Draw(overview, image);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_OpenDayAndDrawOverview)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_RedrawOverviewAtNewSize(benchmark::State& state) {
  CDayOverview overview;
  overview.SetData(ReadArchiveDay(DayFile(), 300, 1800, StationZone::Process()).Overview);
  QImage sizes[] = {QImage(1200, 900, QImage::Format_RGB32), QImage(900, 640, QImage::Format_RGB32)};
  int turn = 0;
  for (auto _ : state) {
    Draw(overview, sizes[turn ^= 1]);
    benchmark::DoNotOptimize(sizes[turn].constBits());
  }
}
BENCHMARK(BM_RedrawOverviewAtNewSize)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

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

int main(int argc, char** argv) { return spectrel::bench::RunWidgetBenchmarks(argc, argv); }
