// The size of the drawing area the graph is laid out in, for each kind of output: the window
// (4:3 at the top left), the printed page (4:3 with margins, limited by the page) and the
// clipboard picture (always 640 x 480).
#pragma once

namespace spectrel {

struct DrawingArea {
  int Width = 0;     // logical units
  int Height = 0;    // logical units
  int OriginX = 0;   // where the drawing starts, units from the printable area's left
  int OriginY = 0;   // ... and top

  bool operator==(const DrawingArea&) const = default;
};

// Client area cw x ch of the window.
DrawingArea ScreenDrawingArea(int clientWidth, int clientHeight);
// Printable area w x h device units with dpiX x dpiY logical pixels per inch.
DrawingArea PrinterDrawingArea(int width, int height, int dpiX, int dpiY);
// The picture put on the clipboard.
DrawingArea ClipboardDrawingArea();

inline constexpr int ClipboardWidth = 640;
inline constexpr int ClipboardHeight = 480;

}  // namespace spectrel
