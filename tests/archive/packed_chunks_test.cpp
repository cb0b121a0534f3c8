// Large variables written as chunks the program shuffles and deflates itself, read back through
// the netCDF library: every value bit for bit whatever the edge chunks, and datasets whose own
// filters would not undo exactly that are refused.
#include <netcdf.h>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "archive/netcdf_file.h"
#include "archive/packed_chunks.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

using archive::ChunkedArray;
using archive::NetCdfError;
using archive::NetCdfFile;

// Values that a lossy or misordered byte shuffle would change: NaN fills, signed zero, the
// smallest subnormal, infinities, extremes, and a smooth spectrum between them.
std::vector<float> Samples(std::size_t count, std::size_t offset) {
  std::vector<float> values(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t k = i + offset;
    const float special[] = {std::numeric_limits<float>::quiet_NaN(), -0.0f, std::numeric_limits<float>::denorm_min(),
                             -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::max()};
    values[i] = k % 11 < 5 ? special[k % 11] : 1500.0f * std::sin(static_cast<float>(k) * 0.001f) + static_cast<float>(k % 7) * 0.25f;
  }
  return values;
}

std::vector<std::uint32_t> Bits(const std::vector<float>& values) {
  std::vector<std::uint32_t> bits;
  for (float v : values) bits.push_back(std::bit_cast<std::uint32_t>(v));
  return bits;
}

// The variable's bits as the netCDF library reads them back.
std::vector<std::uint32_t> Bits(const std::string& path, const char* name, std::size_t count) {
  int file = -1, var = -1;
  std::vector<float> values(count, 0.5f);
  EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &file), NC_NOERR);
  EXPECT_EQ(nc_inq_varid(file, name, &var), NC_NOERR);
  EXPECT_EQ(nc_get_var_float(file, var, values.data()), NC_NOERR);
  nc_close(file);
  return Bits(values);
}

TEST(PackedChunks, EveryValueReadsBackBitForBitWhateverTheEdgeChunks) {
  struct Shape { std::size_t Rows, Cols, ChunkRows, ChunkCols; };
  // Partial chunks at the end of either dimension, both, neither, and a single row of chunks.
  for (const Shape& s : {Shape{70, 300, 64, 256}, Shape{64, 256, 64, 256}, Shape{128, 1501, 64, 256},
                         Shape{3, 1501, 3, 256}, Shape{5, 9, 2, 4}}) {
    SCOPED_TRACE(std::to_string(s.Rows) + "x" + std::to_string(s.Cols));
    TempDir dir;
    const std::string path = dir.File("day.nc");
    const std::vector<float> first = Samples(s.Rows * s.Cols, 0), second = Samples(s.Rows * s.Cols, 5);
    const std::vector<float> series = Samples(s.Rows, 3);
    {
      NetCdfFile file(path);   // packed variables among one the library writes itself
      const int time = file.Dim("time", s.Rows), pixel = file.Dim("pixel", s.Cols);
      const int a = file.Var("a", NC_FLOAT, {time, pixel}, {s.ChunkRows, s.ChunkCols});
      const int b = file.Var("b", NC_FLOAT, {time, pixel}, {s.ChunkRows, s.ChunkCols});
      const int c = file.Var("c", NC_FLOAT, {time}, {s.Rows});
      file.EndDefinitions();
      file.PutPacked(a, first);
      file.Put(c, series.data());
      file.PutPacked(b, second);
      file.Close();
    }
    EXPECT_EQ(Bits(path, "a", first.size()), Bits(first));
    EXPECT_EQ(Bits(path, "b", second.size()), Bits(second));
    EXPECT_EQ(Bits(path, "c", series.size()), Bits(series));
  }
}

TEST(PackedChunks, RefusesWhatItCannotWriteAsTheDatasetsOwnFiltersWouldReadIt) {
  TempDir dir;
  {
    NetCdfFile file(dir.File("shapes.nc"));
    const int time = file.Dim("time", 10), pixel = file.Dim("pixel", 20);
    const int series = file.Var("series", NC_FLOAT, {time}, {10});
    const int plain = file.Var("plain", NC_FLOAT, {time, pixel});
    const int packed = file.Var("packed", NC_FLOAT, {time, pixel}, {5, 20});
    file.EndDefinitions();
    EXPECT_THROW(file.PutPacked(series, std::vector<float>(10)), NetCdfError);   // one dimension
    EXPECT_THROW(file.PutPacked(plain, std::vector<float>(200)), NetCdfError);   // not chunked
    EXPECT_THROW(file.PutPacked(packed, std::vector<float>(199)), NetCdfError);  // too few values
    file.Close();
  }
  // A chunked variable without shuffle and deflate: packed bytes would be read back as they are.
  const std::string bare = dir.File("bare.nc");
  int file = -1, dims[2] = {-1, -1}, var = -1;
  const std::size_t chunks[2] = {5, 20};
  ASSERT_EQ(nc_create(bare.c_str(), NC_NETCDF4 | NC_CLASSIC_MODEL, &file), NC_NOERR);
  nc_def_dim(file, "time", 10, &dims[0]);
  nc_def_dim(file, "pixel", 20, &dims[1]);
  nc_def_var(file, "v", NC_FLOAT, 2, dims, &var);
  ASSERT_EQ(nc_def_var_chunking(file, var, NC_CHUNKED, chunks), NC_NOERR);
  ASSERT_EQ(nc_close(file), NC_NOERR);
  const ChunkedArray right{"v", std::vector<float>(200, 1.0f), 10, 20, 5, 20};
  EXPECT_THROW(archive::WritePackedChunks(bare, {right}), NetCdfError);
  ChunkedArray absent = right;
  absent.Name = "w";
  EXPECT_THROW(archive::WritePackedChunks(dir.File("shapes.nc"), {absent}), NetCdfError);
  EXPECT_THROW(archive::WritePackedChunks(dir.File("none.nc"), {right}), NetCdfError);
}

}  // namespace
}  // namespace spectrel::testing
