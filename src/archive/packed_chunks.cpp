#include "archive/packed_chunks.h"

#include <hdf5.h>
#include <libdeflate.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "archive/netcdf_file.h"

namespace spectrel::archive {

namespace {

static_assert(std::endian::native == std::endian::little, "chunks are stored little-endian");

// Deflate level of the chunks: the fastest; shuffled spectra gain little from higher levels.
constexpr int PackLevel = 1;

// An HDF5 identifier closed when it goes out of scope.
class Handle {
 public:
  Handle(hid_t id, herr_t (*close)(hid_t), const std::string& what) : Id(id), Close(close) {
    if (id < 0) throw NetCdfError(what);
  }
  ~Handle() { Close(Id); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  hid_t operator*() const { return Id; }

 private:
  hid_t Id;                  // the library's identifier
  herr_t (*Close)(hid_t);    // its closing function
};

void Require(bool condition, const ChunkedArray& array, const char* what) {
  if (!condition) throw NetCdfError("variable " + array.Name + ": " + what);
}

// The dataset is chunked as the array says, holds 4-byte little-endian floats of its shape and
// has shuffle then deflate as its only filters: then a chunk made here is one it would make.
void CheckLayout(hid_t dataset, const ChunkedArray& array) {
  const Handle type(H5Dget_type(dataset), H5Tclose, "type of " + array.Name);
  Require(H5Tget_class(*type) == H5T_FLOAT && H5Tget_size(*type) == 4 &&
              H5Tget_order(*type) == H5T_ORDER_LE,
          array, "not little-endian 4-byte floats");
  const Handle space(H5Dget_space(dataset), H5Sclose, "shape of " + array.Name);
  hsize_t dims[2] = {0, 0};
  Require(H5Sget_simple_extent_ndims(*space) == 2 && H5Sget_simple_extent_dims(*space, dims, nullptr) == 2 &&
              dims[0] == array.Rows && dims[1] == array.Cols && array.Values.size() == array.Rows * array.Cols,
          array, "shape differs from the values");
  const Handle create(H5Dget_create_plist(dataset), H5Pclose, "properties of " + array.Name);
  hsize_t chunk[2] = {0, 0};
  Require(H5Pget_layout(*create) == H5D_CHUNKED && H5Pget_chunk(*create, 2, chunk) == 2 &&
              chunk[0] == array.ChunkRows && chunk[1] == array.ChunkCols,
          array, "chunks differ");
  Require(H5Pget_nfilters(*create) == 2, array, "filters other than shuffle and deflate");
  for (unsigned i = 0; i < 2; ++i) {
    unsigned flags = 0;
    std::size_t count = 0;
    const H5Z_filter_t filter = H5Pget_filter2(*create, i, &flags, &count, nullptr, 0, nullptr, nullptr);
    Require(filter == (i == 0 ? H5Z_FILTER_SHUFFLE : H5Z_FILTER_DEFLATE), array,
            "filters other than shuffle then deflate");
  }
}

// One chunk, edge chunks padded with zeros to the full shape, shuffled for 4-byte elements into
// out: all first bytes, then all second bytes, and so on.
void ShuffleChunk(const ChunkedArray& array, std::size_t row0, std::size_t col0,
                  std::vector<unsigned char>& out) {
  const std::size_t n = array.ChunkRows * array.ChunkCols;
  const std::size_t rows = std::min(array.ChunkRows, array.Rows - row0);
  const std::size_t cols = std::min(array.ChunkCols, array.Cols - col0);
  out.resize(n * sizeof(float));
  if (rows < array.ChunkRows || cols < array.ChunkCols) std::fill(out.begin(), out.end(), 0);
  unsigned char* planes[4] = {out.data(), out.data() + n, out.data() + 2 * n, out.data() + 3 * n};
  for (std::size_t r = 0; r < rows; ++r) {
    const float* source = array.Values.data() + (row0 + r) * array.Cols + col0;
    const std::size_t at = r * array.ChunkCols;
    for (std::size_t c = 0; c < cols; ++c) {
      const std::uint32_t bits = std::bit_cast<std::uint32_t>(source[c]);
      planes[0][at + c] = static_cast<unsigned char>(bits);
      planes[1][at + c] = static_cast<unsigned char>(bits >> 8);
      planes[2][at + c] = static_cast<unsigned char>(bits >> 16);
      planes[3][at + c] = static_cast<unsigned char>(bits >> 24);
    }
  }
}

// Compresses and writes every chunk of one array, with buffers reused from chunk to chunk.
class ChunkPacker {
 public:
  ChunkPacker() : Compressor(libdeflate_alloc_compressor(PackLevel), libdeflate_free_compressor) {
    if (!Compressor) throw NetCdfError("cannot set up the compressor");
  }

  void Write(hid_t dataset, const ChunkedArray& array) {
    const std::size_t bytes = array.ChunkRows * array.ChunkCols * sizeof(float);
    Packed.resize(libdeflate_zlib_compress_bound(Compressor.get(), bytes));
    for (std::size_t row = 0; row < array.Rows; row += array.ChunkRows)
      for (std::size_t col = 0; col < array.Cols; col += array.ChunkCols) {
        ShuffleChunk(array, row, col, Shuffled);
        const std::size_t size =
            libdeflate_zlib_compress(Compressor.get(), Shuffled.data(), bytes, Packed.data(), Packed.size());
        Require(size > 0, array, "chunk does not compress");
        const hsize_t offset[2] = {row, col};
        if (H5Dwrite_chunk(dataset, H5P_DEFAULT, 0, offset, size, Packed.data()) < 0)
          throw NetCdfError("cannot write a chunk of " + array.Name);
      }
  }

 private:
  std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> Compressor;
  std::vector<unsigned char> Shuffled;   // one chunk, shuffled
  std::vector<unsigned char> Packed;     // one chunk, compressed
};

}  // namespace

void WritePackedChunks(const std::string& path, const std::vector<ChunkedArray>& arrays) {
  if (arrays.empty()) return;
  const Handle file(H5Fopen(path.c_str(), H5F_ACC_RDWR, H5P_DEFAULT), H5Fclose, "cannot reopen " + path);
  ChunkPacker packer;
  for (const ChunkedArray& array : arrays) {
    const Handle dataset(H5Dopen2(*file, array.Name.c_str(), H5P_DEFAULT), H5Dclose,
                         "no variable " + array.Name + " in " + path);
    CheckLayout(*dataset, array);
    packer.Write(*dataset, array);
  }
  if (H5Fflush(*file, H5F_SCOPE_LOCAL) < 0) throw NetCdfError("cannot finish " + path);
}

}  // namespace spectrel::archive
