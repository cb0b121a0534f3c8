// Draws the spectrum graph on any painter: screen, printer, print preview, SVG and images all
// receive the same picture, sized by the caller's drawing area.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <QColor>

#include "settings/app_settings.h"
#include "spectrum/records.h"
#include "spectrum/resample.h"
#include "ui/graph.h"

class QPainter;

namespace spectrel {

// What the picture shows; all of it belongs to the document and is read at every drawing.
struct GraphInputs {
  const GraphSettings& Graph;     // axis ranges, auto scale, grid, colours
  DisplayMode DispMode;           // detailed: the sensors' own spectra drawn in grey too
  const CResample& Display;       // the main curve on the 1 nm grid
  const CKrfData& DayData;        // the day's measurements; the last one gives the grey curves
  const std::string& Memo;        // title (UTF-8)
  const std::string& Time;        // measurement time text above the plot's left end
  const std::string& Integral;    // integral text ending at the plot's right edge
  const std::string& Report;      // status report, lines separated by '\n'
};

// What the user has changed in the window's graph, beyond the settings: a zoomed range, a
// logarithmic irradiance axis and an overlaid spectrum. The default draws the settings' graph.
struct GraphView {
  bool Zoomed = false;        // the ranges below replace the settings' axes
  double XMin = 0, XMax = 0;  // wavelength range, nm
  double YMin = 0, YMax = 0;  // irradiance range, W/m2/um
  bool LogY = false;          // logarithmic irradiance axis
  std::vector<std::pair<double, double>> Overlay;   // (nm, W/m2/um) of an earlier or reference spectrum
  std::string OverlayLabel;   // what the overlay is, drawn in its colour

  bool operator==(const GraphView&) const = default;
};

// The overlay's colour: dark blue, drawn dashed.
inline constexpr std::uint32_t OverlayColor = 0x804000;

// A 0x00BBGGRR colour as Qt sees it.
inline QColor ColorOfRef(std::uint32_t ref) {
  return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                static_cast<int>((ref >> 16) & 0xFF));
}

// Grey of the sensors' own curves in detailed mode (red = green = blue = 200).
inline constexpr std::uint32_t SensorCurveColor = 0xC8C8C8;

// Draws the whole graph into a drawing area of width x height logical units at the painter's
// origin; graph receives the area, ranges and steps used. Completes for any range, even empty ones.
void DrawGraph(QPainter& painter, int width, int height, const GraphInputs& inputs, CGraph& graph,
               const GraphView& view = GraphView());

}  // namespace spectrel
