// One serial port: raw 38400 8N1 over POSIX termios, no flow control, RTS on, DTR raised after
// configuration and dropped before close, both queues flushed at open and close.
#pragma once

#include <string>

namespace spectrel {

class CSerial {
 public:
  CSerial() = default;
  CSerial(const CSerial&) = delete;
  CSerial& operator=(const CSerial&) = delete;
  virtual ~CSerial();  // drops DTR and closes the port when open

  // Opens the device. parity 0 = none; stopBits 0 = one stop bit. Queue sizes are accepted for
  // the record: the kernel sizes its own queues. Returns 1 or 0 (the object stays closed).
  int Open(const std::string& device, int baud, int byteSize, int parity, int stopBits,
           unsigned inQueue, unsigned outQueue);
  // When open: drops DTR, flushes both queues, closes. Otherwise nothing.
  void Close();
  // Discards both queues.
  void Purge();
  // Bytes waiting in the input queue (0 when closed).
  int Waiting();
  // Reads at most n bytes, never more than are waiting; never blocks. Returns the count.
  int Read(void* buffer, int n);
  // Writes n bytes; 0 when CTS is off (a pseudo-terminal has no modem lines: CTS counts as on)
  // or the write failed, 1 otherwise.
  int Write(const void* buffer, int n);
  // Waits at most timeoutMs for input: 1 when bytes are waiting, 0 when none came in time, -1 when
  // the port is closed or the far end has hung up (nothing can arrive any more).
  int WaitForInput(int timeoutMs);
  bool IsOpen() const { return Fd >= 0; }

  // A port designation of the profile: a number n means /dev/ttyS<n-1>; a path stands as it is;
  // "0", "" or a number below 1 give an empty name (no port chosen).
  static std::string DeviceName(const std::string& port);

 private:
  int Fd = -1;
};

}  // namespace spectrel
