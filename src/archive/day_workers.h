// Runs one job per day file on worker processes, one per core: the NetCDF library keeps global
// state and may not be entered from two threads, so parallel days need separate processes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace spectrel::archive {

struct DayOutcome {
  bool Ok = false;              // the day was converted (or found up to date)
  std::uint64_t Bytes = 0;      // bytes of day file converted, for the rate
  std::string Message;          // what was written, or why it failed: one line
  // Work left that waits on the disk rather than the processor (flushing a written file to disk):
  // it runs on a thread of its own beside the next job, and its outcome becomes the job's.
  std::function<DayOutcome()> Finish;
  std::string Warnings;         // what the operator should know of a day converted: lines
  bool Partial = false;         // converted only in part (the day file stops early): a failure too
};

using DayJob = std::function<DayOutcome(std::size_t index)>;
using DayReport = std::function<void(std::size_t index, const DayOutcome& outcome)>;

// Runs job(0) .. job(count - 1), each exactly once, on up to workers child processes (in this
// process when workers is 1), and calls report in the calling process as each one ends (after its
// Finish, if it has one). A job that throws, or whose worker dies, fails with a message; the
// others go on.
void RunDayWorkers(std::size_t count, int workers, const DayJob& job, const DayReport& report);

// The number of worker processes for a requested count (0: one per core), at most count.
int WorkerCount(int requested, std::size_t count);

}  // namespace spectrel::archive
