// The hourly CSV file: one column group per measurement point of the hour, transposed, with the
// sensors' own pixel wavelengths ("Raw") or a 1 nm grid, per model and merged.
#pragma once

#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "spectrum/records.h"

namespace spectrel {

class CCsvWriter {
 public:
  // Empties the working storage and fills the first cell of every line.
  void BuildCsvHeader(const CKrfData& set, const AppSettings& settings,
                      const std::vector<double>& mergedWavelengths);
  // Appends the column group of CRad index to every line.
  void AddCsvColumns(const CKrfData& set, int index, const AppSettings& settings,
                     const std::vector<double>& mergedWavelengths);
  // Builds the file of the hour of the set's last CRad and writes it; 1 written, 0 not created.
  int WriteCsvFile(const std::string& path, const CKrfData& set, const AppSettings& settings,
                   const std::vector<double>& mergedWavelengths);

  std::vector<double> CsvWavelengths;   // wavelength of every wavelength line, in file order
  std::vector<std::string> CsvLines;    // eight label lines, then one per wavelength; no line feed
};

}  // namespace spectrel
