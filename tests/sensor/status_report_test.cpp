// The texts built from the sensors' values: the status report shown beside the graph and the
// probe's report for a person or a script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>

#include "sensor/status_report.h"
#include "support/hand_made.h"
#include "support/comma_locale.h"
#include "support/temp_dir.h"

namespace spectrel {
namespace {

using testing::HandSet;
using testing::ScopedEnv;

SensorMeasurement Block(int model, int ms, std::initializer_list<int> ints,
                        std::initializer_list<float> floats, float dark = 0.0f) {
  SensorMeasurement m(model);
  m.ExposureMs = ms;
  std::copy(ints.begin(), ints.end(), m.StatusInt.begin());
  std::copy(floats.begin(), floats.end(), m.StatusFloat.begin());
  std::fill(m.Dark.begin(), m.Dark.end(), dark);
  return m;
}

// Status values chosen so that every "%.1f" has one obvious rounding; irradiance 1000 W/m2/um
// everywhere (light = dark + 1000, calibration 1).
SensorMeasurement Sr101Block() {
  SensorMeasurement m = Block(SR101, 100, {1}, {25.3f, 12.1f, 1.2f, 3.4f});
  for (size_t k = 0; k < m.Dark.size(); ++k) m.Dark[k] = 500.5f + static_cast<float>(k % 8) * 0.25f;
  m.Dark[700] = 512.875f;  // spread from 500.5: 12.375
  for (size_t k = 0; k < m.Dark.size(); ++k) m.Light[k] = m.Dark[k] + 1000.0f;
  return m;
}
// Cooling and fin are normal only at 0; the Peltier stops unless heating (1) or cooling (-1).
SensorMeasurement Sr103Block() {
  return Block(SR103, 200, {0, -2, 2, -1}, {-5.5f, 31.2f, 28.7f, 11.9f, 0.8f, 2.6f}, 100.0f);
}
SensorMeasurement Sr104Block() {
  SensorMeasurement m = Block(SR104, 30, {0, 0, 0, 2}, {-10.0f, 30.0f, 27.5f, 12.0f, 0.5f, 1.5f, 26.5f});
  for (size_t k = 0; k < m.Dark.size(); ++k) m.Dark[k] = -3.125f - static_cast<float>(k % 5);
  m.Dark[9] = -20.5f;  // all negative: spread from -20.5 to -3.125 is 17.375
  return m;
}

class Report : public ::testing::Test {
 protected:
  // A point at 2023-11-14 22:13:20 UTC unless told otherwise.
  int Point(std::initializer_list<SensorMeasurement> blocks, std::int64_t time = 1700000000) {
    for (const auto& b : blocks) hand.Block(b);
    hand.Point.Memo = "roof, clear sky";
    return hand.Append(time);
  }
  ReportTexts Build(int j, Language language = Language::English) {
    ReportTexts texts;
    BuildReport(hand.Set, j, settings, display, texts, language);
    return texts;
  }
  HandSet hand = testing::FourAxes();   // SR-101 alone: grid 301 .. 1067 nm
  ReportOptions settings{false, 300, 1800};
  CResample display;
  ScopedEnv zone{"TZ", "UTC0"};
};

const char* const Sr101Normal =
    "--- SR-101 ---\n"
    "Exposure time : 100ms\n"
    "Sensor Temp. : 25.3deg\n"
    "Supply Volt. : 12.1V\n";

TEST_F(Report, Sr101ReportHasFourLinesMoreInDetailInEveryLocaleNoneWithoutBlocks) {
  const int j = Point({Sr101Block()});
  ReportTexts t = Build(j);
  EXPECT_EQ(t.Report, Sr101Normal);
  EXPECT_EQ(t.Integral, "Integral : 767.0W/m2(300 - 1800nm)");  // 301..1067 nm, all whole
  EXPECT_EQ(t.Time, "2023/11/14  22:13:20");
  EXPECT_EQ(t.Memo, "roof, clear sky");
  settings.Detail = true;
  settings.IntegFrom = 400;
  settings.IntegTo = 500;
  const std::string detail = std::string(Sr101Normal) +
                             "Peltier Status : Heating\n"
                             "Peltier Volt.  : 3.4V\n"
                             "Peltier Curr. : 1.2A\n"
                             "Dark Counts : 12.4cps\n";
  EXPECT_EQ(Build(j).Report, detail);
  EXPECT_EQ(Build(j).Integral, "Integral : 100.0W/m2(400 - 500nm)");
  // A point without blocks, and one whose time cannot be shown.
  t = Build(Point({}));
  EXPECT_EQ(t.Report, "");
  EXPECT_EQ(t.Integral, "Integral : 0.0W/m2(400 - 500nm)");
  EXPECT_TRUE(display.Empty());
  // Night: the dark signal a little above the light gives a small negative integral, shown as 0.0.
  SensorMeasurement night = Sr101Block();
  for (size_t k = 0; k < night.Light.size(); ++k) night.Light[k] = night.Dark[k] - 0.0002f;
  EXPECT_EQ(Build(Point({night})).Integral, "Integral : 0.0W/m2(400 - 500nm)");
  const int farFuture = Point({Sr101Block()}, std::numeric_limits<std::int64_t>::max());
  EXPECT_THROW(Build(farFuture), std::invalid_argument);
  testing::CommaLocale comma;   // numbers keep their full stop, in the report and the integral alike
  if (!comma.Active()) return;
  EXPECT_EQ(Build(j).Report, detail);
}

TEST_F(Report, LongWavelengthSectionsInDetailInModelOrderInEitherLanguage) {
  settings.Detail = true;
  EXPECT_EQ(Build(Point({Sr104Block(), Sr103Block()})).Report,
            "--- SR-103 ---\n"
            "Exposure time : 200ms\n"
            "Sensor Temp. : -5.5deg\n"
            "Sensor Cooling : Stop\n"
            "Supply Volt. : 11.9V\n"
            "Fin Status : Overheat\n"
            "Fin Temp. : 31.2deg\n"
            "Internal Temp. : 28.7deg\n"
            "Peltier Status : Cooling\n"
            "Peltier Volt. : 2.6V\n"
            "Peltier Curr. : 0.8A\n"
            "Dark Counts : 0.0cps\n"
            "--- SR-104 ---\n"
            "Exposure time : 30ms\n"
            "Sensor Temp. : -10.0deg\n"
            "Sensor Cooling : Active\n"
            "Supply Volt. : 12.0V\n"
            "Fin Status : Normal\n"
            "Fin Temp. : 30.0deg\n"
            "Internal Temp. : 27.5deg\n"
            "Internal Temp.2 : 26.5deg\n"
            "Peltier Status : Stop\n"
            "Peltier Volt. : 1.5V\n"
            "Peltier Curr. : 0.5A\n"
            "Dark Counts : 17.4cps\n");
  // Japanese labels and state words around the same values, with the states on the other sides
  // of zero than above: still stopped, overheated and stopped.
  SensorMeasurement sr103 = Sr103Block();
  sr103.StatusInt = {0, 2, -2, -1};
  SensorMeasurement sr104 = Sr104Block();
  sr104.StatusInt[3] = -2;
  const int j = Point({Sr101Block(), sr104, sr103});
  const std::string en = Build(j).Report, ja = Build(j, Language::Japanese).Report;
  EXPECT_EQ(std::count(ja.begin(), ja.end(), '\n'), std::count(en.begin(), en.end(), '\n'));
  EXPECT_EQ(ja.find("Temp."), std::string::npos);
  // Headers stay English; every state word of each section in its language.
  for (const char* line : {"--- SR-101 ---\n蓄積時間 : 100ms\n", "ペルチェ駆動 : 加熱中\n", "ダーク幅 : 12.4cps\n",
                           "--- SR-103 ---\n", "センサ冷却 : 停止中\n", "放熱フィン : 過熱\n", "ペルチェ駆動 : 冷却中\n",
                           "センサ冷却 : 駆動中\n", "放熱フィン : 正常\n", "内部温度2 : 26.5deg\n", "ペルチェ駆動 : 停止中\n"})
    EXPECT_NE(ja.find(line), std::string::npos) << line;
  EXPECT_EQ(Build(j, Language::Japanese).Integral, Build(j).Integral);
}

TEST(ProcessLanguage, FirstSetVariableDecides) {
  struct Case {
    const char *All, *Messages, *Lang;
    Language Expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, "ja_JP.UTF-8", Language::Japanese}, {"", "", "ja_JP.UTF-8", Language::Japanese},
      {"C", nullptr, "ja_JP.UTF-8", Language::English}, {nullptr, "ja_JP.eucJP", "en_US.UTF-8", Language::Japanese},
      {"ja", "en_US.UTF-8", "en_US.UTF-8", Language::Japanese}, {nullptr, "en_GB.UTF-8", "ja_JP.UTF-8", Language::English},
      {nullptr, nullptr, nullptr, Language::English}, {nullptr, nullptr, "en_JA", Language::English},
  };
  for (const Case& c : cases) {
    ScopedEnv all("LC_ALL", c.All), messages("LC_MESSAGES", c.Messages), lang("LANG", c.Lang);
    EXPECT_EQ(ProcessLanguage(), c.Expected) << (c.All ? c.All : "-") << " " << (c.Messages ? c.Messages : "-")
                                             << " " << (c.Lang ? c.Lang : "-");
  }
}

}  // namespace
}  // namespace spectrel
