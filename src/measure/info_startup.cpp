// Start of a measurement: the ports of the sensors in use are opened and one thread per opened
// sensor identifies it, asking again every half second until it is ready or measurement stops.
#include <chrono>
#include <system_error>

#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"

namespace spectrel {

namespace {
constexpr int PortBaud = 38400;      // every model talks at 38400 baud
constexpr int InfoRetryPauseMs = 500; // pause between two identification attempts
}  // namespace

int CSpectrelDoc::StartMeasurement() {
  LastTickSecond = 0;
  for (SensorSupervisor& supervisor : Supervisors) supervisor.Reset();
  StopWaits.store(false);
  MeasuringFlag.store(true);
  Host.EnableClose(false);
  Host.ShowIntervalDialog(true);
  WriteLog("INT.MEAS START");
  StationWatch.Started();
  RemoveLeftoversOfToday();

  // Threads of an earlier start have all been joined by its stop; this only guards a start
  // without a stop in between.
  for (std::thread& t : InfoThreads) {
    if (t.joinable()) t.join();
  }
  InfoThreads.clear();
  CyclePending = false;
  ManualResult = ManualPoll::Waiting;
  ManualWaitStart = ClockRef.Now();

  for (int i = 0; i < ModelCount; ++i) {
    if (SettingsRef.UseSensor[static_cast<size_t>(i)] != 1) continue;
    CSensorDriver& driver = Driver(i);
    if (driver.OpenPort(SettingsRef.ComPort[static_cast<size_t>(i)], PortBaud) == 1) {
      SetStatusText(i, MeasureText(TextGettingInfo, Lang));
      UpdateStatusDisplay();
      try {
        InfoThreads.emplace_back(&CSpectrelDoc::SensorInfoThread, this, i);
      } catch (const std::system_error&) {
        // Not reported: the status keeps its text and a manual start gives up after its wait.
      }
    } else {
      SetStatusText(i, StatusMessage(InfoPortFailed));
      UpdateStatusDisplay();
      if (SettingsRef.MeasType == 0) WatchMissingPort(i);
    }
  }
  // Also empties the block when no sensor is in use.
  UpdateStatusDisplay();
  return 1;
}

void CSpectrelDoc::SensorInfoThread(int model) {
  CSensorDriver& driver = Driver(model);
  if (!MeasuringFlag.load()) return;
  for (;;) {
    const int ok = driver.ReadSensorInfo();
    SetStatusText(model, StatusMessage(driver.InfoStatus.load()));
    Host.PostWorkerMessage(WorkerMessage::StatusChanged);
    if (ok == 1) return;
    Host.Beep();
    if (!PauseWhileMeasuring(InfoRetryPauseMs)) return;
  }
}

bool CSpectrelDoc::PauseWhileMeasuring(int ms) {
  std::unique_lock<std::mutex> lock(PauseMutex);
  PauseSignal.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !MeasuringFlag.load(); });
  return MeasuringFlag.load();
}

void CSpectrelDoc::UpdateStatusDisplay() {
  std::string block;
  for (int i = 0; i < ModelCount; ++i) {
    if (SettingsRef.UseSensor[static_cast<size_t>(i)] != 1) continue;
    block += ModelDisplayName(i) + " " + StatusText(i) + "\n";
  }
  Host.SetIntervalStatus(block);
}

std::string CSpectrelDoc::StatusMessage(int code) const {
  if (code < InfoNone || code > InfoReady) return {};
  return MeasureText(TextInfoStatusFirst + code, Lang);
}

}  // namespace spectrel
