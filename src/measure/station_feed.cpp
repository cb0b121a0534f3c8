// What the document tells its station monitor: when measurement has settled, and how each cycle
// went, sensor by sensor.
#include "files/day_part_name.h"
#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"
#include "spectrum/resample.h"

namespace spectrel {

void CSpectrelDoc::NoteStationTick() {
  StationWatch.Refresh();
  if (StationWatch.State() != StationState::Starting) return;
  for (int i = 0; i < ModelCount; ++i)
    if (InUse(i) && Link(i).Status() == InfoNone) return;
  StationWatch.Measuring();
}

void CSpectrelDoc::ReportCycleToStation(const CycleResult& result, const DaySave& save) {
  const CKrfData& day = Store.Day();
  CycleStatus cycle;
  cycle.Stamp = result.Time;
  cycle.Stored = save.Stored;
  if (!cycle.Stored) cycle.Reason = save.Reason.empty() ? "day file not written" : save.Reason;
  for (int i = 0; i < ModelCount; ++i) {
    if (!InUse(i)) continue;
    SensorCycleStatus sensor;
    sensor.Model = ModelDisplayName(i);
    sensor.StatusText = Link(i).Text();
    sensor.UnitChanged = UnitChanges[static_cast<size_t>(i)];
    const auto& measured = result.Measured[static_cast<size_t>(i)];
    sensor.Ok = measured.has_value();
    if (measured) {
      sensor.ExposureMs = measured->ExposureMs;
      if (const SensorInfo* info = day.Info(i))
        sensor.Integral = SensorIntegral(*measured, *info, SettingsRef.IntegFrom, SettingsRef.IntegTo);
    }
    cycle.Sensors.push_back(std::move(sensor));
  }
  // The display grid is the point just completed (the status report resampled it).
  if (!Display.Empty()) cycle.Integral = Display.Integral(SettingsRef.IntegFrom, SettingsRef.IntegTo);
  const bool rateKnown = cycle.Stored && Now == MeasureState::Interval;
  // The points of the file the cycle went to: after a change of sensor unit, the day's part.
  const auto perDay = rateKnown ? EstimateBytesPerDay(SettingsRef, result.Time, Store.DayPoints(), DayPartOf(save.Path))
                                : std::nullopt;
  StationWatch.CycleCompleted(std::move(cycle), perDay);
}

}  // namespace spectrel
