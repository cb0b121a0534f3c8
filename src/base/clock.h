// The one place that reads "now": the scheduler, the manual cycle time, the event log and the
// drivers' time stamps all go through a Clock, so tests can run a whole day in milliseconds.
#pragma once

#include <cstdint>
#include <ctime>

namespace spectrel {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970-01-01 UTC.
  virtual std::int64_t Now() const = 0;
};

class SystemClock : public Clock {
 public:
  std::int64_t Now() const override { return static_cast<std::int64_t>(std::time(nullptr)); }
};

// The process-wide real clock.
inline const Clock& RealClock() {
  static const SystemClock clock;
  return clock;
}

}  // namespace spectrel
