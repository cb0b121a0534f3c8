// A thin owner of a NetCDF file being written: every library call is checked and a failure becomes
// an exception naming what was being done.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/packed_chunks.h"

namespace spectrel::archive {

class NetCdfError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws NetCdfError "what: library message" when status is not NC_NOERR.
void CheckNc(int status, std::string_view what);

class NetCdfFile {
 public:
  // Creates (or truncates) a netCDF-4 file in the classic model, without pre-filling.
  explicit NetCdfFile(const std::string& path);
  ~NetCdfFile();
  NetCdfFile(const NetCdfFile&) = delete;
  NetCdfFile& operator=(const NetCdfFile&) = delete;

  int Dim(const std::string& name, std::size_t length);
  // A variable over the dimensions; compressed (shuffle and deflate) in chunks of the given shape
  // when chunks is not empty.
  int Var(const std::string& name, int type, const std::vector<int>& dims,
          const std::vector<std::size_t>& chunks = {});
  // Attributes of a variable, or global ones with NC_GLOBAL.
  void Text(int var, const std::string& name, std::string_view value);
  void Doubles(int var, const std::string& name, const std::vector<double>& values);
  void Floats(int var, const std::string& name, const std::vector<float>& values);
  void Ints(int var, const std::string& name, const std::vector<int>& values);
  void Shorts(int var, const std::string& name, const std::vector<short>& values);
  // Keeps that many significant decimal digits of a float variable's values as they are written,
  // by the library's own quantization (see quantize.h).
  void Quantize(int var, int digits);
  void EndDefinitions();
  // Whole-variable writes.
  void Put(int var, const double* values);
  void Put(int var, const float* values);
  void Put(int var, const int* values);
  void Put(int var, const short* values);
  // A whole two-dimensional float variable defined with chunks: kept, and written when the file is
  // closed as chunks compressed here (the same values and filters, in far less processor time).
  void PutPacked(int var, std::vector<float> values);
  // Writes everything out and closes; a failure here throws as well.
  void Close();

 private:
  int Id = -1;        // the library's id of the open file, -1 once closed
  std::string Path;   // for messages
  std::vector<ChunkedArray> Packed;   // variables to write as compressed chunks after closing
  std::vector<std::pair<int, int>> Quantized;   // variables and the decimal digits they keep

  int QuantizedDigits(int var) const;   // 0 for a variable kept whole
  std::size_t Length(int var) const;    // values of the whole variable
};

}  // namespace spectrel::archive
