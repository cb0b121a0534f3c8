// spectrel-cli run: interval measurement on an unattended station until SIGINT or SIGTERM.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/service_notify.h"
#include "cli/station_command.h"
#include "measure/interval_schedule.h"
#include "measure/spectrel_doc.h"

namespace spectrel::cli {

namespace {

// Tells every worker to end, says what is still being waited for, then stops: the drivers'
// waits end within a tenth of a second, so this never takes long.
void StopPromptly(CSpectrelDoc& doc, CliHost& host) {
  doc.RequestStop();
  const SteadyTime giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (std::string said;;) {
    const std::string waiting = doc.StopWaitText();
    if (waiting.empty() || std::chrono::steady_clock::now() >= giveUp) break;
    if (waiting != said) host.PrintStamped("stopping: waiting for " + waiting);
    said = waiting;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  doc.StopMeasurement();
}

// Runs the document's own rhythm on the main thread: its ticks, its workers' news and the cycles
// the runs report, until a signal asks for the stop (or a worker's stop request ends the
// measurement). The service manager, when one listens, hears that the station is ready once the
// sensors have settled, every cycle, a watchdog ping from every tick of the measurement's own
// rhythm, and the stop.
void RunUntilStopped(CSpectrelDoc& doc, CliHost& host) {
  ServiceNotifier service;
  host.OnCycle = [&](const CycleSummary& cycle) {
    const std::string line = CycleLine(cycle);
    host.Print(line);
    service.Status(line);
  };
  host.OnTick = [&] { service.Tick(); };
  doc.OnStartInterval();
  service.Status("starting; identifying the sensors");
  bool ready = false;
  while (doc.Measuring()) {
    if (const int signal = StopSignal(); signal != 0) {
      service.Stopping();
      service.Status("stopping (signal " + std::to_string(signal) + ")");
      host.PrintStamped("stop requested by signal " + std::to_string(signal));
      StopPromptly(doc, host);
      break;
    }
    host.Pump(std::chrono::steady_clock::now() + std::chrono::seconds(1));
    if (!ready && doc.Station().State() == StationState::Measuring) {
      ready = true;
      service.Ready();
      service.Status("measuring; no cycle yet");
    }
  }
}

// A schedule that could never measure was refused by the start's profile check.
int RunStation(CSpectrelDoc& doc, CliHost& host, const AppSettings& settings) {
  host.Print("window " + ClockText(settings.StartTime) + " to " + ClockText(settings.EndTime) + ", every " +
             std::to_string(settings.Interval) + " s; stop with Ctrl-C or SIGTERM");
  RunUntilStopped(doc, host);
  // A point not in its day file by the stop (held in the spool or lost) fails the run.
  return doc.HeldPoints() > 0 ? 1 : 0;
}

}  // namespace

Command AddRunCommand(CLI::App& program) {
  return AddStationCommand(program, "run", "Interval measurement until SIGINT or SIGTERM.", RunStation);
}

}  // namespace spectrel::cli
