// Day file reader on arbitrary bytes in memory: no crash, no leak, no undefined behaviour, and the
// result always agrees with the set it built.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/krf_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  spectrel::CKrfData set;
  try {
    const spectrel::KrfLoad result =
        spectrel::LoadKrfFromBytes(set, std::string_view(reinterpret_cast<const char*>(data), size));
    if (result && result.Points != set.RadCount()) __builtin_trap();
  } catch (const spectrel::KrfTimeError&) {
    // An invalid time stamp ends the load; what was read stays and is checked below.
  }
  // Every stored record has the full tables of its model.
  for (int m = 0; m < spectrel::ModelCount; ++m) {
    const auto n = static_cast<std::size_t>(spectrel::Models[static_cast<std::size_t>(m)].Pixels);
    if (const spectrel::SensorInfo* info = set.Info(m))
      if (info->Calib.size() != n || info->Wavelength.size() != n || info->SerialNo.size() > 31) __builtin_trap();
    for (int j = 0; j < set.RadCount(); ++j)
      if (const spectrel::SensorMeasurement* b = set.Rad(j).Block(m))
        if (b->Light.size() != n || b->Dark.size() != n) __builtin_trap();
  }
  return 0;
}
