#include "ui/spectrum_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

#include <cmath>

namespace spectrel {

namespace {

QString Value(double v) { return std::isfinite(v) ? QString::number(v, 'g', 6) : QStringLiteral("-"); }

// Irradiance of the model's pixel nearest to nm in the shown point; NaN outside its range.
double SensorValueAt(const CKrfData& set, int model, double nm) {
  const CRad* rad = set.LastRad();
  const SensorInfo* info = set.Info(model);
  const SensorMeasurement* block = rad != nullptr ? rad->Block(model) : nullptr;
  if (block == nullptr || info == nullptr || !set.Covers(model, nm)) return std::nan("");
  const size_t n = std::min({info->Wavelength.size(), info->Calib.size(), block->Light.size(), block->Dark.size()});
  size_t best = 0;
  for (size_t k = 1; k < n; ++k)
    if (std::fabs(info->Wavelength[k] - nm) < std::fabs(info->Wavelength[best] - nm)) best = k;
  return n > 0 ? PixelIrradiance(*block, *info, static_cast<int>(best)) : std::nan("");
}

}  // namespace

QString GraphReadingAt(const GraphInputs& inputs, double nm) {
  const int whole = static_cast<int>(std::lround(nm));
  const CResample& d = inputs.Display;
  const int k = whole - d.StartNm;
  const double shown = !d.Empty() && k >= 0 && k < static_cast<int>(d.Values.size()) ? d.Values[static_cast<size_t>(k)] : std::nan("");
  QString text = QStringLiteral("%1 nm   %2 W/m2/um").arg(whole).arg(Value(shown));
  for (int model = 0; model < ModelCount; ++model)
    if (inputs.DayData.Info(model) != nullptr && inputs.DayData.LastRad() != nullptr && inputs.DayData.LastRad()->Block(model) != nullptr)
      text += QStringLiteral("   %1 %2").arg(QString::fromLatin1(Models[model].Name.data(), static_cast<qsizetype>(Models[model].Name.size())), Value(SensorValueAt(inputs.DayData, model, nm)));
  return text;
}

QString SpectrumNumbers(const CResample& spectrum) {
  QString text = QStringLiteral("Wavelength (nm)\tIrradiance (W/m2/um)\n");
  for (size_t i = 0; i < spectrum.Values.size(); ++i)
    text += QStringLiteral("%1\t%2\n").arg(spectrum.StartNm + static_cast<int>(i)).arg(spectrum.Values[i], 0, 'g', 7);
  return text;
}

bool ReadSpectrumNumbers(const QString& path, std::vector<std::pair<double, double>>& points, QString& problem) {
  QFile file(path);
  points.clear();
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    problem = file.errorString();
    return false;
  }
  const QRegularExpression separators(QStringLiteral("[\\t,; ]+"));
  QTextStream in(&file);
  while (!in.atEnd()) {
    const QStringList fields = in.readLine().trimmed().split(separators, Qt::SkipEmptyParts);
    bool nmOk = false;
    bool valueOk = false;
    const double nm = fields.size() >= 2 ? fields[0].toDouble(&nmOk) : 0.0;
    const double value = fields.size() >= 2 ? fields[1].toDouble(&valueOk) : 0.0;
    if (nmOk && valueOk && std::isfinite(nm) && std::isfinite(value)) points.emplace_back(nm, value);
  }
  if (points.empty()) problem = QCoreApplication::translate("spectrel::CSpectrelView", "no wavelength and value pairs");
  return !points.empty();
}

std::vector<std::pair<double, double>> SpectrumPoints(const CResample& spectrum) {
  std::vector<std::pair<double, double>> points;
  for (size_t i = 0; i < spectrum.Values.size(); ++i) points.emplace_back(spectrum.StartNm + static_cast<double>(i), spectrum.Values[i]);
  return points;
}

}  // namespace spectrel
