// When a sensor in use is given up and brought back, and how long the pauses between the
// attempts to bring it back grow.
#include <gtest/gtest.h>

#include <vector>

#include "measure/sensor_link.h"

namespace spectrel {
namespace {

TEST(SensorLink, LostAfterThreeFailedCyclesInARow) {
  struct Case {
    std::vector<bool> Measured;   // per cycle
    std::vector<bool> Lost;       // AfterCycle's answer per cycle
  };
  const Case cases[] = {
      {{true, false, false, true, false, false}, {false, false, false, false, false, false}},   // a success breaks the row
      {{false, false, false, false, false, false}, {false, false, true, false, false, true}},    // counted afresh after a loss
  };
  WorkerStop stop;
  for (const Case& c : cases) {
    SensorLink link(SR103, RealClock(), stop, Language::English);
    for (size_t k = 0; k < c.Measured.size(); ++k) EXPECT_EQ(link.AfterCycle(c.Measured[k]), c.Lost[k]) << "cycle " << k;
  }
}

TEST(SensorLink, PausesDoubleUpToOneMinute) {
  std::vector<int> pauses;
  for (int attempt = 1; attempt <= 9; ++attempt) pauses.push_back(SensorLink::BackoffSeconds(attempt));
  EXPECT_EQ(pauses, (std::vector<int>{1, 2, 4, 8, 16, 32, 60, 60, 60}));
}

}  // namespace
}  // namespace spectrel
