#include "spectrum/records.h"

#include <string>
#include <utility>

#include "base/c_locale.h"

namespace spectrel {

std::string FieldText(std::string_view value) {
  return std::string(value.substr(0, TextFieldMax));
}

SensorInfo::SensorInfo(int model)
    : Model(model),
      Wavelength(static_cast<size_t>(Models.at(model).Pixels), 0.0f),
      Calib(static_cast<size_t>(Models.at(model).Pixels), 0.0f) {}

void ComputeWavelengths(SensorInfo& info) {
  double c[6];
  for (int i = 0; i < 6; ++i) c[i] = CAtof(info.Coef[i].c_str());
  const int n = Models.at(info.Model).Pixels;
  info.Wavelength.assign(static_cast<size_t>(n), 0.0f);
  for (int p = 1; p <= n; ++p) {
    const double x = p;
    const double w = c[0] + c[1] * x + c[2] * x * x + c[3] * x * x * x + c[4] * x * x * x * x +
                     c[5] * x * x * x * x * x;
    info.Wavelength[static_cast<size_t>(p - 1)] = static_cast<float>(w);
  }
}

SensorMeasurement::SensorMeasurement(int model)
    : Model(model),
      Light(static_cast<size_t>(Models.at(model).Pixels), 0.0f),
      Dark(static_cast<size_t>(Models.at(model).Pixels), 0.0f) {}

// ---- CRad ----

const SensorMeasurement* CRad::Block(int model) const {
  return ValidModel(model) && Blocks[model] ? &*Blocks[model] : nullptr;
}

SensorMeasurement* CRad::Block(int model) {
  return ValidModel(model) && Blocks[model] ? &*Blocks[model] : nullptr;
}

void CRad::SetBlock(int model, const SensorMeasurement& block) {
  if (!ValidModel(model)) throw std::invalid_argument("model index out of range");
  Blocks[model] = block;
}

void CRad::SetBlock(int model, SensorMeasurement&& block) {
  if (!ValidModel(model)) throw std::invalid_argument("model index out of range");
  Blocks[model] = std::move(block);
}

void CRad::RemoveBlock(int model) {
  if (ValidModel(model)) Blocks[model].reset();
}

bool CRad::HasAnyBlock() const {
  for (const auto& b : Blocks)
    if (b) return true;
  return false;
}

// ---- CKrfData ----

const SensorInfo* CKrfData::Info(int model) const {
  return ValidModel(model) && Infos[model] ? &*Infos[model] : nullptr;
}

void CKrfData::SetInfo(int model, const SensorInfo& info) {
  if (!ValidModel(model)) throw std::invalid_argument("model index out of range");
  Infos[model] = info;
}

const CRad& CKrfData::Rad(int j) const {
  if (j < 0 || j >= RadCount()) throw std::invalid_argument("measurement index out of range");
  return Rads[static_cast<size_t>(j)];
}

CRad& CKrfData::Rad(int j) {
  if (j < 0 || j >= RadCount()) throw std::invalid_argument("measurement index out of range");
  return Rads[static_cast<size_t>(j)];
}

const CRad* CKrfData::LastRad() const { return Rads.empty() ? nullptr : &Rads.back(); }
CRad* CKrfData::LastRad() { return Rads.empty() ? nullptr : &Rads.back(); }

int CKrfData::AppendRad(const CRad& rad) {
  Rads.push_back(rad);
  return RadCount() - 1;
}

int CKrfData::AppendRad(CRad&& rad) {
  Rads.push_back(std::move(rad));
  return RadCount() - 1;
}

CKrfData CKrfData::Header() const {
  CKrfData header;
  header.SiteName = SiteName;
  header.SiteLon = SiteLon;
  header.SiteLat = SiteLat;
  header.SiteAlt = SiteAlt;
  header.TimeZone = TimeZone;
  header.Infos = Infos;
  return header;
}

const SensorMeasurement* CKrfData::Block(int model, int j) const {
  const CRad& rad = Rad(j);
  return rad.Block(model);
}

double CKrfData::Wavelength(int model, int k) const {
  if (!ValidModel(model)) return 0.0;
  return static_cast<double>(Infos[model]->Wavelength[static_cast<size_t>(k)]);
}

double CKrfData::Irradiance(int model, int k, int j) const {
  if (!ValidModel(model)) return 0.0;
  return PixelIrradiance(*Rad(j).Block(model), *Infos[model], k);
}

bool CKrfData::Covers(int model, double w) const {
  if (!ValidModel(model) || !Infos[model]) return false;
  const auto& wl = Infos[model]->Wavelength;
  return !wl.empty() && wl.front() <= w && w <= wl.back();
}

void CKrfData::Clear() {
  while (!Rads.empty()) Rads.pop_back();
  for (auto& info : Infos) info.reset();
  SiteName.clear();
  SiteLon.clear();
  SiteLat.clear();
  SiteAlt.clear();
  TimeZone.clear();
}

bool SensorFailed(const CKrfData& day, const CRad& rad, int model) {
  return day.Info(model) != nullptr && rad.Block(model) == nullptr;
}

bool PointFailed(const CKrfData& day, const CRad& rad) {
  if (!rad.HasAnyBlock()) return true;
  for (int model = SR101; model <= SR104; ++model)
    if (SensorFailed(day, rad, model)) return true;
  return false;
}

}  // namespace spectrel
