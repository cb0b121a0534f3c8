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

const std::array<TextEntry, 16>& TextTable() {
  static const std::array<TextEntry, 16> table{{
      {TextStopQuestion, "Stop Interval Measurement", "インターバル計測を終了します"},
      {TextGettingInfo, "Getting the sensor information", "センサ情報を取得しています"},
      {TextMeasuring, "Measuring", "計測中"},
      {TextMeasureOk, "Measurement OK", "計測完了"},
      {TextMeasureFailed, "Measurement failed", "計測に失敗しました"},
      {TextRetrying, "Retrying measurement", "再計測しています"},
      {61454, "  ", "  "},
      {61455, "Error(Opening COM Port failed)", "エラー(COMポートを開けませんでした)"},
      {61456, "Error(Communication with the sensor failed)", "エラー(センサと通信できませんでした)"},
      {61457, "Error(Getting the sensor information failed)",
       "エラー(センサ情報を取得できませんでした)"},
      {61458, "Error(Sensor Name)", "エラー(センサ名)"},
      {61459, "Error(Getting the calibration value failed)", "エラー(校正値を取得できませんでした)"},
      {61460, "READY", "準備完了"},
      {TextIntervalTitle, "Interval Measurement", "インターバル計測"},
      {TextManualTitle, "Manual Measurement", "マニュアル計測"},
      {TextReconnecting, "Reconnecting", "再接続しています"},
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

std::string StatusMessage(int code, Language language) {
  if (code < InfoNone || code > InfoReady) return {};
  return MeasureText(TextInfoStatusFirst + code, language);
}

std::string ModelDisplayName(int model) {
  if (!ValidModel(model)) return {};
  return std::string(Models[static_cast<size_t>(model)].Name);
}

}  // namespace spectrel
