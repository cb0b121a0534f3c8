// The headless host of the measurement document: a queue of worker messages drained on the main
// thread, waits bounded by the next timer tick or poll, and the dialog's texts as lines on stdout.
// SIGINT and SIGTERM are held pending until the loop takes them and turns them into a clean stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "simulation/simulated_station.h"
#include "measure/document_host.h"
#include "measure/spectrel_doc.h"
#include "settings/app_settings.h"

namespace spectrel::cli {

using SteadyTime = std::chrono::steady_clock::time_point;

class CliHost : public DocumentHost {
 public:
  // Lines go to out (stdout in the program); verbose adds the interval clock.
  explicit CliHost(std::FILE* out, bool verbose = false);

  // ---- DocumentHost ----
  void PostWorkerMessage(WorkerMessage message) override;   // any thread
  void Beep() override {}                                     // a station has no one to hear it
  void ShowIntervalDialog(bool visible) override;
  void SetIntervalDialogTitle(const std::string& title) override;
  void SetIntervalClock(const std::string& text) override;
  void SetIntervalStatus(const std::string& text) override;
  // A stop signal is the operator's confirmed stop.
  bool ConfirmStopInterval(const std::string&) override { return true; }
  void EnableClose(bool enabled) override;
  void UpdateAllViews() override {}

  // ---- The loop (main thread) ----
  // Waits until a message is queued, a stop signal has arrived or the deadline has passed, and
  // returns the queued messages in posting order. The wait is cut into slices of at most
  // 50 ms so that a signal is seen promptly.
  std::vector<WorkerMessage> WaitMessages(SteadyTime deadline);
  bool CloseEnabled() const { return CloseAllowed; }
  // A line with the local date and time in front, flushed at once.
  void PrintStamped(const std::string& line);
  void Print(const std::string& line);

 private:
  std::FILE* Out;                          // where the lines go
  bool Verbose;                            // also show the clock
  std::mutex QueueLock;                    // guards Queue
  std::condition_variable QueueSignal;     // a message was queued
  std::deque<WorkerMessage> Queue;         // posted, not yet handled
  std::string Title;                       // title of the measurement dialog
  std::map<std::string, std::string> ShownStatus;   // last printed status line per model name
  bool CloseAllowed = true;                // false while measuring
};

// ---- Stop signals ----
// Blocks SIGINT and SIGTERM in this thread and every thread started after it, and ignores
// SIGPIPE: call first, on the main thread, before any thread exists.
void InstallStopSignals();
// The signal that asked for the stop (taking a pending one), 0 when none has arrived. Main thread.
int StopSignal();

// ---- What the runner reports ----
// The display names of the models with a block in the set's last point, e.g. "SR-101 SR-103";
// empty when the point holds none (or there is no point).
std::string StoredSensors(const CSpectrelDoc& doc);
// One line for a completed cycle: its time, the sensors stored, the integral and the files.
std::string CycleLine(const CSpectrelDoc& doc);
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
