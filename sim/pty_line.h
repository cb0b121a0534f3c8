// The simulator's end of a pseudo-terminal, with a wake-up pipe so that every wait can be cut
// short when the sensor is stopped.
#pragma once

#include <chrono>
#include <string>

#include "base/unique_fd.h"

namespace solmet_sim {

using SteadyTime = std::chrono::steady_clock::time_point;

// A self-pipe: Notify() from any thread wakes every wait of the worker.
class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;
  bool Valid() const { return Read_.Valid(); }
  int Fd() const { return Read_.Get(); }
  void Notify();
  bool Raised() const;
  // Sleeps until the deadline; false when the stop was raised first.
  bool SleepUntil(SteadyTime deadline) const;

 private:
  spectrel::UniqueFd Read_;    // polled by every wait
  spectrel::UniqueFd Write_;   // written once to raise the stop
};

enum class ReadResult { Data, Stopped, Closed };

class PtyLine {
 public:
  PtyLine() = default;
  ~PtyLine();
  PtyLine(const PtyLine&) = delete;
  PtyLine& operator=(const PtyLine&) = delete;

  // Opens a master in non-blocking raw mode and keeps one slave descriptor of its own, so that
  // the line stays up while the program closes and reopens the device.
  bool Open();
  // Closes both ends: the program's descriptor then sees a hang-up.
  void Close();
  bool IsOpen() const { return Master_.Valid(); }
  const std::string& SlavePath() const { return SlavePath_; }

  // Waits for bytes from the program and appends them to text.
  ReadResult Read(std::string& text, const StopSignal& stop);
  // Writes all bytes; false when stopped or the line failed.
  bool Write(const char* data, std::size_t size, const StopSignal& stop);

 private:
  spectrel::UniqueFd Master_;   // the simulator's end
  spectrel::UniqueFd Slave_;    // held open only to keep the line up
  std::string SlavePath_; // /dev/pts/N, the program's end
};

}  // namespace solmet_sim
