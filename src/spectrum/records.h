// The records every spectrum lives in: sensor information, one sensor's measurement, one
// measurement time point (CRad) and the measurement set of a day (CKrfData).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "spectrum/model_table.h"

namespace spectrel {

// Copies at most 31 bytes of value, as a 32-byte text field of the instrument records holds.
std::string FieldText(std::string_view value);

// What a sensor told about itself when it was identified.
struct SensorInfo {
  explicit SensorInfo(int model = SR101);

  int Model;                          // ModelIndex of the layout
  std::string SerialNo;               // "SER" reply, at most 31 bytes
  std::string SensorId;               // "ID" reply
  std::string SensorType;             // "ST" reply: the model name
  std::string FirmwareVersion;        // "FV" reply
  std::string FirmwareTime;           // "FT" reply, first two tokens joined by a blank
  std::array<std::string, 6> Coef;    // wavelength polynomial coefficients C0..C5, as text
  std::vector<float> Wavelength;      // nm of pixel 1..N (index 0..N-1)
  std::vector<float> Calib;           // W/m2/um per count/s of each pixel

  bool operator==(const SensorInfo&) const = default;
};

// Fills Wavelength from the six Coef texts: w(p) = C0 + C1 p + ... + C5 p^5 for pixel p = 1..N,
// computed in double, stored as single precision. Coefficients are read with atof rules.
void ComputeWavelengths(SensorInfo& info);

// One light and one dark spectrum of one sensor with its status values.
struct SensorMeasurement {
  explicit SensorMeasurement(int model = SR101);

  int Model;                                  // ModelIndex of the layout
  std::string SerialNo;                       // "SER" reply after the spectra, at most 31 bytes
  std::int64_t MeasureTime = 0;               // s since 1970 UTC, just before the kept light exposure
  std::int32_t ExposureMs = 0;                // exposure of both spectra, ms
  std::array<std::int32_t, MaxStatusInt> StatusInt{};   // first StatusIntCount used
  std::array<float, MaxStatusFloat> StatusFloat{};      // first StatusFloatCount used
  std::vector<float> Light;                   // shutter-open counts per second, N values
  std::vector<float> Dark;                    // shutter-closed counts per second, N values

  bool operator==(const SensorMeasurement&) const = default;
};

// Spectral irradiance of pixel k in W/m2/um: (Light - Dark) * Calib in single precision, widened.
inline double PixelIrradiance(const SensorMeasurement& m, const SensorInfo& info, int k) {
  const float e = (m.Light[k] - m.Dark[k]) * info.Calib[k];
  return static_cast<double>(e);
}

// One measurement time point with up to four sensor blocks; a plain value.
class CRad {
 public:
  std::int64_t MeasureTime = 0;   // time of the point ("MT" of the day file), s since 1970 UTC
  std::string Memo;               // free text ("MEMO" of the day file)

  // Block of a model, null when that model took no part (and for a model index outside 0..3).
  const SensorMeasurement* Block(int model) const;
  SensorMeasurement* Block(int model);
  // Stores the block as its model's; a model index outside 0..3 throws std::invalid_argument.
  void SetBlock(int model, const SensorMeasurement& block);
  void SetBlock(int model, SensorMeasurement&& block);
  void RemoveBlock(int model);
  bool HasAnyBlock() const;

  bool operator==(const CRad&) const = default;

 private:
  std::array<std::optional<SensorMeasurement>, ModelCount> Blocks;   // by model index
};

// The time stamp of a day file is not a valid local date and time: the load ended early,
// keeping what was read before. Callers catch it, log it and go on.
class KrfTimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The measurement set of a day; a plain value.
class CKrfData {
 public:
  // Site strings of the file header, in file order.
  std::string SiteName;   // "SITE"
  std::string SiteLon;    // "LON"
  std::string SiteLat;    // "LAT"
  std::string SiteAlt;    // "ALT"
  std::string TimeZone;   // "TZ": local offset from UTC in whole hours, "%+d"

  // Information record of a model; null when absent or for a model index outside 0..3.
  const SensorInfo* Info(int model) const;
  void SetInfo(int model, const SensorInfo& info);

  int RadCount() const { return static_cast<int>(Rads.size()); }
  // CRad j; an index outside the array throws std::invalid_argument.
  const CRad& Rad(int j) const;
  CRad& Rad(int j);
  const CRad* LastRad() const;
  CRad* LastRad();
  // Appends the point; returns the index at which it was placed.
  int AppendRad(const CRad& rad);
  int AppendRad(CRad&& rad);

  // Block of model i in CRad j: null for a model index above 3; j out of range throws.
  const SensorMeasurement* Block(int model, int j) const;
  // Wavelength of pixel k of model i (the record must exist); 0 for a model index above 3.
  double Wavelength(int model, int k) const;
  // Irradiance of pixel k of model i in CRad j (the block must exist); 0 for a model index above 3.
  double Irradiance(int model, int k, int j) const;
  // Wavelength[0] <= w <= Wavelength[N-1] of the model's information record.
  bool Covers(int model, double w) const;

  // The site strings and information records without any point: the start of a day's copy.
  CKrfData Header() const;

  // Destroys every CRad (last first), the information records and the site strings.
  void Clear();

  bool operator==(const CKrfData&) const = default;

 private:
  std::array<std::optional<SensorInfo>, ModelCount> Infos;   // by model index
  std::vector<CRad> Rads;                                     // in time order
};

// The one rule of a failed measurement: a sensor whose information record the day holds failed at
// a point that holds no spectrum of it; a point failed when one of its sensors failed or it holds
// no spectrum at all.
bool SensorFailed(const CKrfData& day, const CRad& rad, int model);
bool PointFailed(const CKrfData& day, const CRad& rad);

}  // namespace spectrel
