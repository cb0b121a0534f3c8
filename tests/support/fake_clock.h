// A clock the test sets and advances by hand; safe to read from the workers' threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>

#include "base/clock.h"

namespace spectrel::testing {

// Seconds since 1970 of a UTC calendar time.
inline std::int64_t Utc(int y, int mo, int d, int h, int mi, int s = 0) {
  std::tm c{s, mi, h, d, mo - 1, y - 1900, 0, 0, 0, 0, nullptr};
  return ::timegm(&c);
}

class FakeClock : public Clock {
 public:
  explicit FakeClock(std::int64_t start = 0) : Value(start) {}
  std::int64_t Now() const override { return Value.load(); }
  void Set(std::int64_t t) { Value.store(t); }
  void Advance(std::int64_t seconds) { Value.fetch_add(seconds); }

 private:
  std::atomic<std::int64_t> Value;   // seconds since 1970-01-01 UTC
};

}  // namespace spectrel::testing
