// spectrel-cli measure: one manual measurement, stored exactly as the desktop program stores it.
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/station_command.h"
#include "measure/spectrel_doc.h"

namespace spectrel::cli {

namespace {

using std::chrono::steady_clock;

constexpr std::chrono::minutes MeasureGiveUp{10};           // nothing a station does takes longer

// Stops the measurement after identification failed, with the failure on both streams.
int ReportIdentificationFailure(CSpectrelDoc& doc, CliHost& host) {
  host.PrintStamped("identification failed:");
  for (const std::string& line : StatusLines(doc)) {
    host.Print("  " + line);
    std::fprintf(stderr, "spectrel-cli measure: not measured: %s; check the sensor with spectrel-cli probe\n",
                 line.c_str());
  }
  doc.StopMeasurement();
  return 1;
}

// Starts the manual measurement and runs the document's rhythm until it has stopped itself (the
// run completes its cycle, then stops), identification fails, a signal arrives or time runs out.
int MeasureOnce(CSpectrelDoc& doc, CliHost& host) {
  const steady_clock::time_point giveUp = steady_clock::now() + MeasureGiveUp;
  std::optional<CycleSummary> cycle;
  host.OnCycle = [&](const CycleSummary& completed) {
    cycle = completed;
    host.Print(CycleLine(completed));
  };
  doc.OnStartManual();
  while (doc.Measuring()) {
    if (const int signal = StopSignal(); signal != 0) {
      host.PrintStamped("stopped by signal " + std::to_string(signal));
      doc.StopMeasurement();
      return 1;
    }
    if (doc.State() == MeasureState::ManualFailed) return ReportIdentificationFailure(doc, host);
    if (steady_clock::now() >= giveUp) {
      host.PrintStamped("no measurement within 10 minutes: stopping");
      std::fputs("spectrel-cli measure: not measured: the measurement did not finish within 10 minutes; check the "
                 "sensors with spectrel-cli probe\n", stderr);
      doc.StopMeasurement();
      return 1;
    }
    host.Pump(giveUp);
  }
  if (!cycle) {
    std::fputs("spectrel-cli measure: not measured: the measurement stopped before its cycle was completed\n", stderr);
    return 1;
  }
  if (cycle->DayFile.empty() || doc.HeldPoints() > 0) {
    // The reason is on the "not stored:" line the measurement printed before.
    std::fputs("spectrel-cli measure: not stored: the day file could not be written (the system's reason is above)\n",
               stderr);
    return 1;
  }
  if (cycle->Sensors.empty()) {
    // Each sensor in use that failed is in the event log ("ERROR SR10x MEAS"); with none in use the
    // start said so.
    const std::vector<std::string> lines = StatusLines(doc);
    std::string why;
    for (const std::string& line : lines) why += (why.empty() ? "" : ", ") + line;
    why = lines.empty() ? "no sensor is in use; choose the sensors in the profile's [USE]"
                        : why + "; check the sensors with spectrel-cli probe";
    std::fprintf(stderr, "spectrel-cli measure: no spectrum stored: %s\n", why.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

Command AddMeasureCommand(CLI::App& program) {
  return AddStationCommand(program, "measure",
                           "One manual measurement, stored exactly as the desktop program stores it.",
                           [](CSpectrelDoc& doc, CliHost& host, const AppSettings&) { return MeasureOnce(doc, host); });
}

}  // namespace spectrel::cli
