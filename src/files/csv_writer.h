// The hourly CSV file: one column group per measurement point of the hour, transposed, with the
// sensors' own pixel wavelengths ("Raw") or a 1 nm grid, per model and merged.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "spectrum/records.h"

namespace spectrel {

// What goes into the file: the wavelength lines and the columns of each point.
struct CsvOptions {
  bool OneNm = false;                        // a 1 nm grid from From to To, else the sensors' pixels
  int From = 0;                              // first wavelength of the 1 nm grid, nm
  int To = 0;                                // last wavelength of the 1 nm grid, nm
  std::array<bool, ModelCount> Sensor{};     // a column for this model's block
  bool Merge = false;                        // a column for the merged spectrum
};

class CCsvWriter {
 public:
  // Empties the working storage and fills the first cell of every line.
  void BuildCsvHeader(const CKrfData& set, const CsvOptions& options,
                      const std::vector<double>& mergedWavelengths);
  // Appends the column group of CRad index to every line.
  void AddCsvColumns(const CKrfData& set, int index, const CsvOptions& options,
                     const std::vector<double>& mergedWavelengths);
  // Builds the file of the hour of the set's last CRad and writes it; false when it was not
  // written (errno tells why, unless the set has no point with a local time).
  bool WriteCsvFile(const std::string& path, const CKrfData& set, const CsvOptions& options,
                   const std::vector<double>& mergedWavelengths);

  std::vector<double> CsvWavelengths;   // wavelength of every wavelength line, in file order
  std::vector<std::string> CsvLines;    // eight label lines, then one per wavelength; no line feed
};

}  // namespace spectrel
