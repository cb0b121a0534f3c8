#include "ui/drawing_area.h"

namespace spectrel {

DrawingArea ScreenDrawingArea(int cw, int ch) {
  if (cw * 0.75 > ch) return {static_cast<int>(ch / 0.75), ch, 0, 0};
  return {cw, static_cast<int>(cw * 0.75), 0, 0};
}

DrawingArea PrinterDrawingArea(int w, int h, int dpiX, int dpiY) {
  // A printer that reports no resolution is taken to have square pixels.
  if (dpiX <= 0 || dpiY <= 0) dpiX = dpiY = 1;
  // Height of a 4:3 picture over the full printable width, in the printer's vertical units.
  const long long hh = static_cast<long long>(dpiY * (w * 0.75) / dpiX);
  int width = w;
  int height = static_cast<int>(hh);
  if (hh > h) {
    // Limited by the page height.
    height = h;
    width = hh > 0 ? static_cast<int>(static_cast<long long>(h) * w / hh) : 0;
  }
  const int mx = width / 20;
  const int my = height / 20;
  return {width - mx, height - my, mx, my};
}

DrawingArea ClipboardDrawingArea() { return {ClipboardWidth, ClipboardHeight, 0, 0}; }

}  // namespace spectrel
