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
  return PrintGraph(printer, InputsOf(doc), graph);
}

bool PrintGraph(QPrinter& printer, const GraphInputs& inputs, CGraph& graph) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const DrawingArea area =
      PrinterDrawingArea(printer.width(), printer.height(), printer.logicalDpiX(), printer.logicalDpiY());
  painter.translate(area.OriginX, area.OriginY);
  DrawGraph(painter, area.Width, area.Height, inputs, graph);
  return painter.end();
}

namespace {

QByteArray SvgOf(const GraphInputs& inputs, CGraph& graph) {
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
  DrawGraph(painter, area.Width, area.Height, inputs, graph);
  if (!painter.end()) return {};
  return buffer.data();
}

QImage ImageOf(const GraphInputs& inputs, CGraph& graph, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  QPainter painter(&image);
  DrawGraph(painter, width, height, inputs, graph);
  painter.end();
  return image;
}

}  // namespace

QByteArray GraphSvg(const CSpectrelDoc& doc, CGraph& graph) { return SvgOf(InputsOf(doc), graph); }

QImage GraphImage(const CSpectrelDoc& doc, CGraph& graph, int width, int height) {
  return ImageOf(InputsOf(doc), graph, width, height);
}

std::unique_ptr<QMimeData> GraphPicture(const CSpectrelDoc& doc, CGraph& graph) {
  return GraphPicture(InputsOf(doc), graph);
}

std::unique_ptr<QMimeData> GraphPicture(const GraphInputs& inputs, CGraph& graph) {
  const QByteArray svg = SvgOf(inputs, graph);
  const QImage image = ImageOf(inputs, graph, ClipboardWidth, ClipboardHeight);
  if (svg.isEmpty() || image.isNull()) return nullptr;
  auto mime = std::make_unique<QMimeData>();
  mime->setData(QString::fromLatin1(SvgMimeType), svg);
  mime->setImageData(image);
  return mime;
}

}  // namespace spectrel
