// One measurement run: every sensor in use and ready is measured at the same time on a thread of
// its own; the run hands its result to the document's thread, which completes the cycle.
#include <system_error>

#include "measure/spectrel_doc.h"

namespace spectrel {

bool CSpectrelDoc::StartRun(std::int64_t cycleTime) {
  // Runs never overlap: the last one has reported (or been stopped) before a new one starts.
  if (RunThread.joinable()) RunThread.join();
  // The run takes what it needs with it: the sensors ready now and their identifications.
  CycleResult result;
  result.Time = cycleTime;
  ModelSet ready{};
  for (int i = 0; i < ModelCount; ++i) {
    if (!InUse(i) || Link(i).Status() != InfoReady) continue;
    ready[static_cast<size_t>(i)] = true;
    result.Identified[static_cast<size_t>(i)] = Link(i).Identification();
  }
  try {
    RunThread = std::thread(&CSpectrelDoc::MeasureRun, this, std::move(result), ready,
                            Now != MeasureState::Interval, *Rounds);
  } catch (const std::system_error&) {
    return false;
  }
  CyclePending = true;
  ++RunCount;
  return true;
}

void CSpectrelDoc::MeasureRun(CycleResult result, ModelSet ready, bool manual, std::uint64_t round) {
  std::array<std::thread, ModelCount> sensors;
  for (int i = 0; i < ModelCount; ++i) {
    if (!ready[static_cast<size_t>(i)]) continue;
    try {
      sensors[static_cast<size_t>(i)] = std::thread([this, i, round, &result] {
        result.Measured[static_cast<size_t>(i)] = Links[static_cast<size_t>(i)]->Measure(NewsOf(i, round));
      });
    } catch (const std::system_error&) {
      // Left out of this run; cycle completion logs it as a failed measurement.
    }
  }
  for (int i = ModelCount - 1; i >= 0; --i)
    if (sensors[static_cast<size_t>(i)].joinable()) sensors[static_cast<size_t>(i)].join();
  // A run stopped meanwhile reports nothing.
  if (Workers.Stopped()) return;
  Reported.Put(std::move(result));
  Post(round, [this] { RunReported(); });
  // A manual measurement ends after its single run.
  if (manual) Post(round, [this] { StopMeasurement(); });
}

void CSpectrelDoc::RunReported() {
  const std::optional<CycleResult> result = Reported.Take();
  // A completion already done by a stop leaves nothing to do.
  if (!result || !CyclePending) return;
  CompleteCycle(*result);
  if (Workers.Stopped()) return;
  // A sensor lost in this run is closed and brought back in the background.
  for (int i = 0; i < ModelCount; ++i) {
    if (result->Identified[static_cast<size_t>(i)] && Links[static_cast<size_t>(i)]->AfterCycle(result->Measured[static_cast<size_t>(i)].has_value()))
      Reconnect(i, true);
  }
}

}  // namespace spectrel
