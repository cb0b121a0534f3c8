#include "archive/day_axes.h"

#include <algorithm>
#include <cmath>

#include "spectrum/resample.h"

namespace spectrel::archive {

namespace {

// Table limits: a sound axis spans a few thousand nm; a damaged one is left to the search.
constexpr double TableLimitNm = 100000.0;   // no table entry beyond this wavelength, nm
constexpr double MaxTableNm = 20000.0;      // at most this many entries

}  // namespace

AxisBrackets::AxisBrackets(const std::vector<float>& axis) {
  if (axis.size() < 2) return;
  const double first = axis.front();
  const double last = axis.back();
  if (!std::isfinite(first) || !std::isfinite(last) || std::fabs(first) > TableLimitNm) return;
  const double lo = std::ceil(first);
  const double hi = std::min({std::floor(last), lo + MaxTableNm, TableLimitNm});
  if (hi < lo) return;
  FirstNm = static_cast<int>(lo);
  Table.resize(static_cast<std::size_t>(hi - lo) + 1);
  for (std::size_t i = 0; i < Table.size(); ++i) Table[i] = Search(axis, FirstNm + static_cast<int>(i));
}

AxisBracket AxisBrackets::Search(const std::vector<float>& axis, int w) {
  AxisBracket bracket;
  bracket.Pixel = BracketSearch(axis, static_cast<double>(w));
  if (bracket.Pixel >= 0) {
    bracket.Low = axis[static_cast<std::size_t>(bracket.Pixel)];
    bracket.High = axis[static_cast<std::size_t>(bracket.Pixel) + 1];
  }
  return bracket;
}

DayAxes::DayAxes(const CKrfData& day) : Day(day) {
  for (int model = SR101; model <= SR104; ++model)
    if (const SensorInfo* info = day.Info(model))
      Axes[static_cast<std::size_t>(model)] = AxisBrackets(info->Wavelength);
}

PointAxes DayAxes::Point(const CRad& rad) const {
  PointAxes point;
  for (int model = SR101; model <= SR104; ++model) {
    PointAxes::Sensor& s = point.Sensors[static_cast<std::size_t>(model)];
    s.Block = rad.Block(model);
    s.Info = Day.Info(model);
    s.Axis = &Axes[static_cast<std::size_t>(model)];
    // A record read from a damaged file may hold fewer values than its axis.
    if (s.Block != nullptr && s.Info != nullptr)
      s.Pixels = std::min({s.Block->Light.size(), s.Block->Dark.size(), s.Info->Calib.size()});
  }
  point.FirstPair = FindMergePair([&rad](int model) { return rad.Block(model) != nullptr; });
  return point;
}

double PointAxes::Interpolated(int model, int w) const {
  if (model < SR101 || model > SR104) return 0.0;
  const Sensor& s = Sensors[static_cast<std::size_t>(model)];
  if (s.Block == nullptr || s.Info == nullptr) return 0.0;
  const AxisBracket b = s.Axis->At(s.Info->Wavelength, w);
  if (b.Pixel < 0 || static_cast<std::size_t>(b.Pixel) + 1 >= s.Pixels) return 0.0;
  const double e0 = PixelIrradiance(*s.Block, *s.Info, b.Pixel);
  const double e1 = PixelIrradiance(*s.Block, *s.Info, b.Pixel + 1);
  if (b.High == b.Low) return e0;   // a flat axis step: no slope to follow
  return e0 + (e1 - e0) * (static_cast<double>(w) - b.Low) / (b.High - b.Low);
}

double PointAxes::Merged(int w) const {
  if (FirstPair != nullptr) return Merged(*FirstPair, w);
  for (int model = SR101; model <= SR104; ++model)
    if (Sensors[static_cast<std::size_t>(model)].Block != nullptr) return Interpolated(model, w);
  return 0.0;
}

double PointAxes::Merged(const MergePair& pair, int w) const {
  const double x = static_cast<double>(w);
  if (x < pair.BandLow) return Interpolated(pair.Short, w);
  if (x > pair.BandHigh) return Interpolated(pair.Long, w);
  // Linear cross-fade: the short sensor's weight is 1 at the lower band edge and 0 at the upper.
  const double a = (pair.BandHigh - x) / (pair.BandHigh - pair.BandLow);
  return Interpolated(pair.Short, w) * a + Interpolated(pair.Long, w) * (1.0 - a);
}

}  // namespace spectrel::archive
