#include "ui/graph_output.h"

#include <QBuffer>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

#include "ui/drawing_area.h"

namespace spectrel {

GraphInputs InputsOf(const CSpectrelDoc& doc) {
  const AppSettings& s = doc.Settings();
  return {s.Graph,        s.DispMode,         doc.DisplaySpectrum(), doc.DayData(),
          doc.MemoText(), doc.TimeText(),     doc.IntegralText(),    doc.ReportText()};
}

void DrawDocumentGraph(QPainter& painter, const CSpectrelDoc& doc, int width, int height, CGraph& graph) {
  DrawGraph(painter, width, height, InputsOf(doc), graph);
}

bool PrintGraph(QPrinter& printer, const CSpectrelDoc& doc, CGraph& graph) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const DrawingArea area =
      PrinterDrawingArea(printer.width(), printer.height(), printer.logicalDpiX(), printer.logicalDpiY());
  painter.translate(area.OriginX, area.OriginY);
  DrawDocumentGraph(painter, doc, area.Width, area.Height, graph);
  return painter.end();
}

QByteArray GraphSvg(const CSpectrelDoc& doc, CGraph& graph) {
  const DrawingArea area = ClipboardDrawingArea();
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(area.Width, area.Height));
  generator.setViewBox(QRect(0, 0, area.Width, area.Height));
  generator.setTitle(QStringLiteral("Spectrel"));
  QPainter painter;
  if (!painter.begin(&generator)) return {};
  painter.fillRect(QRect(0, 0, area.Width, area.Height), Qt::white);
  DrawDocumentGraph(painter, doc, area.Width, area.Height, graph);
  if (!painter.end()) return {};
  return buffer.data();
}

QImage GraphImage(const CSpectrelDoc& doc, CGraph& graph, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawDocumentGraph(painter, doc, width, height, graph);
  painter.end();
  return image;
}

std::unique_ptr<QMimeData> GraphPicture(const CSpectrelDoc& doc, CGraph& graph) {
  const QByteArray svg = GraphSvg(doc, graph);
  const QImage image = GraphImage(doc, graph, ClipboardWidth, ClipboardHeight);
  if (svg.isEmpty() || image.isNull()) return nullptr;
  auto mime = std::make_unique<QMimeData>();
  mime->setData(QString::fromLatin1(SvgMimeType), svg);
  mime->setImageData(image);
  return mime;
}

}  // namespace spectrel
