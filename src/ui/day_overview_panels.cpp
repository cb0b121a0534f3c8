#include "ui/day_overview_panels.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "ui/day_overview_data.h"
#include "ui/graph.h"

namespace spectrel {

OverviewPanels LayoutOverview(const QRect& area, int dpi) {
  OverviewPanels p;
  const int w = area.width();
  const int h = area.height();
  p.FontHeight = dpi >= PaperDpi ? static_cast<int>(std::lround(3.0 * dpi / 25.4)) : std::max(8, std::min(h / 40, w / 60));
  const int f = p.FontHeight;
  const int left = area.left() + f * 6;
  const int right = area.right() - f * 8;
  p.Caption = QRect(area.left() + f / 2, area.top() + f / 4, w - f, f * 3 / 2);
  const int top = p.Caption.bottom() + f * 2;
  const int legendTop = area.bottom() - f * 2;
  const int lineBottom = top + std::max(f * 3, (legendTop - top) * 30 / 100);
  const int specTop = lineBottom + f * 3;
  const int bottom = legendTop - f * 3;
  p.Line = QRect(QPoint(left, top), QPoint(right, lineBottom));
  p.Spectrogram = QRect(QPoint(left, specTop), QPoint(right, std::max(specTop + 1, bottom)));
  p.Scale = QRect(right + f, specTop, std::max(4, f * 2 / 3), p.Spectrogram.height());
  p.Legend = QRect(left, legendTop, right - left, f * 3 / 2);
  return p;
}

double TimeX(const QRect& r, const DayOverviewData& d, std::int64_t t) {
  const double length = static_cast<double>(std::max<std::int64_t>(1, d.DayEnd() - d.DayStart()));
  return r.left() + r.width() * static_cast<double>(t - d.DayStart()) / length;
}

std::int64_t TimeAtX(const QRect& r, const DayOverviewData& d, int x) {
  const double length = static_cast<double>(std::max<std::int64_t>(1, d.DayEnd() - d.DayStart()));
  return d.DayStart() + static_cast<std::int64_t>(length * (x - r.left()) / std::max(1, r.width()));
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
