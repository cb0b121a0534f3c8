#include "ui/graph_painter.h"

#include <algorithm>
#include <vector>

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include "ui/axis_ticks.h"

namespace spectrel {

namespace {

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Baseline, Bottom };

// The graph's one typeface, asked for by name; the font system supplies its metric twin.
constexpr const char* GraphFace = "Times New Roman";

// A font whose cell (ascent + descent) is about cellHeight units, as the picture's font heights
// are meant; escapement is applied by rotating the painter, not here.
QFont GraphFont(int cellHeight) {
  const int wanted = std::max(1, cellHeight);
  QFont font(GraphFace);
  font.setStyleHint(QFont::Serif);
  font.setPixelSize(wanted);
  const int cell = QFontMetrics(font).height();
  if (cell > 0 && cell != wanted) font.setPixelSize(std::max(1, wanted * wanted / cell));
  return font;
}

void DrawTextAt(QPainter& p, int x, int y, const QString& text, HAlign h, VAlign v) {
  const QFontMetrics fm = p.fontMetrics();
  const int width = fm.horizontalAdvance(text);
  const int left = h == HAlign::Left ? x : h == HAlign::Center ? x - width / 2 : x - width;
  const int baseline = v == VAlign::Top ? y + fm.ascent() : v == VAlign::Baseline ? y : y - fm.descent();
  p.drawText(QPoint(left, baseline), text);
}

// Pen widths of one drawing, device units: one unit on screens, physical widths on paper.
struct Pens {
  int Line = 1;    // ticks and grid
  int Curve = 1;   // spectra
  int Frame = 1;   // the plot frame
};

Pens PensFor(const QPainter& p, const GraphLayout& layout) {
  const int dpi = p.device() != nullptr ? p.device()->logicalDpiY() : 0;
  if (dpi < PaperDpi) return {1, 1, layout.FramePenWidth};
  const int line = LinePenWidth(PaperFrameMm, dpi);
  return {line, LinePenWidth(PaperCurveMm, dpi), line};
}

QPoint ToQt(GraphPoint p) { return {p.X, p.Y}; }

// Qt's QRect keeps its right and bottom edges inside; the frame's far edges are outside.
QRect ToQtRect(const GraphRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

QPen SolidPen(std::uint32_t colorRef, int width) {
  QPen pen(ColorOfRef(colorRef));
  pen.setWidth(width);
  pen.setStyle(Qt::SolidLine);
  return pen;
}

void DrawPolyline(QPainter& p, const std::vector<GraphPoint>& line) {
  if (line.size() < 2) return;
  QPolygon polygon(static_cast<int>(line.size()));
  for (size_t i = 0; i < line.size(); ++i) polygon[static_cast<int>(i)] = ToQt(line[i]);
  p.drawPolyline(polygon);
}

void DrawFrame(QPainter& p, const CGraph& g, int penWidth, std::uint32_t color) {
  p.save();
  p.setPen(SolidPen(color, penWidth));
  p.setBrush(Qt::white);
  // The outline runs over the first and the last unit inside the frame's edges.
  p.drawRect(QRect(g.Rect.Left, g.Rect.Top, g.Rect.Right - g.Rect.Left - 1, g.Rect.Bottom - g.Rect.Top - 1));
  p.restore();
}

void DrawXAxis(QPainter& p, const CGraph& g, const QFont& font, int fontHeight, std::uint32_t color, int pen) {
  p.save();
  p.setFont(font);
  for (double tick : g.XTicks()) {
    const int px = g.MapX(tick);
    p.setPen(Qt::black);
    DrawTextAt(p, px, g.Rect.Bottom + fontHeight, QString::fromStdString(WavelengthLabel(tick)),
               HAlign::Center, VAlign::Top);
    p.setPen(SolidPen(color, pen));
    p.drawLine(px, g.Rect.Bottom, px, g.Rect.Bottom + fontHeight);
  }
  p.restore();
}

void DrawYAxis(QPainter& p, const CGraph& g, const QFont& font, int fontHeight, std::uint32_t color, int pen) {
  p.save();
  p.setFont(font);
  for (double tick : g.YTicks()) {
    const int py = g.MapY(tick);
    p.setPen(Qt::black);
    const QString label = g.LogY ? LogTickLabel(tick) : QString::fromStdString(IrradianceLabel(tick, g.YStep));
    DrawTextAt(p, g.Rect.Left - fontHeight, py, label, HAlign::Right, VAlign::Baseline);
    p.setPen(SolidPen(color, pen));
    p.drawLine(g.Rect.Left, py, g.Rect.Left - fontHeight, py);
  }
  p.restore();
}

void DrawXGrid(QPainter& p, const CGraph& g, std::uint32_t color, int pen) {
  p.save();
  p.setPen(SolidPen(color, pen));
  for (double tick : g.XTicks()) {
    const int px = g.MapX(tick);
    p.drawLine(px, g.Rect.Bottom, px, g.Rect.Top);
  }
  p.restore();
}

void DrawYGrid(QPainter& p, const CGraph& g, std::uint32_t color, int pen) {
  p.save();
  p.setPen(SolidPen(color, pen));
  for (double tick : g.YTicks()) {
    const int py = g.MapY(tick);
    p.drawLine(g.Rect.Left, py, g.Rect.Right, py);
  }
  p.restore();
}

// The sensors' own pixels of CRad index, one curve per model present, in model order.
void DrawSensorSpectra(QPainter& p, const CGraph& g, const CKrfData& set, int index, std::uint32_t color, int pen) {
  const CRad& rad = set.Rad(index);
  p.save();
  p.setClipRect(ToQtRect(g.ClipRect()));
  p.setPen(SolidPen(color, pen));
  std::vector<GraphPoint> line;
  for (int model = 0; model < ModelCount; ++model) {
    const SensorMeasurement* block = rad.Block(model);
    const SensorInfo* info = set.Info(model);
    if (block == nullptr || info == nullptr) continue;
    // A damaged record may be short; draw only the pixels that every array holds.
    const size_t n = std::min({static_cast<size_t>(Models[model].Pixels), info->Wavelength.size(),
                               info->Calib.size(), block->Light.size(), block->Dark.size()});
    line.clear();
    for (size_t k = 0; k < n; ++k) {
      const int ki = static_cast<int>(k);
      AppendCurvePoint(line, g.Map(info->Wavelength[k], PixelIrradiance(*block, *info, ki)));
    }
    DrawPolyline(p, line);
  }
  p.restore();
}

void DrawSpectrum(QPainter& p, const CGraph& g, const CResample& spectrum, std::uint32_t color, int pen) {
  p.save();
  p.setClipRect(ToQtRect(g.ClipRect()));
  p.setPen(SolidPen(color, pen));
  std::vector<GraphPoint> line;
  const int count = std::min(spectrum.EndNm - spectrum.StartNm + 1, static_cast<int>(spectrum.Values.size()));
  line.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i)
    AppendCurvePoint(line, g.Map(spectrum.StartNm + i, spectrum.Values[static_cast<size_t>(i)]));
  DrawPolyline(p, line);
  p.restore();
}

void DrawOverlay(QPainter& p, const CGraph& g, const GraphView& view, const QFont& font, int pen) {
  if (view.Overlay.empty()) return;
  p.save();
  p.setClipRect(ToQtRect(g.ClipRect()));
  QPen dashed = SolidPen(OverlayColor, pen);
  dashed.setStyle(Qt::DashLine);
  p.setPen(dashed);
  std::vector<GraphPoint> line;
  for (const auto& [nm, value] : view.Overlay) AppendCurvePoint(line, g.Map(nm, value));
  DrawPolyline(p, line);
  p.setFont(font);
  p.setPen(ColorOfRef(OverlayColor));
  DrawTextAt(p, g.Rect.Left + 4, g.Rect.Top + 4, QString::fromStdString(view.OverlayLabel), HAlign::Left, VAlign::Top);
  p.restore();
}

// The user's zoom and logarithmic axis over the settings' ranges; steps recomputed.
void ApplyView(CGraph& g, const GraphView& view) {
  if (view.Zoomed) {
    g.XMin = view.XMin;
    g.XMax = view.XMax;
    g.YMin = view.YMin;
    g.YMax = view.YMax;
  }
  if (view.LogY) g.SetLogY(g.YMin);
  g.CalcSteps();
}

void DrawReport(QPainter& p, const QFont& font, const std::string& text, const GraphRect& rect) {
  p.save();
  p.setClipRect(ToQtRect(rect));
  p.setFont(font);
  p.setPen(Qt::black);
  const int lineHeight = p.fontMetrics().height();
  for (const ReportLine& line : ReportLines(text, {rect.Left, rect.Top}, lineHeight))
    DrawTextAt(p, line.At.X, line.At.Y, QString::fromStdString(line.Text), HAlign::Left, VAlign::Top);
  p.restore();
}

}  // namespace

