// The day's sensors read at whole nanometres, fast enough for every point of a day: where a
// wavelength falls on a sensor's pixel axis is found once per day (the axis belongs to the day's
// information record, not to the point), and each value then costs two pixels and a line.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "spectrum/merge_pairs.h"
#include "spectrum/records.h"

namespace spectrel::archive {

// The pixel pair around a wavelength on one sensor's axis.
struct AxisBracket {
  int Pixel = -1;      // k with axis[k] <= w < axis[k + 1]; -1 outside the axis
  double Low = 0.0;    // axis[k], nm
  double High = 0.0;   // axis[k + 1], nm
};

// Every whole nanometre that one axis spans, with its bracket.
class AxisBrackets {
 public:
  AxisBrackets() = default;
  explicit AxisBrackets(const std::vector<float>& axis);
  // The bracket of whole wavelength w (nm) on the axis the table was built from.
  AxisBracket At(const std::vector<float>& axis, int w) const {
    const long long i = static_cast<long long>(w) - FirstNm;
    if (i >= 0 && i < static_cast<long long>(Table.size())) return Table[static_cast<std::size_t>(i)];
    return Search(axis, w);
  }

 private:
  static AxisBracket Search(const std::vector<float>& axis, int w);

  int FirstNm = 0;                  // wavelength of Table[0], nm
  std::vector<AxisBracket> Table;   // one per whole nm inside the axis
};

// One point of the day read at whole nanometres, equal to the point-by-point interpolation and
// merge of the spectrum records (the same arithmetic in the same order).
class PointAxes {
 public:
  // Irradiance of model at whole wavelength w, W m-2 um-1; 0 without a block, outside the axis,
  // or beyond the pixels the block holds.
  double Interpolated(int model, int w) const;
  // The point's first merge pair cross-faded over its seam band; without a pair its first model.
  double Merged(int w) const;
  double Merged(const MergePair& pair, int w) const;
  // The point's first merge pair, null without one.
  const MergePair* Pair() const { return FirstPair; }

 private:
  friend class DayAxes;
  struct Sensor {
    const SensorMeasurement* Block = nullptr;   // null when the point has none of the model
    const SensorInfo* Info = nullptr;           // the day's information record of the model
    const AxisBrackets* Axis = nullptr;         // its brackets
    std::size_t Pixels = 0;                     // pixels with light, dark and calibration values
  };
  std::array<Sensor, ModelCount> Sensors;       // by model index
  const MergePair* FirstPair = nullptr;
};

// The brackets of every sensor axis of one day.
class DayAxes {
 public:
  explicit DayAxes(const CKrfData& day);
  PointAxes Point(const CRad& rad) const;

 private:
  const CKrfData& Day;
  std::array<AxisBrackets, ModelCount> Axes;   // by model index; empty without an information record
};

}  // namespace spectrel::archive
