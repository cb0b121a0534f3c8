// Large variables written as chunks compressed by the program itself, read back through the netCDF
// library, ncdump and Python's netCDF4: every value bit for bit, with shuffle and deflate shown.
#include <netcdf.h>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>

#include "archive/netcdf_day_writer.h"
#include "archive/netcdf_file.h"
#include "archive/packed_chunks.h"
#include "archive_support.h"
#include "support/synthetic_day.h"
#include "support/temp_dir.h"

namespace spectrel::testing {
namespace {

using archive::ChunkedArray;
using archive::NetCdfError;
using archive::NetCdfFile;

// Values that a lossy or misordered byte shuffle would change: NaN fills, signed zero, the
// smallest subnormal, infinities, extremes, and a smooth spectrum between them.
float Sample(std::size_t i) {
  switch (i % 11) {
    case 0: return std::numeric_limits<float>::quiet_NaN();
    case 1: return -0.0f;
    case 2: return std::numeric_limits<float>::denorm_min();
    case 3: return -std::numeric_limits<float>::infinity();
    case 4: return std::numeric_limits<float>::max();
    default: return 1500.0f * std::sin(static_cast<float>(i) * 0.001f) + static_cast<float>(i % 7) * 0.25f;
  }
}

std::vector<float> Samples(std::size_t count, std::size_t offset) {
  std::vector<float> values(count);
  for (std::size_t i = 0; i < count; ++i) values[i] = Sample(i + offset);
  return values;
}

// The variable as the netCDF library reads it back.
std::vector<float> ReadBack(const std::string& path, const char* name, std::size_t count) {
  int file = -1, var = -1;
  std::vector<float> values(count, 0.5f);
  EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &file), NC_NOERR);
  EXPECT_EQ(nc_inq_varid(file, name, &var), NC_NOERR);
  EXPECT_EQ(nc_get_var_float(file, var, values.data()), NC_NOERR);
  int shuffle = 0, deflate = 0, level = 0;
  EXPECT_EQ(nc_inq_var_deflate(file, var, &shuffle, &deflate, &level), NC_NOERR);
  EXPECT_EQ(shuffle, 1);
  EXPECT_EQ(deflate, 1);
  EXPECT_EQ(level, 1);
  nc_close(file);
  return values;
}

// Runs a shell command; its stdout into output. The exit status.
int Capture(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Index of the first value whose bits differ, or -1.
long FirstDifference(const std::vector<float>& a, const std::vector<float>& b) {
  if (a.size() != b.size()) return 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::bit_cast<std::uint32_t>(a[i]) != std::bit_cast<std::uint32_t>(b[i])) return static_cast<long>(i);
  return -1;
}

struct Shape {
  std::size_t Rows, Cols, ChunkRows, ChunkCols;
};

TEST(PackedChunks, EveryValueReadsBackBitForBitWhateverTheEdgeChunks) {
  // Partial chunks at the end of either dimension, both, neither, and a single row of chunks.
  for (const Shape& s : {Shape{70, 300, 64, 256}, Shape{64, 256, 64, 256}, Shape{128, 1501, 64, 256},
                         Shape{3, 1501, 3, 256}, Shape{200, 512, 64, 256}, Shape{5, 9, 2, 4}}) {
    SCOPED_TRACE(std::to_string(s.Rows) + "x" + std::to_string(s.Cols));
    TempDir dir;
    const std::string path = dir.File("day.nc");
    const std::vector<float> first = Samples(s.Rows * s.Cols, 0);
    const std::vector<float> second = Samples(s.Rows * s.Cols, 5);
    const std::vector<float> series = Samples(s.Rows, 3);
    {
      NetCdfFile file(path);
      const int time = file.Dim("time", s.Rows);
      const int pixel = file.Dim("pixel", s.Cols);
      const int a = file.Var("a", NC_FLOAT, {time, pixel}, {s.ChunkRows, s.ChunkCols});
      const int b = file.Var("b", NC_FLOAT, {time, pixel}, {s.ChunkRows, s.ChunkCols});
      const int c = file.Var("c", NC_FLOAT, {time}, {s.Rows});
      file.Text(a, "units", "W m-2 um-1");
      file.EndDefinitions();
      file.PutPacked(a, first);
      file.Put(c, series.data());
      file.PutPacked(b, second);
      file.Close();
    }
    EXPECT_EQ(FirstDifference(ReadBack(path, "a", first.size()), first), -1);
    EXPECT_EQ(FirstDifference(ReadBack(path, "b", second.size()), second), -1);
    EXPECT_EQ(FirstDifference(ReadBack(path, "c", series.size()), series), -1);
  }
}

TEST(PackedChunks, RefusesVariablesItCannotWriteAsTheirOwnFiltersWould) {
  TempDir dir;
  NetCdfFile file(dir.File("day.nc"));
  const int time = file.Dim("time", 10);
  const int pixel = file.Dim("pixel", 20);
  const int series = file.Var("series", NC_FLOAT, {time}, {10});
  const int plain = file.Var("plain", NC_FLOAT, {time, pixel});
  const int packed = file.Var("packed", NC_FLOAT, {time, pixel}, {5, 20});
  file.EndDefinitions();
  EXPECT_THROW(file.PutPacked(series, std::vector<float>(10)), NetCdfError);   // one dimension
  EXPECT_THROW(file.PutPacked(plain, std::vector<float>(200)), NetCdfError);   // not chunked
  EXPECT_THROW(file.PutPacked(packed, std::vector<float>(199)), NetCdfError);  // too few values
  file.Close();
}

