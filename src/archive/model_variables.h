// The per-sensor part of a NetCDF day file: pixel axis, calibration, per-pixel irradiance,
// exposure, dark-count spread and status values of one model present in the day file.
#pragma once

#include <vector>

#include "archive/netcdf_file.h"
#include "archive/variable_links.h"
#include "spectrum/records.h"

namespace spectrel::archive {

struct ModelVariableIds {
  int Model = 0;                   // ModelIndex
  int Wavelength = -1;             // wavelength_SR10x
  int Calibration = -1;            // calibration_SR10x
  int Irradiance = -1;             // irradiance_SR10x
  int Exposure = -1;               // exposure_time_SR10x
  int DarkCounts = -1;             // dark_counts_SR10x
  std::vector<int> Status;         // one per status variable of the model's family
};

// Defines the model's dimension and variables with their attributes (sensor identity included),
// linked as the day's other variables over time are.
ModelVariableIds DefineModelVariables(NetCdfFile& file, const CKrfData& day, int model, int timeDim,
                                      const VariableLinks& links);

// Writes them; points without a block of the model get the fill value.
void WriteModelVariables(NetCdfFile& file, const CKrfData& day, const ModelVariableIds& ids);

}  // namespace spectrel::archive
