// Large float variables written straight into their HDF5 datasets as finished chunks: gathered,
// byte-shuffled and deflated here (zlib streams, as the dataset's own filters store them), so the
// file reads exactly as if the library had compressed them, at a fraction of the processor time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace spectrel::archive {

// A two-dimensional float variable of the file and its values, row-major.
struct ChunkedArray {
  std::string Name;            // the variable (an HDF5 dataset of the same name)
  std::vector<float> Values;   // Rows x Cols
  std::size_t Rows = 0;        // length of the first dimension
  std::size_t Cols = 0;        // length of the second dimension
  std::size_t ChunkRows = 0;   // chunk shape, as the variable was defined
  std::size_t ChunkCols = 0;
};

// Writes each array into the closed netCDF-4 file at path. The variable must be chunked in the
// array's shape with exactly shuffle then deflate as its filters; otherwise, or on any library
// failure, throws NetCdfError.
void WritePackedChunks(const std::string& path, const std::vector<ChunkedArray>& arrays);

}  // namespace spectrel::archive
