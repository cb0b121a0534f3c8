// Starting and stopping measurement: the state and the status block the host is told (its texts
// in both languages), the identification retries, the stop question, two stops in a row and the
// manual start's wait; when a sensor in use is given up and brought back, and how long the pauses
// between the attempts to bring it back grow.
#include "doc_fixture.h"
#include "measure/sensor_link.h"
#include "measure/status_texts.h"

namespace spectrel::testing {
namespace {

using StartStopTest = DocTest;
using States = std::vector<MeasureState>;
const std::vector<std::string> Started{"APP START", "INT.MEAS START"};

TEST_F(StartStopTest, StopDeclinedKeepsTheIntervalMeasurementGoing) {
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartInterval();
  EXPECT_EQ(Host.States, States{MeasureState::Interval});
  EXPECT_EQ(Host.Title, "Interval Measurement");
  EXPECT_TRUE(Host.Statuses.empty());   // no sensor in use: an empty block
  doc.OnStartManual();   // disabled while measuring
  EXPECT_EQ(Settings.MeasType, MeasureMode::Interval);
  Host.Answer = false;
  EXPECT_FALSE(doc.StopMeasurement());
  EXPECT_TRUE(doc.Measuring());
  EXPECT_EQ(Host.Questions, std::vector<std::string>{"Stop Interval Measurement"});
  EXPECT_EQ(LogMessages(), Started);
  Host.Answer = true;
  Clock.Advance(5);
  EXPECT_TRUE(doc.StopMeasurement());
  EXPECT_EQ(Host.States, (States{MeasureState::Interval, MeasureState::Idle}));
  EXPECT_EQ(Log().substr(Log().size() - 35), "2026/12/07,05:58:05,INT.MEAS STOP\r\n");
}

// The station reads "starting" while a sensor in use is still being identified.
TEST_F(StartStopTest, StationIsStartingUntilEverySensorHasAnswered) {
  solmet_sim::SimulatedSensor& sensor = AddSensor(SR101, Fault::NoAnswer);
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartInterval();
  doc.OnIntervalTick();   // within the second its first wake-up waits for an answer
  EXPECT_EQ(Written().State, StationState::Starting);
  sensor.SetFault(Fault::None);
  ASSERT_TRUE(WaitForStatus("SR-101 READY\n")) << Host.Status();
  doc.OnIntervalTick();
  EXPECT_EQ(Written().State, StationState::Measuring);
  EXPECT_TRUE(doc.StopMeasurement());
}

TEST_F(StartStopTest, ASensorOnAMissingPortJoinsOnceItAppears) {
  AddSensor(SR101);
  Settings.UseSensor[SR103] = true;
  const std::string late = Folder + "/late-tty";   // a USB adapter found after the start
  Settings.ComPort[SR103] = late;
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartInterval();
  ASSERT_GE(Host.Statuses.size(), 2u);
  // First SR-101 is being identified and SR-103 not yet opened; then SR-103's port fails.
  EXPECT_EQ(Host.Statuses[0], "SR-101 Getting the sensor information\nSR-103 \n");
  EXPECT_EQ(Host.Statuses[1], "SR-101 Getting the sensor information\nSR-103 Error(Opening COM Port failed)\n");
  EXPECT_TRUE(WaitForStatus("SR-101 READY\nSR-103 Error(Opening COM Port failed)\n")) << Host.Status();
  EXPECT_EQ(doc.Link(SR103).Status(), InfoPortFailed);
  // Interval measurement watches the missing port and identifies the sensor once it is there.
  ASSERT_TRUE(StartSensor(SR103).LinkAs(late));
  EXPECT_TRUE(WaitForStatus("SR-101 READY\nSR-103 READY\n")) << Host.Status();
  EXPECT_EQ(doc.Link(SR103).Status(), InfoReady);
  EXPECT_EQ(doc.Reconnects(), 1);
  EXPECT_TRUE(doc.StopMeasurement());
  EXPECT_EQ(doc.Link(SR103).Status(), InfoNone);
  const std::vector<std::string> log = LogMessages();
  EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.end() - 1), (std::vector<std::string>{"ERROR SR103 PORT", "SR103 RECONNECT"}));
}

