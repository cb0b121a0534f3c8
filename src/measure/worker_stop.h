// The stop signal of a measurement's workers: raised once by the stop, seen by every worker at
// its next look and by the drivers' waits within a tenth of a second; a pause ends at it at once.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace spectrel {

class WorkerStop {
 public:
  // A new measurement: workers may run.
  void Reset() { Raised.store(false); }
  // Every worker: end. Any thread.
  void Raise() {
    {
      // Raised under the pause lock, so no pausing worker can miss the wake-up.
      std::lock_guard<std::mutex> lock(PauseLock);
      Raised.store(true);
    }
    Woken.notify_all();
  }
  bool Stopped() const { return Raised.load(); }
  // Sleeps ms unless the stop comes first; false once stopped.
  bool Pause(int ms) {
    std::unique_lock<std::mutex> lock(PauseLock);
    Woken.wait_for(lock, std::chrono::milliseconds(ms), [this] { return Raised.load(); });
    return !Raised.load();
  }
  // For the drivers' waits for their sensors.
  const std::atomic<bool>& Flag() const { return Raised; }

 private:
  std::atomic<bool> Raised{true};   // no measurement yet
  std::mutex PauseLock;
  std::condition_variable Woken;
};

}  // namespace spectrel
