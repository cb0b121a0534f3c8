// One sensor from the document's side: its driver, its identification at the start, its return
// after a loss, its status text and the count of cycles it failed in a row. Its worker threads
// touch only the link and report through the news they are given, which the document runs on its
// own thread; a measurement comes back from the run as a value.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "base/clock.h"
#include "measure/worker_stop.h"
#include "sensor/sensor_driver.h"
#include "sensor/status_report.h"
#include "spectrum/records.h"

namespace spectrel {

class SensorLink {
 public:
  // A status text for the sensor, and whether it follows a failed attempt (the front end may
  // beep). Called on the worker's thread.
  using News = std::function<void(const std::string& text, bool attemptFailed)>;
  // Cycles failed in a row after which a sensor whose port still works is brought back too.
  static constexpr int FailedCyclesLimit = 3;
  // Pause before reconnect attempt n (1, 2, 3 ...): 1 s doubling up to one minute.
  static int BackoffSeconds(int attempt);

  SensorLink(int model, const Clock& clock, WorkerStop& stop, Language language);
  ~SensorLink() { Join(); }
  SensorLink(const SensorLink&) = delete;
  SensorLink& operator=(const SensorLink&) = delete;

  // ---- Document thread ----
  // Opens the port for a new measurement; false when it cannot be opened.
  bool Open(const std::string& port);
  // Identifies the sensor on a thread of its own, asking again every half second until it is
  // ready or the measurement stops.
  void Identify(News news);
  // Brings the sensor back on a thread of its own: probed until it answers, then identified with
  // growing pauses; back() once it is ready. False when no thread could run.
  bool Reconnect(const std::string& port, std::function<void()> back);
  // After a run that measured the sensor: true when it must be brought back, that is when its
  // line failed or it failed FailedCyclesLimit cycles in a row.
  bool AfterCycle(bool measured);
  // Waits for the link's thread; the measurement has been told to stop.
  void Join();
  // Closes the port; the identification is forgotten and the counts start afresh.
  void Close();
  const std::string& Text() const { return StatusText; }
  void SetText(std::string text) { StatusText = std::move(text); }

  // ---- Any thread ----
  // The identification state: InfoReady only once the identification is at hand.
  InfoStatusCode Status() const;
  bool Reconnecting() const { return Worker.joinable() && !WorkerDone.load(); }
  DriverActivity Activity() const { return Driver.Activity(); }
  // The sensor's information record, when it is identified.
  std::optional<SensorInfo> Identification() const;

  // ---- A run's thread for this sensor ----
  // Up to three attempts; the spectrum of a successful one.
  std::optional<SensorMeasurement> Measure(const News& news);

 private:
  bool StartWorker(std::function<void()> body);
  // One identification attempt; true when the sensor is ready and its record kept.
  bool IdentifyOnce();

  WorkerStop& Stop;
  Language Lang;
  CSensorDriver Driver;
  mutable std::mutex IdentityLock;      // guards Identity
  std::optional<SensorInfo> Identity;   // copied from the driver when identified
  std::atomic<bool> Ready{false};       // Identity is at hand
  std::thread Worker;                   // identification or reconnect
  std::atomic<bool> WorkerDone{true};   // the worker has done its work (it may still exist)
  int FailedInRow = 0;                  // cycles failed in a row (document thread)
  std::string StatusText;               // shown for the sensor (document thread)
};

// What a run brings back: for each model in use that was ready when it began, its identification
// and, when an attempt succeeded, its spectrum.
struct CycleResult {
  std::int64_t Time = 0;   // the cycle time, s since 1970 UTC
  std::array<std::optional<SensorInfo>, ModelCount> Identified;
  std::array<std::optional<SensorMeasurement>, ModelCount> Measured;
};

}  // namespace spectrel
