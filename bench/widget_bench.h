// What the window benchmarks share: a whole measured day (1440 SR-102 + SR-104 points, one a
// minute) written once as a day file filed under its year in a temporary folder, and a main()
// that runs them inside a widget application on the offscreen platform (no window is shown).
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "files/krf_file.h"
#include "support/synthetic_day.h"

namespace spectrel::bench {

inline constexpr std::int64_t DayStart = 1699920000;   // the day's first minute, s UTC
inline constexpr int Points = 1440;                     // one point a minute

inline const std::string& FullDayFile() {
  static const std::string path = [] {
    const auto dir = std::filesystem::temp_directory_path() / "spectrel-bench-day" / "2023";
    std::filesystem::create_directories(dir);
    const auto file = dir / "20231114.KRF";
    SaveKrf(testing::MakeDay({SR102, SR104}, Points, DayStart, 60), file.string());
    return file.string();
  }();
  return path;
}

inline int RunWidgetBenchmarks(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace spectrel::bench
