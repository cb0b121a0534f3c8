// One measurement run: every sensor in use and ready is measured at the same time on a thread of
// its own; when all have ended the run tells the user-interface thread.
#include <system_error>

#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"

namespace spectrel {

namespace {
constexpr int MeasureAttempts = 3;   // tries of Measure per sensor and run
}  // namespace

int CSpectrelDoc::StartRun(std::int64_t cycleTime) {
  CycleTimeValue = cycleTime;
  JoinRunThread();
  return LaunchRunThread() ? 1 : 0;
}

bool CSpectrelDoc::LaunchRunThread() {
  // Until the run measures a sensor, its driver holds a spectrum of an earlier run.
  for (auto& stale : StaleMeasurement) stale.store(true);
  RunFinished.store(false);
  RunReported.store(false);
  try {
    // The run works from a copy of the flags it needs, so the settings stay the UI thread's.
    RunThread = std::thread(&CSpectrelDoc::MeasureRunThread, this, SettingsRef.UseSensor,
                            SettingsRef.MeasType);
  } catch (const std::system_error&) {
    RunFinished.store(true);
    return false;
  }
  CyclePending = true;
  ++RunCount;
  return true;
}

void CSpectrelDoc::JoinRunThread() {
  if (RunThread.joinable()) RunThread.join();
}

void CSpectrelDoc::MeasureRunThread(std::array<int, ModelCount> useSensor, int measType) {
  std::array<std::thread, ModelCount> sensors;
  for (int i = 0; i < ModelCount; ++i) {
    if (useSensor[static_cast<size_t>(i)] != 1 || Driver(i).InfoStatus.load() != InfoReady) continue;
    try {
      sensors[static_cast<size_t>(i)] = std::thread(&CSpectrelDoc::SensorMeasureThread, this, i);
      StaleMeasurement[static_cast<size_t>(i)].store(false);
    } catch (const std::system_error&) {
      // Left out of this run; cycle completion logs it as a failed measurement.
    }
  }
  for (int i = ModelCount - 1; i >= 0; --i) {
    if (sensors[static_cast<size_t>(i)].joinable()) sensors[static_cast<size_t>(i)].join();
  }
  if (MeasuringFlag.load()) {
    RunReported.store(true);
    Host.PostWorkerMessage(WorkerMessage::CycleDone);
    // A manual measurement ends after its single run.
    if (measType != 0) Host.PostWorkerMessage(WorkerMessage::StopRequest);
  }
  RunFinished.store(true);
}

void CSpectrelDoc::SensorMeasureThread(int model) {
  CSensorDriver& driver = Driver(model);
  SetStatusText(model, MeasureText(TextMeasuring, Lang));
  Host.PostWorkerMessage(WorkerMessage::StatusChanged);
  bool measured = false;
  for (int attempt = 0; attempt < MeasureAttempts && !measured; ++attempt) {
    measured = driver.Measure() == 1;
    // A stop ends the attempts at once; a failed line makes further attempts pointless.
    if (measured || !MeasuringFlag.load() || driver.PortLost()) break;
    SetStatusText(model, MeasureText(TextRetrying, Lang));
    Host.PostWorkerMessage(WorkerMessage::StatusChanged);
    Host.Beep();
  }
  SetStatusText(model, MeasureText(measured ? TextMeasureOk : TextMeasureFailed, Lang));
  Host.PostWorkerMessage(WorkerMessage::StatusChanged);
  if (MeasuringFlag.load()) Supervisors[static_cast<size_t>(model)].AfterCycle(measured, driver.PortLost());
}

}  // namespace spectrel
