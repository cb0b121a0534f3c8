// What the batch over an archive shows while it runs: a progress bar on a terminal (days done of
// the total, MB/s, time left), one plain line per written day otherwise, nothing but errors when
// quiet. Errors always go to standard error as one line each.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace spectrel::cli {

class BatchProgress {
 public:
  // total days; bytes: size of the day files still to convert; bar: draw the bar (a terminal).
  BatchProgress(std::size_t total, std::uint64_t bytes, bool quiet, bool bar);

  void Written(const std::string& output, std::uint64_t dayBytes);
  void UpToDate();
  void Failed(const std::string& line, std::uint64_t dayBytes);
  // A line on standard error about a day that is converted all the same.
  void Warned(const std::string& line);
  // A day written in part: counted among the failed, its files listed like a written day's.
  void WrittenInPart(const std::string& output, std::uint64_t dayBytes);
  // Clears the bar and prints the summary (plain mode only).
  void Finish();
  bool AnyFailed() const { return FailedCount > 0; }

  // "[#####     ] 12/30 days  154.2 MB/s  0:03 left" for the state given.
  static std::string BarText(std::size_t done, std::size_t total, double mbPerSecond,
                             double secondsLeft);

 private:
  void Draw();
  void ClearBar();

  std::size_t Total;               // day files of the batch
  std::size_t Done = 0;            // converted, up to date or failed
  std::size_t FailedCount = 0;     // failed days
  std::size_t Skipped = 0;         // up to date
  std::uint64_t BytesLeft;         // day-file bytes still to convert
  std::uint64_t BytesDone = 0;     // day-file bytes converted
  bool Quiet;                      // errors only
  bool Bar;                        // redraw one line on the terminal
  std::chrono::steady_clock::time_point Start;
};

}  // namespace spectrel::cli
