// Interval timing and the end of measurement. Interval measurement measures at every multiple of
// the interval, counted from local midnight, inside the daily window (both ends included).
#include "base/local_day.h"
#include "base/local_time.h"
#include "measure/day_paths.h"
#include "measure/spectrel_doc.h"
#include "measure/status_texts.h"

namespace spectrel {

void CSpectrelDoc::OnIntervalTick() {
  if (!MeasuringFlag.load()) return;   // a tick that arrives after the stop
  const std::int64_t now = ClockRef.Now();
  const std::int64_t s = SecondOfDay(now);
  Host.SetIntervalClock(FormatLocal(now, "%Y/%m/%d  %H:%M:%S"));
  NoteStationTick();

  // The first tick after a start never measures, nor does any tick outside the window.
  if (s < SettingsRef.StartTime || s > SettingsRef.EndTime || LastTickSecond == 0) {
    LastTickSecond = s;
    return;
  }
  // Only an edited profile holds an interval below one second; it is taken as one second.
  const std::int64_t interval = SettingsRef.Interval > 0 ? SettingsRef.Interval : 1;
  const std::int64_t q = s / interval;
  if (q == LastTickSecond / interval) {
    LastTickSecond = s;
    return;
  }

  // A boundary was crossed (the last one, when ticks came late). Runs never overlap: while the
  // previous cycle is still being measured or waits for its completion, this boundary is left
  // out and the event log gets "ERROR MEAS SKIP".
  if (CyclePending) {
    WriteLog("ERROR MEAS SKIP");
    StationWatch.BoundarySkipped();
    LastTickSecond = s;
    return;
  }
  CycleTimeValue = LocalTimeOfDay(now, interval * q);
  JoinRunThread();
  if (!LaunchRunThread()) WriteLog("ERROR MEAS THREAD CREATE");
  LastTickSecond = s;
}

int CSpectrelDoc::StopMeasurement() {
  Host.ShowIntervalDialog(false);
  if (SettingsRef.MeasType == 0 && !Host.ConfirmStopInterval(MeasureText(TextStopQuestion, Lang))) {
    Host.ShowIntervalDialog(true);
    return 0;
  }
  StopNow();
  return 1;
}

void CSpectrelDoc::RequestStop() {
  {
    // Cleared under the pause lock so no pausing worker can miss the wake-up.
    std::lock_guard<std::mutex> lock(PauseMutex);
    MeasuringFlag.store(false);
    StopWaits.store(true);
  }
  PauseSignal.notify_all();
}

std::string CSpectrelDoc::StopWaitText() const {
  std::string text;
  for (int i = 0; i < ModelCount; ++i) {
    const DriverActivity activity = const_cast<CSpectrelDoc*>(this)->Driver(i).Activity();
    if (activity == DriverActivity::Idle) continue;
    if (!text.empty()) text += ", ";
    text += ModelDisplayName(i) + " (" + ActivityText(activity) + ")";
  }
  return text;
}

void CSpectrelDoc::StopNow() {
  StationWatch.Stopping();
  RequestStop();
  for (auto it = InfoThreads.rbegin(); it != InfoThreads.rend(); ++it) {
    if (it->joinable()) it->join();
  }
  InfoThreads.clear();
  JoinRunThread();
  for (SensorSupervisor& supervisor : Supervisors) supervisor.Join();
  // A run that reported just before the stop still has its completion queued: it is completed
  // now, while the drivers still hold their records, and the queued message finds nothing to do.
  if (CyclePending && RunReported.load()) CompleteCycle();
  CyclePending = false;
  for (int i = 0; i < ModelCount; ++i) Driver(i).ClosePort();
  Host.EnableClose(true);
  WriteLog("INT.MEAS STOP");
  StationWatch.Stopped();
}

}  // namespace spectrel
