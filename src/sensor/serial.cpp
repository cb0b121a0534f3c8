#include "sensor/serial.h"

#include <algorithm>
#include <cstdlib>

#include "sensor/termios_port.h"

namespace spectrel {

CSerial::CSerial() : Line(std::make_unique<TermiosPort>()) {}

CSerial::CSerial(std::unique_ptr<Port> port) : Line(std::move(port)) {}

CSerial::~CSerial() { Close(); }

void CSerial::UsePort(std::unique_ptr<Port> port) {
  Close();
  Line = std::move(port);
}

bool CSerial::Open(const std::string& device, int baud, int byteSize, LineParity parity, LineStopBits stopBits,
                   unsigned /*inQueue*/, unsigned /*outQueue*/) {
  Close();  // a second open must not leak the first line
  return Line->Open(device, LineSettings{baud, byteSize, parity, stopBits});
}

void CSerial::Close() { Line->Close(); }

void CSerial::Purge() { Line->Purge(); }

int CSerial::Waiting() { return Line->Waiting(); }

int CSerial::Read(std::span<std::byte> buffer) {
  const auto take = std::min<size_t>(buffer.size(), static_cast<size_t>(Waiting()));
  return take == 0 ? 0 : Line->Read(buffer.first(take));
}

bool CSerial::Write(std::span<const std::byte> bytes) { return Line->Write(bytes); }

InputWait CSerial::WaitForInput(int timeoutMs) { return Line->WaitForInput(timeoutMs); }

std::string CSerial::DeviceName(const std::string& port) {
  if (port.empty()) return "";
  size_t start = (port[0] == '-' || port[0] == '+') ? 1 : 0;
  const bool number = start < port.size() &&
                      std::all_of(port.begin() + static_cast<long>(start), port.end(),
                                  [](char c) { return c >= '0' && c <= '9'; });
  if (!number) return port;  // a device path stands as it is
  if (port[0] == '-') return "";
  const long n = std::strtol(port.c_str(), nullptr, 10);
  if (n < 1 || n > 4096) return "";
  return "/dev/ttyS" + std::to_string(n - 1);
}

}  // namespace spectrel
