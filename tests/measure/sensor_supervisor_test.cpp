// When a sensor in use is given up and brought back, and how long the pauses between the
// attempts to bring it back grow.
#include <gtest/gtest.h>

#include <vector>

#include "measure/sensor_supervisor.h"

namespace spectrel {
namespace {

TEST(SensorSupervisor, LostAfterAFailedPortOrThreeFailedCyclesInARow) {
  struct Case {
    std::vector<bool> Measured, PortLost;   // per cycle
    std::vector<bool> Lost;                 // AfterCycle's answer per cycle
  };
  const Case cases[] = {
      {{true, false, false, true, false, false}, {false, false, false, false, false, false},
       {false, false, false, false, false, false}},   // a success breaks the row
      {{false, false, false, false}, {false, false, false, false}, {false, false, true, false}},
      {{false}, {true}, {true}},                      // a failed line at once
      {{true}, {true}, {true}},
  };
  for (const Case& c : cases) {
    SensorSupervisor s;
    bool lostSoFar = false;   // stays lost until its reconnect begins
    for (size_t k = 0; k < c.Measured.size(); ++k) {
      EXPECT_EQ(s.AfterCycle(c.Measured[k], c.PortLost[k]), c.Lost[k]) << "cycle " << k;
      lostSoFar = lostSoFar || c.Lost[k];
      EXPECT_EQ(s.Lost(), lostSoFar) << "cycle " << k;
    }
  }
  SensorSupervisor s;
  s.AfterCycle(false, true);
  s.Reset();
  EXPECT_FALSE(s.Lost());
}

TEST(SensorSupervisor, PausesDoubleUpToOneMinute) {
  std::vector<int> pauses;
  for (int attempt = 1; attempt <= 9; ++attempt) pauses.push_back(SensorSupervisor::BackoffSeconds(attempt));
  EXPECT_EQ(pauses, (std::vector<int>{1, 2, 4, 8, 16, 32, 60, 60, 60}));
}

}  // namespace
}  // namespace spectrel
