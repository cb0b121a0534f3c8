#include "cli/cli_host.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "base/local_time.h"
#include "cli/service_notify.h"
#include "files/station_names.h"
#include "measure/settings_options.h"
#include "measure/status_texts.h"
#include "spectrum/model_table.h"

namespace spectrel::cli {

namespace {

// The signal that asked for the stop; written and read on the main thread only.
int StopSignalNumber = 0;

// Takes a pending SIGINT or SIGTERM without waiting; 0 when none is pending.
int TakeStopSignal() {
  sigset_t stopSet;
  sigemptyset(&stopSet);
  sigaddset(&stopSet, SIGINT);
  sigaddset(&stopSet, SIGTERM);
  const timespec noWait{0, 0};
  const int signal = sigtimedwait(&stopSet, nullptr, &noWait);
  return signal > 0 ? signal : 0;
}

// The longest a wait runs before the stop flag is looked at again.
constexpr std::chrono::milliseconds SignalSlice{50};

// How the runner stamps its lines: local date and time.
std::string LineStamp(std::int64_t time) {
  const std::string text = FormatLocal(time, "%Y/%m/%d %H:%M:%S");
  return text.empty() ? "(time unknown)" : text;
}

// The event log of the current year in the data folder.
std::string CurrentEventLog(const AppSettings& settings) {
  return EventLogPath(settings.KrfFolder, static_cast<std::int64_t>(std::time(nullptr)));
}

long StatusField(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::size_t length = std::strlen(name);
  while (std::getline(status, line)) {
    if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':') {
      return std::strtol(line.c_str() + length + 1, nullptr, 10);
    }
  }
  return -1;
}

}  // namespace

CliHost::CliHost(std::FILE* out, bool verbose, std::string command)
    : Console(out), Verbose(verbose), Command(std::move(command)) {}

void CliHost::ReportError(const std::string& line) {
  std::fprintf(stderr, "%sspectrel-cli %s: %s\n", ErrorPrefix().c_str(), Command.c_str(), line.c_str());
}

void CliHost::Post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> hold(QueueLock);
    Queue.push_back(std::move(task));
  }
  QueueSignal.notify_one();
}

void CliHost::CallAfter(std::chrono::milliseconds delay, std::function<void()> task) {
  Timers.Add(delay, std::move(task));
}

void CliHost::StateChanged(const StateEvent& event) {
  const bool active = event.State != MeasureState::Idle;
  if (active && !Active) {
    ShownStatus.clear();   // a new measurement shows every line afresh
    PrintStamped(event.Title);
  }
  Active = active;
}

void CliHost::SensorStatusChanged(const SensorEvent& event) {
  // Print only the lines that changed; "nothing done yet" is blank: not worth a line.
  const std::string line = ModelDisplayName(event.Model) + " " + event.Text;
  std::string& shown = ShownStatus[event.Model];
  if (shown == line) return;
  shown = line;
  if (event.Text.find_first_not_of(' ') != std::string::npos) PrintStamped(line);
}

void CliHost::ClockTicked(const std::string& clockText) {
  if (Verbose) Print("clock " + clockText);
  if (OnTick) OnTick();
}

void CliHost::CycleCompleted(const CycleSummary& summary) {
  if (OnCycle) OnCycle(summary);
}

void CliHost::Pump(SteadyTime deadline) {
  std::deque<std::function<void()>> tasks;
  {
    std::unique_lock<std::mutex> hold(QueueLock);
    for (;;) {
      const SteadyTime until = Timers.NextDue(deadline);
      const SteadyTime now = std::chrono::steady_clock::now();
      if (!Queue.empty() || now >= until || StopSignal() != 0) break;
      QueueSignal.wait_until(hold, std::min(until, now + SignalSlice));
    }
    tasks.swap(Queue);
  }
  for (auto& task : tasks) task();
  Timers.FireDue();
}

void CliHost::PrintStamped(const std::string& line) {
  Print(LineStamp(static_cast<std::int64_t>(std::time(nullptr))) + " " + line);
}

void CliHost::Print(const std::string& line) { Console.Write(line); }

void InstallStopSignals() {
  // Blocked before any thread exists, so every worker inherits the mask: no handler ever cuts
  // into a worker's port read, and the signal waits, pending, until the loop takes it.
  sigset_t stopSet;
  sigemptyset(&stopSet);
  sigaddset(&stopSet, SIGINT);
  sigaddset(&stopSet, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSet, nullptr);
  // A reader of our output that goes away (a pager, a "| tee" hit by the same Ctrl-C) must not
  // end the program in the middle of a measurement: lost lines are only lost lines.
  std::signal(SIGPIPE, SIG_IGN);
  StopSignalNumber = 0;
}

int StopSignal() {
  if (StopSignalNumber == 0) StopSignalNumber = TakeStopSignal();
  return StopSignalNumber;
}

std::string CycleLine(const CycleSummary& cycle) {
  const bool stored = !cycle.DayFile.empty();
  std::string line = LineStamp(cycle.Time) + (stored ? " stored " : " not stored, measured ") +
                     (cycle.Sensors.empty() ? std::string("no sensor") : cycle.Sensors);
  if (!cycle.IntegralText.empty()) line += "  " + cycle.IntegralText;
  line += "  day file " + (stored ? cycle.DayFile : std::string("not written"));
  line += "  CSV " + (cycle.CsvFile.empty() ? std::string("not written") : cycle.CsvFile);
  return line;
}

std::vector<std::string> StatusLines(const CSpectrelDoc& doc) {
  std::vector<std::string> lines;
  for (int model = 0; model < ModelCount; ++model) {
    if (!doc.InUse(model)) continue;
    lines.push_back(std::string(Models[model].Name) + " " + doc.Link(model).Text());
  }
  return lines;
}

long PeakMemoryKb() { return StatusField("VmHWM"); }

long ThreadCount() { return StatusField("Threads"); }

void ReportSetup(CliHost& host, const RunnerSettingsSource& source, const AppSettings& settings,
                 const SimulatedStation& simulation) {
  host.Print("profile: " + source.ProfilePath +
             (source.Found ? " (read only)" : " (not found: every setting is its default)"));
  for (const SimulatedStation::Started& sensor : simulation.Sensors()) {
    host.Print("simulated " + std::string(Models[sensor.Model].Name) + " on " + sensor.Device);
  }
  for (int model = 0; model < ModelCount; ++model) {
    if (UsedModels(settings)[model] && simulation.Sensors().empty()) {
      host.Print(std::string(Models[model].Name) + " on port " + settings.ComPort[model]);
    }
  }
  host.Print("day files: " + settings.KrfFolder + "YYYY/YYYYMMDD.KRF");
  if (settings.SaveCsv) {
    host.Print("CSV files: " + settings.CsvFolder + "YYYY/YYYYMMDDHH.CSV");
  } else {
    host.Print("CSV files: off");
  }
  host.Print("event log: " + CurrentEventLog(settings));
}

void ReportEnd(CliHost& host, const AppSettings& settings, bool verbose, long threadsAtStart) {
  host.Print("event log: " + CurrentEventLog(settings));
  if (verbose) {
    host.Print("peak memory: " + std::to_string(PeakMemoryKb()) + " kB");
    host.Print("threads left at exit: " + std::to_string(ThreadCount() - threadsAtStart - host.OwnThreads()));
  }
}

}  // namespace spectrel::cli
