// spectrel-cli measure: one manual measurement, stored exactly as the desktop program stores it.
#include <chrono>
#include <cstdio>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/station_command.h"
#include "measure/spectrel_doc.h"

namespace spectrel::cli {

namespace {

using std::chrono::steady_clock;

constexpr std::chrono::milliseconds ManualPollPeriod{50};   // the settling poll of a manual start
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

// Starts the manual measurement and pumps the document until it has stopped itself (the run
// posts its cycle, then the stop), identification fails, a signal arrives or time runs out.
int MeasureOnce(CSpectrelDoc& doc, CliHost& host) {
  const steady_clock::time_point giveUp = steady_clock::now() + MeasureGiveUp;
  doc.OnStartManual();
  bool settling = true;                      // polling until every sensor in use has settled
  steady_clock::time_point nextPoll = steady_clock::now();
  bool cycleCompleted = false;
  bool anyStored = false;
  bool pointStored = false;
  while (doc.Measuring()) {
    if (const int signal = StopSignal(); signal != 0) {
      host.PrintStamped("stopped by signal " + std::to_string(signal));
      doc.StopMeasurement();
      return 1;
    }
    const steady_clock::time_point now = steady_clock::now();
    if (now >= giveUp) {
      host.PrintStamped("no measurement within 10 minutes: stopping");
      std::fputs("spectrel-cli measure: the measurement did not finish in time\n", stderr);
      doc.StopMeasurement();
      return 1;
    }
    if (settling && now >= nextPoll) {
      switch (doc.PollManualStart()) {
        case CSpectrelDoc::ManualPoll::Waiting:
          nextPoll = now + ManualPollPeriod;
          break;
        case CSpectrelDoc::ManualPoll::Started:
          settling = false;
          break;
        case CSpectrelDoc::ManualPoll::Failed:
          return ReportIdentificationFailure(doc, host);
      }
    }
    for (const WorkerMessage message : host.WaitMessages(settling ? nextPoll : giveUp)) {
      doc.HandleMessage(message);
      if (message == WorkerMessage::CycleDone) {
        cycleCompleted = true;
        anyStored = !StoredSensors(doc).empty();
        pointStored = !doc.LastDayFile().empty();
        host.Print(CycleLine(doc));
      }
    }
  }
  if (!cycleCompleted) {
    std::fputs("spectrel-cli measure: the measurement stopped before a cycle was completed\n",
               stderr);
    return 1;
  }
  if (!pointStored) {
    // The reason is on the "not stored:" line the measurement printed before.
    std::fputs("spectrel-cli measure: the point was not stored in the day file\n", stderr);
    return 1;
  }
  if (!anyStored) {
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
