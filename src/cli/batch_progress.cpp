#include "cli/batch_progress.h"

#include <algorithm>
#include <cstdio>

namespace spectrel::cli {

namespace {

constexpr int BarWidth = 24;   // characters between the brackets

}  // namespace

BatchProgress::BatchProgress(std::size_t total, std::uint64_t bytes, bool quiet, bool bar)
    : Total(total), BytesLeft(bytes), Quiet(quiet), Bar(bar && !quiet),
      Start(std::chrono::steady_clock::now()) {
  if (Bar) Draw();
}

std::string BatchProgress::BarText(std::size_t done, std::size_t total, double mbPerSecond,
                                   double secondsLeft) {
  const int filled = total == 0 ? BarWidth : static_cast<int>(BarWidth * done / total);
  std::string text = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(BarWidth - filled), ' ') + "] ";
  char tail[96];
  if (secondsLeft >= 0.0) {
    const long s = static_cast<long>(secondsLeft + 0.5);
    std::snprintf(tail, sizeof tail, "%zu/%zu days  %.1f MB/s  %ld:%02ld left", done, total,
                  mbPerSecond, s / 60, s % 60);
  } else {
    std::snprintf(tail, sizeof tail, "%zu/%zu days  %.1f MB/s", done, total, mbPerSecond);
  }
  return text + tail;
}

void BatchProgress::Draw() {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  const double rate = seconds > 0.0 ? BytesDone / seconds : 0.0;
  const double left = rate > 0.0 ? BytesLeft / rate : -1.0;
  std::fprintf(stderr, "\r\033[K%s", BarText(Done, Total, rate / 1e6, left).c_str());
  std::fflush(stderr);
}

void BatchProgress::ClearBar() {
  if (Bar) std::fputs("\r\033[K", stderr);
}

void BatchProgress::Written(const std::string& output, std::uint64_t dayBytes) {
  ++Done;
  BytesDone += dayBytes;
  BytesLeft -= std::min(BytesLeft, dayBytes);
  if (Bar) Draw();
  else if (!Quiet) std::printf("%s\n", output.c_str());
}

void BatchProgress::UpToDate() {
  ++Done;
  ++Skipped;
  if (Bar) Draw();
}

void BatchProgress::Failed(const std::string& line, std::uint64_t dayBytes) {
  ++Done;
  BytesLeft -= std::min(BytesLeft, dayBytes);
  ++FailedCount;
  ClearBar();
  std::fprintf(stderr, "%s\n", line.c_str());
  if (Bar) Draw();
}

void BatchProgress::WrittenInPart(const std::string& output, std::uint64_t dayBytes) {
  ++FailedCount;
  Written(output, dayBytes);
}

void BatchProgress::Warned(const std::string& line) {
  ClearBar();
  std::fprintf(stderr, "%s\n", line.c_str());
  if (Bar) Draw();
}

void BatchProgress::Finish() {
  ClearBar();
  if (!Quiet)
    std::printf("%zu day%s: %zu written, %zu up to date, %zu failed\n", Total, Total == 1 ? "" : "s",
                Total - Skipped - FailedCount, Skipped, FailedCount);
  std::fflush(stdout);
  std::fflush(stderr);
}

}  // namespace spectrel::cli