TEST_F(StartStopTest, StopWhileASensorDoesNotAnswerEndsAfterAtMostOneMorePause) {
  AddSensor(SR102, Fault::NoAnswer);
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartInterval();
  ASSERT_TRUE(WaitForStatus("SR-102 Error(Communication with the sensor failed)\n"));
  EXPECT_GE(Host.Beeps, 1);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(doc.StopMeasurement());
  // One attempt waits 1 s for the wake-up reply; the pause after it is cut short by the stop.
  EXPECT_LT(std::chrono::steady_clock::now() - before, 2000ms);
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"APP START", "INT.MEAS START", "INT.MEAS STOP"}));
}

// A manual run waits for both sensors and stops by itself; a second stop only logs again.
TEST_F(StartStopTest, AManualRunStopsByItselfAfterItsCycle) {
  AddSensor(SR101);
  AddSensor(SR103);
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartManual();
  EXPECT_EQ(Host.Title, "Manual Measurement");
  EXPECT_EQ(PollManual(), MeasureState::ManualRunning);
  // The run completes its cycle and then stops the measurement, without a question.
  ASSERT_TRUE(Host.PumpUntil([&] { return !doc.Measuring(); }, 20s));
  EXPECT_EQ(Host.States, (States{MeasureState::ManualSettling, MeasureState::ManualRunning, MeasureState::Idle}));
  EXPECT_EQ(Host.Cycles.size(), 1u);
  EXPECT_TRUE(Host.Questions.empty());
  EXPECT_TRUE(doc.StopMeasurement());
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"APP START", "INT.MEAS START", "INT.MEAS STOP", "INT.MEAS STOP"}));
  EXPECT_EQ(Stored(DayFile()).size(), 1u);
}

// A manual point is no rate of the day: the status tells no days of space left from it.
TEST_F(StartStopTest, AManualPointGivesNoDaysLeft) {
  AddSensor(SR103);
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartManual();
  EXPECT_EQ(PollManual(), MeasureState::ManualRunning);
  ASSERT_TRUE(Host.PumpUntil([&] { return !doc.Measuring(); }, 20s));
  EXPECT_EQ(Written().Counters.Stored, 1);
  EXPECT_FALSE(Written().DaysLeft);
}

// A sensor that fails its identification ends the wait at once, one that never answers after
// two minutes; neither lets a run begin, and the measurement stays until "Abort".
TEST_F(StartStopTest, ManualRunNeverBeginsWithAFailingOrSilentSensor) {
  AddSensor(SR101);
  AddSensor(SR103, Fault::WrongModelName);
  CSpectrelDoc& doc = MakeDoc();
  doc.OnStartManual();
  EXPECT_EQ(PollManual(), MeasureState::ManualFailed);
  EXPECT_TRUE(WaitForStatus("SR-101 READY\nSR-103 Error(Sensor Name)\n")) << Host.Status();
  EXPECT_TRUE(doc.Measuring());
  EXPECT_TRUE(doc.StopMeasurement());
  Settings.UseSensor = {false, false, false, false};
  AddSensor(SR104, Fault::NoAnswer);
  doc.OnStartManual();
  // The first attempt needs a second to find no answer; until then the sensor has no status.
  EXPECT_EQ(doc.PollManualStart(), MeasureState::ManualSettling);
  Clock.Advance(119);
  EXPECT_EQ(doc.PollManualStart(), MeasureState::ManualSettling);
  Clock.Advance(1);
  EXPECT_EQ(doc.PollManualStart(), MeasureState::ManualFailed);
  EXPECT_TRUE(doc.StopMeasurement());
  EXPECT_EQ(doc.RunsStarted(), 0);
}

// A status code outside 0..6 shows no text, not the neighbouring table entry.
TEST(StatusTexts, StatusCodesOutsideTheTableHaveNoText) {
  EXPECT_EQ(StatusMessage(InfoReady, Language::English), "READY");
  for (const int code : {-1, 7}) EXPECT_EQ(StatusMessage(code, Language::English), "") << code;
}

TEST(StatusTexts, EveryIdHasItsOwnJapaneseText) {
  for (int id = 61447; id <= 61462; ++id) {
    if (id == 61448 || id == 61454) continue;
    EXPECT_FALSE(MeasureText(id, Language::Japanese).empty()) << id;
    EXPECT_NE(MeasureText(id, Language::Japanese), MeasureText(id, Language::English)) << id;
  }
  EXPECT_EQ(ModelDisplayName(4), "");
}

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
}  // namespace spectrel::testing
