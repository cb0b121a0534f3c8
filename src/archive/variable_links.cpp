#include "archive/variable_links.h"

#include <netcdf.h>

#include "archive/quantize.h"

namespace spectrel::archive {

void LinkCoordinates(NetCdfFile& file, int var, const VariableLinks& links, std::string_view own) {
  std::string names(own);
  if (!links.Coordinates.empty()) names += (names.empty() ? "" : " ") + links.Coordinates;
  if (!names.empty()) file.Text(var, "coordinates", names);
}

void LinkMeasurement(NetCdfFile& file, int var, const VariableLinks& links, std::string_view ancillary,
                     std::string_view ownCoordinates) {
  LinkCoordinates(file, var, links, ownCoordinates);
  file.Text(var, "ancillary_variables", ancillary);
  if (links.SignificantDigits <= 0) return;
  file.Quantize(var, links.SignificantDigits);
  file.Text(var, "quantization", QuantizationVariable);
  file.Ints(var, "quantization_nsd", {links.SignificantDigits});
}

void DefineQuantization(NetCdfFile& file, const VariableLinks& links) {
  if (links.SignificantDigits <= 0) return;
  const int var = file.Var(QuantizationVariable, NC_INT, {});
  file.Text(var, "long_name", "how the measured irradiances were quantized");
  file.Text(var, "algorithm", QuantizeAlgorithm());
  file.Text(var, "implementation", "libnetcdf version " + NetCdfLibraryVersion());
}

}  // namespace spectrel::archive
