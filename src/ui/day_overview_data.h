// The numbers of the day overview: for every point of a day its time, integral irradiance,
// whether a sensor failed, and its merged spectrum on the 1 nm grid; built a point at a time so
// it can grow with the measurement or be filled away from the window's thread.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/day_times.h"
#include "base/station_zone.h"
#include "spectrum/records.h"
#include "spectrum/resample.h"

namespace spectrel {

struct OverviewPoint {
  std::int64_t Time = 0;    // true UTC, s since 1970
  double Integral = 0.0;    // W/m2 over the integration range
  double MaxValue = 0.0;    // largest spectral value, W/m2/um (before Row's rounding)
  bool Failed = false;      // a sensor of the day gave no spectrum, or none could be merged
  int StartNm = 0;          // wavelength of Row[0], nm
  std::vector<float> Row;   // merged spectrum, W/m2/um, one value per nm
  std::array<float, ModelCount> Temperature{};    // each sensor's temperature, deg C; NaN without its block
  std::array<std::int32_t, ModelCount> Exposure{};   // each sensor's exposure, ms; 0 without its block
};

// A whole hour of the overview's time axis: local hours of the station's zone, or UTC hours.
struct HourTick {
  std::int64_t Time = 0;   // the instant, s UTC
  int Hour = 0;            // the hour the axis's clock reads, 0..23; 24 at the local day's end
  std::string Label;       // "HH:MM"; the local day's end reads "24:00"
};

// The overview point of CRad index of the set; integFrom..integTo (nm) is the integral's range.
// grid is scratch space, reused from point to point. Touches nothing else: any thread may call it.
OverviewPoint MakeOverviewPoint(const CKrfData& set, int index, int integFrom, int integTo, CResample& grid);

class DayOverviewData {
 public:
  // The station's zone, in which the local day is measured; this machine's zone until one is
  // set. Set it before the first point.
  void SetZone(const StationZone& zone) { Zone = zone; }
  const StationZone& TimeZone() const { return Zone ? *Zone : StationZone::Process(); }
  // Adds a point made by MakeOverviewPoint, later than those held.
  void Add(OverviewPoint point);
  // Adds the points of the set not yet added, at most limit of them; a set that is not the day
  // already held (fewer points or another first time) starts over. true when all are added.
  bool Follow(const CKrfData& set, int integFrom, int integTo, int limit = 1 << 30);
  void Clear();

  int Count() const { return static_cast<int>(Points.size()); }
  const std::vector<OverviewPoint>& Data() const { return Points; }
  std::int64_t DayStart() const { return Midnight; }   // local midnight of the first point, s UTC
  std::int64_t DayEnd() const { return NextMidnight; }  // the local midnight after it, s UTC
  // Whole minutes of the local day: 1440, or 1380 and 1500 on the days the clocks change.
  int Minutes() const { return std::max(1, static_cast<int>((NextMidnight - Midnight) / 60)); }

  // The whole hours of the local day as the axis reads them: the station's clock, the repeated
  // hour of a change back twice and the skipped one not at all; or, with utc, UTC's hours.
  std::vector<HourTick> HourTicks(bool utc) const;
  // "HH:MM" of an instant on the station's clock, or UTC's.
  std::string ClockText(std::int64_t t, bool utc = false) const;

  // Index of the point nearest to time t; -1 without points.
  int Nearest(std::int64_t t) const;
  // Stretches without a measurement: between neighbours further apart than 1.5 x the usual
  // spacing (the median), as (from, to) times.
  std::vector<std::pair<std::int64_t, std::int64_t>> Gaps() const;

  int MinNm = 0;              // lowest wavelength of any row, nm
  int MaxNm = 0;              // highest wavelength of any row, nm
  double MaxValue = 0.0;      // largest spectral value, W/m2/um
  double MaxIntegral = 0.0;   // largest integral, W/m2
  double MinIntegral = 0.0;   // smallest integral, W/m2 (below 0 only where dark exceeds light)
  std::string Site;           // the day file's station name
  std::string ZoneText;       // the day file's offset from UTC, "%+d" hours
  std::string ZoneWarning;    // what the zone could not resolve or disagrees with in the file; empty when none

 private:
  std::vector<OverviewPoint> Points;   // in time order
  std::int64_t Midnight = 0;           // local midnight of the first point, s UTC
  std::int64_t NextMidnight = 0;       // the local midnight after it, s UTC
  bool HasRow = false;                 // some point has a spectrum (MinNm, MaxNm are set)
  std::optional<StationZone> Zone;     // the station's; none: this machine's
};

// The overview of a whole day at once, as the loader thread makes it: the points are made on all
// cores. With times (the day loader's true UTC of each point, in the station's zone) the points
// stand at them and its warnings are carried; without, the set's times stand.
DayOverviewData BuildOverview(const CKrfData& set, int integFrom, int integTo,
                              const StationZone& zone = StationZone::Process(), const DayTimes* times = nullptr);

}  // namespace spectrel
