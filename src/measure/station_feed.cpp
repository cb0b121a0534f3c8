// What the document tells its station monitor: when measurement has settled, and how each cycle
// went, sensor by sensor.
#include "measure/spectrel_doc.h"

namespace spectrel {

void CSpectrelDoc::NoteStationTick() {
  if (StationWatch.State() != StationState::Starting) return;
  for (int i = 0; i < ModelCount; ++i)
    if (SettingsRef.UseSensor[static_cast<size_t>(i)] == 1 && Driver(i).InfoStatus.load() == InfoNone) return;
  StationWatch.Measuring();
}

void CSpectrelDoc::ReportCycleToStation(int index) {
  const CRad& rad = DayDataSet.Rad(index);
  CycleStatus cycle;
  cycle.Stamp = rad.MeasureTime;
  cycle.Stored = !LastDayFilePath.empty();
  if (!cycle.Stored) cycle.Reason = NotStoredReason.empty() ? "day file not written" : NotStoredReason;
  for (int i = 0; i < ModelCount; ++i) {
    if (SettingsRef.UseSensor[static_cast<size_t>(i)] != 1) continue;
    SensorCycleStatus sensor;
    sensor.Model = std::string(Models[static_cast<size_t>(i)].Name);
    sensor.StatusText = StatusText(i);
    const SensorMeasurement* block = rad.Block(i);
    const SensorInfo* info = DayDataSet.Info(i);
    sensor.Ok = block != nullptr;
    if (block != nullptr) {
      sensor.ExposureMs = block->ExposureMs;
      if (info != nullptr) sensor.Integral = SensorIntegral(*block, *info, SettingsRef.IntegFrom, SettingsRef.IntegTo);
    }
    cycle.Sensors.push_back(std::move(sensor));
  }
  const auto perDay = cycle.Stored ? EstimateBytesPerDay(SettingsRef, rad.MeasureTime, DayDataSet.RadCount())
                                   : std::nullopt;
  StationWatch.CycleCompleted(std::move(cycle), perDay);
}

}  // namespace spectrel
