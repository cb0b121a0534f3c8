// Bracket search, interpolation of one sensor, the whole-nanometre grid of a point and its integral.
#include "spectrum/resample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "support/hand_made.h"

namespace spectrel {
namespace {

using testing::AxisInfo;
using testing::FlatBlock;
using testing::HandSet;
using testing::SpectrumBlock;

TEST(BracketSearch, FindsTheBracketOfEveryWavelengthOnAnyAxis) {
  // An even axis, a curved one and one whose first pixels crowd together: on the last two the
  // proportional guess is far off and the walk has to finish the job.
  std::vector<float> even(1024), curved(1024), crowded(512);
  for (size_t k = 0; k < even.size(); ++k) {
    even[k] = 300.0f + 0.5f * static_cast<float>(k);
    curved[k] = static_cast<float>(300.0 + 0.3 * k + 0.0004 * k * k);
  }
  for (size_t k = 0; k < crowded.size(); ++k)
    crowded[k] = k < 100 ? 900.0f + 0.01f * static_cast<float>(k) : 901.0f + 2.0f * static_cast<float>(k - 100);
  for (const auto* wl : {&even, &curved, &crowded}) {
    const int last = static_cast<int>(wl->size()) - 2;   // the last bracket holds the last wavelength
    EXPECT_EQ(BracketSearch(*wl, wl->back()), last);
    EXPECT_EQ(BracketSearch(*wl, std::nextafter(static_cast<double>(wl->back()), 1e9)), -1);
    EXPECT_EQ(BracketSearch(*wl, std::nextafter(static_cast<double>(wl->front()), 0.0)), -1);
    EXPECT_EQ(BracketSearch(*wl, std::numeric_limits<double>::quiet_NaN()), -1);
    for (int k = 0; k <= last; ++k) {
      const double lo = (*wl)[static_cast<size_t>(k)];
      const double hi = (*wl)[static_cast<size_t>(k) + 1];
      ASSERT_EQ(BracketSearch(*wl, lo), k) << "pixel " << k;
      ASSERT_EQ(BracketSearch(*wl, (lo + hi) / 2), k) << "gap after pixel " << k;
      ASSERT_EQ(BracketSearch(*wl, std::nextafter(hi, 0.0)), k) << "just below pixel " << k + 1;
    }
  }
  const std::vector<float> two{1.0f, 2.0f}, one{1.0f}, none;
  EXPECT_EQ(BracketSearch(two, 1.0), 0);
  EXPECT_EQ(BracketSearch(two, 2.0), 0);
  EXPECT_EQ(BracketSearch(one, 1.0), -1);
  EXPECT_EQ(BracketSearch(none, 1.0), -1);
}

TEST(Interpolation, LinearBetweenNeighbouringPixelsZeroOffTheAxis) {
  // SR-101 axis 300.5 + 0.75 k nm, calibration 2, light k*k, dark 1: E(k) = 2 (k*k - 1).
  HandSet hand;
  hand.Info(AxisInfo(SR101, 300.5f, 0.75f, 2.0f));
  hand.Block(SpectrumBlock(SR101, [](int k) { return static_cast<float>(k * k); }, 1.0f));
  const int j = hand.Append();
  const auto at = [&](int model, double w) { return InterpolatedIrradiance(hand.Set, model, j, w); };
  // Pixel 10 at 308.0 nm (E 198), pixel 11 at 308.75 nm (E 240); 308.25 is a third of the way.
  EXPECT_NEAR(at(SR101, 308.25), 198.0 + 42.0 / 3.0, 1e-9);
  EXPECT_EQ(at(SR101, 308.0), 198.0);
  EXPECT_EQ(at(SR101, 1067.75), 2093056.0);   // last pixel 1023: 2 (1023^2 - 1)
  EXPECT_EQ(at(SR101, std::nextafter(1067.75, 2000.0)), 0.0);
  EXPECT_EQ(at(SR101, 300.5), -2.0);   // E(0) = 2 (0 - 1)
  EXPECT_EQ(at(SR101, 300.0), 0.0);    // below the first pixel
  EXPECT_EQ(at(SR102, 500.0), 0.0);    // no info, no block
  EXPECT_EQ(at(4, 500.0), 0.0);
}

// The four distinct axes, so that the grid limits tell which source was used, each model flat at
// 10 * (model + 1) W/m2/um: SR-101 300.5..1067.75, SR-102 310.5..1078.125, SR-103 899.5..1666,
// SR-104 905.5..1798 nm.
TEST(SourceChoice, TheGridComesFromTheSourcesInPrecedence) {
  struct Case {
    std::initializer_list<int> Models;
    int Start, End;
    double W1, V1, W2, V2, Min, Max;
  };
  const Case cases[] = {
      {{SR101, SR102}, 311, 1078, 311, 20.0, 1078, 20.0, 20.0, 20.0},   // the last short one
      {{SR103, SR104}, 906, 1798, 1200, 40.0, 1798, 40.0, 40.0, 40.0},
      {{SR101, SR102, SR103, SR104}, 301, 1666, 800, 10.0, 1060, 30.0, 10.0, 30.0},
      // SR-104 begins at 905.5 nm, inside the band: below it its share of the cross-fade is 0.
      {{SR101, SR104}, 301, 1798, 905, 10.0 * 45 / 50, 906, 10.0 * 44 / 50 + 40.0 * 6 / 50, 9.0, 40.0},
      {{SR102, SR104}, 311, 1798, 800, 20.0, 1060, 40.0, 20.0, 40.0},
      {{SR101, SR103}, 301, 1666, 899, 10.0, 951, 30.0, 10.0, 30.0},
  };
  HandSet hand = testing::FourAxes();
  CResample r;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Models.size() << " models, " << c.Start << " .. " << c.End);
    for (int m : c.Models) hand.Block(FlatBlock(m, 10.0f * static_cast<float>(m + 1)));
    r.Resample(hand.Set, hand.Append());
    EXPECT_EQ(r.StartNm, c.Start);
    EXPECT_EQ(r.EndNm, c.End);
    EXPECT_EQ(r.Values.size(), static_cast<size_t>(c.End - c.Start + 1));
    EXPECT_NEAR(r.Value(static_cast<int>(c.W1)), c.V1, 1e-12);
    EXPECT_NEAR(r.Value(static_cast<int>(c.W2)), c.V2, 1e-12);
    EXPECT_NEAR(r.MinValue, c.Min, 1e-12);
    EXPECT_EQ(r.MaxValue, c.Max);
  }
  // A point without blocks leaves an empty grid.
  const int empty = hand.Append();
  r.Resample(hand.Set, empty);
  EXPECT_TRUE(r.Empty());
  EXPECT_EQ(r.StartNm + r.EndNm, 0);
  EXPECT_EQ(r.MaxValue, 0.0);
}

