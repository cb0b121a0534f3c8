#include "archive/netcdf_file.h"

#include <netcdf.h>

#include "archive/quantize.h"

namespace spectrel::archive {

namespace {

// Deflate level: the fastest; shuffled float spectra gain little from higher levels.
constexpr int DeflateLevel = 1;

}  // namespace

void CheckNc(int status, std::string_view what) {
  if (status == NC_NOERR) return;
  std::string message(what);
  message += ": ";
  message += nc_strerror(status);
  throw NetCdfError(message);
}

NetCdfFile::NetCdfFile(const std::string& path) : Path(path) {
  CheckNc(nc_create(path.c_str(), NC_CLOBBER | NC_NETCDF4 | NC_CLASSIC_MODEL, &Id),
          "cannot create " + path);
  int old = 0;
  CheckNc(nc_set_fill(Id, NC_NOFILL, &old), "fill mode");
}

NetCdfFile::~NetCdfFile() {
  if (Id >= 0) nc_close(Id);
}

int NetCdfFile::Dim(const std::string& name, std::size_t length) {
  int id = -1;
  CheckNc(nc_def_dim(Id, name.c_str(), length, &id), "dimension " + name);
  return id;
}

int NetCdfFile::Var(const std::string& name, int type, const std::vector<int>& dims,
                    const std::vector<std::size_t>& chunks) {
  int id = -1;
  CheckNc(nc_def_var(Id, name.c_str(), type, static_cast<int>(dims.size()), dims.data(), &id),
          "variable " + name);
  if (!chunks.empty()) {
    CheckNc(nc_def_var_chunking(Id, id, NC_CHUNKED, chunks.data()), "chunks of " + name);
    CheckNc(nc_def_var_deflate(Id, id, 1, 1, DeflateLevel), "compression of " + name);
  }
  return id;
}

void NetCdfFile::Text(int var, const std::string& name, std::string_view value) {
  CheckNc(nc_put_att_text(Id, var, name.c_str(), value.size(), value.data()), "attribute " + name);
}

void NetCdfFile::Doubles(int var, const std::string& name, const std::vector<double>& values) {
  CheckNc(nc_put_att_double(Id, var, name.c_str(), NC_DOUBLE, values.size(), values.data()),
          "attribute " + name);
}

void NetCdfFile::Floats(int var, const std::string& name, const std::vector<float>& values) {
  CheckNc(nc_put_att_float(Id, var, name.c_str(), NC_FLOAT, values.size(), values.data()),
          "attribute " + name);
}

void NetCdfFile::Ints(int var, const std::string& name, const std::vector<int>& values) {
  CheckNc(nc_put_att_int(Id, var, name.c_str(), NC_INT, values.size(), values.data()),
          "attribute " + name);
}

void NetCdfFile::Shorts(int var, const std::string& name, const std::vector<short>& values) {
  CheckNc(nc_put_att_short(Id, var, name.c_str(), NC_SHORT, values.size(), values.data()),
          "attribute " + name);
}

void NetCdfFile::Quantize(int var, int digits) { Quantized.emplace_back(var, digits); }

int NetCdfFile::QuantizedDigits(int var) const {
  for (const auto& [id, digits] : Quantized)
    if (id == var) return digits;
  return 0;
}

std::size_t NetCdfFile::Length(int var) const {
  int dims[NC_MAX_VAR_DIMS] = {};
  int count = 0;
  CheckNc(nc_inq_varndims(Id, var, &count), "dimensions");
  CheckNc(nc_inq_vardimid(Id, var, dims), "dimensions");
  std::size_t length = 1;
  for (int d = 0; d < count; ++d) {
    std::size_t n = 0;
    CheckNc(nc_inq_dimlen(Id, dims[d], &n), "dimensions");
    length *= n;
  }
  return length;
}

void NetCdfFile::EndDefinitions() { CheckNc(nc_enddef(Id), "definitions of " + Path); }

void NetCdfFile::Put(int var, const double* values) { CheckNc(nc_put_var_double(Id, var, values), "write"); }
void NetCdfFile::Put(int var, const float* values) {
  if (const int digits = QuantizedDigits(var); digits > 0) {
    std::vector<float> kept(values, values + Length(var));
    QuantizeFloats(kept, digits);
    CheckNc(nc_put_var_float(Id, var, kept.data()), "write");
    return;
  }
  CheckNc(nc_put_var_float(Id, var, values), "write");
}
void NetCdfFile::Put(int var, const int* values) { CheckNc(nc_put_var_int(Id, var, values), "write"); }
void NetCdfFile::Put(int var, const short* values) { CheckNc(nc_put_var_short(Id, var, values), "write"); }

void NetCdfFile::PutPacked(int var, std::vector<float> values) {
  if (const int digits = QuantizedDigits(var); digits > 0) QuantizeFloats(values, digits);
  char name[NC_MAX_NAME + 1] = "";
  CheckNc(nc_inq_varname(Id, var, name), "variable name");
  int dims[NC_MAX_VAR_DIMS] = {};
  int count = 0;
  CheckNc(nc_inq_varndims(Id, var, &count), "dimensions of " + std::string(name));
  if (count != 2) throw NetCdfError("variable " + std::string(name) + ": not two-dimensional");
  CheckNc(nc_inq_vardimid(Id, var, dims), "dimensions of " + std::string(name));
  ChunkedArray array;
  array.Name = name;
  CheckNc(nc_inq_dimlen(Id, dims[0], &array.Rows), "dimensions of " + array.Name);
  CheckNc(nc_inq_dimlen(Id, dims[1], &array.Cols), "dimensions of " + array.Name);
  int storage = 0;
  std::size_t chunks[2] = {0, 0};
  CheckNc(nc_inq_var_chunking(Id, var, &storage, chunks), "chunks of " + array.Name);
  if (storage != NC_CHUNKED) throw NetCdfError("variable " + array.Name + ": not chunked");
  array.ChunkRows = chunks[0];
  array.ChunkCols = chunks[1];
  if (values.size() != array.Rows * array.Cols)
    throw NetCdfError("variable " + array.Name + ": values do not fill it");
  array.Values = std::move(values);
  Packed.push_back(std::move(array));
}

void NetCdfFile::Close() {
  const int id = Id;
  Id = -1;
  CheckNc(nc_close(id), "cannot finish " + Path);
  std::vector<ChunkedArray> packed = std::move(Packed);
  WritePackedChunks(Path, packed);
}

}  // namespace spectrel::archive
