// The station's state for monitoring from afar: what the runner is doing, how the last cycle went,
// counters since start and the disk space left. Written as status.json beside the event log after
// every cycle and at start and stop; read back by "spectrel-cli status", which judges it with the
// usual monitoring-plugin codes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/station_names.h"   // StatusFilePath: where the status file lies

namespace spectrel {

enum class StationState { Idle, Starting, Measuring, Stopping, Stopped };

// "idle", "starting", "measuring", "stopping", "stopped".
const char* StationStateName(StationState state);

// A sensor found to be another unit than the day file's record of its model (another serial number,
// identification or calibration): the day went on in a new part of its file.
struct UnitChangeStatus {
  std::int64_t Stamp = 0;             // the cycle that found it, s since 1970 UTC
  std::string OldSerial;
  std::string NewSerial;
  bool operator==(const UnitChangeStatus&) const = default;
};

struct SensorCycleStatus {
  std::string Model;                  // "SR-101"
  bool Ok = false;                    // measured in this cycle
  std::string StatusText;             // the status text shown for it
  std::int32_t ExposureMs = 0;        // exposure of its spectra, ms (0 when not measured)
  std::optional<double> Integral;     // its integral irradiance over the profile's range, W/m2
  std::optional<UnitChangeStatus> UnitChanged = std::nullopt;   // the last change of its unit since start
  bool operator==(const SensorCycleStatus&) const = default;
};

struct CycleStatus {
  std::int64_t Stamp = 0;             // cycle time, s since 1970 UTC
  bool Stored = false;                // the point reached the day file
  std::string Reason;                 // why not stored ("" when stored)
  std::vector<SensorCycleStatus> Sensors;
  std::optional<double> Integral;     // the point's integral irradiance, as drawn with the graph, W/m2
  bool operator==(const CycleStatus&) const = default;
};

struct StationCounters {
  std::int64_t Cycles = 0;            // cycles completed since start
  std::int64_t Stored = 0;            // of which stored in the day file
  std::int64_t NotStored = 0;         // of which not stored
  std::int64_t Skipped = 0;           // boundaries left out (a run still going, a late tick, a step)
  std::int64_t Reconnects = 0;        // sensors brought back after their port failed
  bool operator==(const StationCounters&) const = default;
};

struct StationStatus {
  std::string Version;                // program version
  std::int64_t Pid = 0;               // process id of the runner
  // When the runner's process started, clock ticks after boot (/proc/PID/stat): a process id
  // taken over by another process after the runner died does not pass for the runner.
  std::optional<std::int64_t> ProcessStart;
  std::string Zone;                   // the station's time zone, an IANA name ("Asia/Tokyo")
  // The models measured ("SR-102"), fixed at the start; empty before a start or in a file that
  // does not say.
  std::optional<std::vector<std::string>> SensorsInUse;
  StationState State = StationState::Idle;
  std::int64_t Updated = 0;           // when this status was written, s since 1970 UTC
  std::int64_t Started = 0;           // when measurement started (0: not yet)
  bool IntervalMode = false;          // interval measurement (false: manual)
  std::int64_t IntervalSeconds = 0;   // the interval, s
  std::int64_t WindowStart = 0;       // daily window, s after local midnight
  std::int64_t WindowEnd = 0;
  std::optional<CycleStatus> LastCycle;
  std::optional<std::int64_t> LastStored;     // stamp of the last stored point
  std::optional<std::int64_t> NextBoundary;   // next interval boundary, s since 1970 UTC
  StationCounters Counters;
  std::optional<std::int64_t> FreeBytes;      // free space of the data folder
  std::optional<double> DaysLeft;             // free space over the bytes stored per day so far
  std::optional<bool> ClockSynchronised;      // the kernel's word on the system clock; empty: not asked
  std::optional<std::int64_t> LastClockStep;  // the last step of the clock while measuring, s (signed)
  bool operator==(const StationStatus&) const = default;
};

// The status as JSON text (one object, UTF-8 kept, invalid bytes replaced).
std::string StationStatusJson(const StationStatus& status);
// Reads the JSON text back; empty with a reason in error when it is not a station status.
std::optional<StationStatus> ParseStationStatus(std::string_view json, std::string& error);

// The status file read back in bounded time and memory: a named pipe, a device or a file far
// larger than any status is refused at once.
struct StatusFileRead {
  std::string Text;                     // the file as it is
  std::optional<StationStatus> Status;  // empty when missing, unreadable or not a station status
  bool Missing = false;                 // no file at all
  std::string Error;                    // why Status is empty
};
StatusFileRead ReadStationStatusFile(const std::string& path);

// This process's start, clock ticks after boot; empty when /proc cannot tell.
std::optional<std::int64_t> ProcessStartTicks(std::int64_t pid);
// The runner named by the status still runs: its process id exists and, when the status carries
// it, started when the runner did.
bool RunnerAlive(const StationStatus& status);

// Free space of the folder's file system in bytes; empty when it cannot be asked.
std::optional<std::int64_t> FreeSpace(const std::string& folder);
// Days of space left when storing bytesPerDay a day; empty while the rate is unknown (0).
std::optional<double> DaysOfSpace(std::int64_t freeBytes, double bytesPerDay);

// "YYYY/MM/DD HH:MM:SS" of an instant on the station's clock: in the zone the status names, where
// this system knows it (the reader may sit in another zone), else in this machine's.
std::string StationTimeText(const StationStatus& status, std::int64_t t);

// The monitoring verdict: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN, with one line saying why.
struct StationVerdict {
  int Code = 3;
  std::string Text;
};
// Judges the status at time now; runnerAlive tells whether the runner still runs (RunnerAlive).
StationVerdict JudgeStation(const StationStatus& status, std::int64_t now, bool runnerAlive);

}  // namespace spectrel
