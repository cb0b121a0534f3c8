#include "ui/graph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace spectrel {

namespace {

// Candidate tick steps, largest first: 1, 2 and 5 times the powers of ten.
constexpr std::array<double, 27> StepCandidates{
    1000000, 500000, 200000, 100000, 50000, 20000, 10000, 5000, 2000, 1000, 500, 200, 100, 50,
    20,      10,     5,      2,      1,     0.5,   0.2,   0.1,  0.05, 0.02, 0.01, 0.005, 0.002};

// trunc(value) for products of the plot size; the sizes are ints, so this never overflows.
int TruncInt(double value) { return static_cast<int>(value); }

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

GraphLayout ComputeLayout(int width, int height) {
  GraphLayout g;
  g.Width = width;
  g.Height = height;
  g.Plot = {TruncInt(width * 0.14), TruncInt(height * 0.125), TruncInt(width * 0.8),
            TruncInt(height * 0.85)};
  g.TitleFontHeight = height / 30;
  g.AxisFontHeight = height / 50;
  g.FramePenWidth = height / 500 < 1 ? 1 : height / 500;
  g.TitleAt = {width / 2, TruncInt(height * 0.05)};
  g.XTitleAt = {width / 2, TruncInt(height * 0.95)};
  g.YTitleAt = {TruncInt(width * 0.05), height / 2};
  g.ReportRect = {TruncInt(width * 0.82), g.Plot.Top, width, g.Plot.Bottom};
  return g;
}

double TickStep(double span) {
  for (double c : StepCandidates) {
    const double intervals = std::trunc(span / c);
    if (intervals >= 5) return c;
  }
  return 0.001;
}

std::vector<double> TickValues(double min, double max, double step) {
  std::vector<double> ticks;
  if (!(step > 0) || !std::isfinite(min) || !std::isfinite(max)) return ticks;
  const double first = std::ceil(min / step);
  const double last = std::floor(max / step);
  if (!(last >= first) || last - first >= MaxTicks) return ticks;
  // + 0.0 turns a negative zero (a range starting just below 0) into the zero it is.
  for (double i = first; i <= last; i += 1) ticks.push_back(i * step + 0.0);
  return ticks;
}

std::string WavelengthLabel(double value) { return Format("%.0f", value); }
std::string IrradianceLabel(double value, double step) {
  return step >= 0.1 || !(step > 0) ? Format("%.1f", value + 0.0) : StepLabel(value, step);
}

std::string StepLabel(double value, double step) {
  int decimals = 0;
  for (double s = std::fabs(step); decimals < 9 && std::fabs(s - std::round(s)) > 1e-9 * std::max(1.0, s); s *= 10)
    ++decimals;
  char format[16];
  std::snprintf(format, sizeof format, "%%.%df", decimals);
  return Format(format, std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value);
}

std::vector<double> LogTickValues(double min, double max, double room, double labelRoom) {
  std::vector<double> ticks;
  if (!(min > 0) || !(max > min) || !std::isfinite(max)) return ticks;
  const int first = static_cast<int>(std::floor(std::log10(min)));
  const int last = static_cast<int>(std::ceil(std::log10(max)));
  const double perDecade = room / std::max(1, last - first);
  const bool fine = perDecade >= 3 * labelRoom;
  const int every = std::max(1, static_cast<int>(std::ceil(labelRoom / std::max(1e-9, perDecade))));
  for (int e = first; e <= last; ++e) {
    if ((e - first) % every != 0) continue;
    for (double m : {1.0, 2.0, 5.0}) {
      if (m > 1.0 && !fine) break;
      const double v = m * std::pow(10.0, e);
      if (v >= min * (1 - 1e-12) && v <= max * (1 + 1e-12)) ticks.push_back(v);
    }
  }
  return ticks;
}

int ClampCoord(double value, int fallback) {
  if (std::isnan(value)) return fallback;
  if (value <= CoordMin) return CoordMin;
  if (value >= CoordMax) return CoordMax;
  return static_cast<int>(value);
}

void CGraph::Setup(const GraphSettings& graph, const GraphRect& plot, double maxValue) {
  XMin = graph.GraphLeft;
  XMax = graph.GraphRight;
  YMax = graph.GraphTop;
  YMin = graph.GraphBottom;
  Rect = plot;
  if (graph.AutoScale) YMax = maxValue * 1.2;
  CalcSteps();
}

void CGraph::CalcSteps() {
  XStep = TickStep(XMax - XMin);
  YStep = TickStep(YMax - YMin);
}

int CGraph::MapX(double wavelength) const {
  // The offset is truncated before it is added, as the picture has always been laid out.
  const double offset = std::trunc((wavelength - XMin) * (Rect.Right - Rect.Left) / (XMax - XMin));
  return ClampCoord(Rect.Left + offset, Rect.Left);
}

int CGraph::MapY(double irradiance) const {
  if (LogY) {
    if (!(irradiance > 0)) return ClampCoord(Rect.Bottom + 1.0e6, Rect.Bottom);
    const double offset =
        std::trunc((std::log10(irradiance) - std::log10(YMin)) * (Rect.Bottom - Rect.Top) / (std::log10(YMax) - std::log10(YMin)));
    return ClampCoord(Rect.Bottom - offset, Rect.Bottom);
  }
  const double offset = std::trunc((irradiance - YMin) * (Rect.Bottom - Rect.Top) / (YMax - YMin));
  return ClampCoord(Rect.Bottom - offset, Rect.Bottom);
}

double CGraph::XAt(int x) const {
  return XMin + (x - Rect.Left) * (XMax - XMin) / std::max(1, Rect.Right - Rect.Left);
}

double CGraph::YAt(int y) const {
  const double fraction = static_cast<double>(Rect.Bottom - y) / std::max(1, Rect.Bottom - Rect.Top);
  if (LogY) return YMin * std::pow(YMax / YMin, fraction);
  return YMin + fraction * (YMax - YMin);
}

void CGraph::SetLogY(double bottom) {
  if (!(YMax > 0)) YMax = 1.0;
  YMin = bottom > 0 && bottom < YMax ? bottom : YMax / 1.0e4;
  LogY = true;
}

std::vector<double> CGraph::YTicks() const {
  if (!LogY) return TickValues(YMin, YMax, YStep);
  const int room = Rect.Bottom - Rect.Top;
  return LogTickValues(YMin, YMax, room, room / 12.0);
}

void AppendCurvePoint(std::vector<GraphPoint>& line, GraphPoint p) {
  if (line.empty() || !(line.back() == p)) line.push_back(p);
}

std::vector<ReportLine> ReportLines(const std::string& text, GraphPoint origin, int lineHeight) {
  std::vector<ReportLine> lines;
  GraphPoint at = origin;
  std::string::size_type start = 0;
  for (;;) {
    const auto feed = text.find('\n', start);
    if (feed == std::string::npos) {
      lines.push_back({text.substr(start), at});
      return lines;
    }
    lines.push_back({text.substr(start, feed - start), at});
    start = feed + 1;
    at.Y += lineHeight * 12 / 10;
  }
}

int LinePenWidth(double millimetres, int dotsPerInch) {
  if (dotsPerInch < PaperDpi) return 1;
  return std::max(1, static_cast<int>(std::lround(millimetres * dotsPerInch / 25.4)));
}

}  // namespace spectrel
