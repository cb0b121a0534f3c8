// The measurement document: owner of the four sensor drivers, the day's measurement set, the
// worker threads and the texts shown with the graph. It reaches the user interface only through
// its DocumentHost and reads time only through its Clock.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "files/csv_writer.h"
#include "measure/document_host.h"
#include "measure/sensor_supervisor.h"
#include "measure/station_monitor.h"
#include "base/clock.h"
#include "sensor/sensor_driver.h"
#include "sensor/status_report.h"
#include "settings/app_settings.h"
#include "spectrum/records.h"
#include "spectrum/resample.h"

namespace spectrel {

class CSpectrelDoc {
 public:
  // Logs "APP START". The settings and the host must outlive the document.
  CSpectrelDoc(AppSettings& settings, DocumentHost& host, const Clock& clock = RealClock());
  // Logs "APP CLOSE" and closes the ports. Never runs while measuring (the host prevents it);
  // if it does, measurement is stopped first without a question.
  ~CSpectrelDoc();
  CSpectrelDoc(const CSpectrelDoc&) = delete;
  CSpectrelDoc& operator=(const CSpectrelDoc&) = delete;

  // ---- Measurement control (user-interface thread) ----
  int StartMeasurement();                    // always 1
  int StartRun(std::int64_t cycleTime);      // 1 when the run thread was started
  int CompleteCycle();                       // 1
  int StopMeasurement();                     // 1 stopped, 0 declined by the user
  // First half of a stop that is not asked about (a signal): every worker is told to end at once,
  // none is waited for. StopMeasurement then waits for them and closes the ports.
  void RequestStop();
  // What the workers are still busy with: "SR-102 (reading spectrum), SR-104 (identifying)";
  // empty when none is talking to its sensor.
  std::string StopWaitText() const;
  void OnIntervalTick();                     // once per second while interval measuring
  void UpdateStatusDisplay();
  std::string StatusMessage(int code) const; // text of an InfoStatus code 0..6
  int WriteLog(std::string message);         // 1 written, 0 log file not openable

  // ---- Commands, as the view receives them ----
  // "Start Interval Measurement" / "Start Manual Measurement": set MeasType and the dialog title,
  // then start. Interval: the host arms its 1 s timer and calls OnIntervalTick at each tick.
  // Manual: the host calls PollManualStart every 50 ms until it stops returning Waiting.
  void OnStartInterval();
  void OnStartManual();
  enum class ManualPoll {
    Waiting,   // identification has not settled yet: poll again in 50 ms
    Started,   // every sensor in use is ready (or none is in use): the run was started
    Failed,    // a sensor failed (or the wait ran out): no run; measurement stays active until "Abort"
  };
  ManualPoll PollManualStart();
  // A posted worker message, on the user-interface thread. Returns true when measurement was
  // stopped by it (the host then kills its interval timer).
  bool HandleMessage(WorkerMessage message);

  // ---- State read by the views (user-interface thread) ----
  bool Measuring() const { return MeasuringFlag.load(); }
  bool RunActive() const;                        // a run thread exists and has not ended
  const AppSettings& Settings() const { return SettingsRef; }
  AppSettings& Settings() { return SettingsRef; }
  const CKrfData& DayData() const { return DayDataSet; }
  const CResample& DisplaySpectrum() const { return Display; }
  const std::string& ReportText() const { return Texts.Report; }
  const std::string& IntegralText() const { return Texts.Integral; }
  const std::string& TimeText() const { return Texts.Time; }
  const std::string& MemoText() const { return Texts.Memo; }
  std::string StatusText(int model) const;       // snapshot of a sensor's status text
  CSensorDriver& Driver(int model);
  const std::vector<double>& MergedWavelengths() const { return Merged; }
  // Files written by the last CompleteCycle (empty when none), for the headless runner's report.
  const std::string& LastDayFile() const { return LastDayFilePath; }
  const std::string& LastCsvFile() const { return LastCsvFilePath; }
  std::int64_t CycleTime() const { return CycleTimeValue; }
  // Stamps the next CompleteCycle without a run, for a cycle whose drivers were filled otherwise.
  void SetCycleTime(std::int64_t cycleTime) { CycleTimeValue = cycleTime; }
  // Measurement runs started since construction (manual and interval).
  std::int64_t RunsStarted() const { return RunCount; }
  // The station's status for monitoring (status.json beside the event log).
  StationMonitor& Station() { return StationWatch; }
  const StationMonitor& Station() const { return StationWatch; }
  // Sensors brought back after their port failed, since construction.
  std::int64_t Reconnects() const { return ReconnectCount.load(); }
  // The sensor was lost and is being brought back.
  bool SensorReconnecting(int model) const;
  // Points whose day file could not be written, held for the next successful save.
  int UnsavedPoints() const { return static_cast<int>(Unsaved.size()); }

