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
#include "measure/day_paths.h"
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

CliHost::CliHost(std::FILE* out, bool verbose) : Out(out), Verbose(verbose) {}

void CliHost::PostWorkerMessage(WorkerMessage message) {
  {
    std::lock_guard<std::mutex> hold(QueueLock);
    Queue.push_back(message);
  }
  QueueSignal.notify_one();
}

void CliHost::ShowIntervalDialog(bool visible) {
  if (visible) {
    ShownStatus.clear();   // a new measurement shows every line afresh
    PrintStamped(Title.empty() ? std::string("Measurement") : Title);
  }
}

void CliHost::SetIntervalDialogTitle(const std::string& title) { Title = title; }

void CliHost::SetIntervalClock(const std::string& text) {
  if (Verbose) Print("clock " + text);
}

void CliHost::SetIntervalStatus(const std::string& text) {
  // One line per model in use, "SR-101 READY\n"; print only the lines that changed.
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const std::string name = line.substr(0, line.find(' '));
    auto shown = ShownStatus.find(name);
    if (shown != ShownStatus.end() && shown->second == line) continue;
    ShownStatus[name] = line;
    // "Nothing done yet" is blank: not worth a line.
    if (line.find_first_not_of(' ', name.size()) == std::string::npos) continue;
    PrintStamped(line);
  }
}

void CliHost::EnableClose(bool enabled) { CloseAllowed = enabled; }

std::vector<WorkerMessage> CliHost::WaitMessages(SteadyTime deadline) {
  std::unique_lock<std::mutex> hold(QueueLock);
  while (Queue.empty() && StopSignal() == 0) {
    const SteadyTime now = std::chrono::steady_clock::now();
    if (now >= deadline) break;
    const SteadyTime sliceEnd = std::min(deadline, now + SignalSlice);
    QueueSignal.wait_until(hold, sliceEnd);
  }
  std::vector<WorkerMessage> taken(Queue.begin(), Queue.end());
  Queue.clear();
  return taken;
}

void CliHost::PrintStamped(const std::string& line) {
  Print(LineStamp(static_cast<std::int64_t>(std::time(nullptr))) + " " + line);
}

void CliHost::Print(const std::string& line) {
  std::fputs(line.c_str(), Out);
  std::fputc('\n', Out);
  std::fflush(Out);
}

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

std::string StoredSensors(const CSpectrelDoc& doc) {
  const CRad* last = doc.DayData().LastRad();
  std::string names;
  if (last == nullptr) return names;
  for (int model = 0; model < ModelCount; ++model) {
    if (last->Block(model) == nullptr) continue;
    if (!names.empty()) names += ' ';
    names += Models[model].Name;
  }
  return names;
}

std::string CycleLine(const CSpectrelDoc& doc) {
  const std::string sensors = StoredSensors(doc);
  const bool stored = !doc.LastDayFile().empty();
  std::string line = LineStamp(doc.CycleTime()) + (stored ? " stored " : " not stored, measured ") +
                     (sensors.empty() ? std::string("no sensor") : sensors);
  if (!doc.IntegralText().empty()) line += "  " + doc.IntegralText();
  line += "  day file " + (doc.LastDayFile().empty() ? std::string("not written") : doc.LastDayFile());
  line += "  CSV " + (doc.LastCsvFile().empty() ? std::string("not written") : doc.LastCsvFile());
  return line;
}

std::vector<std::string> StatusLines(const CSpectrelDoc& doc) {
  std::vector<std::string> lines;
  for (int model = 0; model < ModelCount; ++model) {
    if (doc.Settings().UseSensor[model] != 1) continue;
    lines.push_back(std::string(Models[model].Name) + " " + doc.StatusText(model));
  }
  return lines;
}

long PeakMemoryKb() { return StatusField("VmHWM"); }

long ThreadCount() { return StatusField("Threads"); }

void ReportSetup(CliHost& host, const RunnerSettingsSource& source, const AppSettings& settings,
                 const SimulatedStation& simulation) {
  host.Print("profile: " + source.ProfilePath + " (read only)");
  for (const SimulatedStation::Started& sensor : simulation.Sensors()) {
    host.Print("simulated " + std::string(Models[sensor.Model].Name) + " on " + sensor.Device);
  }
  for (int model = 0; model < ModelCount; ++model) {
    if (settings.UseSensor[model] == 1 && simulation.Sensors().empty()) {
      host.Print(std::string(Models[model].Name) + " on port " + settings.ComPort[model]);
    }
  }
  host.Print("day files: " + settings.KrfFolder + "YYYY/YYYYMMDD.KRF");
  if (settings.SaveCsv == 1) {
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
    host.Print("threads left at exit: " + std::to_string(ThreadCount() - threadsAtStart));
  }
}

}  // namespace spectrel::cli
