// The status report of one measurement point: a section per sensor, the integral line, the time
// and the memo, in English or (when the process locale is Japanese) Japanese.
#pragma once

#include <string>

#include "spectrum/resample.h"

namespace spectrel {

enum class Language { English, Japanese };

// Japanese when the process locale (LC_ALL, LC_MESSAGES or LANG, first set wins) starts with "ja".
Language ProcessLanguage();

// What the report shows besides the measurement itself.
struct ReportOptions {
  bool Detail = false;   // the detailed sensor sections (Peltier, fin, dark spread)
  int IntegFrom = 0;     // lower limit of the integral irradiance, nm
  int IntegTo = 0;       // upper limit of the integral irradiance, nm
};

struct ReportTexts {
  std::string Report;     // the sensor sections, "\n"-terminated lines
  std::string Integral;   // "Integral : %.1fW/m2(%d - %dnm)"
  std::string Time;       // "%Y/%m/%d  %H:%M:%S" local time
  std::string Memo;       // the point's memo
};

// Builds the texts for CRad index of the set and resamples it into display. An index outside the
// array, or a time that cannot be converted to local time, throws std::invalid_argument.
void BuildReport(const CKrfData& set, int index, const ReportOptions& options, CResample& display,
                 ReportTexts& texts, Language language);

}  // namespace spectrel
