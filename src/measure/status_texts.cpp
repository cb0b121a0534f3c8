#include "measure/status_texts.h"

#include <array>

#include "spectrum/model_table.h"

namespace spectrel {
namespace {

struct TextEntry {
  int Id;
  std::string English;
  std::string Japanese;
};

const std::array<TextEntry, 15>& TextTable() {
  static const std::array<TextEntry, 15> table{{
      {TextStopQuestion, "Stop Interval Measurement", "インターバル測定を停止します"},
      {TextGettingInfo, "Getting the sensor information", "センサー情報を取得しています"},
      {TextMeasuring, "Measuring", "測定中"},
      {TextMeasureOk, "Measurement OK", "測定完了"},
      {TextMeasureFailed, "Measurement failed", "測定に失敗しました"},
      {TextRetrying, "Retrying measurement", "再測定しています"},
      {61454, "  ", "  "},
      {61455, "Error(Opening COM Port failed)", "エラー(COMポートを開けませんでした)"},
      {61456, "Error(Communication with the sensor failed)", "エラー(センサーと通信できませんでした)"},
      {61457, "Error(Getting the sensor information failed)",
       "エラー(センサー情報を取得できませんでした)"},
      {61458, "Error(Sensor Name)", "エラー(センサー名)"},
      {61459, "Error(Getting the calibration value failed)", "エラー(校正値を取得できませんでした)"},
      {61460, "READY", "準備完了"},
      {TextIntervalTitle, "Interval Measurement", "インターバル測定"},
      {TextManualTitle, "Manual Measurement", "手動測定"},
  }};
  return table;
}

}  // namespace

const std::string& MeasureText(int id, Language language) {
  static const std::string none;
  for (const TextEntry& entry : TextTable()) {
    if (entry.Id == id) return language == Language::Japanese ? entry.Japanese : entry.English;
  }
  return none;
}

std::string ModelDisplayName(int model) {
  if (!ValidModel(model)) return {};
  return std::string(Models[static_cast<size_t>(model)].Name);
}

}  // namespace spectrel
