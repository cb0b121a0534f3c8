#include "sensor/sensor_driver.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "sensor/reply_parsing.h"

namespace spectrel {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int LineWaitSeconds = 1;    // wake-up reply and the line that follows every block
constexpr int QueryWaitSeconds = 2;   // reply to an information query
constexpr int CalibWaitSeconds = 5;   // "CALB" block and the SR-104 pixel map

// Milliseconds left until the deadline, rounded up so that a wait never spins below 1 ms; 0 once
// the deadline has passed.
int MillisecondsLeft(SteadyClock::time_point deadline) {
  const auto left = deadline - SteadyClock::now();
  if (left <= SteadyClock::duration::zero()) return 0;
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(left).count();
  return static_cast<int>((us + 999) / 1000);
}

}  // namespace

CSensorDriver::CSensorDriver(int model, const Clock& clock)
    : Info(model), Measurement(model), ModelIdx(model), ClockRef(&clock) {}

int CSensorDriver::OpenPort(const std::string& port, int baud) {
  const std::string device = DeviceName(port);
  if (device.empty() || !Open(device, baud, 8, 0, 0, 4096, 4096)) {
    InfoStatus = InfoPortFailed;
    return 0;
  }
  return 1;
}

int CSensorDriver::ClosePort() {
  Close();
  InfoStatus = InfoNone;
  return 1;
}

int CSensorDriver::SendCommand(const char* format, ...) {
  char text[ReplyLineSize];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (length < 0) return 0;
  const int sent = std::min(length, ReplyLineSize - 1);
  Write(text, sent);  // a refused write shows as a missing reply
  return sent;
}

// Reads up to and including the CR. A line longer than the buffer keeps its first 255 bytes and
// the rest is read and dropped up to the CR. Returns the length of the whole line as received. A
// hung-up line ends the wait at once: nothing can arrive before the deadline.
int CSensorDriver::ReadLine(char* buffer, int seconds) {
  const auto deadline = SteadyClock::now() + std::chrono::seconds(seconds);
  int stored = 0;
  int received = 0;
  buffer[0] = '\0';
  for (;;) {
    char c;
    if (Read(&c, 1) == 1) {
      ++received;
      if (stored < ReplyLineSize - 1) {
        buffer[stored++] = c;
        buffer[stored] = '\0';
      }
      if (c == '\r') return received;
      if (SteadyClock::now() >= deadline) return -1;  // a line that never ends
      continue;
    }
    const int left = MillisecondsLeft(deadline);
    if (left == 0 || WaitForInput(left) < 0) return -1;
  }
}

int CSensorDriver::QueryOk(int seconds) {
  std::memset(Line, 0, sizeof Line);
  const int length = ReadLine(Line, seconds);
  TokenCountValue = TokeniseReply(Line, Tokens);
  // A reply cut off by the deadline is no reply, whatever its tokens.
  return length >= 1 && ReplyIsOk(Tokens, TokenCountValue) ? 1 : 0;
}

int CSensorDriver::ReadBlock(void* buffer, int n, int seconds) {
  const auto deadline = SteadyClock::now() + std::chrono::seconds(seconds);
  auto* bytes = static_cast<unsigned char*>(buffer);
  int got = 0;
  while (got < n) {
    got += Read(bytes + got, n - got);
    if (got == n) break;
    const int left = MillisecondsLeft(deadline);
    if (left == 0 || WaitForInput(left) < 0) return -1;
  }
  return n;
}

std::string CSensorDriver::Token(int t) const {
  if (t < 0 || t >= TokenCountValue) return "";
  return Tokens[static_cast<size_t>(t)];
}

int CSensorDriver::ReadSensorInfo() {
  Purge();
  SendCommand("\r");
  char line[ReplyLineSize];
  if (ReadLine(line, LineWaitSeconds) < 1) {
    InfoStatus = InfoNoAnswer;
    return 0;
  }

  // One information query: the first token of an "OK" reply lands in the field.
  const auto query = [this](std::string& field, const std::string& command) {
    SendCommand("%s\r", command.c_str());
    if (!QueryOk(QueryWaitSeconds)) return false;
    field = FieldText(Token(0));
    return true;
  };
  std::string firmwareTime;
  bool ok = query(Info.SensorId, "ID") && query(Info.SensorType, "ST") &&
            query(Info.SerialNo, "SER") && query(Info.FirmwareVersion, "FV");
  if (ok) {
    SendCommand("FT\r");
    ok = QueryOk(QueryWaitSeconds) == 1;
    if (ok) {
      std::string time = Token(0);  // date, a blank, time of day
      time += ' ';
      time += Token(1);
      Info.FirmwareTime = FieldText(time);
    }
  }
  for (int c = 0; ok && c < 6; ++c) {
    const char command[] = {'C', static_cast<char>('0' + c), '\0'};
    ok = query(Info.Coef[static_cast<size_t>(c)], command);
  }
  if (!ok) {
    InfoStatus = InfoQueryFailed;
    return 0;
  }
  ComputeWavelengths(Info);

  // The name is checked only now, so a sensor of another model still shows what it is.
  if (Info.SensorType != Description().Name) {
    InfoStatus = InfoWrongName;
    return 0;
  }

  const ModelDescription& model = Description();
  std::vector<std::uint8_t> block(static_cast<size_t>(model.CalibBytes()));
  SendCommand("CALB\r");
  if (ReadBlock(block.data(), model.CalibBytes(), CalibWaitSeconds) != model.CalibBytes()) {
    InfoStatus = InfoCalibFailed;
    return 0;
  }
  ReadLine(line, LineWaitSeconds);
  DecodeFloats(block.data(), model.Pixels, Info.Calib.data());

  if (model.HasPixelMap) {
    const int mapBytes = std::min<int>(model.PixelMapBytes(), static_cast<int>(PixelMap.size()));
    std::vector<std::uint8_t> map(static_cast<size_t>(mapBytes));
    SendCommand("PXSB\r");
    if (ReadBlock(map.data(), mapBytes, CalibWaitSeconds) != mapBytes) {
      InfoStatus = InfoCalibFailed;
      return 0;
    }
    ReadLine(line, LineWaitSeconds);
    std::copy(map.begin(), map.end(), PixelMap.begin());
  }

  InfoStatus = InfoReady;
  return 1;
}

}  // namespace spectrel
