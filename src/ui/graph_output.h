// The graph as a picture outside the window: printed pages, and the 640 x 480 picture put on
// the clipboard as SVG and PNG.
#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

#include "measure/spectrel_doc.h"
#include "ui/graph_painter.h"

class QMimeData;
class QPrinter;

namespace spectrel {

// The document's picture inputs.
GraphInputs InputsOf(const CSpectrelDoc& doc);

// Draws the graph for the document into an area of the given size at the painter's origin.
void DrawDocumentGraph(QPainter& painter, const CSpectrelDoc& doc, int width, int height, CGraph& graph);

// The same from any picture inputs (the document's, or a chosen earlier point's).
bool PrintGraph(QPrinter& printer, const GraphInputs& inputs, CGraph& graph);
std::unique_ptr<QMimeData> GraphPicture(const GraphInputs& inputs, CGraph& graph);

// One page: the 4:3 drawing area with its margins inside the printable area. false when the
// printer cannot be painted on.
bool PrintGraph(QPrinter& printer, const CSpectrelDoc& doc, CGraph& graph);

// The clipboard picture, on a white ground: SVG text and image. Empty / null on failure.
QByteArray GraphSvg(const CSpectrelDoc& doc, CGraph& graph);
QImage GraphImage(const CSpectrelDoc& doc, CGraph& graph, int width, int height);

inline constexpr const char* SvgMimeType = "image/svg+xml";

// Both forms of the clipboard picture in one package; null when either cannot be produced.
std::unique_ptr<QMimeData> GraphPicture(const CSpectrelDoc& doc, CGraph& graph);

}  // namespace spectrel
