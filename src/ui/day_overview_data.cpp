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
    Midnight = LocalMidnight(point.Time, TimeZone());
    NextMidnight = NextLocalMidnight(point.Time, TimeZone());
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

void DayOverviewData::Clear() {
  DayOverviewData empty;
  empty.Zone = Zone;   // the station's zone outlives its days
  *this = std::move(empty);
}

std::string DayOverviewData::ClockText(std::int64_t t, bool utc) const {
  return FormatClock(utc ? t : TimeZone().ClockAt(t), "%H:%M");
}

std::vector<HourTick> DayOverviewData::HourTicks(bool utc) const {
  // Every quarter hour of the day is looked at, so zones half or three quarters of an hour off
  // UTC, and changes of half an hour, find their whole hours too.
  constexpr std::int64_t Look = 900;
  std::vector<HourTick> ticks;
  if (Points.empty()) return ticks;
  for (std::int64_t t = Midnight; t <= NextMidnight; t += Look) {
    const ClockSeconds clock = utc ? t : TimeZone().ClockAt(t);
    if ((clock % 3600 + 3600) % 3600 != 0) continue;
    const bool end = t == NextMidnight && !utc;
    const int hour = end ? 24 : static_cast<int>(((clock / 3600) % 24 + 24) % 24);
    ticks.push_back({t, hour, end ? std::string("24:00") : FormatClock(clock, "%H:%M")});
  }
  return ticks;
}

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

DayOverviewData BuildOverview(const CKrfData& set, int integFrom, int integTo, const StationZone& zone,
                              const DayTimes* times) {
  std::vector<OverviewPoint> points(static_cast<size_t>(set.RadCount()));
  ShareWork(set.RadCount(), 16, [&](int begin, int end) {
    CResample grid;
    for (int j = begin; j < end; ++j) points[static_cast<size_t>(j)] = MakeOverviewPoint(set, j, integFrom, integTo, grid);
  });
  DayOverviewData data;
  data.SetZone(zone);
  if (times != nullptr && times->Utc.size() == points.size()) {
    for (size_t j = 0; j < points.size(); ++j) points[j].Time = times->Utc[j];
    for (const std::string& warning : times->Warnings) data.ZoneWarning += (data.ZoneWarning.empty() ? "" : "; ") + warning;
  }
  data.Site = set.SiteName;
  data.ZoneText = set.TimeZone;
  for (OverviewPoint& point : points) data.Add(std::move(point));
  return data;
}

}  // namespace spectrel
