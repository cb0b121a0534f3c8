#include "ui/day_overview_panels.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace spectrel {

OverviewPanels LayoutOverview(const QRect& area) {
  OverviewPanels p;
  const int w = area.width();
  const int h = area.height();
  p.FontHeight = std::max(8, h / 40);
  const int left = area.left() + p.FontHeight * 6;
  const int right = area.right() - p.FontHeight * 9;
  const int top = area.top() + p.FontHeight * 2;
  const int lineBottom = area.top() + h * 32 / 100;
  const int specTop = lineBottom + p.FontHeight * 3;
  const int bottom = area.bottom() - p.FontHeight * 3;
  p.Line = QRect(QPoint(left, top), QPoint(right, lineBottom));
  p.Spectrogram = QRect(QPoint(left, specTop), QPoint(right, std::max(specTop + 1, bottom)));
  p.Scale = QRect(right + p.FontHeight, specTop, std::max(4, w / 60), p.Spectrogram.height());
  return p;
}

QColor ViridisColor(double fraction) {
  // Nine stops of the viridis map, evenly spaced.
  static constexpr std::array<std::array<int, 3>, 9> Stops{{{68, 1, 84},
                                                            {71, 45, 123},
                                                            {59, 82, 139},
                                                            {44, 114, 142},
                                                            {33, 145, 140},
                                                            {40, 174, 128},
                                                            {94, 201, 98},
                                                            {173, 220, 48},
                                                            {253, 231, 37}}};
  const double f = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) * 8.0 : 0.0;
  const int i = std::min(7, static_cast<int>(f));
  const double t = f - i;
  auto mix = [&](int c) { return static_cast<int>(std::lround(Stops[i][c] + (Stops[i + 1][c] - Stops[i][c]) * t)); };
  return QColor(mix(0), mix(1), mix(2));
}

}  // namespace spectrel
