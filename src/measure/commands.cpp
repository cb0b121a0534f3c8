// Starting and stopping measurement, and the rhythm of each kind: an interval measurement ticks at
// every whole second of the clock, a manual one looks every 50 ms until its sensors have settled.
#include <chrono>

#include "base/file_output.h"
#include "files/station_names.h"
#include "measure/day_load.h"
#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"
#include "settings/profile_check.h"

namespace spectrel {

namespace {
constexpr std::chrono::milliseconds ManualPollPeriod{50};   // the settling look of a manual start
constexpr std::int64_t TickAfterSecondMs = 2;   // a tick lands this far into its second, never before it
// A manual start waits at most this long (clock seconds) for identification to settle; a sensor
// whose identification thread never ran would otherwise keep it waiting for ever.
constexpr std::int64_t ManualWaitLimit = 120;

// A manual measurement that cannot start says why in the event log, sensor by sensor: its port
// could not be opened, or its identification failed or never finished.
void LogManualFailure(CSpectrelDoc& doc) {
  for (int i = 0; i < ModelCount; ++i) {
    const InfoStatusCode status = doc.InUse(i) ? doc.Link(i).Status() : InfoReady;
    if (status == InfoReady) continue;
    const std::string tag(Models[static_cast<size_t>(i)].Tag);
    doc.WriteLog("ERROR " + tag + (status == InfoPortFailed ? " PORT" : " INFO"));
  }
}

}  // namespace

void CSpectrelDoc::OnStartInterval() {
  // The start commands are disabled while measuring; the front ends say why a schedule that
  // could never measure is refused.
  if (Measuring() || !Refusal.empty() || WindowFinding(SettingsRef)) return;
  SettingsRef.MeasType = MeasureMode::Interval;   // kept for the profile
  SetState(MeasureState::Interval);
  StartMeasurement();
  TickLater();
}

void CSpectrelDoc::OnStartManual() {
  if (Measuring() || !Refusal.empty()) return;
  SettingsRef.MeasType = MeasureMode::Manual;   // kept for the profile
  SetState(MeasureState::ManualSettling);
  StartMeasurement();
  if (PollManualStart() == MeasureState::ManualSettling) PollLater();
}

// Each tick asks for the next one at the next whole second of the clock as it reads then, so the
// rhythm keeps to the clock's seconds in every front end, also after the clock was stepped.
void CSpectrelDoc::TickLater() {
  const std::int64_t intoSecond = ((ClockRef.NowMs() % 1000) + 1000) % 1000;
  Host.CallAfter(std::chrono::milliseconds(1000 - intoSecond + TickAfterSecondMs),
                 Guarded(*Rounds, [this] {
                   if (Now != MeasureState::Interval) return;
                   OnIntervalTick();
                   TickLater();
                 }));
}

void CSpectrelDoc::PollLater() {
  Host.CallAfter(ManualPollPeriod, Guarded(*Rounds, [this] {
    if (Now == MeasureState::ManualSettling && PollManualStart() == MeasureState::ManualSettling) PollLater();
  }));
}

void CSpectrelDoc::StartMeasurement() {
  ++*Rounds;
  Ticks.Restart();
  Watch.Restart();
  Workers.Reset();
  Used = Ports.ModelsInUse(SettingsRef);
  WriteLog("INT.MEAS START");
  std::vector<std::string> models;
  for (int i = 0; i < ModelCount; ++i)
    if (InUse(i)) models.push_back(ModelDisplayName(i));
  StationWatch.Started(Now == MeasureState::Interval, std::move(models));
  const std::int64_t now = ClockRef.Now();
  // A day the machine cannot carry is said when interval measurement starts, not found out at its end.
  if (Now == MeasureState::Interval) {
    if (const auto warning = DayLoadWarning(DayLoadOf(SettingsRef, Used, now, Store.Keeps()), MachineMemoryBytes(),
                                            FreeSpace(SettingsRef.KrfFolder))) {
      WriteLog("ERROR DAY TOO LARGE");
      Host.ReportError(*warning);
    }
  }
  RemoveLeftoverTemporariesIn(FolderOf(DayFilePath(SettingsRef.KrfFolder, now)));
  if (SettingsRef.SaveCsv) RemoveLeftoverTemporariesIn(FolderOf(HourCsvPath(SettingsRef.CsvFolder, now)));
  CyclePending = false;
  ManualWaitStart = now;
  for (int i = 0; i < ModelCount; ++i) {
    if (!InUse(i)) continue;
    SensorLink& link = *Links[static_cast<size_t>(i)];
    if (link.Open(Ports.PortOf(i, SettingsRef.ComPort[static_cast<size_t>(i)]))) {
      link.SetText(MeasureText(TextGettingInfo, Lang));
      ShowStatus(i, false);
      link.Identify(NewsOf(i, *Rounds));
    } else {
      link.SetText(StatusMessage(InfoPortFailed, Lang));
      ShowStatus(i, false);
      // After a power cut a USB serial adapter may appear only after the station's program has
      // started: interval measurement watches the port like a lost one, and the sensor joins at
      // the boundary after it is identified. A manual measurement keeps to the start-up as it is.
      if (Now == MeasureState::Interval) Reconnect(i, false);
    }
  }
}

MeasureState CSpectrelDoc::PollManualStart() {
  if (Now != MeasureState::ManualSettling) return Now;
  int unsettled = 0;
  for (int i = 0; i < ModelCount; ++i) {
    if (!InUse(i)) continue;
    const InfoStatusCode status = Link(i).Status();
    if (status != InfoNone && status != InfoReady) {
      LogManualFailure(*this);
      SetState(MeasureState::ManualFailed);
      return Now;
    }
    if (status == InfoNone) ++unsettled;
  }
  if (unsettled == 0) {
    const bool started = StartRun(ClockRef.Now());
    if (!started) WriteLog("ERROR MEAS THREAD CREATE");
    SetState(started ? MeasureState::ManualRunning : MeasureState::ManualFailed);
  } else if (ClockRef.Now() - ManualWaitStart >= ManualWaitLimit) {
    LogManualFailure(*this);
    SetState(MeasureState::ManualFailed);
  }
  return Now;
}

bool CSpectrelDoc::StopMeasurement() {
  if (Now == MeasureState::Interval && !Host.Ask(MeasureText(TextStopQuestion, Lang))) return false;
  StopNow();
  return true;
}

void CSpectrelDoc::RequestStop() { Workers.Raise(); }

void CSpectrelDoc::StopNow() {
  StationWatch.Stopping();
  RequestStop();
  for (auto link = Links.rbegin(); link != Links.rend(); ++link) (*link)->Join();
  if (RunThread.joinable()) RunThread.join();
  // A run that reported just before the stop still has its completion queued: it is completed
  // now, and the queued task finds nothing to do.
  RunReported();
  CyclePending = false;
  for (auto& link : Links) link->Close();
  if (Measuring()) SetState(MeasureState::Idle);
  WriteLog("INT.MEAS STOP");
  StationWatch.Stopped();
}

// The sensor is logged and brought back in the background (a lost one closed first and shown as
// reconnecting); once it is identified again it is logged and measured from the next boundary.
void CSpectrelDoc::Reconnect(int model, bool lost) {
  const std::string tag(Models[static_cast<size_t>(model)].Tag);
  SensorLink& link = *Links[static_cast<size_t>(model)];
  if (lost) link.Close();
  WriteLog("ERROR " + tag + " PORT");
  if (lost) {
    link.SetText(MeasureText(TextReconnecting, Lang));
    ShowStatus(model, false);
  }
  const auto back = [this, model, tag, round = *Rounds] {
    Post(round, [this, model, tag] {
      ++ReconnectCount;
      WriteLog(tag + " RECONNECT");
      Links[static_cast<size_t>(model)]->SetText(StatusMessage(InfoReady, Lang));
      ShowStatus(model, false);
    });
  };
  if (!link.Reconnect(Ports.PortOf(model, SettingsRef.ComPort[static_cast<size_t>(model)]), back))
    WriteLog("ERROR MEAS THREAD CREATE");
}

}  // namespace spectrel
