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
constexpr int ProbePauseMs = 1000;      // after a look at the device: with the 1 s wake-up, one every ~2 s

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

// Waits until the sensor answers a bare wake-up. A missing device node is only watched; a present
// one is opened (again, after a failed line) and woken with the short wake-up deadline, so a
// sensor switched off and on behind a port that stayed is found within seconds of its return.
// False once measurement stopped.
template <typename Pause>
bool AwaitAnswer(CSensorDriver& driver, const std::string& port, Pause pause) {
  const std::string device = CSerial::DeviceName(port);
  for (;;) {
    if (DeviceMissing(device)) {
      if (driver.IsOpen()) driver.ClosePort();   // a device that comes back is a new one
    } else {
      if (!driver.IsOpen() || driver.PortLost()) {
        driver.ClosePort();
        driver.OpenPort(port, PortBaud);
      }
      driver.SetActivity(DriverActivity::Waking);
      const bool answered = driver.IsOpen() && driver.WakeUp();
      driver.SetActivity(DriverActivity::Idle);
      if (answered) return true;
    }
    if (!pause(ProbePauseMs)) return false;
  }
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

// After a power cut a USB serial adapter may appear only after the station's program has started:
// interval measurement starts all the same (the start-up shows "Error(Opening COM Port failed)" as
// always), the port is watched like a lost one, and the sensor joins at the boundary after it is
// identified. A manual measurement keeps to the start-up as it is and does not run.
void CSpectrelDoc::WatchMissingPort(int model) {
  WriteLog("ERROR " + std::string(Models[static_cast<size_t>(model)].Tag) + " PORT");
  if (!Supervisors[static_cast<size_t>(model)].Launch([this, model] { ReconnectThread(model); }))
    WriteLog("ERROR MEAS THREAD CREATE");
}

// Until the sensor answers it is only probed; then the identification start-up for this sensor
// alone, with a growing pause after each failed identification, until it is ready or measurement
// stops.
void CSpectrelDoc::ReconnectThread(int model) {
  CSensorDriver& driver = Driver(model);
  const std::string& port = SettingsRef.ComPort[static_cast<size_t>(model)];
  const auto pause = [this](int ms) { return PauseWhileMeasuring(ms); };
  for (int failed = 0;;) {
    if (!AwaitAnswer(driver, port, pause)) return;
    if (driver.ReadSensorInfo() == 1) break;
    if (!BackOff(CSerial::DeviceName(port), SensorSupervisor::BackoffSeconds(++failed), pause)) return;
  }
  if (!MeasuringFlag.load()) return;
  ReconnectCount.fetch_add(1);
  WriteLog(std::string(Models[static_cast<size_t>(model)].Tag) + " RECONNECT");
  SetStatusText(model, StatusMessage(InfoReady));
  Host.PostWorkerMessage(WorkerMessage::StatusChanged);
}

}  // namespace spectrel