void DrawGraph(QPainter& painter, int width, int height, const GraphInputs& in, CGraph& graph, const GraphView& view) {
  const GraphLayout layout = ComputeLayout(width, height);
  const double maxValue = in.Display.Empty() ? 0.0 : in.Display.MaxValue;
  graph.Setup(in.Graph, layout.Plot, maxValue);
  graph.LogY = false;
  if (view.Zoomed || view.LogY) ApplyView(graph, view);
  graph.GraphWidth = width;
  graph.GraphHeight = height;

  const QFont titleFont = GraphFont(layout.TitleFontHeight);
  const QFont axisFont = GraphFont(layout.AxisFontHeight);

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::black);
  painter.setFont(titleFont);
  DrawTextAt(painter, layout.TitleAt.X, layout.TitleAt.Y, QString::fromStdString(in.Memo), HAlign::Center,
             VAlign::Baseline);
  painter.setFont(axisFont);
  DrawTextAt(painter, layout.XTitleAt.X, layout.XTitleAt.Y, QStringLiteral("Wavelength (nm)"), HAlign::Center,
             VAlign::Baseline);
  {
    // The irradiance title runs upwards, as a font with an escapement of 90 degrees draws it.
    painter.save();
    painter.translate(layout.YTitleAt.X, layout.YTitleAt.Y);
    painter.rotate(-90);
    DrawTextAt(painter, 0, 0, QStringLiteral("Irradiance(W/m2/um)"), HAlign::Center, VAlign::Baseline);
    painter.restore();
  }

  const Pens pens = PensFor(painter, layout);
  DrawFrame(painter, graph, pens.Frame, in.Graph.FrameColor);

  painter.setFont(axisFont);
  painter.setPen(Qt::black);
  const int textBottom = layout.Plot.Top - layout.FramePenWidth;
  DrawTextAt(painter, layout.Plot.Left, textBottom, QString::fromStdString(in.Time), HAlign::Left, VAlign::Bottom);
  const QString integral = QString::fromStdString(in.Integral);
  DrawTextAt(painter, layout.Plot.Right - painter.fontMetrics().horizontalAdvance(integral), textBottom, integral,
             HAlign::Left, VAlign::Bottom);

  if (!in.Display.Empty()) {
    DrawXAxis(painter, graph, axisFont, layout.AxisFontHeight, in.Graph.FrameColor, pens.Line);
    DrawYAxis(painter, graph, axisFont, layout.AxisFontHeight, in.Graph.FrameColor, pens.Line);
    if (in.Graph.GridLine) {
      DrawXGrid(painter, graph, in.Graph.FrameColor, pens.Line);
      DrawYGrid(painter, graph, in.Graph.FrameColor, pens.Line);
    }
    if (in.DispMode == DisplayMode::Detailed && in.DayData.RadCount() > 0)
      DrawSensorSpectra(painter, graph, in.DayData, in.DayData.RadCount() - 1, SensorCurveColor, pens.Line);
    DrawOverlay(painter, graph, view, axisFont, pens.Curve);
    DrawSpectrum(painter, graph, in.Display, in.Graph.GraphColor, pens.Curve);
    DrawReport(painter, axisFont, in.Report, layout.ReportRect);
  }
  painter.restore();
}

}  // namespace spectrel
