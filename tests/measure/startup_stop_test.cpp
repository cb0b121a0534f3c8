// Starting and stopping measurement: the status block, the identification retries, the stop
// question, two stops in a row and the manual start's wait.
#include "doc_fixture.h"

namespace spectrel::testing {
namespace {

using StartStopTest = DocTest;
using Calls = std::vector<std::string>;
const std::string Started = "2026/12/07,05:58:00,APP START\r\n2026/12/07,05:58:00,INT.MEAS START\r\n";

TEST_F(StartStopTest, StartWithoutSensorsAndADeclinedStopKeepMeasuring) {
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartInterval();
  EXPECT_TRUE(doc.Measuring());
  EXPECT_EQ(Host.DialogTitle, "Interval Measurement");
  EXPECT_EQ(Host.Status(), "");
  EXPECT_EQ(Host.Calls, (Calls{"SetIntervalDialogTitle(Interval Measurement)", "EnableClose(false)",
                                    "ShowIntervalDialog(true)"}));
  EXPECT_EQ(Log(), Started);
  doc.OnStartManual();   // disabled while measuring
  EXPECT_EQ(Settings.MeasType, 0);

  Host.ConfirmAnswer = false;
  EXPECT_EQ(doc.StopMeasurement(), 0);
  EXPECT_TRUE(doc.Measuring());
  EXPECT_TRUE(Host.Visible);
  ASSERT_EQ(Host.Calls.size(), 6u);
  EXPECT_EQ(Calls(Host.Calls.begin() + 3, Host.Calls.end()),
            (Calls{"ShowIntervalDialog(false)", "ConfirmStopInterval(Stop Interval Measurement)",
                   "ShowIntervalDialog(true)"}));
  EXPECT_EQ(Log(), Started);
  Host.ConfirmAnswer = true;
  Clock.Advance(5);
  EXPECT_EQ(doc.StopMeasurement(), 1);
  EXPECT_FALSE(doc.Measuring());
  EXPECT_FALSE(Host.Visible);
  EXPECT_EQ(Host.Calls.back(), "EnableClose(true)");
  EXPECT_EQ(Log(), Started + "2026/12/07,05:58:05,INT.MEAS STOP\r\n");
}

TEST_F(StartStopTest, SecondSensorOnAMissingPortShowsItsErrorBesideTheFirstAndJoinsWhenItAppears) {
  AddSensor(SR101);
  Settings.UseSensor[SR103] = 1;
  const std::string late = Folder + "/late-tty";   // a USB adapter found after the start
  Settings.ComPort[SR103] = late;
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartInterval();
  ASSERT_GE(Host.Statuses.size(), 2u);
  // First SR-101 is being identified and SR-103 not yet opened; then SR-103's port fails.
  EXPECT_EQ(Host.Statuses[0], "SR-101 Getting the sensor information\nSR-103 \n");
  EXPECT_EQ(Host.Statuses[1], "SR-101 Getting the sensor information\nSR-103 Error(Opening COM Port failed)\n");
  EXPECT_TRUE(WaitForStatus("SR-101 READY\nSR-103 Error(Opening COM Port failed)\n")) << Host.Status();
  EXPECT_EQ(doc.Driver(SR103).InfoStatus.load(), InfoPortFailed);
  // Interval measurement watches the missing port and identifies the sensor once it is there.
  ASSERT_TRUE(StartSensor(SR103).LinkAs(late));
  EXPECT_TRUE(WaitForStatus("SR-101 READY\nSR-103 READY\n")) << Host.Status();
  EXPECT_EQ(doc.Driver(SR103).InfoStatus.load(), InfoReady);
  EXPECT_EQ(doc.Reconnects(), 1);
  EXPECT_EQ(doc.StopMeasurement(), 1);
  EXPECT_EQ(doc.Driver(SR101).InfoStatus.load(), InfoNone);
  EXPECT_EQ(doc.Driver(SR103).InfoStatus.load(), InfoNone);
  EXPECT_NE(Log().find(",ERROR SR103 PORT\r\n2026/12/07,05:58:00,SR103 RECONNECT\r\n"), std::string::npos) << Log();
}

TEST_F(StartStopTest, StopWhileASensorDoesNotAnswerEndsAfterAtMostOneMorePause) {
  AddSensor(SR102, Fault::NoAnswer);
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartInterval();
  ASSERT_TRUE(WaitForStatus("SR-102 Error(Communication with the sensor failed)\n"));
  // The beep follows the status text; wait for it (bounded) rather than race the worker.
  for (int i = 0; i < 200 && Host.Beeps.load() < 1; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_GE(Host.Beeps.load(), 1);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(doc.StopMeasurement(), 1);
  // One attempt waits 1 s for the wake-up reply; the pause after it is cut short by the stop.
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2000ms);
  EXPECT_FALSE(doc.Measuring());
  EXPECT_NE(Log().find(",INT.MEAS STOP\r\n"), std::string::npos);
  EXPECT_EQ(Log().find("ERROR"), std::string::npos);   // identification failures are not logged
}

// A manual run waits for both sensors, stops by itself, and a second stop only logs again. Then a
// sensor that fails its identification ends the wait at once, one that never answers after two
// minutes; neither lets a run begin.
TEST_F(StartStopTest, ManualRunWaitsForItsSensorsAndNeverBeginsWithAFailingOrSilentOne) {
  AddSensor(SR101);
  solmet_sim::SimulatedSensor& sr103 = AddSensor(SR103);
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartManual();
  EXPECT_EQ(Host.DialogTitle, "Manual Measurement");
  EXPECT_EQ(PollManual(), CSpectrelDoc::ManualPoll::Started);
  EXPECT_EQ(doc.Driver(SR101).InfoStatus.load(), InfoReady);
  EXPECT_EQ(doc.Driver(SR103).InfoStatus.load(), InfoReady);
  // The run posts cycle-done and then the stop request; handling both ends the measurement.
  ASSERT_TRUE(Host.PumpUntil(doc, [&] { return !doc.Measuring(); }, 20s));
  EXPECT_EQ(doc.RunsStarted(), 1);
  EXPECT_EQ(Host.Count(WorkerMessage::CycleDone), 1);
  EXPECT_EQ(Host.Count(WorkerMessage::StopRequest), 1);
  for (const std::string& call : Host.Calls) EXPECT_EQ(call.find("ConfirmStopInterval"), std::string::npos);
  EXPECT_EQ(doc.StopMeasurement(), 1);
  EXPECT_EQ(Log(), Started + "2026/12/07,05:58:00,INT.MEAS STOP\r\n2026/12/07,05:58:00,INT.MEAS STOP\r\n");

  sr103.SetFault(Fault::WrongModelName);
  doc.OnStartManual();
  EXPECT_EQ(PollManual(), CSpectrelDoc::ManualPoll::Failed);
  EXPECT_TRUE(WaitForStatus("SR-101 READY\nSR-103 Error(Sensor Name)\n")) << Host.Status();
  EXPECT_EQ(doc.PollManualStart(), CSpectrelDoc::ManualPoll::Failed);
  EXPECT_TRUE(doc.Measuring());   // until "Abort"
  EXPECT_EQ(doc.StopMeasurement(), 1);
  Settings.UseSensor = {0, 0, 0, 0};
  AddSensor(SR104, Fault::NoAnswer);
  doc.OnStartManual();
  // The first attempt needs a second to find no answer; until then the sensor has no status.
  EXPECT_EQ(doc.PollManualStart(), CSpectrelDoc::ManualPoll::Waiting);
  Clock.Advance(119);
  EXPECT_EQ(doc.PollManualStart(), CSpectrelDoc::ManualPoll::Waiting);
  Clock.Advance(1);
  EXPECT_EQ(doc.PollManualStart(), CSpectrelDoc::ManualPoll::Failed);
  EXPECT_EQ(doc.StopMeasurement(), 1);
  EXPECT_EQ(doc.RunsStarted(), 1);
  EXPECT_EQ(Stored(DayFile()).size(), 1u);
}

}  // namespace
}  // namespace spectrel::testing
