#include "ui/sensor_day_panel.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>

#include "ui/axis_ticks.h"
#include "ui/day_overview.h"
#include "ui/day_overview_panels.h"
#include "ui/graph.h"

namespace spectrel {

namespace {

const QColor ModelColors[ModelCount] = {QColor(0, 90, 200), QColor(0, 150, 80), QColor(200, 60, 0), QColor(150, 0, 150)};

// One chart: value(point, model) for every model that has a value, ticks on the left.
void DrawChart(QPainter& p, const QRect& r, const DayOverviewData& day, const QString& title, bool logarithmic,
               const std::function<double(const OverviewPoint&, int)>& value) {
  const int f = p.fontMetrics().height();
  double low = INFINITY;
  double high = -INFINITY;
  for (const OverviewPoint& point : day.Data())
    for (int m = 0; m < ModelCount; ++m) {
      const double v = value(point, m);
      if (std::isfinite(v) && (!logarithmic || v > 0)) {
        low = std::min(low, v);
        high = std::max(high, v);
      }
    }
  p.setPen(Qt::black);
  p.drawRect(r);
  p.drawText(QRect(r.left(), r.top() - f, r.width(), f), Qt::AlignLeft | Qt::AlignBottom, title);
  if (!(high >= low)) return;
  if (logarithmic) {
    low = std::pow(10.0, std::floor(std::log10(low)));
    high = std::pow(10.0, std::ceil(std::log10(high) + 1e-9));
  } else {
    const double margin = std::max(0.5, (high - low) * 0.1);
    low -= margin;
    high += margin;
  }
  auto y = [&](double v) {
    const double fraction = logarithmic ? std::log10(v / low) / std::log10(high / low) : (v - low) / (high - low);
    return r.bottom() - r.height() * fraction;
  };
  const std::vector<double> ticks =
      logarithmic ? LogTickValues(low, high, r.height(), f * 1.5) : TickValues(low, high, StepForRoom(high - low, r.height(), f * 1.5));
  for (double v : ticks) {
    const int at = static_cast<int>(std::lround(y(v)));
    p.drawLine(r.left() - f / 3, at, r.left(), at);
    const QString label = logarithmic ? LogTickLabel(v) : TickLabel(v, StepForRoom(high - low, r.height(), f * 1.5));
    p.drawText(QRect(r.left() - f * 5, at - f, f * 5 - f / 2, f * 2), Qt::AlignRight | Qt::AlignVCenter, label);
  }
  for (int m = 0; m < ModelCount; ++m) {
    QPainterPath line;
    bool open = false;
    for (const OverviewPoint& point : day.Data()) {
      const double v = value(point, m);
      if (!std::isfinite(v) || (logarithmic && !(v > 0))) {
        open = false;
        continue;
      }
      const QPointF at(TimeX(r, day, point.Time), y(v));
      if (open) line.lineTo(at); else line.moveTo(at);
      open = true;
    }
    p.setPen(QPen(ModelColors[m], 2));
    p.drawPath(line);
  }
}

}  // namespace

CSensorDayPanel::CSensorDayPanel(const CDayOverview& overview, QWidget* parent) : QWidget(parent), Overview(overview) {
  setObjectName(QStringLiteral("sensorDayPanel"));
  setMinimumSize(320, 200);
  connect(&overview, &CDayOverview::DayChanged, this, qOverload<>(&QWidget::update));
}

void CSensorDayPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const DayOverviewData& day = Overview.Data();
  const int f = p.fontMetrics().height();
  const QRect inner = rect().adjusted(f * 5, f * 2, -f, -f * 2);
  const int half = (inner.height() - f * 2) / 2;
  const QRect temperature(inner.left(), inner.top(), inner.width(), half);
  const QRect exposure(inner.left(), inner.top() + half + f * 2, inner.width(), half);
  DrawChart(p, temperature, day, tr("Sensor temperature (deg C)"), false,
            [](const OverviewPoint& point, int m) { return static_cast<double>(point.Temperature[static_cast<size_t>(m)]); });
  DrawChart(p, exposure, day, tr("Exposure time (ms)"), true, [](const OverviewPoint& point, int m) {
    const std::int32_t ms = point.Exposure[static_cast<size_t>(m)];
    return ms > 0 ? static_cast<double>(ms) : std::nan("");
  });
  // Which colour is which sensor, for the sensors of the day.
  int x = inner.left();
  for (int m = 0; m < ModelCount; ++m) {
    const bool present = std::any_of(day.Data().begin(), day.Data().end(),
                                     [m](const OverviewPoint& point) { return point.Exposure[static_cast<size_t>(m)] > 0; });
    if (!present) continue;
    p.setPen(QPen(ModelColors[m], 2));
    p.drawLine(x, rect().bottom() - f, x + f * 2, rect().bottom() - f);
    p.setPen(Qt::black);
    const QString name = QString::fromLatin1(Models[m].Name.data(), static_cast<qsizetype>(Models[m].Name.size()));
    p.drawText(x + f * 2 + f / 3, rect().bottom() - f / 2, name);
    x += f * 3 + p.fontMetrics().horizontalAdvance(name) + f;
  }
}

}  // namespace spectrel
