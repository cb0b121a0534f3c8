// The geometry of the spectrum graph: plot rectangle, font sizes, axis ranges, tick steps and the
// mapping from wavelength and irradiance to drawing coordinates. Pure computation, no painting,
// so every number of the picture can be checked without a device.
#pragma once

#include <string>
#include <vector>

#include "settings/app_settings.h"

namespace spectrel {

// A point in logical units of the drawing area (y grows downwards).
struct GraphPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const GraphPoint&) const = default;
};

// An integer rectangle: left/top inclusive, right/bottom the far edges, as the plot frame uses.
struct GraphRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const GraphRect&) const = default;
};

// Everything on the picture whose place depends only on the size of the drawing area.
struct GraphLayout {
  int Width = 0;             // W, logical units
  int Height = 0;            // H, logical units
  GraphRect Plot;            // the plot frame
  int TitleFontHeight = 0;   // H/30
  int AxisFontHeight = 0;    // H/50, also the vertical font and the tick length
  int FramePenWidth = 1;     // H/500, at least 1
  GraphPoint TitleAt;        // centre-baseline point of the memo title
  GraphPoint XTitleAt;       // centre-baseline point of "Wavelength (nm)"
  GraphPoint YTitleAt;       // centre-baseline point of the upright "Irradiance(W/m2/um)"
  GraphRect ReportRect;      // the column of the status report at the right
};

GraphLayout ComputeLayout(int width, int height);

// Devices at least this fine (dots per inch) are paper: printers, PDF and the print preview.
inline constexpr int PaperDpi = 300;
// Line widths on paper, millimetres.
inline constexpr double PaperCurveMm = 0.35;
inline constexpr double PaperFrameMm = 0.2;   // frame, ticks and grid

// A pen of that physical width on a device of that resolution, in device units; one unit on
// anything coarser than paper, where a one-unit line is already visible.
int LinePenWidth(double millimetres, int dotsPerInch);

// Largest of the steps 1, 2, 5 x 10^k (1,000,000 down to 0.002) giving at least five whole
// intervals over span; 0.001 when none does (tiny, zero or negative spans).
double TickStep(double span);

// Tick values i x step for i = ceil(min/step) .. floor(max/step). Empty for a range without
// ticks, a non-positive step, or a range so wide that it would need more than MaxTicks ticks
// (only a hand-edited profile can ask for that).
inline constexpr int MaxTicks = 10000;
std::vector<double> TickValues(double min, double max, double step);

// Tick labels: wavelengths as "%.0f", irradiances as "%.1f"; irradiance steps below 0.1 (a
// night's scale) with the decimals they need.
std::string WavelengthLabel(double value);
std::string IrradianceLabel(double value, double step = 1.0);
// The value with as many decimals as the step needs (none for whole steps); a value that rounds
// to zero reads as zero, never "-0".
std::string StepLabel(double value, double step);

// Ticks of a logarithmic axis over min..max (both > 0), room units long with labels needing
// labelRoom each: 1, 2 and 5 times the powers of ten when there is room, else the powers of ten
// alone, else every few of them.
std::vector<double> LogTickValues(double min, double max, double room, double labelRoom);

// Drawing coordinates are limited to this range before any line is drawn.
inline constexpr int CoordMin = -32768;
inline constexpr int CoordMax = 32767;
// Truncates towards zero and limits to CoordMin..CoordMax; a value that is not a number (a zero
// span divides zero by zero) gives the fallback.
int ClampCoord(double value, int fallback);

// The drawing area, plot rectangle, axis ranges and tick steps, refilled at every drawing.
class CGraph {
 public:
  virtual ~CGraph() = default;

  // Copies the graph block (XMin, XMax, YMax, YMin), takes the plot rectangle of the layout and,
  // with auto scale, sets YMax to 1.2 x the largest displayed value; then CalcSteps.
  void Setup(const GraphSettings& graph, const GraphRect& plot, double maxValue);
  void CalcSteps();

  // Drawing coordinates of a wavelength (nm) and an irradiance (W/m2/um); on a logarithmic axis
  // a value of 0 or below lies below the plot.
  int MapX(double wavelength) const;
  int MapY(double irradiance) const;
  // The wavelength and irradiance at drawing coordinates, the reverse of the maps.
  double XAt(int x) const;
  double YAt(int y) const;
  // Makes the irradiance axis logarithmic over bottom..YMax (both above 0).
  void SetLogY(double bottom);
  GraphPoint Map(double wavelength, double irradiance) const {
    return {MapX(wavelength), MapY(irradiance)};
  }

  std::vector<double> XTicks() const { return TickValues(XMin, XMax, XStep); }
  // On a logarithmic axis: 1, 2, 5 x 10^k or the powers of ten alone, as the room allows.
  std::vector<double> YTicks() const;

  // The area curves may reach: the plot rectangle shrunk by one unit on every side.
  GraphRect ClipRect() const { return {Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1}; }

  int GraphWidth = 0;   // drawing area of the last drawing (window, page or clipboard), logical units
  int GraphHeight = 0;
  GraphRect Rect;       // plot rectangle, logical units
  double XMin = 0.0;    // wavelength at the left edge, nm
  double XMax = 0.0;    // wavelength at the right edge, nm
  double YMax = 0.0;    // irradiance at the top edge, W/m2/um
  double YMin = 0.0;    // irradiance at the bottom edge, W/m2/um
  double XStep = 0.0;   // distance between wavelength ticks, nm
  double YStep = 0.0;   // distance between irradiance ticks, W/m2/um
  bool LogY = false;    // the irradiance axis is logarithmic (YMin > 0)
};

// Appends the point to a polyline unless it repeats the previous one: a curve denser than the
// device costs no more segments than the device has positions.
void AppendCurvePoint(std::vector<GraphPoint>& line, GraphPoint p);

// One line of the report column: its text and the top-left point where it is drawn.
struct ReportLine {
  std::string Text;
  GraphPoint At;
};
// Splits the report at line feeds; each following line starts lineHeight x 12 / 10 lower. A text
// ending in a line feed has an empty last line.
std::vector<ReportLine> ReportLines(const std::string& text, GraphPoint origin, int lineHeight);

}  // namespace spectrel
