#include "archive/quantize.h"

#include <netcdf.h>

#include <cmath>
#include <cstddef>
#include <utility>

#include "archive/netcdf_file.h"

namespace spectrel::archive {

namespace {

// Granular BitRound: the decimal digits asked for with the fewest bits kept.
constexpr int QuantizeMode = NC_QUANTIZE_GRANULARBR;
// Stands for NaN and infinities while the library works: it leaves its fill value alone, but
// would shave a NaN's bits into a zero.
constexpr float Gap = NC_FILL_FLOAT;

// A file that lives in memory only, closed when it goes out of scope.
class MemoryFile {
 public:
  MemoryFile() { CheckNc(nc_create("quantize.nc", NC_DISKLESS | NC_NETCDF4 | NC_CLOBBER, &Id), "quantization"); }
  ~MemoryFile() { nc_close(Id); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  int operator*() const { return Id; }

 private:
  int Id = -1;
};

}  // namespace

const char* QuantizeAlgorithm() { return "granular_bitround"; }

std::string NetCdfLibraryVersion() {
  const std::string text = nc_inq_libvers();
  return text.substr(0, text.find(' '));
}

void QuantizeFloats(std::vector<float>& values, int digits) {
  if (values.empty()) return;
  std::vector<std::pair<std::size_t, float>> kept;   // the values that are no finite number
  for (std::size_t i = 0; i < values.size(); ++i)
    if (!std::isfinite(values[i]) || values[i] == Gap) {
      kept.emplace_back(i, values[i]);
      values[i] = Gap;
    }
  const MemoryFile file;
  int dim = -1, var = -1;
  CheckNc(nc_def_dim(*file, "n", values.size(), &dim), "quantization");
  CheckNc(nc_def_var(*file, "v", NC_FLOAT, 1, &dim, &var), "quantization");
  CheckNc(nc_put_att_float(*file, var, "_FillValue", NC_FLOAT, 1, &Gap), "quantization");
  CheckNc(nc_def_var_quantize(*file, var, QuantizeMode, digits), "quantization");
  CheckNc(nc_enddef(*file), "quantization");
  CheckNc(nc_put_var_float(*file, var, values.data()), "quantization");
  CheckNc(nc_get_var_float(*file, var, values.data()), "quantization");
  for (const auto& [i, v] : kept) values[i] = v;
}

}  // namespace spectrel::archive
