#include "measure/station_clock.h"

#include <sys/timex.h>
#include <time.h>

#include <cstdlib>

namespace spectrel {

namespace {

std::int64_t Milliseconds(clockid_t id) {
  timespec t{};
  ::clock_gettime(id, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

class SystemClockState : public StationClock {
 public:
  std::int64_t Now() const override {
    const std::int64_t ms = NowMs();
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
  }
  std::int64_t NowMs() const override { return Milliseconds(CLOCK_REALTIME); }
  std::int64_t MonotonicMs() const override { return Milliseconds(CLOCK_BOOTTIME); }
  ClockSync Synchronisation() const override {
    // Asking changes nothing (no mode bits). The kernel sets STA_UNSYNC itself once its error
    // estimate passes 16 s without a time service correcting it.
    timex state{};
    const int result = ::adjtimex(&state);
    if (result < 0) return ClockSync::Unknown;
    return result == TIME_ERROR || (state.status & STA_UNSYNC) != 0 ? ClockSync::Unsynchronised
                                                                   : ClockSync::Synchronised;
  }
};

constexpr std::int64_t StepLimitMs = 1000;   // a clock that moved this much against time passing was stepped

}  // namespace

ClockWatch::Seen ClockWatch::Look(const StationClock& clock) {
  Seen seen;
  const std::int64_t ms = clock.NowMs();
  const std::int64_t mono = clock.MonotonicMs();
  if (Looked) {
    const std::int64_t step = (ms - LastMs) - (mono - LastMono);
    if (std::llabs(step) >= StepLimitMs) seen.StepMs = step;
  }
  Looked = true;
  LastMs = ms;
  LastMono = mono;
  seen.Sync = clock.Synchronisation();
  if (seen.Sync != ClockSync::Unknown && seen.Sync != Word) seen.Changed = Word = seen.Sync;
  return seen;
}

const StationClock& SystemStationClock() {
  static const SystemClockState clock;
  return clock;
}

}  // namespace spectrel
