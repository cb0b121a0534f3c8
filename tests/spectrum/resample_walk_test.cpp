// The 1 nm grid is filled by walking each pixel axis once; every value must be the one the
// per-wavelength merge gives, on curved spectra (where a wrong pixel pair shows) and on damaged
// axes (a pixel out of order, a flat step, one at the end on a whole nanometre, a record shorter
// than its axis).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "support/hand_made.h"
#include "spectrum/resample.h"

namespace spectrel {
namespace {

using testing::AxisInfo;
using testing::HandSet;
using testing::SpectrumBlock;

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
    bool present = false;
    for (int m : models) present = present || m == a.Model;
    if (!present) continue;
    SensorInfo info = AxisInfo(a.Model, a.First, a.Step);
    SensorMeasurement block = SpectrumBlock(a.Model, [&a](int k) { return Curve(a.Model, k); });
    damage(info, block);
    hand.Info(info);
    hand.Block(block);
  }
  const int j = hand.Append();
  CResample grid;
  grid.Resample(hand.Set, j);
  ASSERT_FALSE(grid.Empty());
  int differing = 0;
  for (int w = grid.StartNm; w <= grid.EndNm; ++w) {
    const double expected = MergedValue(hand.Set, j, w);
    if (grid.Value(w) != expected && ++differing <= 3)
      ADD_FAILURE() << "at " << w << " nm: grid " << grid.Value(w) << ", merge " << expected;
  }
  EXPECT_EQ(differing, 0);
}

TEST(ResampleWalk, EveryWholeWavelengthIsTheMergeOnSoundAndDamagedAxes) {
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
         b.Dark.resize(b.Dark.size() / 2);
       }},
  };
  for (const auto& [name, damage] : damages)
    for (const std::vector<int>& models : sources)
      ExpectGridIsTheMerge(models, damage, name + ", " + std::to_string(models.size()) + " models from SR10" +
                                               std::to_string(models.front() + 1));
}

}  // namespace
}  // namespace spectrel
