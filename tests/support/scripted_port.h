// An in-memory far end for the protocol tests: every CR-ended command the driver writes is recorded
// and answered at once with the bytes a handler gives, with no thread and no time passing. A wait
// with nothing to read ends as the whole wait having passed; the waits asked for are recorded.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sensor/port.h"

namespace spectrel::testing {

struct ScriptedLine {
  // Reply bytes for one command line (given without its CR); empty = stay silent.
  using Handler = std::function<std::string(const std::string& command)>;

  explicit ScriptedLine(Handler reply) : Reply(std::move(reply)) {}

  Handler Reply;
  std::vector<std::string> Commands;   // command lines received, without their CR
  std::string Written;                 // every byte written, in order
  std::string Incoming;                // bytes waiting for the driver
  std::vector<int> Waits;              // timeouts of the driver's waits for input, ms
  bool Open = false;
  bool HungUp = false;                 // the far end is gone: waits end at once
  LineSettings Settings;               // of the last open

  std::unique_ptr<Port> MakePort();
};

class ScriptedPort : public Port {
 public:
  explicit ScriptedPort(ScriptedLine& line) : Far(line) {}
  bool Open(const std::string& device, const LineSettings& line) override {
    Far.Settings = line;
    Far.Open = !device.empty();
    return Far.Open;
  }
  void Close() override { Far.Open = false; }
  bool IsOpen() const override { return Far.Open; }
  void Purge() override { Far.Incoming.clear(); }
  int Waiting() override { return Far.Open ? static_cast<int>(Far.Incoming.size()) : 0; }
  int Read(std::span<std::byte> buffer) override {
    const size_t n = std::min(buffer.size(), static_cast<size_t>(Waiting()));
    std::copy_n(reinterpret_cast<const std::byte*>(Far.Incoming.data()), n, buffer.begin());
    Far.Incoming.erase(0, n);
    return static_cast<int>(n);
  }
  bool Write(std::span<const std::byte> bytes) override {
    if (!Far.Open) return false;
    const std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    Far.Written += text;
    Pending += text;
    for (size_t cr; (cr = Pending.find('\r')) != std::string::npos; Pending.erase(0, cr + 1)) {
      Far.Commands.push_back(Pending.substr(0, cr));
      Far.Incoming += Far.Reply(Far.Commands.back());
    }
    return true;
  }
  InputWait WaitForInput(int timeoutMs) override {
    Far.Waits.push_back(timeoutMs);
    if (Waiting() > 0) return InputWait::Ready;
    return !Far.Open || Far.HungUp ? InputWait::Gone : InputWait::TimedOut;
  }

 private:
  ScriptedLine& Far;
  std::string Pending;   // written bytes not yet ended by a CR
};

inline std::unique_ptr<Port> ScriptedLine::MakePort() { return std::make_unique<ScriptedPort>(*this); }

}  // namespace spectrel::testing
