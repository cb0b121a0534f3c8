// A sensor lost during measurement is closed and identified again on a thread of its own, with a
// growing pause between the attempts, while the others go on measuring.
#include "measure/sensor_supervisor.h"

#include <unistd.h>

#include <algorithm>
#include <string>

#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"

namespace spectrel {

namespace {
constexpr int PortBaud = 38400;         // every model talks at 38400 baud
constexpr int LongestBackoffSeconds = 60;

bool DeviceMissing(const std::string& device) { return ::access(device.c_str(), F_OK) != 0; }

// Waits out the back-off a second at a time; a device node that comes back meanwhile (a USB
// adapter plugged in again) ends the wait at once. pause(ms) is false once measurement stopped.
template <typename Pause>
bool BackOff(const std::string& device, int seconds, Pause pause) {
  bool wasMissing = DeviceMissing(device);
  for (int s = 0; s < seconds; ++s) {
    if (!pause(1000)) return false;
    const bool missing = DeviceMissing(device);
    if (wasMissing && !missing) return true;
    wasMissing = missing;
  }
  return true;
}
}  // namespace

int SensorSupervisor::BackoffSeconds(int attempt) {
  if (attempt <= 1) return 1;
  return attempt > 7 ? LongestBackoffSeconds
                     : std::min(1 << (attempt - 1), LongestBackoffSeconds);
}

bool SensorSupervisor::AfterCycle(bool measured, bool portLost) {
  FailedInRow = measured ? 0 : FailedInRow + 1;
  if (!portLost && FailedInRow < FailedCyclesLimit) return false;
  FailedInRow = 0;
  LostFlag.store(true);
  return true;
}

void SensorSupervisor::Join() {
  if (Worker.joinable()) Worker.join();
}

void SensorSupervisor::Reset() {
  Join();
  FailedInRow = 0;
  LostFlag.store(false);
}

// On the user-interface thread, once the run that found them has ended: every lost sensor is
// closed, logged and handed to its reconnect thread.
void CSpectrelDoc::StartReconnects() {
  if (!MeasuringFlag.load()) return;
  for (int i = 0; i < ModelCount; ++i) {
    SensorSupervisor& supervisor = Supervisors[static_cast<size_t>(i)];
    if (!supervisor.Lost()) continue;
    Driver(i).ClosePort();
    WriteLog("ERROR " + std::string(Models[static_cast<size_t>(i)].Tag) + " PORT");
    SetStatusText(i, MeasureText(TextReconnecting, Lang));
    UpdateStatusDisplay();
    if (!supervisor.Launch([this, i] { ReconnectThread(i); })) WriteLog("ERROR MEAS THREAD CREATE");
  }
}

// The identification start-up for this sensor alone, again and again until it is ready or
// measurement stops.
void CSpectrelDoc::ReconnectThread(int model) {
  CSensorDriver& driver = Driver(model);
  const std::string& port = SettingsRef.ComPort[static_cast<size_t>(model)];
  const auto pause = [this](int ms) { return PauseWhileMeasuring(ms); };
  for (int attempt = 1;; ++attempt) {
    if (!BackOff(CSerial::DeviceName(port), SensorSupervisor::BackoffSeconds(attempt), pause)) return;
    if (driver.OpenPort(port, PortBaud) == 1 &&
        driver.ReadSensorInfo() == 1) {
      break;
    }
    driver.ClosePort();
  }
  if (!MeasuringFlag.load()) return;
  ReconnectCount.fetch_add(1);
  WriteLog(std::string(Models[static_cast<size_t>(model)].Tag) + " RECONNECT");
  SetStatusText(model, StatusMessage(InfoReady));
  Host.PostWorkerMessage(WorkerMessage::StatusChanged);
}

}  // namespace spectrel
