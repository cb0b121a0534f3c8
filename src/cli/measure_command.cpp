// spectrel-cli measure: one manual measurement, stored exactly as the desktop program stores it.
#include <chrono>
#include <cstdio>
#include <optional>

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
    std::fprintf(stderr, "spectrel-cli measure: %s\n", line.c_str());
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
      std::fputs("spectrel-cli measure: the measurement did not finish in time\n", stderr);
      doc.StopMeasurement();
      return 1;
    }
    host.Pump(giveUp);
  }
  if (!cycle) {
    std::fputs("spectrel-cli measure: the measurement stopped before a cycle was completed\n", stderr);
    return 1;
  }
  if (cycle->DayFile.empty() || doc.HeldPoints() > 0) {
    // The reason is on the "not stored:" line the measurement printed before.
    std::fputs("spectrel-cli measure: the point was not stored in the day file\n", stderr);
    return 1;
  }
  if (cycle->Sensors.empty()) {
    std::fputs("spectrel-cli measure: no sensor delivered a spectrum (see the event log)\n", stderr);
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
