// The day-wide axis brackets give exactly the per-value interpolation and merge of the spectrum
// records, at every whole nanometre and for each mix of sensors a point may hold, damaged too.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "archive/day_axes.h"
#include "spectrum/resample.h"
#include "support/synthetic_day.h"

namespace spectrel::archive {
namespace {

constexpr std::int64_t Noon = 1555038000;   // 2019-04-12 12:00 at +9

struct PointCase {
  const char* Name;
  std::vector<int> Models;                   // blocks of the point
  std::function<void(CRad&)> Damage;         // applied to the point, may be empty
};

// The brackets against the per-value functions over 250..1900 nm; stops at the first mismatch.
void ExpectBracketsAgree(const CKrfData& day) {
  const DayAxes axes(day);
  for (int j = 0; j < day.RadCount(); ++j) {
    const PointAxes point = axes.Point(day.Rad(j));
    for (int w = 250; w <= 1900; ++w) {
      ASSERT_EQ(point.Merged(w), MergedValue(day, j, w)) << "point " << j << " merged at " << w;
      for (int model = SR101; model <= SR104; ++model)
        ASSERT_EQ(point.Interpolated(model, w), InterpolatedIrradiance(day, model, j, w))
            << "point " << j << " model " << model << " at " << w;
    }
  }
}

// Every point holds the blocks its case names, measured as the synthetic day measures them.
CKrfData DayOf(const std::vector<PointCase>& cases) {
  CKrfData day = testing::MakeDay({SR101, SR102, SR103, SR104}, static_cast<int>(cases.size()), Noon, 60);
  for (std::size_t p = 0; p < cases.size(); ++p) {
    CRad& rad = day.Rad(static_cast<int>(p));
    for (int model = SR101; model <= SR104; ++model)
      if (std::count(cases[p].Models.begin(), cases[p].Models.end(), model) == 0) rad.RemoveBlock(model);
    if (cases[p].Damage) cases[p].Damage(rad);
  }
  return day;
}

const std::vector<PointCase> Points{
    {"SR-102 with SR-104", {SR102, SR104}, {}},
    {"SR-101 with SR-103 and SR-104: the first pair wins", {SR101, SR103, SR104}, {}},
    {"SR-102 with SR-103", {SR102, SR103}, {}},
    {"SR-104 alone", {SR104}, {}},
    {"SR-101 and SR-102, no pair", {SR101, SR102}, {}},
    {"no block", {}, {}},
    {"SR-102 block shorter than its axis", {SR102, SR104},
     [](CRad& r) { r.Block(SR102)->Light.resize(1000); }},
    {"SR-104 block with fewer dark values than pixels", {SR102, SR104},
     [](CRad& r) { r.Block(SR104)->Dark.resize(3); }},
};

// Each point mix on sound axes, then on SR-102 and SR-104 axes damaged in several ways.
TEST(DayAxes, EqualThePerValueInterpolationAndMergeForEveryMixOfSensorsAndAxis) {
  const std::vector<std::pair<const char*, std::function<void(std::vector<float>&)>>> axes{
      {"sound", [](std::vector<float>&) {}},
      {"flat run of equal wavelengths", [](std::vector<float>& a) { std::fill(a.begin() + 100, a.begin() + 120, a[100]); }},
      {"not a number first", [](std::vector<float>& a) { a.front() = std::numeric_limits<float>::quiet_NaN(); }},
      {"descending", [](std::vector<float>& a) { std::reverse(a.begin(), a.end()); }},
      {"reaching far beyond any table", [](std::vector<float>& a) { a.back() = 3.0e5f; }},
      {"a single pixel", [](std::vector<float>& a) { a.resize(1); }},
  };
  for (const auto& [name, damage] : axes) {
    SCOPED_TRACE(name);
    CKrfData day = DayOf(Points);
    for (int model : {SR102, SR104}) {
      SensorInfo info = *day.Info(model);
      damage(info.Wavelength);
      day.SetInfo(model, info);
    }
    ExpectBracketsAgree(day);
  }
}

}  // namespace
}  // namespace spectrel::archive
