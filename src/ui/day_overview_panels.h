// Where the parts of the day overview lie in a drawing area, and the colours of its scale.
#pragma once

#include <QColor>
#include <QRect>

namespace spectrel {

struct OverviewPanels {
  QRect Line;         // the integral line panel
  QRect Spectrogram;  // the time x wavelength panel below it
  QRect Scale;        // the colour scale beside the spectrogram
  int FontHeight = 0; // text height, pixels of the area
};

OverviewPanels LayoutOverview(const QRect& area);

// The perceptual colour of a value from 0 (lowest) to 1 (highest); values outside are clamped.
QColor ViridisColor(double fraction);

inline constexpr int MinutesPerDay = 1440;

}  // namespace spectrel
