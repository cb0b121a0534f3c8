#include "measure/settings_options.h"

namespace spectrel {

namespace {
constexpr int IntervalMeasType = 0;   // "MEAS_TYPE" of interval measurement; 1 is manual
}  // namespace

CsvOptions CsvOptionsFrom(const AppSettings& settings) {
  CsvOptions options;
  options.OneNm = settings.CsvPitch == 1;
  options.From = settings.CsvFrom;
  options.To = settings.CsvTo;
  for (int model = 0; model < ModelCount; ++model)
    options.Sensor[static_cast<size_t>(model)] = settings.CsvSensor[static_cast<size_t>(model)] != 0;
  options.Merge = settings.CsvMerge != 0;
  return options;
}

ReportOptions ReportOptionsFrom(const AppSettings& settings) {
  return {settings.DispMode == 0, settings.IntegFrom, settings.IntegTo};
}

ModelSet UsedModels(const AppSettings& settings) {
  ModelSet used{};
  for (int model = 0; model < ModelCount; ++model)
    used[static_cast<size_t>(model)] = settings.UseSensor[static_cast<size_t>(model)] == 1;
  return used;
}

bool CsvWanted(const AppSettings& settings) { return settings.SaveCsv == 1; }

void KeepMeasureMode(AppSettings& settings, MeasureMode mode) {
  settings.MeasType = mode == MeasureMode::Interval ? IntervalMeasType : 1;
}

MeasureMode LastMeasureMode(const AppSettings& settings) {
  return settings.MeasType == IntervalMeasType ? MeasureMode::Interval : MeasureMode::Manual;
}

}  // namespace spectrel
