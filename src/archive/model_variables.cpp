#include "archive/model_variables.h"

#include <netcdf.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <span>
#include <string>
#include <utility>

#include "archive/status_variables.h"

namespace spectrel::archive {

namespace {

constexpr float FloatFill = std::numeric_limits<float>::quiet_NaN();
constexpr int ExposureFill = -1;            // ms; no block of the model in the point
constexpr int StateFill = -2147483647;      // the library's default integer fill
constexpr std::size_t TimeChunk = 64;       // points per chunk of a (time, pixel) variable
constexpr std::size_t PixelChunk = 256;     // pixels per chunk

std::span<const StatusVariable> FamilyOf(int model) {
  if (Models[static_cast<std::size_t>(model)].ShortWavelength) return ShortStatusVariables;
  return LongStatusVariables;
}

bool Applies(const StatusVariable& v, int model) {
  return !v.SecondTemperature || Models[static_cast<std::size_t>(model)].SecondTemperature;
}

std::string Named(std::string_view base, int model) {
  std::string name(base);
  name += '_';
  name += Models[static_cast<std::size_t>(model)].Tag;
  return name;
}

void SensorIdentity(NetCdfFile& file, int var, const SensorInfo& info) {
  file.Text(var, "serial_number", info.SerialNo);
  file.Text(var, "sensor_id", info.SensorId);
  file.Text(var, "sensor_type", info.SensorType);
  file.Text(var, "firmware_version", info.FirmwareVersion);
  file.Text(var, "firmware_time", info.FirmwareTime);
  std::vector<double> coefficients;
  for (const std::string& c : info.Coef) coefficients.push_back(std::atof(c.c_str()));
  file.Doubles(var, "wavelength_coefficients", coefficients);
  file.Text(var, "wavelength_polynomial", "wavelength(p) = c0 + c1 p + c2 p2 + c3 p3 + c4 p4 + c5 p5 nm, pixel p = 1..N");
}

int StatusVar(NetCdfFile& file, const StatusVariable& v, int model, int timeDim, const VariableLinks& links) {
  const int var = file.Var(Named(v.Name, model), v.Integer ? NC_INT : NC_FLOAT, {timeDim});
  file.Text(var, "long_name", std::string(Models[static_cast<std::size_t>(model)].Name) + " " +
                                  std::string(v.Label));
  file.Text(var, "units", v.Units);
  if (v.Integer) {
    file.Ints(var, "_FillValue", {StateFill});
    file.Text(var, "comment", v.States);
  } else {
    file.Floats(var, "_FillValue", {FloatFill});
  }
  if (v.SecondTemperature) file.Text(var, "comment", "fill where the sensor was not asked for it");
  LinkCoordinates(file, var, links);
  return var;
}

}  // namespace

ModelVariableIds DefineModelVariables(NetCdfFile& file, const CKrfData& day, int model, int timeDim,
                                      const VariableLinks& links) {
  const ModelDescription& desc = Models[static_cast<std::size_t>(model)];
  const SensorInfo& info = *day.Info(model);
  const std::size_t points = static_cast<std::size_t>(day.RadCount());
  const int pixelDim = file.Dim(Named("pixel", model), static_cast<std::size_t>(desc.Pixels));
  const std::string name(desc.Name);
  ModelVariableIds ids;
  ids.Model = model;

  ids.Wavelength = file.Var(Named("wavelength", model), NC_FLOAT, {pixelDim});
  file.Text(ids.Wavelength, "standard_name", "radiation_wavelength");
  file.Text(ids.Wavelength, "long_name", name + " pixel wavelength");
  file.Text(ids.Wavelength, "units", "nm");

  ids.Calibration = file.Var(Named("calibration", model), NC_FLOAT, {pixelDim});
  file.Text(ids.Calibration, "long_name", name + " calibration factor from counts per second");
  file.Text(ids.Calibration, "units", "W m-2 um-1 s");

  ids.Irradiance = file.Var(Named("irradiance", model), NC_FLOAT, {timeDim, pixelDim},
                            {std::min(points, TimeChunk), std::min<std::size_t>(desc.Pixels, PixelChunk)});
  file.Text(ids.Irradiance, "standard_name", "surface_downwelling_radiative_flux_per_unit_wavelength_in_air");
  file.Text(ids.Irradiance, "long_name", name + " spectral irradiance per pixel, (light - dark) x calibration");
  file.Text(ids.Irradiance, "units", "W m-2 um-1");
  file.Floats(ids.Irradiance, "_FillValue", {FloatFill});
  LinkMeasurement(file, ids.Irradiance, links, "quality_flag", Named("wavelength", model));
  SensorIdentity(file, ids.Irradiance, info);

  ids.Exposure = file.Var(Named("exposure_time", model), NC_INT, {timeDim});
  file.Text(ids.Exposure, "long_name", name + " Exposure time");
  file.Text(ids.Exposure, "units", "ms");
  file.Ints(ids.Exposure, "_FillValue", {ExposureFill});
  LinkCoordinates(file, ids.Exposure, links);

  ids.DarkCounts = file.Var(Named("dark_counts", model), NC_FLOAT, {timeDim});
  file.Text(ids.DarkCounts, "long_name", name + " Dark Counts: largest minus smallest dark signal");
  file.Text(ids.DarkCounts, "units", "s-1");
  file.Floats(ids.DarkCounts, "_FillValue", {FloatFill});
  LinkCoordinates(file, ids.DarkCounts, links);

  for (const StatusVariable& v : FamilyOf(model))
    if (Applies(v, model)) ids.Status.push_back(StatusVar(file, v, model, timeDim, links));
  return ids;
}

namespace {

float DarkSpread(const SensorMeasurement& m) {
  if (m.Dark.empty()) return FloatFill;
  const auto [lo, hi] = std::minmax_element(m.Dark.begin(), m.Dark.end());
  return *hi - *lo;
}

float StatusValue(const SensorMeasurement& m, const StatusVariable& v) {
  const float value = m.StatusFloat[static_cast<std::size_t>(v.Index)];
  if (v.SecondTemperature && value == NoSecondTemperature) return FloatFill;
  return value;
}

}  // namespace

void WriteModelVariables(NetCdfFile& file, const CKrfData& day, const ModelVariableIds& ids) {
  const SensorInfo& info = *day.Info(ids.Model);
  const std::size_t pixels = static_cast<std::size_t>(Models[static_cast<std::size_t>(ids.Model)].Pixels);
  const int points = day.RadCount();
  std::vector<float> axis(info.Wavelength), calib(info.Calib);
  axis.resize(pixels, FloatFill);
  calib.resize(pixels, FloatFill);
  file.Put(ids.Wavelength, axis.data());
  file.Put(ids.Calibration, calib.data());

  std::vector<float> irradiance(static_cast<std::size_t>(points) * pixels, FloatFill);
  std::vector<int> exposure(static_cast<std::size_t>(points), ExposureFill);
  std::vector<float> dark(static_cast<std::size_t>(points), FloatFill);
  const std::span<const StatusVariable> family = FamilyOf(ids.Model);
  std::vector<std::vector<float>> reals(family.size(), std::vector<float>(static_cast<std::size_t>(points), FloatFill));
  std::vector<std::vector<int>> states(family.size(), std::vector<int>(static_cast<std::size_t>(points), StateFill));
  for (int j = 0; j < points; ++j) {
    const SensorMeasurement* m = day.Rad(j).Block(ids.Model);
    if (m == nullptr) continue;
    const std::size_t p = static_cast<std::size_t>(j);
    const std::size_t n = std::min({pixels, m->Light.size(), m->Dark.size(), info.Calib.size()});
    for (std::size_t k = 0; k < n; ++k)
      irradiance[p * pixels + k] = static_cast<float>(PixelIrradiance(*m, info, static_cast<int>(k)));
    exposure[p] = m->ExposureMs;
    dark[p] = DarkSpread(*m);
    for (std::size_t s = 0; s < family.size(); ++s) {
      if (family[s].Integer) states[s][p] = m->StatusInt[static_cast<std::size_t>(family[s].Index)];
      else reals[s][p] = StatusValue(*m, family[s]);
    }
  }
  file.PutPacked(ids.Irradiance, std::move(irradiance));
  file.Put(ids.Exposure, exposure.data());
  file.Put(ids.DarkCounts, dark.data());
  std::size_t written = 0;
  for (std::size_t s = 0; s < family.size(); ++s) {
    if (!Applies(family[s], ids.Model)) continue;
    const int var = ids.Status[written++];
    if (family[s].Integer) file.Put(var, states[s].data());
    else file.Put(var, reals[s].data());
  }
}

}  // namespace spectrel::archive