 private:
  // Worker procedures of the start-up and of the run.
  void SensorInfoThread(int model);
  void MeasureRunThread(std::array<int, ModelCount> useSensor, int measType);
  void SensorMeasureThread(int model);
  // Lost sensors found by the last run are closed and handed to their reconnect threads.
  void StartReconnects();
  // Interval measurement: a port that could not be opened at start is brought in like a lost one.
  void WatchMissingPort(int model);
  void ReconnectThread(int model);
  // Replaces entry model of the status texts under the status lock.
  void SetStatusText(int model, const std::string& text);
  // Creates the run thread for CycleTimeValue; false when the thread could not be created.
  bool LaunchRunThread();
  // Waits for the last run thread, if any, and drops it.
  void JoinRunThread();
  // Stops without asking: the part of StopMeasurement after the question.
  void StopNow();
  // Sleeps ms unless measurement stops first; false when it stopped.
  bool PauseWhileMeasuring(int ms);
  // Moves an unreadable day file aside under a new name; false when it could not be moved.
  bool KeepUnreadableDayFile(const std::string& path);
  // Cycle completion, step by step: the day's set from its file (or a new one), the information
  // records of sensors that became ready, the new point, its display, and the two files.
  struct DayStart {
    bool WholeWrite = false;   // the day file must be written whole, not appended to
    bool FileSafe = true;      // false: an unreadable file could not be moved aside
    int Error = 0;             // errno of the failed move aside
  };
  enum class DayLoad { Whole, Damaged, Unreadable };
  // stamp: a time of the day, for the time zone of a new file.
  DayStart BeginDay(const std::string& dayPath, std::int64_t stamp);
  DayLoad LoadDayFile(const std::string& dayPath);
  // Removes the temporary files an earlier crash left in today's data and CSV folders.
  void RemoveLeftoversOfToday();
  // Adds the unsaved points of the day to the set in time order; true when there were any.
  bool MergeUnsaved(const std::string& dayPath);
  void ForgetUnsaved(const std::string& dayPath);
  // After a successful save: the held points of every other day, each day into its own file.
  void StoreHeldDays(const std::string& savedDay);
  // A day file not written: logged, and said on stderr with the system's reason.
  void ReportNotStored(const std::string& dayPath, bool fileSafe, int error);
  bool AddNewInfoRecords();
  CRad BuildPoint();
  void ShowPoint(int index);
  void StoreDay(const std::string& dayPath, DayStart day, const CRad& rad);
  void SaveCsvFile(const CRad& rad);
  // The station monitor's hooks: identification settled (each tick), a cycle completed.
  void NoteStationTick();
  void ReportCycleToStation(int index);

  AppSettings& SettingsRef;
  DocumentHost& Host;
  const Clock& ClockRef;
  Language Lang;                          // language of the status texts, fixed at construction
  CSR101 Sr101;                           // the four drivers, in model order
  CSR102 Sr102;
  CSR103 Sr103;
  CSR104 Sr104;
  std::atomic<bool> MeasuringFlag{false}; // the workers' stop signal; written by the UI thread
  std::atomic<bool> StopWaits{false};     // true ends the drivers' waits for their sensors
  std::array<SensorSupervisor, ModelCount> Supervisors;  // per model, beside its driver
  std::atomic<std::int64_t> ReconnectCount{0};          // sensors brought back since construction
  std::int64_t LastTickSecond = 0;        // second of the day of the previous tick; 0 = none yet
  std::vector<std::thread> InfoThreads;   // identification threads of the last start
  std::thread RunThread;                  // the current or last measurement run
  std::atomic<bool> RunFinished{true};    // the run thread has done its work (it may still exist)
  std::atomic<bool> RunReported{false};   // the run posted its cycle-done message
  bool CyclePending = false;              // a run was started and its cycle is not completed yet
  // Per model: the driver's measurement is older than the current run (not measured in it).
  std::array<std::atomic<bool>, ModelCount> StaleMeasurement{};
  std::int64_t ManualWaitStart = 0;       // clock time the manual start began waiting, s
  ManualPoll ManualResult = ManualPoll::Waiting;  // outcome once the manual start settled
  mutable std::mutex StatusMutex;         // guards StatusTexts
  std::array<std::string, ModelCount> StatusTexts;  // each sensor's status text
  std::mutex PauseMutex;                  // with PauseSignal: wakes pausing workers at a stop
  std::condition_variable PauseSignal;
  CKrfData DayDataSet;
  CResample Display;
  ReportTexts Texts;
  CCsvWriter Csv;                         // working storage of the hourly CSV file
  std::vector<double> Merged;
  std::string LastDayFilePath;
  std::string NotStoredReason;           // why the last point was not stored, with the system's words
  std::string LastCsvFilePath;
  struct UnsavedPoint {
    std::string DayPath;                  // the day file it belongs in
    CRad Rad;
  };
  std::vector<UnsavedPoint> Unsaved;      // not yet stored, oldest first; lost if the program ends
  std::int64_t CycleTimeValue = 0;
  std::int64_t RunCount = 0;              // runs started since construction
  StationMonitor StationWatch;            // status.json for monitoring
};

}  // namespace spectrel
