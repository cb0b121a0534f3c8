// The shown spectrum as numbers: the cursor's reading at a wavelength, the spectrum as
// tab-separated text with a header (as spreadsheets paste it), and such text read back as a
// reference spectrum to overlay.
#pragma once

#include <QString>

#include <utility>
#include <vector>

#include "ui/graph_painter.h"

namespace spectrel {

// "532 nm   1234.5 W/m2/um   SR-101 1230.1   SR-103 -" at the whole wavelength nearest to nm:
// the shown spectrum, then each sensor of the shown point at its pixel nearest to nm ("-"
// outside its range).
QString GraphReadingAt(const GraphInputs& inputs, double nm);

// "Wavelength (nm)\tIrradiance (W/m2/um)" and one line per whole wavelength.
QString SpectrumNumbers(const CResample& spectrum);

// Pairs of numbers (nm, W/m2/um), one per line, separated by a tab, commas, semicolons or
// spaces; lines that do not start with two numbers (headers, comments) are passed over. false
// with the reason when the file cannot be read or holds no pair.
bool ReadSpectrumNumbers(const QString& path, std::vector<std::pair<double, double>>& points, QString& problem);

// The spectrum as (nm, value) pairs, for an overlay.
std::vector<std::pair<double, double>> SpectrumPoints(const CResample& spectrum);

}  // namespace spectrel
