// What the station knows of its system clock beyond the time: the time to the millisecond (to
// keep its rhythm on whole seconds), a count that time passing moves and a step of the clock does
// not (to tell a step from a late tick), and whether the kernel holds the clock synchronised (the
// flag "timedatectl" shows). Tests put a clock of their own behind it.
#pragma once

#include <cstdint>
#include <optional>

#include "base/clock.h"

namespace spectrel {

enum class ClockSync {
  Unknown,          // the kernel could not be asked
  Synchronised,     // a time service keeps the clock
  Unsynchronised,   // nothing vouches for the clock (the kernel's STA_UNSYNC)
};

class StationClock : public Clock {
 public:
  // Milliseconds since 1970-01-01 UTC by the system clock: Now() to the millisecond.
  virtual std::int64_t NowMs() const = 0;
  // Milliseconds of a count that runs on through a suspend and is never stepped.
  virtual std::int64_t MonotonicMs() const = 0;
  virtual ClockSync Synchronisation() const = 0;
};

// The system's own: the real-time clock, the boot-time count and the kernel's flag.
const StationClock& SystemStationClock();

// Looks at the clock once a tick and tells what changed since the look before: a step (the clock
// moved against the monotonic count by a second or more) and the kernel's word on it.
class ClockWatch {
 public:
  struct Seen {
    std::optional<std::int64_t> StepMs;   // the clock was stepped by this much, ms (forward > 0)
    std::optional<ClockSync> Changed;     // the kernel's word changed to this (it starts as synchronised)
    ClockSync Sync = ClockSync::Unknown;  // the kernel's word now
  };
  Seen Look(const StationClock& clock);
  // The next look compares no time with this one (a new measurement); the word is kept.
  void Restart() { Looked = false; }

 private:
  bool Looked = false;                      // a look since the restart
  std::int64_t LastMs = 0, LastMono = 0;    // the clock and the monotonic count at that look, ms
  ClockSync Word = ClockSync::Synchronised; // the kernel's word as last told
};

}  // namespace spectrel
