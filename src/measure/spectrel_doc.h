// The measurement document orchestrates one measurement at a time; its parts own their state: a
// SensorLink per model, the DayStore, the IntervalSchedule, the EventLog and the StationMonitor.
// It keeps its own rhythm with its host's timers, brings its workers' news to its own thread,
// reads time only through its clock and tells its host what happened.
#pragma once

#include <array>
#include <memory>
#include <thread>

#include "files/csv_writer.h"
#include "measure/day_store.h"
#include "measure/document_host.h"
#include "measure/event_log.h"
#include "measure/handoff.h"
#include "measure/interval_schedule.h"
#include "measure/port_supply.h"
#include "measure/sensor_link.h"
#include "measure/station_clock.h"
#include "measure/station_monitor.h"
#include "spectrum/resample.h"

namespace spectrel {

class CSpectrelDoc {
 public:
  // Logs "APP START". The settings, the host, the clock and the ports outlive the document.
  CSpectrelDoc(AppSettings& settings, DocumentHost& host, const StationClock& clock = SystemStationClock(),
               const PortSupply& ports = ProfilePortSupply());
  ~CSpectrelDoc();   // logs "APP CLOSE"; a measurement still going is stopped, without a question

  // ---- Commands (document thread) ----
  void OnStartInterval();   // then a tick at every whole second of the clock
  void OnStartManual();     // then a look every 50 ms until the sensors have settled
  bool StopMeasurement();   // interval measurement asks first; false when the user declined
  void RequestStop();       // a stop's first half: every worker told to end, none waited for
  std::string StopWaitText() const;   // what the workers are busy with: "SR-102 (reading spectrum)"

  // ---- The steps of the rhythm, which tests drive by hand ----
  void OnIntervalTick();
  MeasureState PollManualStart();          // ManualSettling while the sensors settle
  void CompleteCycle(const CycleResult& result);
  bool WriteLog(const std::string& message) { return Log.Write(message); }
  // "APP START" reached the event log: a station whose log cannot be written does not measure.
  bool StartLogged() const { return StartWritten; }
  // Another station holds the data folder: the start commands do nothing, for the reason given.
  void RefuseMeasurement(const std::string& why) { Refusal = why; }
  const std::string& MeasurementRefusal() const { return Refusal; }

  // ---- What the views read (document thread) ----
  MeasureState State() const { return Now; }
  bool Measuring() const { return Now != MeasureState::Idle; }
  const AppSettings& Settings() const { return SettingsRef; }
  AppSettings& Settings() { return SettingsRef; }   // the graph's look, edited by its dialog
  bool InUse(int model) const { return ValidModel(model) && Used[static_cast<size_t>(model)]; }
  const SensorLink& Link(int model) const { return *Links.at(static_cast<size_t>(model)); }
  const CKrfData& DayData() const { return Store.Day(); }
  // Points measured but not (yet) in their day file: held in the spool or in memory.
  std::size_t HeldPoints() const { return Store.HeldPoints(); }
  const CResample& DisplaySpectrum() const { return Display; }
  const ReportTexts& Shown() const { return Texts; }   // the point shown: report, integral, time, memo
  const CycleSummary& LastCycle() const { return Summary; }
  std::int64_t RunsStarted() const { return RunCount; }
  std::int64_t Reconnects() const { return ReconnectCount; }
  const StationMonitor& Station() const { return StationWatch; }

 private:
  std::function<void()> Guarded(std::uint64_t round, std::function<void()> task);
  void Post(std::uint64_t round, std::function<void()> task);
  SensorLink::News NewsOf(int model, std::uint64_t round);
  void StartMeasurement();
  void SetState(MeasureState state);
  void ShowStatus(int model, bool attemptFailed);
  void TickLater();
  void PollLater();
  void WatchClock();
  bool StartRun(std::int64_t cycleTime);   // false when no run thread could be started
  void MeasureRun(CycleResult result, ModelSet ready, bool manual, std::uint64_t round);
  void RunReported();
  void StopNow();
  void Reconnect(int model, bool lost);
  CRad BuildPoint(const CycleResult& result);
  void RecoverHeldPoints();
  void SaveCsvFile(const CRad& rad);
  void NoteStationTick();
  void ReportCycleToStation(const CycleResult& result, const DaySave& save);

  AppSettings& SettingsRef;
  DocumentHost& Host;
  const StationClock& ClockRef;
  const PortSupply& Ports;
  Language Lang;                           // of the status texts, fixed at construction
  EventLog Log;
  bool StartWritten = false;               // "APP START" was written
  std::string Refusal;                     // why this document may not measure; empty: it may
  WorkerStop Workers;                      // the workers' stop signal
  std::array<std::unique_ptr<SensorLink>, ModelCount> Links;
  MeasureState Now = MeasureState::Idle;
  ModelSet Used{};                         // the models measured, fixed at each start
  std::shared_ptr<std::uint64_t> Rounds;   // starts so far: tasks of an earlier one find nothing to do
  IntervalTicks Ticks;                     // the scheduler's ticks since the start
  ClockWatch Watch;                        // steps of the clock and the kernel's word on it
  std::thread RunThread;                   // the current or last measurement run
  bool CyclePending = false;               // a run was started and its cycle is not completed yet
  Handoff<CycleResult> Reported;           // a run's result, waiting for its completion
  std::int64_t RunCount = 0;               // runs started since construction
  std::int64_t ManualWaitStart = 0;        // when a manual start began waiting, clock s
  std::int64_t ReconnectCount = 0;         // sensors brought back since construction
  DayStore Store;
  CResample Display;                       // the point shown, on the 1 nm grid
  ReportTexts Texts;
  CCsvWriter Csv;                          // working storage of the hourly CSV file
  std::vector<double> Merged;              // the merged wavelength axis of the CSV file
  CycleSummary Summary;                    // of the last completed cycle
  std::array<std::optional<UnitChangeStatus>, ModelCount> UnitChanges;   // the last of each sensor since start
  StationMonitor StationWatch;             // status.json for monitoring
};

}  // namespace spectrel
