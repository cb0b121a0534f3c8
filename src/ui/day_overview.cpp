#include "ui/day_overview.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "ui/day_overview_panels.h"

namespace spectrel {

CDayOverview::CDayOverview(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setMinimumSize(320, 240);
  setObjectName(QStringLiteral("dayOverview"));
}

void CDayOverview::SetData(DayOverviewData data) {
  Day = std::move(data);
  Painted = SpectrogramBasis();
  CursorText.clear();   // the reading belonged to the day before
  ShownIndex = -1;
  Changed();
}

void CDayOverview::SetData(DayOverviewData data, QImage spectrogram) {
  Day = std::move(data);
  Spectrogram = std::move(spectrogram);
  Painted = SpectrogramBasis::Of(Day, Day.Gaps());
  CursorText.clear();
  ShownIndex = -1;
  update();
  emit DayChanged();
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
  emit DayChanged();
}

void CDayOverview::SetFileName(const QString& name) {
  FileName = name;
  update();
}

void CDayOverview::SetNotice(const QString& notice) {
  NoticeText = notice;
  update();
}

void CDayOverview::SetShown(int index) {
  ShownIndex = index;
  update();
}

void CDayOverview::SetLiveMarker(bool offered) {
  LiveOffered = offered;
  update();
}

QRect CDayOverview::LiveMarkerRect() const {
  const OverviewPanels layout = LayoutOverview(rect());
  const int f = layout.FontHeight;
  const int width = fontMetrics().horizontalAdvance(tr("Live")) + f * 2;
  return QRect(layout.Line.right() - width, layout.Line.top() - f * 3 / 2 - 2, width, f * 3 / 2);
}

void CDayOverview::SetUtcAxis(bool utc) {
  UtcAxis = utc;
  update();
}

QString CDayOverview::AxisZoneName() const {
  return UtcAxis ? QStringLiteral("UTC") : QString::fromStdString(Day.TimeZone().Name());
}

QString CDayOverview::Caption() const {
  // The date of the station's local day; its zone, and the offset the file itself gives.
  const QString date = Day.Count() > 0
                           ? QString::fromStdString(FormatClock(Day.TimeZone().ClockAt(Day.DayStart()), "%Y/%m/%d"))
                           : tr("No points");
  const QString site = Day.Site.empty() ? QStringLiteral("-") : QString::fromStdString(Day.Site);
  const QString zone = QString::fromStdString(Day.TimeZone().Name()) +
                       (Day.ZoneText.empty() ? QString() : QStringLiteral(" (UTC%1 h)").arg(QString::fromStdString(Day.ZoneText)));
  return tr("%1   Station: %2   File: %3   Time zone: %4")
      .arg(date, site, FileName.isEmpty() ? QStringLiteral("-") : FileName, zone);
}

int CDayOverview::PointAt(const QPoint& at) const {
  const OverviewPanels layout = LayoutOverview(rect());
  for (const QRect& r : {layout.Line, layout.Spectrogram})
    if (r.contains(at)) return Day.Nearest(TimeAtX(r, Day, at.x()));
  return -1;
}

QString CDayOverview::ReadingAt(const QPoint& at) const {
  const OverviewPanels layout = LayoutOverview(rect());
  const int index = PointAt(at);
  if (index < 0) return {};
  const OverviewPoint& point = Day.Data()[static_cast<size_t>(index)];
  const QString time = QString::fromStdString(Day.ClockText(point.Time, UtcAxis));
  if (layout.Line.contains(at)) return tr("%1  integral %2 W/m2").arg(time).arg(point.Integral, 0, 'f', 1);
  const QRect& s = layout.Spectrogram;
  const int nm = Day.MaxNm - static_cast<int>((at.y() - s.top()) * (Day.MaxNm - Day.MinNm + 1.0) / std::max(1, s.height()));
  const int k = nm - point.StartNm;
  if (k < 0 || k >= static_cast<int>(point.Row.size())) return tr("%1  %2 nm  no value").arg(time).arg(nm);
  return tr("%1  %2 nm  %3 W/m2/um").arg(time).arg(nm).arg(point.Row[static_cast<size_t>(k)], 0, 'g', 4);
}

void CDayOverview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Render(painter, rect());
  const OverviewPanels layout = LayoutOverview(rect());
  const int f = layout.FontHeight;
  if (!CursorText.isEmpty()) {
    // Right of the line panel's title, left of the marker.
    const int room = layout.Line.width() - (LiveOffered ? LiveMarkerRect().width() + f : 0);
    painter.setPen(Qt::black);
    painter.drawText(QRect(layout.Line.left(), layout.Line.top() - f * 3 / 2, room, f * 3 / 2),
                     Qt::AlignRight | Qt::AlignBottom, CursorText);
  }
  if (LiveOffered) {
    const QRect marker = LiveMarkerRect();
    painter.setPen(QPen(QColor(0, 110, 0), 1));
    painter.setBrush(QColor(220, 245, 220));
    painter.drawRoundedRect(marker, 4, 4);
    painter.drawText(marker, Qt::AlignCenter, tr("Live"));
  }
}

void CDayOverview::mouseMoveEvent(QMouseEvent* event) {
  CursorText = ReadingAt(event->position().toPoint());
  update();
}

void CDayOverview::leaveEvent(QEvent*) {
  CursorText.clear();
  update();
}

void CDayOverview::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  if (LiveOffered && LiveMarkerRect().contains(at)) {
    emit LiveChosen();
    return;
  }
  // A click on the notice puts it away; the day under it stays.
  if (!NoticeText.isEmpty() && LayoutOverview(rect()).Line.contains(at)) {
    SetNotice(QString());
    return;
  }
  const int index = PointAt(at);
  if (index >= 0) emit PointChosen(index);
}

}  // namespace spectrel
