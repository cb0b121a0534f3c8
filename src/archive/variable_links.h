// What the day's variables over time carry beside their own attributes, the same on each: the
// site's scalar coordinates, the quality flags that qualify a measurement, and the precision kept.
#pragma once

#include <string>
#include <string_view>

#include "archive/netcdf_file.h"

namespace spectrel::archive {

struct VariableLinks {
  std::string Coordinates;     // the site's scalar coordinate variables, blank-separated; empty without a site
  int SignificantDigits = 0;   // decimal digits kept of the measured irradiances; 0: every bit
};

// The container variable that says how the measured irradiances were quantized.
inline constexpr const char* QuantizationVariable = "quantization_info";

// Names the site's coordinates on a variable over time, after its own (such as a pixel axis).
void LinkCoordinates(NetCdfFile& file, int var, const VariableLinks& links, std::string_view own = {});

// A measured irradiance: its coordinates, its ancillary variables (quality_flag and any more, blank-
// separated) and, when digits are to be kept, its quantization by the NetCDF library, recorded on it.
void LinkMeasurement(NetCdfFile& file, int var, const VariableLinks& links,
                     std::string_view ancillary = "quality_flag", std::string_view ownCoordinates = {});

// Defines the quantization container (its algorithm and implementation) when digits are to be kept.
void DefineQuantization(NetCdfFile& file, const VariableLinks& links);

}  // namespace spectrel::archive
