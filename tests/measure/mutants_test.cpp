// Faults of the measurement control that no other test here would notice.
#include "doc_fixture.h"

namespace spectrel::testing {
namespace {

using RunTest = DocTest;

// The second run is stopped while its sensor keeps it waiting: the run that completed before it
// must not make the stopped one count as done.
TEST_F(RunTest, AStopInTheMiddleOfARunStoresNothingOfIt) {
  solmet_sim::SimulatedSensor& sr101 = AddSensor(SR101);
  Settings.Interval = 60;
  Settings.StartTime = 0;
  Settings.EndTime = 86399;
  Clock.Set(Dec7(10, 0, 30));
  MakeDoc().OnStartInterval();
  ASSERT_TRUE(WaitForStatus("SR-101 READY\n")) << Host.Status();
  Doc->OnIntervalTick();   // the first tick never measures
  Clock.Set(Dec7(10, 1, 0));
  Doc->OnIntervalTick();
  ASSERT_TRUE(Host.PumpCycle(*Doc, 30s));
  sr101.SetFault(Fault::NoAnswer);
  Clock.Set(Dec7(10, 2, 0));
  Doc->OnIntervalTick();
  ASSERT_TRUE(WaitForStatus("SR-101 Measuring\n")) << Host.Status();
  ASSERT_EQ(Doc->StopMeasurement(), 1);
  EXPECT_EQ(Stored(DayFile()), std::vector<std::int64_t>{Dec7(10, 1, 0)});
}

}  // namespace
}  // namespace spectrel::testing
