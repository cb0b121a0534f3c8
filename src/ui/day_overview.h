// The day overview pane: the integral irradiance over the local day as a line, with stretches
// without measurement shaded and failed points marked, and below it the spectrogram of the day
// (time x wavelength, viridis colours with their scale). The cursor reads time, wavelength and
// value; a click chooses the nearest point.
#pragma once

#include <QImage>
#include <QWidget>

#include "ui/day_overview_data.h"
#include "ui/day_overview_image.h"

namespace spectrel {

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

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  DayOverviewData Day;
  QImage Spectrogram;        // one column per minute of the day, one row per nm (longest on top)
  SpectrogramBasis Painted;  // what Spectrogram shows
  QString CursorText;   // the last reading under the cursor
};

}  // namespace spectrel
