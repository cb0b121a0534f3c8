// Where the parts of the day overview lie in a drawing area, where a time of the local day lies
// across a panel, and the colours of its scale.
#pragma once

#include <QColor>
#include <QRect>

#include <cstdint>

namespace spectrel {

class DayOverviewData;

struct OverviewPanels {
  QRect Caption;      // date, station, file and time zone
  QRect Line;         // the integral line panel
  QRect Spectrogram;  // the time x wavelength panel below it
  QRect Scale;        // the colour scale beside the spectrogram
  QRect Legend;       // what the marks mean, below everything
  int FontHeight = 0; // text height, units of the area
};

// dotsPerInch of the device: on paper (300 and finer) the text is 3 mm high whatever the page.
OverviewPanels LayoutOverview(const QRect& area, int dotsPerInch = 96);

// Drawing position of a time across a panel spanning the day's local day, and back.
double TimeX(const QRect& panel, const DayOverviewData& day, std::int64_t t);
std::int64_t TimeAtX(const QRect& panel, const DayOverviewData& day, int x);

// The perceptual colour of a value from 0 (lowest) to 1 (highest); values outside are clamped.
QColor ViridisColor(double fraction);

}  // namespace spectrel
