// The day overview pane: the integral irradiance over the local day as a line, with stretches
// without measurement shaded and failed points ringed, and below it the spectrogram of the day
// (time x wavelength, viridis colours with their scale); above them the date, station, file and
// time zone, below them what the marks mean. The point the graph shows is marked. The cursor
// reads time, wavelength and value; a click chooses the nearest point. A day that could not be
// read says so in the pane.
#pragma once

#include <QImage>
#include <QWidget>

#include "ui/day_overview_data.h"
#include "ui/day_overview_image.h"

namespace spectrel {

struct OverviewPanels;

class CDayOverview : public QWidget {
  Q_OBJECT

 public:
  explicit CDayOverview(QWidget* parent = nullptr);

  // The day shown; after changing it in place call Changed(), which paints only the new
  // points' columns when the day just grew.
  DayOverviewData& Data() { return Day; }
  const DayOverviewData& Data() const { return Day; }
  void SetData(DayOverviewData data);
  // The day with its SpectrogramImage() made beforehand (away from the window's thread).
  void SetData(DayOverviewData data, QImage spectrogram);
  void Changed();

  // The day file's name in the caption.
  void SetFileName(const QString& name);
  // Why the day could not be read, whole or in part; empty when it was.
  void SetNotice(const QString& notice);
  QString Notice() const { return NoticeText; }
  // The point the graph shows (marked across both panels); -1 for none.
  void SetShown(int index);
  int Shown() const { return ShownIndex; }
  // The time axis in UTC instead of the station's local clock.
  void SetUtcAxis(bool utc);
  bool UtcAxisShown() const { return UtcAxis; }
  // The clock the time axis reads: the station's zone, or "UTC".
  QString AxisZoneName() const;
  // Whether the "Live" marker is offered (a point of the running day is pinned).
  void SetLiveMarker(bool offered);
  bool LiveMarkerOffered() const { return LiveOffered; }
  // Where the marker lies in the widget.
  QRect LiveMarkerRect() const;

  // Draws the whole overview into area of any painter (window, page, picture).
  void Render(QPainter& painter, const QRect& area) const;
  // What the cursor reads at a point of the widget; empty outside the panels.
  QString ReadingAt(const QPoint& at) const;
  QString Reading() const { return CursorText; }
  // The spectrogram as drawn, before scaling to the panel.
  const QImage& SpectrogramPicture() const { return Spectrogram; }
  // The point a click at that place chooses; -1 outside the panels or without points.
  int PointAt(const QPoint& at) const;

 signals:
  void PointChosen(int index);
  void LiveChosen();
  // The day was replaced or grew.
  void DayChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QString Caption() const;
  void DrawLinePanel(QPainter& p, const OverviewPanels& layout, int pen) const;
  void DrawSpectrogramPanel(QPainter& p, const OverviewPanels& layout, int pen) const;
  void DrawScale(QPainter& p, const OverviewPanels& layout, int pen) const;
  void DrawLegend(QPainter& p, const OverviewPanels& layout, int pen) const;
  void DrawShown(QPainter& p, const OverviewPanels& layout, int pen) const;

  DayOverviewData Day;
  QImage Spectrogram;        // one column per minute of the day, one row per nm (longest on top)
  SpectrogramBasis Painted;  // what Spectrogram shows
  QString CursorText;        // the last reading under the cursor
  QString FileName;          // the day file's name
  QString NoticeText;        // why the day could not be read
  int ShownIndex = -1;       // the point the graph shows
  bool LiveOffered = false;  // the "Live" marker is drawn and answers a click
  bool UtcAxis = false;      // the time axis reads UTC
};

}  // namespace spectrel
