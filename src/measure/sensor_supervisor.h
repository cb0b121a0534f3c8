// Watch over one sensor in use: counts the cycles it failed in a row, tells when it must be
// closed and brought back, and owns the background thread that brings it back.
#pragma once

#include <atomic>
#include <system_error>
#include <thread>

namespace spectrel {

class SensorSupervisor {
 public:
  // Cycles failed in a row after which a sensor whose port still works is brought back too.
  static constexpr int FailedCyclesLimit = 3;
  // Pause before reconnect attempt n (1, 2, 3 ...): 1 s doubling up to one minute.
  static int BackoffSeconds(int attempt);

  SensorSupervisor() = default;
  SensorSupervisor(const SensorSupervisor&) = delete;
  SensorSupervisor& operator=(const SensorSupervisor&) = delete;
  ~SensorSupervisor() { Join(); }

  // After the sensor's part of a run (its measurement thread): true when it must be brought back,
  // that is when its port failed or when it failed FailedCyclesLimit cycles in a row.
  bool AfterCycle(bool measured, bool portLost);
  // The sensor was marked lost by AfterCycle and nobody has begun to bring it back.
  bool Lost() const { return LostFlag.load(); }
  // A reconnect thread exists and has not ended.
  bool Reconnecting() const { return Worker.joinable() && !WorkerDone.load(); }
  // Starts body on the reconnect thread (the sensor is no longer "lost"); false when a thread
  // could not be created.
  template <typename Body>
  bool Launch(Body body) {
    Join();
    LostFlag.store(false);
    WorkerDone.store(false);
    try {
      Worker = std::thread([this, body] {
        body();
        WorkerDone.store(true);
      });
    } catch (const std::system_error&) {
      WorkerDone.store(true);
      LostFlag.store(true);
      return false;
    }
    return true;
  }
  // Waits for the reconnect thread, if any; the caller has asked it to stop.
  void Join();
  // A new measurement: no failures counted, nothing lost.
  void Reset();

 private:
  int FailedInRow = 0;                 // cycles failed in a row; the measurement thread's
  std::atomic<bool> LostFlag{false};   // set by the measurement thread, taken by the UI thread
  std::atomic<bool> WorkerDone{true};  // the reconnect thread has done its work
  std::thread Worker;                  // the reconnect thread
};

}  // namespace spectrel
