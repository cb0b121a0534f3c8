// The drawing of the day overview on any painter: caption, line panel, spectrogram, colour scale,
// the mark of the shown point and the legend, every axis ticked with labels that have their room.
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "ui/axis_ticks.h"
#include "ui/day_overview.h"
#include "ui/day_overview_panels.h"
#include "ui/graph.h"

namespace spectrel {

namespace {

const QColor NoMeasurement(225, 225, 225);
const QColor LineColor(0, 0, 160);
const QColor ShownColor(230, 110, 0);

// Hour ticks of the local day under a panel: every 1, 2, 3, 6 or 12 hours of the axis's clock
// (the station's, with the repeated or missing hour of a change of clocks drawn as it was; or
// UTC's), as many as have room.
void DrawTimeAxis(QPainter& p, const QRect& r, const DayOverviewData& d, bool utc, int f) {
  const double hours = static_cast<double>(std::max<std::int64_t>(3600, d.DayEnd() - d.DayStart())) / 3600.0;
  const int labelRoom = p.fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + f;
  int step = 1;
  for (int candidate : {1, 2, 3, 6, 12}) {
    step = candidate;
    if (hours / candidate * labelRoom <= r.width()) break;
  }
  for (const HourTick& tick : d.HourTicks(utc)) {
    const int x = static_cast<int>(std::lround(TimeX(r, d, tick.Time)));
    const bool labelled = tick.Hour % step == 0;
    p.drawLine(x, r.bottom(), x, r.bottom() + (labelled ? f / 2 : f / 4));
    if (labelled)
      p.drawText(QRect(x - labelRoom, r.bottom() + f / 2, labelRoom * 2, f * 3 / 2), Qt::AlignHCenter | Qt::AlignTop,
                 QString::fromStdString(tick.Label));
  }
}

// Value ticks up the left side of a panel from min (bottom) to max (top).
void DrawValueAxis(QPainter& p, const QRect& r, double min, double max, double step, int f) {
  for (double v : TickValues(min, max, step)) {
    const int y = static_cast<int>(std::lround(r.bottom() - r.height() * (v - min) / (max - min)));
    p.drawLine(r.left() - f / 2, y, r.left(), y);
    p.drawText(QRect(r.left() - f * 6, y - f, f * 6 - f * 2 / 3, f * 2), Qt::AlignRight | Qt::AlignVCenter, TickLabel(v, step));
  }
}

// The line's range: from 0 (or the lowest value, where dark exceeded light) to a tenth above the
// highest; a day of zeros gets 0..1.
std::pair<double, double> LineRange(const DayOverviewData& d) {
  const double low = std::min(0.0, d.MinIntegral * 1.1);
  const double high = d.MaxIntegral > 0 ? d.MaxIntegral * 1.1 : (low < 0 ? 0.0 : 1.0);
  return {low, high};
}

QPointF LinePoint(const QRect& r, const DayOverviewData& d, const OverviewPoint& point) {
  const auto [low, high] = LineRange(d);
  return {TimeX(r, d, point.Time), r.bottom() - r.height() * (point.Integral - low) / (high - low)};
}

}  // namespace

void CDayOverview::Render(QPainter& p, const QRect& area) const {
  const int dpi = p.device() != nullptr ? p.device()->logicalDpiY() : 0;
  const OverviewPanels layout = LayoutOverview(area, dpi);
  const int pen = LinePenWidth(PaperFrameMm, dpi);
  p.save();
  p.fillRect(area, Qt::white);
  QFont font = p.font();
  font.setPixelSize(layout.FontHeight);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(layout.Caption, Qt::AlignLeft | Qt::AlignVCenter, Caption());
  DrawLinePanel(p, layout, pen);
  DrawSpectrogramPanel(p, layout, pen);
  DrawScale(p, layout, pen);
  DrawShown(p, layout, pen);
  DrawLegend(p, layout, pen);
  if (!NoticeText.isEmpty()) {
    const QRect box = layout.Line.adjusted(layout.FontHeight, layout.FontHeight, -layout.FontHeight, -layout.FontHeight);
    p.setPen(QPen(QColor(170, 0, 0), pen));
    p.setBrush(QColor(255, 245, 215));
    p.drawRect(box);
    p.drawText(box.adjusted(layout.FontHeight / 2, 0, -layout.FontHeight / 2, 0), Qt::AlignCenter | Qt::TextWordWrap, NoticeText);
  }
  p.restore();
}

void CDayOverview::DrawLinePanel(QPainter& p, const OverviewPanels& layout, int pen) const {
  const QRect& r = layout.Line;
  const int f = layout.FontHeight;
  p.fillRect(r, Qt::white);
  const auto gaps = Day.Gaps();
  for (const auto& [from, to] : gaps)
    p.fillRect(QRectF(QPointF(TimeX(r, Day, from), r.top()), QPointF(TimeX(r, Day, to), r.bottom())), NoMeasurement);
  QPainterPath line;
  bool open = false;
  const std::vector<std::int64_t> gapEnds = SortedTimes(gaps, &TimeGaps::value_type::second);
  for (const OverviewPoint& point : Day.Data()) {
    const QPointF at = LinePoint(r, Day, point);
    const bool afterGap = std::binary_search(gapEnds.begin(), gapEnds.end(), point.Time);
    if (!open || afterGap) line.moveTo(at); else line.lineTo(at);
    open = true;
  }
  p.save();
  p.setClipRect(r);
  p.setPen(QPen(LineColor, LinePenWidth(PaperCurveMm, p.device() != nullptr ? p.device()->logicalDpiY() : 0)));
  p.setBrush(Qt::NoBrush);
  p.drawPath(line);
  // Failed points ringed in red, small enough that a day of them leaves the line readable; a
  // lone point, which makes no line, as a dot.
  const double radius = std::max(2.0, f / 4.0);
  for (const OverviewPoint& point : Day.Data()) {
    if (!point.Failed && Day.Count() > 1) continue;
    p.setPen(QPen(point.Failed ? Qt::red : LineColor, pen));
    p.drawEllipse(LinePoint(r, Day, point), radius, radius);
  }
  p.restore();
  p.setPen(QPen(Qt::black, pen));
  p.drawRect(r);
  const auto [low, high] = LineRange(Day);
  DrawValueAxis(p, r, low, high, StepForRoom(high - low, r.height(), f * 2.0), f);
  p.drawText(QRect(r.left(), r.top() - f * 3 / 2, r.width(), f * 3 / 2), Qt::AlignLeft | Qt::AlignBottom,
             tr("Integral irradiance (W/m2)"));
  DrawTimeAxis(p, r, Day, UtcAxis, f);
}

void CDayOverview::DrawSpectrogramPanel(QPainter& p, const OverviewPanels& layout, int pen) const {
  const QRect& s = layout.Spectrogram;
  const int f = layout.FontHeight;
  if (Spectrogram.isNull()) p.fillRect(s, NoMeasurement); else p.drawImage(s, Spectrogram);
  p.setPen(QPen(Qt::black, pen));
  p.setBrush(Qt::NoBrush);
  p.drawRect(s);
  DrawTimeAxis(p, s, Day, UtcAxis, f);
  p.drawText(QRect(s.left(), s.top() - f * 3 / 2, s.width(), f * 3 / 2), Qt::AlignLeft | Qt::AlignBottom,
             tr("Wavelength (nm)"));
  // Both panels share the time axis; its clock is named once, over the middle of the lower one
  // (the colour scale's unit stands over its right end).
  p.drawText(QRect(s.left(), s.top() - f * 3 / 2, s.width(), f * 3 / 2), Qt::AlignHCenter | Qt::AlignBottom,
             tr("Time: %1").arg(AxisZoneName()));
  if (Day.Count() == 0 || Spectrogram.isNull()) return;
  // The graph's wavelength step, coarser when the panel is short. Rows are whole nm, the
  // longest on top: nm n fills the row MaxNm - n.
  const double rows = Day.MaxNm - Day.MinNm + 1.0;
  const double step = StepForRoom(rows, s.height(), f * 1.6);
  for (double nm : TickValues(Day.MinNm, Day.MaxNm, step)) {
    const int y = static_cast<int>(std::lround(s.top() + s.height() * (Day.MaxNm - nm + 0.5) / rows));
    p.drawLine(s.left() - f / 2, y, s.left(), y);
    p.drawText(QRect(s.left() - f * 6, y - f, f * 6 - f * 2 / 3, f * 2), Qt::AlignRight | Qt::AlignVCenter, TickLabel(nm, step));
  }
}

void CDayOverview::DrawScale(QPainter& p, const OverviewPanels& layout, int pen) const {
  const QRect& s = layout.Scale;
  const int f = layout.FontHeight;
  for (int y = 0; y < s.height(); ++y)
    p.fillRect(QRect(s.left(), s.bottom() - y, s.width(), 1), ViridisColor(static_cast<double>(y) / std::max(1, s.height() - 1)));
  p.setPen(QPen(Qt::black, pen));
  p.setBrush(Qt::NoBrush);
  p.drawRect(s);
  p.drawText(QRect(s.left() - f * 3, s.top() - f * 3 / 2, f * 10, f * 3 / 2), Qt::AlignLeft | Qt::AlignBottom, tr("W/m2/um"));
  if (!(Day.MaxValue > 0)) return;
  const double step = StepForRoom(Day.MaxValue, s.height(), f * 1.6);
  for (double v : TickValues(0.0, Day.MaxValue, step)) {
    const int y = static_cast<int>(std::lround(s.bottom() - s.height() * v / Day.MaxValue));
    p.drawLine(s.right(), y, s.right() + f / 3, y);
    p.drawText(QRect(s.right() + f / 2, y - f, f * 6, f * 2), Qt::AlignLeft | Qt::AlignVCenter, TickLabel(v, step));
  }
}

void CDayOverview::DrawShown(QPainter& p, const OverviewPanels& layout, int pen) const {
  if (ShownIndex < 0 || ShownIndex >= Day.Count()) return;
  const OverviewPoint& point = Day.Data()[static_cast<size_t>(ShownIndex)];
  p.setPen(QPen(ShownColor, std::max(2, pen * 2), Qt::DashLine));
  for (const QRect& r : {layout.Line, layout.Spectrogram}) {
    const double x = TimeX(r, Day, point.Time);
    p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
  }
}

void CDayOverview::DrawLegend(QPainter& p, const OverviewPanels& layout, int pen) const {
  const QRect& r = layout.Legend;
  const int f = layout.FontHeight;
  int x = r.left();
  const int mid = r.center().y();
  auto label = [&](const QString& text) {
    p.setPen(Qt::black);
    const int width = p.fontMetrics().horizontalAdvance(text);
    p.drawText(QRect(x, r.top(), width + f, r.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
    x += width + f * 2;
  };
  p.setPen(QPen(LineColor, std::max(2, pen * 2)));
  p.drawLine(x, mid, x + f * 2, mid);
  x += f * 2 + f / 2;
  label(tr("integral"));
  p.setPen(QPen(Qt::red, pen));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(x + f / 2.0, mid), std::max(2.0, f / 4.0), std::max(2.0, f / 4.0));
  x += f + f / 2;
  label(tr("a sensor failed"));
  p.fillRect(QRect(x, mid - f / 2, f * 2, f), NoMeasurement);
  x += f * 2 + f / 2;
  label(tr("no measurement"));
  p.setPen(QPen(ShownColor, std::max(2, pen * 2), Qt::DashLine));
  p.drawLine(x + f / 2, r.top(), x + f / 2, r.bottom());
  x += f + f / 2;
  label(tr("shown in the graph"));
}

}  // namespace spectrel
