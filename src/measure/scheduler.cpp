// Interval timing: at each tick of an interval measurement the clock is shown and watched, and a
// run is started for the last boundary the clock has shown since the tick before. Every boundary
// the clock shows is either measured or logged as skipped ("ERROR MEAS SKIP").
#include "base/local_day.h"
#include "base/local_time.h"
#include "measure/interval_schedule.h"
#include "measure/spectrel_doc.h"

namespace spectrel {

namespace {

// Milliseconds to whole seconds, rounded half away from zero.
std::int64_t RoundedSeconds(std::int64_t ms) { return (ms + (ms < 0 ? -500 : 500)) / 1000; }

}  // namespace

void CSpectrelDoc::OnIntervalTick() {
  if (Now != MeasureState::Interval) return;   // a tick that arrives after the stop
  const std::int64_t now = ClockRef.Now();
  const std::int64_t s = SecondOfDay(now);
  Host.ClockTicked(FormatLocal(now, "%Y/%m/%d  %H:%M:%S"));
  WatchClock();
  NoteStationTick();

  const auto [crossed, mayMeasure] = Ticks.At(IntervalSchedule::Of(SettingsRef), now, s);
  if (crossed.Count == 0) return;
  // When ticks came late, one run is made for the last boundary; while the previous cycle is
  // still being measured or waits for its completion, runs never overlap: it is left out too.
  const bool measure = mayMeasure && !CyclePending;
  const std::int64_t skipped = crossed.Count - (measure ? 1 : 0);
  if (skipped > 0) {
    WriteLog(SkipMessage(skipped));
    StationWatch.BoundarySkipped(skipped);
  }
  if (!measure) return;
  if (!StartRun(crossed.Last)) WriteLog("ERROR MEAS THREAD CREATE");
}

// The kernel's word on the clock is logged when it changes, and a step of the clock (a person or
// the time service moving it) once, with its size.
void CSpectrelDoc::WatchClock() {
  const ClockWatch::Seen seen = Watch.Look(ClockRef);
  if (seen.StepMs) {
    const std::int64_t seconds = RoundedSeconds(*seen.StepMs);
    WriteLog("CLOCK STEP " + std::string(seconds < 0 ? "" : "+") + std::to_string(seconds));
    StationWatch.ClockStepped(seconds);
  }
  if (seen.Changed) WriteLog(*seen.Changed == ClockSync::Synchronised ? "CLOCK SYNC" : "CLOCK UNSYNC");
  StationWatch.ClockState(seen.Sync);
}

}  // namespace spectrel
