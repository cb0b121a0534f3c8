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
  for (double i = first; i <= last; i += 1) ticks.push_back(i * step);
  return ticks;
}

std::string WavelengthLabel(double value) { return Format("%.0f", value); }
std::string IrradianceLabel(double value) { return Format("%.1f", value); }

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
  if (graph.AutoScale == 1) YMax = maxValue * 1.2;
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
  const double offset = std::trunc((irradiance - YMin) * (Rect.Bottom - Rect.Top) / (YMax - YMin));
  return ClampCoord(Rect.Bottom - offset, Rect.Bottom);
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
