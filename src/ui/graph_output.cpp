#include "ui/graph_output.h"

#include <QPainter>
#include <QPaintDevice>

#include "ui/drawing_area.h"

namespace spectrel {

GraphInputs InputsOf(const CSpectrelDoc& doc) {
  const AppSettings& s = doc.Settings();
  return {s.Graph,        s.DispMode,         doc.DisplaySpectrum(), doc.DayData(),
          doc.Shown().Memo, doc.Shown().Time, doc.Shown().Integral, doc.Shown().Report};
}

const GraphView& DefaultView() {
  static const GraphView view;
  return view;
}

PictureSource GraphSource(const GraphInputs& inputs, CGraph& graph, const GraphView& view) {
  PictureSource source;
  source.Title = QStringLiteral("Spectrel");
  source.Paint = [&inputs, &graph, &view](QPainter& painter, const QRect& area) {
    painter.save();
    painter.translate(area.topLeft());
    DrawGraph(painter, area.width(), area.height(), inputs, graph, view);
    painter.restore();
  };
  source.PageArea = [](const QPaintDevice& page) {
    const DrawingArea area = PrinterDrawingArea(page.width(), page.height(), page.logicalDpiX(), page.logicalDpiY());
    return QRect(area.OriginX, area.OriginY, area.Width, area.Height);
  };
  return source;
}

QSize ClipboardPictureSize() { return {ClipboardWidth, ClipboardHeight}; }

}  // namespace spectrel
