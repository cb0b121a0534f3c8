// A clock the test sets and advances by hand; safe to read from the workers' threads. Setting or
// advancing it is time passing; Step moves the clock alone, as a person or a time service would.
#pragma once

#include <atomic>
#include <cstdint>

#include "measure/station_clock.h"
#include "support/temp_dir.h"

namespace spectrel::testing {

class FakeClock : public StationClock {
 public:
  explicit FakeClock(std::int64_t start = 0) : Ms(start * 1000) {}
  std::int64_t Now() const override { return Ms.load() / 1000; }
  std::int64_t NowMs() const override { return Ms.load(); }
  std::int64_t MonotonicMs() const override { return Ms.load() + Behind.load(); }
  ClockSync Synchronisation() const override { return Sync.load(); }
  void Set(std::int64_t t, int ms = 0) { Ms.store(t * 1000 + ms); }
  void Advance(std::int64_t seconds) { Ms.fetch_add(seconds * 1000); }
  void Step(std::int64_t seconds) {
    Ms.fetch_add(seconds * 1000);
    Behind.fetch_sub(seconds * 1000);
  }
  std::atomic<ClockSync> Sync{ClockSync::Synchronised};

 private:
  std::atomic<std::int64_t> Ms;           // milliseconds since 1970-01-01 UTC (not before it)
  std::atomic<std::int64_t> Behind{0};    // monotonic count minus the clock, ms
};

}  // namespace spectrel::testing
