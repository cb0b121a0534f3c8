#include "web/metrics.h"

#include <cstdio>

namespace spectrel::web {

namespace {

// One metric family: its help and type lines, then its samples.
class Family {
 public:
  Family(std::string& out, const char* name, const char* type, const char* help) : Out(out), Name(name) {
    Out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
  }
  void Sample(double value, const std::string& labels = "") {
    char number[40];
    std::snprintf(number, sizeof number, "%.17g", value);
    Out += Name + (labels.empty() ? "" : "{" + labels + "}") + " " + number + "\n";
  }

 private:
  std::string& Out;
  std::string Name;
};

void Counters(std::string& out, const StationCounters& n) {
  Family(out, "spectrel_cycles_total", "counter", "Measurement cycles completed since the runner started.")
      .Sample(static_cast<double>(n.Cycles));
  Family(out, "spectrel_points_stored_total", "counter", "Cycles whose point reached the day file.")
      .Sample(static_cast<double>(n.Stored));
  Family(out, "spectrel_points_not_stored_total", "counter", "Cycles whose point did not reach the day file.")
      .Sample(static_cast<double>(n.NotStored));
  Family(out, "spectrel_boundaries_skipped_total", "counter", "Interval boundaries skipped while a run was going.")
      .Sample(static_cast<double>(n.Skipped));
  Family(out, "spectrel_sensor_reconnects_total", "counter", "Sensors brought back after their port failed.")
      .Sample(static_cast<double>(n.Reconnects));
}

void Sensors(std::string& out, const CycleStatus& cycle) {
  Family up(out, "spectrel_sensor_up", "gauge", "1 when the sensor measured in the last cycle.");
  for (const SensorCycleStatus& s : cycle.Sensors) up.Sample(s.Ok ? 1 : 0, "model=\"" + LabelValue(s.Model) + "\"");
  Family status(out, "spectrel_sensor_status_info", "gauge", "The sensor's status text after the last cycle.");
  for (const SensorCycleStatus& s : cycle.Sensors)
    status.Sample(1, "model=\"" + LabelValue(s.Model) + "\",status=\"" + LabelValue(s.StatusText) + "\"");
  Family integral(out, "spectrel_integral_irradiance_watts_per_square_metre", "gauge",
                  "Integral irradiance of the sensor's spectrum in the last cycle over the station's range.");
  for (const SensorCycleStatus& s : cycle.Sensors)
    if (s.Integral) integral.Sample(*s.Integral, "model=\"" + LabelValue(s.Model) + "\"");
}

void StatusMetrics(std::string& out, const StationStatus& s, std::int64_t now) {
  Family state(out, "spectrel_station_state", "gauge", "1 for the runner's current state.");
  for (const StationState each : {StationState::Idle, StationState::Starting, StationState::Measuring,
                                  StationState::Stopping, StationState::Stopped})
    state.Sample(each == s.State ? 1 : 0, std::string("state=\"") + StateName(each) + "\"");
  Family(out, "spectrel_status_updated_timestamp_seconds", "gauge", "When the runner last wrote its status.")
      .Sample(static_cast<double>(s.Updated));
  Family(out, "spectrel_measurement_started_timestamp_seconds", "gauge", "When measurement started (0: not yet).")
      .Sample(static_cast<double>(s.Started));
  Family(out, "spectrel_interval_seconds", "gauge", "The measurement interval (0: manual measurement).")
      .Sample(s.IntervalMode ? static_cast<double>(s.IntervalSeconds) : 0.0);
  const bool open = WindowOpen(s, now);
  Family(out, "spectrel_measuring_window_open", "gauge", "1 while interval measurement runs inside its daily window.")
      .Sample(open ? 1 : 0);
  Family(out, "spectrel_measuring_window_opened_timestamp_seconds", "gauge",
         "When today's measuring window opened.")
      .Sample(static_cast<double>(WindowOpened(s, now)));
  Family(out, "spectrel_last_stored_point_timestamp_seconds", "gauge",
         "Time of the last point stored in a day file (0: none since the runner started).")
      .Sample(static_cast<double>(s.LastStored.value_or(0)));
  if (s.LastCycle)
    Family(out, "spectrel_last_cycle_timestamp_seconds", "gauge", "Time of the last completed cycle.")
        .Sample(static_cast<double>(s.LastCycle->Stamp));
  Counters(out, s.Counters);
  if (s.LastCycle) Sensors(out, *s.LastCycle);
  if (s.FreeBytes)
    Family(out, "spectrel_disk_free_bytes", "gauge", "Free space of the data folder's file system.")
        .Sample(static_cast<double>(*s.FreeBytes));
  if (s.DaysLeft)
    Family(out, "spectrel_disk_space_left_seconds", "gauge", "Time until the data folder is full at the rate so far.")
        .Sample(*s.DaysLeft * 86400.0);
}

// Bytes of the well-formed UTF-8 sequence at i; 0 when there is none.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
  const unsigned char lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
                             : lead >= 0xF0 && lead < 0xF5                ? 4
                                                                          : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace

std::string LabelValue(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8Length(text, i);
    if (length == 0) {
      out += "\xEF\xBF\xBD";   // not UTF-8: the replacement character, as the format wants UTF-8
      ++i;
      continue;
    }
    const char c = text[i];
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n')
      out += "\\n";
    else
      out.append(text, i, length);
    i += length;
  }
  return out;
}

std::string MetricsText(const StationSource& station, std::int64_t now) {
  std::string out;
  const StatusReading reading = ReadStationStatus(station.Folders());
  Family(out, "spectrel_status_readable", "gauge", "1 when the runner's status file could be read.")
      .Sample(reading.Status ? 1 : 0);
  if (reading.Status) StatusMetrics(out, *reading.Status, now);
  if (const auto synced = ClockSynchronised())
    Family(out, "spectrel_clock_synchronised", "gauge", "1 when the host clock is synchronised to a time source.")
        .Sample(*synced ? 1 : 0);
  return out;
}

}  // namespace spectrel::web
