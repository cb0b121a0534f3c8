// The headless host of the measurement document: the main thread is the document's thread, with
// a queue of posted tasks and a list of timers that the commands' loops run, waits cut short by a
// stop signal, and the document's events as lines on stdout. SIGINT and SIGTERM are held pending
// until the loop takes them and turns them into a clean stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console_lines.h"
#include "measure/document_host.h"
#include "measure/host_timers.h"
#include "measure/spectrel_doc.h"
#include "settings/app_settings.h"
#include "simulation/simulated_station.h"

namespace spectrel::cli {

using SteadyTime = std::chrono::steady_clock::time_point;

class CliHost : public DocumentHost {
 public:
  // Lines go to out (stdout in the program); verbose adds the interval clock. command ("run")
  // names the command in the error lines on stderr.
  explicit CliHost(std::FILE* out, bool verbose = false, std::string command = "run");

  // ---- DocumentHost ----
  void Post(std::function<void()> task) override;   // any thread
  void CallAfter(std::chrono::milliseconds delay, std::function<void()> task) override;
  void StateChanged(const StateEvent& event) override;
  void SensorStatusChanged(const SensorEvent& event) override;
  void ClockTicked(const std::string& clockText) override;
  void CycleCompleted(const CycleSummary& summary) override;
  // A stop signal is the operator's confirmed stop.
  bool Ask(const std::string&) override { return true; }
  // "spectrel-cli COMMAND: line" on stderr, an error line for the journal.
  void ReportError(const std::string& line) override;

  // What the command does with the events beside printing them.
  std::function<void(const CycleSummary&)> OnCycle;   // a cycle was completed
  std::function<void()> OnTick;                        // the interval measurement ticked

  // ---- The loop (main thread) ----
  // Waits until a task is posted, a timer is due, a stop signal has arrived or the deadline has
  // passed, then runs every posted task and every timer due, in that order. The wait is cut into
  // slices of at most 50 ms so that a signal is seen promptly.
  void Pump(SteadyTime deadline);
  // A line with the local date and time in front, flushed at once.
  void PrintStamped(const std::string& line);
  void Print(const std::string& line);
  // Threads of the host's own (its console writer), left out of the count of threads at exit.
  int OwnThreads() const { return Console.Threads(); }

 private:
  ConsoleLines Console;                    // where the lines go, through a writer of their own
  bool Verbose;                            // also show the clock
  std::string Command;                     // "run" or "measure", for the error lines
  std::mutex QueueLock;                    // guards Queue
  std::condition_variable QueueSignal;     // a task was posted
  std::deque<std::function<void()>> Queue; // posted, not yet run
  HostTimers Timers;                       // main thread only
  bool Active = false;                     // a measurement is shown
  std::map<int, std::string> ShownStatus;  // last printed status line per model
};

// ---- Stop signals ----
// Blocks SIGINT and SIGTERM in this thread and every thread started after it, and ignores
// SIGPIPE: call first, on the main thread, before any thread exists.
void InstallStopSignals();
// The signal that asked for the stop (taking a pending one), 0 when none has arrived. Main thread.
int StopSignal();

// ---- What the runner reports ----
// One line for a completed cycle: its time, the sensors stored, the integral and the files.
std::string CycleLine(const CycleSummary& cycle);
// The status line ("SR-102 Error(Opening COM Port failed)") of every model in use.
std::vector<std::string> StatusLines(const CSpectrelDoc& doc);
// Peak resident memory (VmHWM) and thread count of this process, from /proc/self/status;
// -1 when unknown.
long PeakMemoryKb();
long ThreadCount();

// Lines telling the operator what was read and where the files go: the profile, the simulated
// sensors and their devices, the day-file, CSV and event-log locations.
void ReportSetup(CliHost& host, const RunnerSettingsSource& source, const AppSettings& settings,
                 const SimulatedStation& simulation);
// Closing lines: the event log and, when verbose, the peak memory and how many threads are left
// beyond the threadsAtStart counted before anything was started (0 after a clean stop).
void ReportEnd(CliHost& host, const AppSettings& settings, bool verbose, long threadsAtStart);

}  // namespace spectrel::cli
