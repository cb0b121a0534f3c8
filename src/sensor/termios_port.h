// The serial port of the program: raw 8N1 over POSIX termios, no flow control, RTS on, DTR raised
// after configuration and dropped before close, both queues flushed at open and close.
#pragma once

#include "base/unique_fd.h"
#include "sensor/port.h"

namespace spectrel {

class TermiosPort : public Port {
 public:
  ~TermiosPort() override { Close(); }
  // Queue sizes are not asked for: the kernel sizes its own queues.
  bool Open(const std::string& device, const LineSettings& line) override;
  void Close() override;
  bool IsOpen() const override { return Fd.Valid(); }
  void Purge() override;
  int Waiting() override;
  int Read(std::span<std::byte> buffer) override;
  // A pseudo-terminal has no modem lines: CTS counts as on there.
  bool Write(std::span<const std::byte> bytes) override;
  InputWait WaitForInput(int timeoutMs) override;
  std::string OpenFailure() const override { return Failure; }

 private:
  bool Fail(std::string why);

  UniqueFd Fd;           // the open device
  std::string Failure;   // why the last open failed
};

}  // namespace spectrel