// A file whose chunked variable has no filters, one with the usual two, each closed.
std::string FileWithFilters(const TempDir& dir, bool filtered) {
  const std::string path = dir.File(filtered ? "filtered.nc" : "bare.nc");
  int file = -1, dims[2] = {-1, -1}, var = -1;
  const std::size_t chunks[2] = {5, 20};
  EXPECT_EQ(nc_create(path.c_str(), NC_NETCDF4 | NC_CLASSIC_MODEL, &file), NC_NOERR);
  EXPECT_EQ(nc_def_dim(file, "time", 10, &dims[0]), NC_NOERR);
  EXPECT_EQ(nc_def_dim(file, "pixel", 20, &dims[1]), NC_NOERR);
  EXPECT_EQ(nc_def_var(file, "v", NC_FLOAT, 2, dims, &var), NC_NOERR);
  EXPECT_EQ(nc_def_var_chunking(file, var, NC_CHUNKED, chunks), NC_NOERR);
  if (filtered) {
    EXPECT_EQ(nc_def_var_deflate(file, var, 1, 1, 1), NC_NOERR);
  }
  EXPECT_EQ(nc_close(file), NC_NOERR);
  return path;
}

TEST(PackedChunks, ChecksTheDatasetBeforeWritingIntoIt) {
  TempDir dir;
  const std::string bare = FileWithFilters(dir, false);
  const std::string filtered = FileWithFilters(dir, true);
  const ChunkedArray right{"v", std::vector<float>(200, 1.0f), 10, 20, 5, 20};
  ChunkedArray otherChunks = right;
  otherChunks.ChunkRows = 10;
  ChunkedArray otherShape = right;
  otherShape.Rows = 20;
  otherShape.Values.resize(400);
  ChunkedArray absent = right;
  absent.Name = "w";
  struct Case {
    const char* What;
    std::string Path;
    const ChunkedArray* Array;
  };
  for (const Case& c : {Case{"no filters", bare, &right}, Case{"other chunks", filtered, &otherChunks},
                        Case{"other shape", filtered, &otherShape}, Case{"no such variable", filtered, &absent},
                        Case{"no such file", dir.File("none.nc"), &right}}) {
    SCOPED_TRACE(c.What);
    EXPECT_THROW(archive::WritePackedChunks(c.Path, {*c.Array}), NetCdfError);
  }
  archive::WritePackedChunks(filtered, {right});
  EXPECT_EQ(FirstDifference(ReadBack(filtered, "v", 200), right.Values), -1);
}

// The day writer's per-pixel irradiance against the day's own blocks, and the filters as
// ncdump and Python's netCDF4 report them.
TEST(PackedChunks, ADayFileShowsShuffleAndDeflateToOtherReaders) {
  TempDir dir;
  const CKrfData day = MakeDay({SR102, SR104}, 70, 1555023600, 60);
  const std::string path = dir.File("20190412.nc");
  archive::WriteNetCdfDay(day, {}, path);
  for (int model : {SR102, SR104}) {
    SCOPED_TRACE(Models[model].Tag);
    const std::size_t pixels = static_cast<std::size_t>(Models[model].Pixels);
    std::vector<float> expected(70 * pixels, std::numeric_limits<float>::quiet_NaN());
    for (int j = 0; j < 70; ++j)
      for (std::size_t k = 0; k < day.Rad(j).Block(model)->Light.size(); ++k)
        expected[static_cast<std::size_t>(j) * pixels + k] =
            static_cast<float>(PixelIrradiance(*day.Rad(j).Block(model), *day.Info(model), static_cast<int>(k)));
    const std::string name = "irradiance_" + std::string(Models[model].Tag);
    EXPECT_EQ(FirstDifference(ReadBack(path, name.c_str(), expected.size()), expected), -1);
  }
  std::string output;
  ASSERT_EQ(Capture("ncdump -hs '" + path + "'", output), 0) << output;
  EXPECT_NE(output.find("spectral_irradiance:_Shuffle = \"true\""), std::string::npos) << output;
  EXPECT_NE(output.find("irradiance_SR104:_DeflateLevel = 1"), std::string::npos);
  if (!PythonHas("netCDF4, xarray, numpy")) GTEST_SKIP() << "/usr/bin/python3 lacks netCDF4/xarray";
  ASSERT_EQ(RunPython({TestScript("nc_summary.py"), path}, output), 0) << output;
  const nlohmann::json summary = nlohmann::json::parse(output, nullptr, false);
  ASSERT_FALSE(summary.is_discarded()) << output;
  for (const char* name : {"spectral_irradiance", "irradiance_SR102", "irradiance_SR104"}) {
    SCOPED_TRACE(name);
    const nlohmann::json& filters = summary["vars"][name]["filters"];
    EXPECT_EQ(filters.value("shuffle", false), true);
    EXPECT_EQ(filters.value("zlib", false), true);
    EXPECT_EQ(filters.value("complevel", 0), 1);
    EXPECT_EQ(summary["vars"][name]["chunks"], (nlohmann::json{64, 256}));
  }
}

}  // namespace
}  // namespace spectrel::testing
