// What the serial link needs of a port: open with line settings, move bytes, tell what waits. The
// termios port drives a real line; the protocol tests put a scripted far end behind the same calls.
#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace spectrel {

enum class LineParity { None, Odd, Even };
enum class LineStopBits { One, Two };

// Line settings of an open; the drivers use 38400 8N1.
struct LineSettings {
  int Baud = 38400;                           // bits per second
  int ByteSize = 8;                           // data bits
  LineParity Parity = LineParity::None;
  LineStopBits StopBits = LineStopBits::One;
  bool operator==(const LineSettings&) const = default;
};

// How a wait for input ended.
enum class InputWait {
  Ready,     // bytes are waiting
  TimedOut,  // the whole time passed without a byte
  Gone,      // closed or hung up: nothing can arrive any more
};

class Port {
 public:
  virtual ~Port() = default;
  // Opens and configures the line; false leaves the port closed.
  virtual bool Open(const std::string& device, const LineSettings& line) = 0;
  // Drops DTR, discards both queues and closes; nothing when closed.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // Discards both queues.
  virtual void Purge() = 0;
  // Bytes waiting in the input queue (0 when closed).
  virtual int Waiting() = 0;
  // Reads at most buffer.size() bytes without waiting; returns the count.
  virtual int Read(std::span<std::byte> buffer) = 0;
  // Sends every byte; false when CTS is off or the line failed.
  virtual bool Write(std::span<const std::byte> bytes) = 0;
  // Waits at most timeoutMs for input.
  virtual InputWait WaitForInput(int timeoutMs) = 0;
  // Why the last Open failed, for the operator ("no such device", "busy (pid 12, spectrel-cli)");
  // empty when it did not fail or the port cannot tell.
  virtual std::string OpenFailure() const { return {}; }
};

}  // namespace spectrel
