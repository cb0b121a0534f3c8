#include "ui/day_overview_data.h"

#include <algorithm>
#include <cmath>

#include "base/local_day.h"
#include "ui/day_overview_work.h"

namespace spectrel {

OverviewPoint MakeOverviewPoint(const CKrfData& set, int index, int integFrom, int integTo, CResample& grid) {
  const CRad& rad = set.Rad(index);
  OverviewPoint point;
  point.Time = rad.MeasureTime;
  point.Failed = PointFailed(set, rad);
  for (int model = 0; model < ModelCount; ++model) {
    const SensorMeasurement* block = rad.Block(model);
    point.Temperature[static_cast<size_t>(model)] = block != nullptr ? block->StatusFloat[0] : std::nanf("");
    point.Exposure[static_cast<size_t>(model)] = block != nullptr ? block->ExposureMs : 0;
  }
  double integral = 0.0;
  try {
    integral = PointIntegral(set, index, integFrom, integTo, grid);
  } catch (const std::invalid_argument&) {
    grid.Release();
  }
  if (grid.Empty()) {
    point.Failed = true;
  } else {
    point.StartNm = grid.StartNm;
    point.MaxValue = grid.MaxValue;
    point.Row.assign(grid.Values.begin(), grid.Values.end());
    point.Integral = integral;
  }
  return point;
}

void DayOverviewData::Add(OverviewPoint point) {
  if (!point.Row.empty()) {
    const int end = point.StartNm + static_cast<int>(point.Row.size()) - 1;
    MinNm = HasRow ? std::min(MinNm, point.StartNm) : point.StartNm;
    MaxNm = HasRow ? std::max(MaxNm, end) : end;
    HasRow = true;
    MaxValue = std::max(MaxValue, point.MaxValue);
    MaxIntegral = std::max(MaxIntegral, point.Integral);
    MinIntegral = std::min(MinIntegral, point.Integral);
  }
  if (Points.empty()) {
    Midnight = LocalMidnight(point.Time);
    NextMidnight = NextLocalMidnight(point.Time);
  }
  Points.push_back(std::move(point));
}

bool DayOverviewData::Follow(const CKrfData& set, int integFrom, int integTo, int limit) {
  const int count = set.RadCount();
  if (count < Count() || (Count() > 0 && count > 0 && set.Rad(0).MeasureTime != Points.front().Time)) Clear();
  Site = set.SiteName;
  ZoneText = set.TimeZone;
  const int end = std::min(count, Count() + std::max(0, limit));
  CResample grid;
  for (int j = Count(); j < end; ++j) Add(MakeOverviewPoint(set, j, integFrom, integTo, grid));
  return end == count;
}

void DayOverviewData::Clear() { *this = DayOverviewData(); }

int DayOverviewData::Nearest(std::int64_t t) const {
  if (Points.empty()) return -1;
  const auto after = std::lower_bound(Points.begin(), Points.end(), t,
                                      [](const OverviewPoint& p, std::int64_t value) { return p.Time < value; });
  if (after == Points.begin()) return 0;
  if (after == Points.end()) return Count() - 1;
  const auto before = after - 1;
  return static_cast<int>((t - before->Time <= after->Time - t ? before : after) - Points.begin());
}

std::vector<std::pair<std::int64_t, std::int64_t>> DayOverviewData::Gaps() const {
  std::vector<std::pair<std::int64_t, std::int64_t>> gaps;
  if (Points.size() < 3) return gaps;
  std::vector<std::int64_t> steps;
  for (size_t i = 1; i < Points.size(); ++i) steps.push_back(Points[i].Time - Points[i - 1].Time);
  std::vector<std::int64_t> sorted = steps;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
  const std::int64_t usual = sorted[sorted.size() / 2];
  for (size_t i = 0; i < steps.size(); ++i)
    if (steps[i] * 2 > usual * 3) gaps.emplace_back(Points[i].Time, Points[i + 1].Time);
  return gaps;
}

DayOverviewData BuildOverview(const CKrfData& set, int integFrom, int integTo) {
  std::vector<OverviewPoint> points(static_cast<size_t>(set.RadCount()));
  ShareWork(set.RadCount(), 16, [&](int begin, int end) {
    CResample grid;
    for (int j = begin; j < end; ++j) points[static_cast<size_t>(j)] = MakeOverviewPoint(set, j, integFrom, integTo, grid);
  });
  DayOverviewData data;
  data.Site = set.SiteName;
  data.ZoneText = set.TimeZone;
  for (OverviewPoint& point : points) data.Add(std::move(point));
  return data;
}

}  // namespace spectrel
