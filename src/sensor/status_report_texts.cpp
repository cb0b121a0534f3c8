#include "sensor/status_report_texts.h"

namespace spectrel {

namespace {

constexpr ReportLineTexts English{
    "Exposure time : %dms\n",
    "Sensor Temp. : %.1fdeg\n",
    "Supply Volt. : %.1fV\n",
    "Supply Volt. : %.1fV\n",
    "Peltier Status : %s\n",
    "Peltier Volt.  : %.1fV\n",   // two blanks before the colon on the shorter-wavelength sensors
    "Peltier Volt. : %.1fV\n",
    "Peltier Curr. : %.1fA\n",
    "Dark Counts : %.1fcps\n",
    "Sensor Cooling : %s\n",
    "Fin Status : %s\n",
    "Fin Temp. : %.1fdeg\n",
    "Internal Temp. : %.1fdeg\n",
    "Internal Temp.2 : %.1fdeg\n",
    "Heating",
    "Cooling",
    "Stop",
    "Active",
    "Stop",
    "Normal",
    "Overheat",
};

constexpr ReportLineTexts Japanese{
    "蓄積時間 : %dms\n",
    "センサ温度 : %.1fdeg\n",
    "電源電圧   : %.1fV\n",   // three blanks on the shorter-wavelength sensors
    "電源電圧 : %.1fV\n",
    "ペルチェ駆動 : %s\n",
    "ペルチェ電圧 : %.1fV\n",
    "ペルチェ電圧 : %.1fV\n",
    "ペルチェ電流 : %.1fA\n",
    "ダーク幅 : %.1fcps\n",
    "センサ冷却 : %s\n",
    "放熱フィン : %s\n",
    "フィン温度 : %.1fdeg\n",
    "内部温度  : %.1fdeg\n",
    "内部温度2 : %.1fdeg\n",
    "加熱中",
    "冷却中",
    "停止中",
    "駆動中",
    "停止中",
    "正常",
    "過熱",
};

}  // namespace

const ReportLineTexts& ReportLines(Language language) {
  return language == Language::Japanese ? Japanese : English;
}

}  // namespace spectrel
