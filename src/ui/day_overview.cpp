#include "ui/day_overview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "base/local_time.h"
#include "ui/day_overview_panels.h"
#include "ui/graph.h"

namespace spectrel {

namespace {

QString ClockText(std::int64_t t) { return QString::fromStdString(FormatLocal(t, "%H:%M")); }

// Drawing position of a time of the day in a panel, and back.
double XOf(const QRect& r, const DayOverviewData& d, std::int64_t t) {
  return r.left() + r.width() * static_cast<double>(t - d.DayStart()) / 86400.0;
}
std::int64_t TimeAt(const QRect& r, const DayOverviewData& d, int x) {
  return d.DayStart() + static_cast<std::int64_t>(86400.0 * (x - r.left()) / std::max(1, r.width()));
}

void DrawTimeAxis(QPainter& p, const QRect& r, int fontHeight) {
  for (int hour = 0; hour <= 24; hour += 3) {
    const int x = r.left() + r.width() * hour / 24;
    p.drawLine(x, r.bottom(), x, r.bottom() + fontHeight / 2);
    const QString label = QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
    p.drawText(QRect(x - fontHeight * 3, r.bottom() + fontHeight / 2, fontHeight * 6, fontHeight * 3 / 2),
               Qt::AlignHCenter | Qt::AlignTop, label);
  }
}

void DrawLinePanel(QPainter& p, const OverviewPanels& layout, const DayOverviewData& d, int pen) {
  const QRect& r = layout.Line;
  const double top = d.MaxIntegral > 0 ? d.MaxIntegral * 1.1 : 1.0;
  p.fillRect(r, Qt::white);
  // Stretches without a measurement.
  const auto gaps = d.Gaps();
  for (const auto& [from, to] : gaps)
    p.fillRect(QRectF(QPointF(XOf(r, d, from), r.top()), QPointF(XOf(r, d, to), r.bottom())), QColor(225, 225, 225));
  QPainterPath line;
  bool open = false;
  const std::vector<std::int64_t> gapEnds = SortedTimes(gaps, &TimeGaps::value_type::second);
  for (const OverviewPoint& point : d.Data()) {
    const QPointF at(XOf(r, d, point.Time), r.bottom() - r.height() * point.Integral / top);
    const bool afterGap = std::binary_search(gapEnds.begin(), gapEnds.end(), point.Time);
    if (!open || afterGap) line.moveTo(at); else line.lineTo(at);
    open = true;
  }
  p.setPen(QPen(QColor(0, 0, 160), pen));
  p.drawPath(line);
  // Failed points ringed in red; a lone point, which makes no line, as a dot.
  const double radius = layout.FontHeight / 3.0;
  for (const OverviewPoint& point : d.Data()) {
    if (!point.Failed && d.Count() > 1) continue;
    const QPointF at(XOf(r, d, point.Time), r.bottom() - r.height() * point.Integral / top);
    p.setPen(QPen(point.Failed ? Qt::red : QColor(0, 0, 160), pen));
    p.drawEllipse(at, radius, radius);
  }
  p.setPen(QPen(Qt::black, pen));
  p.drawRect(r);
  p.drawText(QRect(r.left(), r.top() - layout.FontHeight * 3 / 2, r.width(), layout.FontHeight * 3 / 2),
             Qt::AlignLeft | Qt::AlignBottom, CDayOverview::tr("Integral irradiance (W/m2), 0 - %1").arg(top, 0, 'f', 1));
  DrawTimeAxis(p, r, layout.FontHeight);
}

void DrawScale(QPainter& p, const OverviewPanels& layout, double maxValue, int pen) {
  const QRect& s = layout.Scale;
  for (int y = 0; y < s.height(); ++y)
    p.fillRect(QRect(s.left(), s.bottom() - y, s.width(), 1), ViridisColor(static_cast<double>(y) / std::max(1, s.height() - 1)));
  p.setPen(QPen(Qt::black, pen));
  p.drawRect(s);
  const QRect labels(s.right() + layout.FontHeight / 2, s.top() - layout.FontHeight, layout.FontHeight * 6,
                     s.height() + layout.FontHeight * 2);
  p.drawText(labels, Qt::AlignLeft | Qt::AlignTop, QString::number(maxValue, 'f', 1));
  p.drawText(labels, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("0"));
  p.drawText(labels, Qt::AlignLeft | Qt::AlignVCenter, CDayOverview::tr("W/m2/um"));
}

}  // namespace

CDayOverview::CDayOverview(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(320, 240);
  setObjectName(QStringLiteral("dayOverview"));
}

void CDayOverview::SetData(DayOverviewData data) {
  Day = std::move(data);
  Painted = SpectrogramBasis();
  Changed();
}

void CDayOverview::SetData(DayOverviewData data, QImage spectrogram) {
  Day = std::move(data);
  Spectrogram = std::move(spectrogram);
  Painted = SpectrogramBasis::Of(Day, Day.Gaps());
  update();
}

void CDayOverview::Changed() {
  TimeGaps gaps = Day.Gaps();
  if (!Spectrogram.isNull() && Painted.GrownInto(Day, gaps)) {
    // The last painted point now reaches up to its successor: it is painted again with the new ones.
    PaintSpectrogramColumns(Spectrogram, Day, gaps, Painted.Points - 1);
  } else {
    Spectrogram = SpectrogramImage(Day);
  }
  Painted = SpectrogramBasis::Of(Day, std::move(gaps));
  update();
}

void CDayOverview::Render(QPainter& p, const QRect& area) const {
  const OverviewPanels layout = LayoutOverview(area);
  const int dpi = p.device() != nullptr ? p.device()->logicalDpiY() : 0;
  const int pen = LinePenWidth(PaperFrameMm, dpi);
  p.save();
  p.fillRect(area, Qt::white);
  QFont font = p.font();
  font.setPixelSize(layout.FontHeight);
  p.setFont(font);
  DrawLinePanel(p, layout, Day, LinePenWidth(PaperCurveMm, dpi));
  const QRect& s = layout.Spectrogram;
  if (Spectrogram.isNull())
    p.fillRect(s, QColor(225, 225, 225));
  else
    p.drawImage(s, Spectrogram);
  p.setPen(QPen(Qt::black, pen));
  p.drawRect(s);
  DrawTimeAxis(p, s, layout.FontHeight);
  const QRect axisText(area.left(), s.top(), s.left() - area.left() - layout.FontHeight / 2, s.height());
  if (Day.Count() > 0 && !Spectrogram.isNull()) {
    p.drawText(axisText, Qt::AlignRight | Qt::AlignTop, QString::number(Day.MaxNm));
    p.drawText(axisText, Qt::AlignRight | Qt::AlignBottom, QString::number(Day.MinNm));
  }
  p.drawText(axisText, Qt::AlignRight | Qt::AlignVCenter, tr("nm"));
  DrawScale(p, layout, Day.MaxValue, pen);
  p.restore();
}

int CDayOverview::PointAt(const QPoint& at) const {
  const OverviewPanels layout = LayoutOverview(rect());
  for (const QRect& r : {layout.Line, layout.Spectrogram})
    if (r.contains(at)) return Day.Nearest(TimeAt(r, Day, at.x()));
  return -1;
}

QString CDayOverview::ReadingAt(const QPoint& at) const {
  const OverviewPanels layout = LayoutOverview(rect());
  const int index = PointAt(at);
  if (index < 0) return {};
  const OverviewPoint& point = Day.Data()[static_cast<size_t>(index)];
  const QString time = ClockText(point.Time);
  if (layout.Line.contains(at)) return tr("%1  integral %2 W/m2").arg(time).arg(point.Integral, 0, 'f', 1);
  const QRect& s = layout.Spectrogram;
  const int nm = Day.MaxNm - static_cast<int>((at.y() - s.top()) * (Day.MaxNm - Day.MinNm + 1.0) / std::max(1, s.height()));
  const int k = nm - point.StartNm;
  if (k < 0 || k >= static_cast<int>(point.Row.size())) return tr("%1  %2 nm  no value").arg(time).arg(nm);
  return tr("%1  %2 nm  %3 W/m2/um").arg(time).arg(nm).arg(point.Row[static_cast<size_t>(k)], 0, 'f', 2);
}

void CDayOverview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Render(painter, rect());
  if (!CursorText.isEmpty()) {
    painter.setPen(Qt::black);
    painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignRight | Qt::AlignTop, CursorText);
  }
}

void CDayOverview::mouseMoveEvent(QMouseEvent* event) {
  CursorText = ReadingAt(event->position().toPoint());
  update();
}

void CDayOverview::mousePressEvent(QMouseEvent* event) {
  const int index = PointAt(event->position().toPoint());
  if (index >= 0 && event->button() == Qt::LeftButton) emit PointChosen(index);
}

}  // namespace spectrel
