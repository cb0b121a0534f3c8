#include "measure/sensor_link.h"

#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "measure/status_texts.h"

namespace spectrel {

namespace {

constexpr int PortBaud = 38400;          // every model talks at 38400 baud
constexpr int InfoRetryPauseMs = 500;    // pause between two identification attempts
constexpr int MeasureAttempts = 3;       // tries of Measure per sensor and run
constexpr int LongestBackoffSeconds = 60;
constexpr int ProbePauseMs = 1000;       // after a look at the device: with the 1 s wake-up, one every ~2 s

bool DeviceMissing(const std::string& device) { return ::access(device.c_str(), F_OK) != 0; }

// Waits out the back-off a second at a time; a device node that comes back meanwhile (a USB
// adapter plugged in again) ends the wait at once. False once measurement stopped.
bool BackOff(const std::string& device, int seconds, WorkerStop& stop) {
  bool wasMissing = DeviceMissing(device);
  for (int s = 0; s < seconds; ++s) {
    if (!stop.Pause(1000)) return false;
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
bool AwaitAnswer(CSensorDriver& driver, const std::string& port, WorkerStop& stop) {
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
    if (!stop.Pause(ProbePauseMs)) return false;
  }
}

}  // namespace

int SensorLink::BackoffSeconds(int attempt) {
  if (attempt <= 1) return 1;
  return attempt > 7 ? LongestBackoffSeconds : std::min(1 << (attempt - 1), LongestBackoffSeconds);
}

SensorLink::SensorLink(int model, const Clock& clock, WorkerStop& stop, Language language)
    : Stop(stop), Lang(language), Driver(model, clock) {
  Driver.SetStopFlag(&Stop.Flag());
}

bool SensorLink::Open(const std::string& port) {
  Join();
  FailedInRow = 0;
  return Driver.OpenPort(port, PortBaud);
}

InfoStatusCode SensorLink::Status() const {
  if (Ready.load()) return InfoReady;
  const int status = Driver.InfoStatus.load();
  // Identified, but the record is not kept yet: not ready for a run.
  return status == InfoReady ? InfoNone : static_cast<InfoStatusCode>(status);
}

std::optional<SensorInfo> SensorLink::Identification() const {
  std::lock_guard<std::mutex> lock(IdentityLock);
  return Identity;
}

bool SensorLink::IdentifyOnce() {
  if (!Driver.ReadSensorInfo()) return false;
  {
    std::lock_guard<std::mutex> lock(IdentityLock);
    Identity = Driver.Info;   // the worker's own driver, on its own thread
  }
  Ready.store(true);
  return true;
}

bool SensorLink::StartWorker(std::function<void()> body) {
  Join();
  WorkerDone.store(false);
  try {
    Worker = std::thread([this, body = std::move(body)] {
      body();
      WorkerDone.store(true);
    });
  } catch (const std::system_error&) {
    WorkerDone.store(true);
    return false;
  }
  return true;
}

void SensorLink::Identify(News news) {
  // A thread that cannot be created is not reported: the status keeps its text and a manual
  // start gives up after its wait.
  StartWorker([this, news = std::move(news)] {
    if (Stop.Stopped()) return;
    for (;;) {
      const bool ok = IdentifyOnce();
      news(StatusMessage(Driver.InfoStatus.load(), Lang), !ok);
      if (ok || !Stop.Pause(InfoRetryPauseMs)) return;
    }
  });
}

bool SensorLink::Reconnect(const std::string& port, std::function<void()> back) {
  return StartWorker([this, port, back = std::move(back)] {
    for (int failed = 0;;) {
      if (!AwaitAnswer(Driver, port, Stop)) return;
      if (IdentifyOnce()) break;
      if (!BackOff(CSerial::DeviceName(port), BackoffSeconds(++failed), Stop)) return;
    }
    if (!Stop.Stopped()) back();
  });
}

bool SensorLink::AfterCycle(bool measured) {
  FailedInRow = measured ? 0 : FailedInRow + 1;
  if (!Driver.PortLost() && FailedInRow < FailedCyclesLimit) return false;
  FailedInRow = 0;
  return true;
}

void SensorLink::Join() {
  if (Worker.joinable()) Worker.join();
}

void SensorLink::Close() {
  Join();
  Driver.ClosePort();
  Ready.store(false);
  FailedInRow = 0;
}

std::optional<SensorMeasurement> SensorLink::Measure(const News& news) {
  news(MeasureText(TextMeasuring, Lang), false);
  for (int attempt = 0; attempt < MeasureAttempts; ++attempt) {
    if (Driver.Measure()) {
      news(MeasureText(TextMeasureOk, Lang), false);
      return Driver.Measurement;   // the run's own driver, on its own thread
    }
    // A stop ends the attempts at once; a failed line makes further attempts pointless.
    if (Stop.Stopped() || Driver.PortLost()) break;
    news(MeasureText(TextRetrying, Lang), true);
  }
  news(MeasureText(TextMeasureFailed, Lang), false);
  return std::nullopt;
}

}  // namespace spectrel
