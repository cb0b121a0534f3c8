// The view's commands and the workers' messages, turned into calls on the document.
#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"

namespace spectrel {

namespace {
// A manual start waits at most this long (clock seconds) for identification to settle; a sensor
// whose identification thread never ran would otherwise keep it waiting for ever.
constexpr std::int64_t ManualWaitLimit = 120;
}  // namespace

void CSpectrelDoc::OnStartInterval() {
  if (MeasuringFlag.load()) return;  // the start commands are disabled while measuring
  SettingsRef.MeasType = 0;
  Host.SetIntervalDialogTitle(MeasureText(TextIntervalTitle, Lang));
  StartMeasurement();
}

void CSpectrelDoc::OnStartManual() {
  if (MeasuringFlag.load()) return;
  SettingsRef.MeasType = 1;
  Host.SetIntervalDialogTitle(MeasureText(TextManualTitle, Lang));
  StartMeasurement();
}

CSpectrelDoc::ManualPoll CSpectrelDoc::PollManualStart() {
  if (ManualResult != ManualPoll::Waiting) return ManualResult;
  if (!MeasuringFlag.load()) return ManualResult = ManualPoll::Failed;
  int unsettled = 0;
  for (int i = 0; i < ModelCount; ++i) {
    if (SettingsRef.UseSensor[static_cast<size_t>(i)] != 1) continue;
    const int status = Driver(i).InfoStatus.load();
    if (status != InfoNone && status != InfoReady) return ManualResult = ManualPoll::Failed;
    if (status == InfoNone) ++unsettled;
  }
  if (unsettled == 0) {
    ManualResult = StartRun(ClockRef.Now()) == 1 ? ManualPoll::Started : ManualPoll::Failed;
    return ManualResult;
  }
  if (ClockRef.Now() - ManualWaitStart >= ManualWaitLimit) return ManualResult = ManualPoll::Failed;
  return ManualPoll::Waiting;
}

bool CSpectrelDoc::HandleMessage(WorkerMessage message) {
  switch (message) {
    case WorkerMessage::CycleDone:
      // A completion already done by a stop leaves nothing to do.
      if (CyclePending) CompleteCycle();
      StartReconnects();
      return false;
    case WorkerMessage::StopRequest:
      return StopMeasurement() == 1;
    case WorkerMessage::StatusChanged:
      UpdateStatusDisplay();
      return false;
  }
  return false;
}

}  // namespace spectrel