// SR-104 alone from 900.0 to 1792.5 nm with E = (w - 900) / 3.5: the grid starts above the first
// pixel even when that lies on a whole nanometre (an end on one is in the table above).
TEST(Resample, GridStartsAboveAFirstPixelOnAWholeNanometre) {
  HandSet hand;
  hand.Info(AxisInfo(SR104, 900.0f, 3.5f));
  hand.Block(SpectrumBlock(SR104, [](int k) { return static_cast<float>(k); }));
  CResample r;
  r.Resample(hand.Set, hand.Append());
  EXPECT_EQ(r.StartNm, 901);
  EXPECT_EQ(r.EndNm, 1792);
  EXPECT_NEAR(r.MinValue, 1.0 / 3.5, 1e-12);
  EXPECT_NEAR(r.MaxValue, 892.0 / 3.5, 1e-9);
  r.Release();
  EXPECT_TRUE(r.Empty());
}

// Trapezoid integral of the grid between two wavelength limits: limits inside count half,
// limits outside leave the ends whole. 301 .. 1100 nm, the value at w being w itself.
TEST(Resample, IntegralIsATrapezoidBetweenTheLimits) {
  CResample r;
  r.StartNm = 301;
  r.EndNm = 1100;
  for (int w = 301; w <= 1100; ++w) r.Values.push_back(w);
  // 301 + ... + 1100 = (301 + 1100) * 800 / 2 = 560400.
  EXPECT_DOUBLE_EQ(r.Integral(300, 1800), 560.4);
  EXPECT_DOUBLE_EQ(r.Integral(301, 1100), (560400.0 - 301 / 2.0 - 1100 / 2.0) / 1000);
  EXPECT_DOUBLE_EQ(r.Integral(1000, 1800), (500.0 + 105050.0) / 1000);   // 1000 half, 1001 .. 1100 whole
  EXPECT_DOUBLE_EQ(r.Integral(400, 500), (200.0 + 44550.0 + 250.0) / 1000);   // 401 .. 499 whole
  EXPECT_DOUBLE_EQ(r.Integral(500, 500), 0.25);   // one wavelength is both limits and counts half
  EXPECT_EQ(r.Integral(700, 400), 0.0);
  EXPECT_EQ(r.Integral(100, 300), 0.0);
  EXPECT_EQ(r.Integral(1101, 1800), 0.0);
}

// The 1 nm grid is filled by walking each pixel axis once; every value must be the one the
// per-wavelength bracket search gives (each sensor alone, and merged), on curved spectra (where a
// wrong pixel pair shows) and on damaged axes (a pixel out of order, a flat step or run, one at the
// end on a whole nanometre, not a number, descending, far too long, a single pixel, a record
// shorter than its axis).
struct Axis {
  int Model;
  float First;   // nm
  float Step;    // nm per pixel
};

