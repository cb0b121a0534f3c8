#include "sensor/sensor_driver.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace spectrel {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int LineWaitSeconds = 1;    // wake-up reply and the line that follows every block
constexpr int QueryWaitSeconds = 2;   // reply to an information query
constexpr int CalibWaitSeconds = 5;   // "CALB" block and the SR-104 pixel map
constexpr int CoefficientCount = 6;   // "C0".."C5": polynomial of the wavelength axis
constexpr int StopCheckMs = 100;      // longest slice of a wait while a stop may come

// Milliseconds left until the deadline, rounded up so that a wait never spins below 1 ms; 0 once
// the deadline has passed.
int MillisecondsLeft(SteadyClock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

CSensorDriver::CSensorDriver(int model, const Clock& clock)
    : Info(model), Measurement(model), ModelIdx(model), ClockRef(&clock) {}

const char* ActivityText(DriverActivity activity) {
  switch (activity) {
    case DriverActivity::Identifying: return "identifying";
    case DriverActivity::Waking: return "waking";
    case DriverActivity::Exposing: return "exposing";
    case DriverActivity::ReadingSpectrum: return "reading spectrum";
    case DriverActivity::ReadingStatus: return "reading status";
    case DriverActivity::Idle: break;
  }
  return "";
}

bool CSensorDriver::OpenPort(const std::string& port, int baud) {
  LineLost.store(false);
  const std::string device = DeviceName(port);
  if (device.empty() || !Open(device, baud, 8, LineParity::None, LineStopBits::One, 4096, 4096)) {
    InfoStatus = InfoPortFailed;
    return false;
  }
  return true;
}

void CSensorDriver::ClosePort() {
  Close();
  InfoStatus = InfoNone;
}

int CSensorDriver::SendText(std::string text) {
  text += '\r';
  text.resize(std::min<size_t>(text.size(), ReplyLineSize - 1));
  // A refused write shows as a missing reply; on an open port it also means the line failed.
  if (!Write(std::as_bytes(std::span(text))) && IsOpen()) LineLost.store(true);
  return static_cast<int>(text.size());
}

bool CSensorDriver::AwaitInput(SteadyClock::time_point deadline) {
  for (;;) {
    const int left = MillisecondsLeft(deadline);
    if (left == 0 || StopRequested()) return false;
    switch (WaitForInput(StopFlag != nullptr ? std::min(left, StopCheckMs) : left)) {
      case InputWait::Ready: return true;
      case InputWait::Gone: LineLost.store(true); return false;
      case InputWait::TimedOut:
        if (StopFlag == nullptr) return false;
        break;
    }
  }
}

// A line longer than the buffer keeps its head and the rest is read and dropped up to the CR. A
// hung-up line ends the wait at once: nothing can arrive before the deadline.
int CSensorDriver::ReadLine(std::span<char> buffer, int seconds) {
  const auto deadline = SteadyClock::now() + std::chrono::seconds(seconds);
  size_t stored = 0;
  int received = 0;
  buffer[0] = '\0';
  for (;;) {
    std::byte b;
    if (Read(std::span(&b, 1)) == 1) {
      const auto c = static_cast<char>(b);
      ++received;
      if (stored + 1 < buffer.size()) {
        buffer[stored++] = c;
        buffer[stored] = '\0';
      }
      if (c == '\r') return received;
      if (SteadyClock::now() >= deadline) return -1;  // a line that never ends
      continue;
    }
    if (!AwaitInput(deadline)) return -1;
  }
}

int CSensorDriver::ReadLine(int seconds) {
  std::array<char, ReplyLineSize> dropped;
  return ReadLine(dropped, seconds);
}

bool CSensorDriver::QueryOk(int seconds) {
  Line.fill('\0');
  const int length = ReadLine(Line, seconds);
  TokenCountValue = TokeniseReply(Line.data(), Tokens);
  // A reply cut off by the deadline is no reply, whatever its tokens.
  return length >= 1 && ReplyIsOk(Tokens, TokenCountValue);
}

int CSensorDriver::ReadBlock(std::span<std::uint8_t> buffer, int seconds) {
  const auto deadline = SteadyClock::now() + std::chrono::seconds(seconds);
  const auto bytes = std::as_writable_bytes(buffer);
  size_t got = 0;
  while (got < bytes.size()) {
    got += static_cast<size_t>(Read(bytes.subspan(got)));
    if (got == bytes.size()) break;
    if (!AwaitInput(deadline)) return -1;
  }
  return static_cast<int>(bytes.size());
}

bool CSensorDriver::WakeUp() {
  Purge();
  SendCommand("");
  return ReadLine(LineWaitSeconds) >= 1;
}

std::string CSensorDriver::Token(int t) const {
  if (t < 0 || t >= TokenCountValue) return "";
  return Tokens[static_cast<size_t>(t)];
}

// One information query: the first token of an "OK" reply lands in the field.
bool CSensorDriver::QueryText(std::string& field, std::string_view command) {
  SendCommand(command);
  if (!QueryOk(QueryWaitSeconds)) return false;
  field = FieldText(Token(0));
  return true;
}

bool CSensorDriver::QueryInformation() {
  if (!QueryText(Info.SensorId, "ID") || !QueryText(Info.SensorType, "ST") ||
      !QueryText(Info.SerialNo, "SER") || !QueryText(Info.FirmwareVersion, "FV"))
    return false;
  SendCommand("FT");
  if (!QueryOk(QueryWaitSeconds)) return false;
  Info.FirmwareTime = FieldText(Token(0) + ' ' + Token(1));  // date, a blank, time of day
  for (int c = 0; c < CoefficientCount; ++c)
    if (!QueryText(Info.Coef[static_cast<size_t>(c)], "C" + std::to_string(c))) return false;
  return true;
}

bool CSensorDriver::ReadCalibration() {
  const ModelDescription& model = Description();
  std::vector<std::uint8_t> block(static_cast<size_t>(model.CalibBytes()));
  SendCommand("CALB");
  if (ReadBlock(block, CalibWaitSeconds) < 0) return false;
  ReadLine(LineWaitSeconds);
  DecodeFloats(block.data(), model.Pixels, Info.Calib.data());
  return true;
}

bool CSensorDriver::ReadPixelMap() {
  const size_t mapBytes = std::min(static_cast<size_t>(Description().PixelMapBytes()), PixelMap.size());
  std::vector<std::uint8_t> map(mapBytes);
  SendCommand("PXSB");
  if (ReadBlock(map, CalibWaitSeconds) < 0) return false;
  ReadLine(LineWaitSeconds);
  std::copy(map.begin(), map.end(), PixelMap.begin());
  return true;
}

bool CSensorDriver::ReadSensorInfo() {
  SetActivity(DriverActivity::Identifying);
  int status = InfoReady;
  if (!WakeUp()) {
    status = InfoNoAnswer;
  } else if (!QueryInformation()) {
    status = InfoQueryFailed;
  } else {
    ComputeWavelengths(Info);
    // The name is checked only now, so a sensor of another model still shows what it is.
    if (Info.SensorType != Description().Name)
      status = InfoWrongName;
    else if (!ReadCalibration() || (Description().HasPixelMap && !ReadPixelMap()))
      status = InfoCalibFailed;
  }
  SetActivity(DriverActivity::Idle);
  InfoStatus = status;
  return status == InfoReady;
}

}  // namespace spectrel
