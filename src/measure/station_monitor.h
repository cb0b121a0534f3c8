// Keeps the station's status for monitoring from afar: the state, the last cycle, the counters
// since measurement started and the disk-space estimate, and writes them to status.json beside the
// event log each time something changes (start, every cycle, a skipped boundary, stop).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "measure/station_clock.h"
#include "measure/station_status.h"
#include "settings/app_settings.h"
#include "spectrum/records.h"

namespace spectrel {

class StationMonitor {
 public:
  // The settings and the clock must outlive the monitor.
  StationMonitor(const AppSettings& settings, const Clock& clock);

  // Where the reconnect count comes from (the sensor supervisors); zero until one is set.
  void SetReconnectCounter(std::function<std::int64_t()> counter) { Reconnects = std::move(counter); }

  // Each of these updates the status and writes the file.
  // "starting": counters from zero; sensorsInUse: the models measured ("SR-102").
  void Started(bool intervalMode, std::vector<std::string> sensorsInUse);
  void Measuring();                  // "measuring": the sensors in use have settled
  void CycleCompleted(CycleStatus cycle, std::optional<double> bytesPerDay);
  void BoundarySkipped(std::int64_t boundaries);
  void ClockStepped(std::int64_t seconds);   // the system clock moved by seconds against time passing
  // The kernel's word on the clock; written only when it changes.
  void ClockState(ClockSync sync);
  void Stopping();
  void Stopped();
  // Writes the file again when it is half a minute old, so that a reader can tell a runner that
  // is alive from one that is stuck, inside the window or not. Called from every tick.
  void Refresh();

  StationState State() const { return Current.State; }
  const StationStatus& Status() const { return Current; }
  // Writes status.json atomically into the data folder; false when it could not be written.
  bool Write();

 private:
  void Enter(StationState state);

  const AppSettings& Settings;
  const Clock& ClockRef;
  StationStatus Current;
  std::optional<double> BytesPerDay;           // stored per day at the current rate, bytes
  bool IntervalMode = false;                   // the measurement is interval measurement
  std::function<std::int64_t()> Reconnects;
};

// Bytes stored per day at the current rate of interval measurement: the cycle's day file and CSV
// files over the boundaries they hold (pointsInFile). After a change of sensor unit that is the
// day's part the cycle went to (part 2, 3, ...), its files and its points alone. Empty while
// nothing is known.
std::optional<double> EstimateBytesPerDay(const AppSettings& settings, std::int64_t cycleTime,
                                          int pointsInFile, int part = 1);

}  // namespace spectrel