// Short axes reach into the seam bands, long ones start below them.
constexpr Axis Axes[] = {{SR101, 300.3f, 0.7f}, {SR102, 310.6f, 0.45f},
                         {SR103, 899.2f, 1.4f}, {SR104, 905.7f, 3.3f}};

float Curve(int model, int k) {
  const double x = static_cast<double>(k);
  return static_cast<float>(100.0 * (model + 1) + 40.0 * std::sin(x / 7.0) + 0.01 * x * x);
}

using Damage = std::function<void(SensorInfo&, SensorMeasurement&)>;

void ExpectGridIsTheMerge(const std::vector<int>& models, const Damage& damage, const std::string& what) {
  SCOPED_TRACE(what);
  HandSet hand;
  for (const Axis& a : Axes) {
    if (std::find(models.begin(), models.end(), a.Model) == models.end()) continue;
    SensorInfo info = AxisInfo(a.Model, a.First, a.Step);
    SensorMeasurement block = SpectrumBlock(a.Model, [&a](int k) { return Curve(a.Model, k); });
    damage(info, block);
    hand.Info(info);
    hand.Block(block);
  }
  const int j = hand.Append();
  const CRad& rad = hand.Set.Rad(j);
  int differing = 0;
  const auto expectSame = [&differing](double walked, double searched, const char* what, int w) {
    if (walked != searched && ++differing <= 3)
      ADD_FAILURE() << what << " at " << w << " nm: walked " << walked << ", searched " << searched;
  };
  CResample grid;
  grid.Resample(hand.Set, j);
  for (int w = grid.StartNm; !grid.Empty() && w <= grid.EndNm; ++w)
    expectSame(grid.Value(w), MergedValue(hand.Set, j, w), "grid", w);
  std::vector<double> row(1651);   // 250 .. 1900 nm, past every axis
  GridWalk(hand.Set, rad, MergeSource(rad)).Fill(row.data(), 250, 1900);
  for (int w = 250; w <= 1900; ++w) expectSame(row[static_cast<size_t>(w - 250)], MergedValue(hand.Set, j, w), "merge", w);
  for (int model : models) {
    SensorWalk(rad.Block(model), hand.Set.Info(model)).Fill(row.data(), 250, 1900);
    for (int w = 250; w <= 1900; ++w)
      expectSame(row[static_cast<size_t>(w - 250)], InterpolatedIrradiance(hand.Set, model, j, w), "model", w);
  }
  EXPECT_EQ(differing, 0);
}

TEST(ResampleWalk, EveryWholeWavelengthIsTheSearchedValueWhateverTheAxis) {
  const std::vector<std::vector<int>> sources = {
      {SR101}, {SR102}, {SR103}, {SR104},
      {SR101, SR103}, {SR101, SR104}, {SR102, SR103}, {SR102, SR104}, {SR101, SR102, SR103, SR104}};
  const std::vector<std::pair<std::string, Damage>> damages = {
      {"sound", [](SensorInfo&, SensorMeasurement&) {}},
      {"pixel out of order", [](SensorInfo& i, SensorMeasurement&) { i.Wavelength[40] = i.Wavelength[45]; }},
      {"flat step", [](SensorInfo& i, SensorMeasurement&) { i.Wavelength[31] = i.Wavelength[30]; }},
      {"flat last step on a whole nanometre", [](SensorInfo& i, SensorMeasurement&) {
         const size_t n = i.Wavelength.size();
         i.Wavelength[n - 1] = i.Wavelength[n - 2] = std::ceil(i.Wavelength[n - 2]);
       }},
      {"short record", [](SensorInfo&, SensorMeasurement& b) {
         b.Light.resize(b.Light.size() / 2);
         b.Dark.resize(b.Dark.size() / 3);
       }},
      {"flat run", [](SensorInfo& i, SensorMeasurement&) { std::fill(&i.Wavelength[100], &i.Wavelength[120], i.Wavelength[100]); }},
      {"not a number first", [](SensorInfo& i, SensorMeasurement&) { i.Wavelength.front() = std::nanf(""); }},
      {"descending", [](SensorInfo& i, SensorMeasurement&) { std::reverse(i.Wavelength.begin(), i.Wavelength.end()); }},
      {"far too long", [](SensorInfo& i, SensorMeasurement&) { i.Wavelength.back() = 3.0e5f; }},
      {"a single pixel", [](SensorInfo& i, SensorMeasurement&) { i.Wavelength.resize(1); }},
  };
  for (const auto& [name, damage] : damages)
    for (const std::vector<int>& models : sources)
      ExpectGridIsTheMerge(models, damage, name + ", " + std::to_string(models.size()) + " models from SR10" +
                                               std::to_string(models.front() + 1));
}

}  // namespace
}  // namespace spectrel
