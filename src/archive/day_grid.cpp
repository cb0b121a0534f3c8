#include "archive/day_grid.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

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

// Which models a point holds, one bit each.
unsigned PresentModels(const CRad& rad) {
  unsigned mask = 0;
  for (int model = SR101; model <= SR104; ++model)
    if (rad.Block(model) != nullptr) mask |= 1u << model;
  return mask;
}

struct GridSpan {
  bool Empty = true;   // the point gets no resampled grid
  int Start = 0;       // first whole nm, nm
  int End = 0;         // last whole nm (inclusive), nm
};

// The resampled grid of each point on the 1 nm steps: its span depends only on which sensors the
// point holds (the day's axes fix it), so the resampler is asked once per combination, and the
// values come from the day's axis brackets.
class PointResampler {
 public:
  explicit PointResampler(const CKrfData& day) : Day(day) {}

  const CResample& Resample(int j, const PointAxes& point) {
    const CRad& rad = Day.Rad(j);
    std::optional<GridSpan>& span = Spans[PresentModels(rad)];
    if (!span) {
      CResample probe;
      probe.Resample(Day, j);
      span = GridSpan{probe.Empty(), probe.StartNm, probe.EndNm};
    }
    Grid.Values.clear();
    Grid.StartNm = span->Start;
    Grid.EndNm = span->End;
    if (span->Empty) return Grid;
    const MergePair* pair = point.Pair();
    const int single = ResampleSingleModel(rad);
    Grid.Values.resize(static_cast<std::size_t>(span->End - span->Start + 1));
    for (int w = span->Start; w <= span->End; ++w)
      Grid.Values[static_cast<std::size_t>(w - span->Start)] =
          pair != nullptr ? point.Merged(*pair, w) : point.Interpolated(single, w);
    return Grid;
  }

 private:
  const CKrfData& Day;
  std::array<std::optional<GridSpan>, 1u << ModelCount> Spans;   // by PresentModels
  CResample Grid;                                                 // the last point's grid
};

// Fills one point's row; the resampled grid already holds most values, so they are taken from it
// where it has the same source.
void FillRow(const CKrfData& day, const CRad& rad, const PointAxes& point, const GridOptions& options,
             const MergedRange& range, const CResample& resample, float* row) {
  const bool pair = point.Pair() != nullptr;
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
      cell = static_cast<float>(merging ? point.Merged(w) : point.Interpolated(model, w));
    }
  }
}

}  // namespace

DayGrid ComputeDayGrid(const CKrfData& day, const GridOptions& options) {
  return ComputeDayGrid(day, DayAxes(day), options);
}

DayGrid ComputeDayGrid(const CKrfData& day, const DayAxes& axes, const GridOptions& options) {
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
  PointResampler resampler(day);
  for (int j = 0; j < points; ++j) {
    const std::size_t p = static_cast<std::size_t>(j);
    const CRad& rad = day.Rad(j);
    const PointAxes point = axes.Point(rad);
    const CResample& resample = resampler.Resample(j, point);
    grid.Integral[p] = rad.HasAnyBlock()
                           ? static_cast<float>(resample.Integral(options.IntegFrom, options.IntegTo))
                           : NotCovered;
    const int from = std::max(options.IntegFrom, resample.StartNm);
    const int to = std::min(options.IntegTo, resample.EndNm);
    if (!resample.Empty() && from <= to) {
      grid.CoveredFrom[p] = from;
      grid.CoveredTo[p] = to;
    }
    FillRow(day, rad, point, options, range, resample,
            grid.Spectrum.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(grid.Width));
  }
  return grid;
}

}  // namespace spectrel::archive
