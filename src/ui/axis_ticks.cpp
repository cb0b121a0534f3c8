#include "ui/axis_ticks.h"

#include <algorithm>
#include <cmath>

#include "ui/graph.h"

namespace spectrel {

double StepForRoom(double span, double room, double labelRoom) {
  if (!(span > 0) || !(room > 0) || !std::isfinite(span)) return 0.0;
  double step = TickStep(span);
  // 1, 2, 5, 10, ...: the next coarser step until the labels fit side by side.
  while (span / step * std::max(1.0, labelRoom) > room) {
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    step *= mantissa < 1.5 ? 2.0 : mantissa < 3.0 ? 2.5 : 2.0;
  }
  return step;
}

QString TickLabel(double value, double step) { return QString::fromStdString(StepLabel(value, step)); }

QString LogTickLabel(double value) {
  const double e = std::floor(std::log10(value) + 1e-9);
  if (e >= -2 && e <= 3) return QString::number(value, 'g', 4);
  return QString::number(value, 'g', 1).replace(QStringLiteral("e-0"), QStringLiteral("e-")).replace(QStringLiteral("e+0"), QStringLiteral("e+"));
}

}  // namespace spectrel
