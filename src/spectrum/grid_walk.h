// A point's spectrum read at whole nanometres: the one place where a sensor's pixels become
// values on the 1 nm grid. The displayed spectrum, the CSV file's 1 nm columns, the day overview,
// the archive and the web page all read through it, so they agree to the last bit.
#pragma once

#include <optional>
#include <vector>

#include "spectrum/merge_pairs.h"
#include "spectrum/records.h"

namespace spectrel {

// k with wl[k] <= w < wl[k+1] over an ascending axis (w equal to the last wavelength gives N-2),
// or -1 outside the axis. Proportional guess, one secant step, then a short walk.
int BracketSearch(const std::vector<float>& wl, double w);

// One sensor's spectrum of one point. At() finds the pixel pair by the bracket search; Fill() walks
// to it along rising wavelengths (on an axis that never descends both find the same pair; any other
// axis is searched at every wavelength).
class SensorWalk {
 public:
  SensorWalk() = default;   // 0 everywhere
  // block or info null: 0 everywhere.
  SensorWalk(const SensorMeasurement* block, const SensorInfo* info);

  // Interpolated irradiance at w, W/m2/um; 0 outside the axis or beyond the pixels the block holds.
  double At(double w) const;
  // At() of every whole wavelength from..to into out[0..to-from] (nothing when to < from); from is
  // not below the wavelength of the Fill before. The pixel pair is taken once for all the
  // wavelengths it spans.
  void Fill(double* out, int from, int to);

 private:
  double Between(int k, double w) const;

  const SensorMeasurement* Block = nullptr;   // null when every value is 0
  const SensorInfo* Info = nullptr;
  const float* Axis = nullptr;                // pixel wavelengths, nm
  int N = 0;                                  // pixels on the axis
  int Usable = 0;                             // pixels with light, dark and calibration values
  std::optional<bool> Ascending;              // the axis never descends; unknown until the first Fill
  int K = 0;                                  // pixel at or below the last wavelength filled
};

// What a point's grid is made of: a merge pair cross-faded over its seam band, or one model alone.
struct GridSource {
  const MergePair* Pair = nullptr;   // the pair, null for one model
  int Model = -1;                    // the one model; -1 with a pair, or for a point without blocks
  bool Empty() const { return Pair == nullptr && Model < 0; }
  int ShortModel() const { return Pair != nullptr ? Pair->Short : Model; }
  int LongModel() const { return Pair != nullptr ? Pair->Long : Model; }
};

// The first pair the point holds; without one, the last model present (the displayed spectrum).
GridSource ResampleSource(const CRad& rad);
// The first pair the point holds; without one, the first model present (the merged value).
GridSource MergeSource(const CRad& rad);

// One point's spectrum from a source, read at rising wavelengths.
class GridWalk {
 public:
  GridWalk() = default;   // 0 everywhere
  explicit GridWalk(SensorWalk one) : Short(one) {}   // one sensor's spectrum alone
  GridWalk(const CKrfData& set, const CRad& rad, GridSource source);
  double At(double w) const;
  void Fill(double* out, int from, int to);

 private:
  GridSource Source;
  SensorWalk Short;   // the pair's short-wavelength sensor, or the one model
  SensorWalk Long;    // the pair's long-wavelength sensor
};

// Interpolated irradiance of model i at w (nm) in CRad j, W/m2/um; 0 without a block, outside the
// axis, or for a model index outside 0..3. j out of range throws std::invalid_argument.
double InterpolatedIrradiance(const CKrfData& set, int model, int j, double w);

// Merged irradiance of CRad j at w: the first pair present (SR-101/103, SR-101/104, SR-102/103,
// SR-102/104) cross-faded over its seam band; without a pair the first model present.
double MergedValue(const CKrfData& set, int j, double w);

}  // namespace spectrel
