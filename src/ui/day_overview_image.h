// The spectrogram picture of a day: one column per minute of the local day, one row per nm
// (longest on top), viridis colours scaled to the day's largest value, grey where nothing was
// measured. Plain image work: any thread may make it.
#pragma once

#include <QImage>

#include <cstdint>
#include <utility>
#include <vector>

#include "ui/day_overview_data.h"

namespace spectrel {

using TimeGaps = std::vector<std::pair<std::int64_t, std::int64_t>>;

// The start (&TimeGaps::value_type::first) or end (second) times of the stretches, sorted.
std::vector<std::int64_t> SortedTimes(const TimeGaps& gaps, std::int64_t TimeGaps::value_type::*end);

// The whole picture; a null image for a day without a spectrum.
QImage SpectrogramImage(const DayOverviewData& day);

// Paints the columns of points from..Count()-1 into a picture made for the same day, wavelengths
// and largest value; gaps are the day's Gaps().
void PaintSpectrogramColumns(QImage& image, const DayOverviewData& day, const TimeGaps& gaps, int from);

// What a picture was painted for: whether later points can be painted into it alone.
struct SpectrogramBasis {
  int Points = 0;             // points painted
  std::int64_t FirstTime = 0; // time of the first, s UTC
  std::int64_t LastTime = 0;  // time of the last, s UTC
  int MinNm = 0;              // lowest row's wavelength, nm
  int MaxNm = 0;              // highest row's wavelength, nm
  double MaxValue = 0.0;      // value of the brightest colour, W/m2/um
  TimeGaps Gaps;              // stretches without measurement then

  static SpectrogramBasis Of(const DayOverviewData& day, TimeGaps gaps);
  // True when day is this one grown by later points that change no painted column but the last.
  bool GrownInto(const DayOverviewData& day, const TimeGaps& gaps) const;
};

}  // namespace spectrel
