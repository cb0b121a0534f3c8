#include "archive/day_grid.h"

#include <algorithm>
#include <limits>

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

// The source of a point's row: the merged pair when merging, otherwise the first model present.
GridSource RowSource(const CRad& rad, bool merge) {
  GridSource source = MergeSource(rad);
  // A pair's short sensor is the first model the point holds.
  if (!merge && source.Pair != nullptr) source = {nullptr, source.Pair->Short};
  return source;
}

bool SameSource(const GridSource& a, const GridSource& b) { return a.Pair == b.Pair && a.Model == b.Model; }

// Fills one point's row. Where the row has the source of the point's resampled grid, its values
// are taken from that grid; the rest (the edges beyond it, another source) is read by the walk.
void FillRow(const CKrfData& day, const CRad& rad, const GridOptions& options, const MergedRange& range,
             const CResample& resample, std::vector<double>& scratch, float* row) {
  if (options.ToNm < options.FromNm) return;
  const GridSource source = RowSource(rad, options.Merge);
  const bool merging = source.Pair != nullptr;
  GridWalk walk(day, rad, source);
  const bool sameSource = SameSource(source, ResampleSource(rad)) && !resample.Empty();
  if (!sameSource) {
    scratch.resize(static_cast<std::size_t>(options.ToNm - options.FromNm + 1));
    walk.Fill(scratch.data(), options.FromNm, options.ToNm);
  }
  for (int w = options.FromNm; w <= options.ToNm; ++w) {
    float& cell = row[w - options.FromNm];
    const double x = static_cast<double>(w);
    const bool covered = merging ? range.Any && range.First <= x && x <= range.Last
                                 : source.Model >= 0 && day.Covers(source.Model, x);
    if (!covered)
      cell = NotCovered;
    else if (!sameSource)
      cell = static_cast<float>(scratch[static_cast<std::size_t>(w - options.FromNm)]);
    else if (w >= resample.StartNm && w <= resample.EndNm)
      cell = static_cast<float>(resample.Value(w));
    else
      cell = static_cast<float>(walk.At(x));
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
  grid.IntegFrom = options.IntegFrom;
  grid.IntegTo = options.IntegTo;
  grid.CoveredFrom.assign(static_cast<std::size_t>(points), NoWavelength);
  grid.CoveredTo.assign(static_cast<std::size_t>(points), NoWavelength);
  const MergedRange range = DayMergedRange(day);
  CResample resample;
  std::vector<double> scratch;
  for (int j = 0; j < points; ++j) {
    const std::size_t p = static_cast<std::size_t>(j);
    const CRad& rad = day.Rad(j);
    const double integral = PointIntegral(day, j, options.IntegFrom, options.IntegTo, resample);
    grid.Integral[p] = rad.HasAnyBlock() ? static_cast<float>(integral) : NotCovered;
    if (const auto covered = resample.Covered(options.IntegFrom, options.IntegTo)) {
      grid.CoveredFrom[p] = covered->first;
      grid.CoveredTo[p] = covered->second;
    }
    FillRow(day, rad, options, range, resample, scratch,
            grid.Spectrum.data() + p * static_cast<std::size_t>(grid.Width));
  }
  return grid;
}

}  // namespace spectrel::archive
