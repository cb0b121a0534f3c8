// The graph as a picture outside the window: the document's picture inputs, and the graph as a
// picture source for the printed page (the 4:3 area with its margins inside the printable area)
// and the 640 x 480 clipboard picture.
#pragma once

#include "measure/spectrel_doc.h"
#include "ui/graph_painter.h"
#include "ui/picture_output.h"

namespace spectrel {

// The document's picture inputs.
GraphInputs InputsOf(const CSpectrelDoc& doc);

// The graph of those inputs as the user views it (the settings' graph by default); graph
// receives the area, ranges and steps of each drawing. All three must outlive the source.
const GraphView& DefaultView();
PictureSource GraphSource(const GraphInputs& inputs, CGraph& graph, const GraphView& view = DefaultView());

// The clipboard picture's size, whatever the window's.
QSize ClipboardPictureSize();

}  // namespace spectrel
