// One serial port of a sensor: the documented open, close, purge, read and write over a port that
// moves the bytes (the termios port unless another is given).
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>

#include "sensor/port.h"

namespace spectrel {

class CSerial {
 public:
  CSerial();  // on the termios port
  explicit CSerial(std::unique_ptr<Port> port);
  CSerial(const CSerial&) = delete;
  CSerial& operator=(const CSerial&) = delete;
  virtual ~CSerial();  // drops DTR and closes the port when open

  // Opens the device. Queue sizes are accepted for the record. False leaves the object closed.
  bool Open(const std::string& device, int baud, int byteSize, LineParity parity, LineStopBits stopBits,
            unsigned inQueue, unsigned outQueue);
  // When open: drops DTR, flushes both queues, closes. Otherwise nothing.
  void Close();
  // Discards both queues.
  void Purge();
  // Bytes waiting in the input queue (0 when closed).
  int Waiting();
  // Reads at most buffer.size() bytes, never more than are waiting; never blocks. Returns the count.
  int Read(std::span<std::byte> buffer);
  // Writes every byte; false when CTS is off or the write failed.
  bool Write(std::span<const std::byte> bytes);
  // Waits at most timeoutMs for input.
  InputWait WaitForInput(int timeoutMs);
  bool IsOpen() const { return Line->IsOpen(); }
  // Why the last Open failed ("no such device", "busy (pid 12, spectrel-cli)"); empty otherwise.
  std::string OpenFailure() const { return Line->OpenFailure(); }
  // Puts another port under this object (closing the current one).
  void UsePort(std::unique_ptr<Port> port);

  // A port designation of the profile: a number n means /dev/ttyS<n-1>; a path stands as it is;
  // "0", "" or a number below 1 give an empty name (no port chosen).
  static std::string DeviceName(const std::string& port);

 private:
  std::unique_ptr<Port> Line;   // never null
};

}  // namespace spectrel
