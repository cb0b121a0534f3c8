// The day's sensors as a panel: each sensor's temperature (deg C) and exposure time (ms, on a
// logarithmic scale, since the automatic exposure spans decades from noon to dusk) over the local
// day of the overview, one colour per model.
#pragma once

#include <QWidget>

namespace spectrel {

class CDayOverview;

class CSensorDayPanel : public QWidget {
  Q_OBJECT

 public:
  // Follows the overview's day; the overview outlives the panel.
  explicit CSensorDayPanel(const CDayOverview& overview, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const CDayOverview& Overview;
};

}  // namespace spectrel
