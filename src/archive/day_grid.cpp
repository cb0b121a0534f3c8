#include "archive/day_grid.h"

#include <limits>

#include "spectrum/merge_pairs.h"
#include "spectrum/resample.h"

namespace spectrel::archive {

namespace {

constexpr float NotCovered = std::numeric_limits<float>::quiet_NaN();

struct MergedRange {
  bool Any = false;     // the day's sensors give a merged axis
  double First = 0.0;   // its first wavelength, nm
  double Last = 0.0;    // its last wavelength, nm
};

MergedRange DayMergedRange(const CKrfData& day) {
  std::vector<double> merged;
  BuildMergedWavelengths(day, merged);
  MergedRange range;
  if (!merged.empty()) range = {true, merged.front(), merged.back()};
  return range;
}

// The model the resampled grid of a point without a pair comes from: the last one present.
int ResampleSingleModel(const CRad& rad) {
  for (int model = SR104; model >= SR101; --model)
    if (rad.Block(model) != nullptr) return model;
  return -1;
}

int FirstModel(const CRad& rad) {
  for (int model = SR101; model <= SR104; ++model)
    if (rad.Block(model) != nullptr) return model;
  return -1;
}

// Fills one point's row; the resampled grid already holds most values, so they are taken from it
// where it has the same source.
void FillRow(const CKrfData& day, int j, const GridOptions& options, const MergedRange& range,
             const CResample& resample, float* row) {
  const CRad& rad = day.Rad(j);
  const bool pair =
      FindMergePair([&rad](int model) { return rad.Block(model) != nullptr; }) != nullptr;
  const bool merging = options.Merge && pair;
  const int model = merging ? -1 : FirstModel(rad);
  const bool sameSource = merging || (!pair && model == ResampleSingleModel(rad));
  for (int w = options.FromNm; w <= options.ToNm; ++w) {
    float& cell = row[w - options.FromNm];
    const double x = static_cast<double>(w);
    const bool covered = merging ? range.Any && range.First <= x && x <= range.Last
                                 : model >= 0 && day.Covers(model, x);
    if (!covered) {
      cell = NotCovered;
    } else if (sameSource && !resample.Empty() && w >= resample.StartNm && w <= resample.EndNm) {
      cell = static_cast<float>(resample.Value(w));
    } else {
      cell = static_cast<float>(merging ? MergedValue(day, j, x)
                                        : InterpolatedIrradiance(day, model, j, x));
    }
  }
}

}  // namespace

DayGrid ComputeDayGrid(const CKrfData& day, const GridOptions& options) {
  DayGrid grid;
  grid.FromNm = options.FromNm;
  grid.Width = options.ToNm >= options.FromNm ? options.ToNm - options.FromNm + 1 : 0;
  const int points = day.RadCount();
  grid.Spectrum.resize(static_cast<std::size_t>(points) * static_cast<std::size_t>(grid.Width));
  grid.Integral.resize(static_cast<std::size_t>(points));
  const MergedRange range = DayMergedRange(day);
  CResample resample;
  for (int j = 0; j < points; ++j) {
    resample.Resample(day, j);
    grid.Integral[static_cast<std::size_t>(j)] =
        day.Rad(j).HasAnyBlock()
            ? static_cast<float>(resample.Integral(options.IntegFrom, options.IntegTo))
            : NotCovered;
    FillRow(day, j, options, range, resample,
            grid.Spectrum.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(grid.Width));
  }
  return grid;
}

}  // namespace spectrel::archive
