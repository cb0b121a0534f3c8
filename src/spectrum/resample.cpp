#include "spectrum/resample.h"

#include <cmath>
#include <cstddef>
#include <optional>

namespace spectrel {

namespace {

// Grid limits further out than this come only from a damaged axis; such a point gets no grid.
constexpr double GridLimitNm = 100000.0;

// Whole-nm grid limit taken from a pixel wavelength; none when the axis value is unusable.
std::optional<int> GridLimit(float wavelength) {
  const double w = static_cast<double>(wavelength);
  if (!std::isfinite(w) || std::fabs(w) > GridLimitNm) return std::nullopt;
  return static_cast<int>(w);
}

}  // namespace

void CResample::Release() {
  Values.clear();
  Values.shrink_to_fit();
}

void CResample::Resample(const CKrfData& set, int index) {
  const CRad& rad = set.Rad(index);
  const GridSource source = ResampleSource(rad);
  if (source.Empty()) {   // no block at all: empty grid
    Fill(GridWalk(), nullptr, nullptr);
    return;
  }
  Fill(GridWalk(set, rad, source), set.Info(source.ShortModel()), set.Info(source.LongModel()));
}

void CResample::Resample(const SensorMeasurement* block, const SensorInfo* info) {
  Fill(GridWalk(SensorWalk(block, info)), block != nullptr ? info : nullptr, block != nullptr ? info : nullptr);
}

void CResample::Fill(GridWalk walk, const SensorInfo* shortInfo, const SensorInfo* longInfo) {
  // The last grid's storage is reused (written whole, so not cleared); every early return leaves
  // the grid empty.
  std::vector<double> storage = std::move(Values);
  Values.clear();
  StartNm = 0;
  EndNm = 0;
  MaxValue = 0.0;
  MinValue = 0.0;
  if (shortInfo == nullptr || longInfo == nullptr || shortInfo->Wavelength.empty() ||
      longInfo->Wavelength.empty())
    return;
  const std::optional<int> first = GridLimit(shortInfo->Wavelength.front());
  const std::optional<int> last = GridLimit(longInfo->Wavelength.back());
  if (!first || !last) return;
  const int start = *first + 1;   // the grid starts above the first pixel: 300.0 nm gives 301
  const int end = *last;
  if (end < start) return;

  StartNm = start;
  EndNm = end;
  Values = std::move(storage);
  Values.resize(static_cast<size_t>(end - start + 1));
  walk.Fill(Values.data(), start, end);
  MaxValue = MinValue = Values.front();
  for (double v : Values) {
    if (v > MaxValue) MaxValue = v;
    if (v < MinValue) MinValue = v;
  }
}

}  // namespace spectrel
