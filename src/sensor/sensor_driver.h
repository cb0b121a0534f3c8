// The driver of one Solmet sensor: identification, calibration and spectrum acquisition over the
// sensor's command protocol. One driver reads the per-model description; CSR101..CSR104 name it.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/clock.h"
#include "sensor/reply_parsing.h"
#include "sensor/serial.h"
#include "spectrum/records.h"

namespace spectrel {

// Identification result; the measurement control shows it as a status text.
enum InfoStatusCode : int {
  InfoNone = 0,          // constructed or closed
  InfoPortFailed = 1,    // the port could not be opened
  InfoNoAnswer = 2,      // no answer to the wake-up CR
  InfoQueryFailed = 3,   // an information query failed
  InfoWrongName = 4,     // the "ST" reply is not this model's name
  InfoCalibFailed = 5,   // calibration block (SR-104: or pixel map) incomplete
  InfoReady = 6,         // identification complete
};

// What a driver is busy with, for a stop that has to wait for it.
enum class DriverActivity : int {
  Idle,
  Identifying,       // start-up: wake-up, information queries, calibration
  Waking,            // wake-up CR and shutter before a measurement
  Exposing,          // "GM": the sensor integrates
  ReadingSpectrum,   // "RB": the counts block
  ReadingStatus,     // "SER", "SS", "FV", "T2"
};

// "identifying", "exposing", "reading spectrum" ...; empty for Idle.
const char* ActivityText(DriverActivity activity);

class CSensorDriver : public CSerial {
 public:
  explicit CSensorDriver(int model, const Clock& clock = RealClock());

  bool OpenPort(const std::string& port, int baud);   // false with InfoStatus 1
  void ClosePort();                                    // InfoStatus 0
  bool ReadSensorInfo();                               // true with InfoStatus 6, else false with 2..5
  bool Measure();                                      // true with MeasureOk

  // Protocol operations.
  // Sends the command name, each argument after a comma, and the CR in one write:
  // SendCommand("GM", 100, 0, 1) sends "GM,100,0,1\r", SendCommand("") the bare wake-up CR.
  // Returns the length of the text sent (at most 255 bytes).
  template <typename... Args>
  int SendCommand(std::string_view name, const Args&... args) {
    std::string text(name);
    ((text += ',', text += CommandField(args)), ...);
    return SendText(text);
  }
  // Reads up to and including the CR into buffer, kept NUL-terminated; returns the bytes of the
  // whole line including the CR, or -1 on time-out. Without a buffer the line is read and dropped.
  int ReadLine(std::span<char> buffer, int seconds);
  int ReadLine(int seconds);
  bool QueryOk(int seconds);                          // the last token is "OK"
  // Exactly buffer.size() bytes; returns that count, or -1 on time-out.
  int ReadBlock(std::span<std::uint8_t> buffer, int seconds);
  // Empties both queues and wakes the sensor with a bare CR; false when no line comes back.
  bool WakeUp();

  int Model() const { return ModelIdx; }
  const ModelDescription& Description() const { return Models[ModelIdx]; }
  // Token t of the last tokenised reply (empty when absent).
  std::string Token(int t) const;
  int TokenCount() const { return TokenCountValue; }

  void SetClock(const Clock& clock) { ClockRef = &clock; }
  // Every wait for the sensor ends early once *stop reads true; the waits then look at it at
  // least every 100 ms. Null (the default): waits run to their deadlines.
  void SetStopFlag(const std::atomic<bool>* stop) { StopFlag = stop; }
  bool StopRequested() const { return StopFlag != nullptr && StopFlag->load(); }
  // The line failed since the port was opened: a hang-up, a removed device or a refused write.
  bool PortLost() const { return LineLost.load(); }
  DriverActivity Activity() const { return static_cast<DriverActivity>(ActivityValue.load()); }
  void SetActivity(DriverActivity activity) { ActivityValue.store(static_cast<int>(activity)); }

  int ExposureIndex = 0;                // index into ExposureTable kept between measurements
  SensorInfo Info;                      // filled by ReadSensorInfo
  SensorMeasurement Measurement;        // filled by Measure
  std::atomic<int> InfoStatus{0};       // InfoStatusCode; read by the user-interface thread
  bool MeasureOk = false;               // the last Measure was complete
  std::array<std::uint8_t, 256> PixelMap{};   // SR-104: zero byte = dead pixel

 private:
  static std::string CommandField(int value) { return std::to_string(value); }
  static std::string CommandField(std::string_view text) { return std::string(text); }
  int SendText(std::string text);
  // Waits until input is ready; false at the deadline, at a stop or when the line is gone.
  bool AwaitInput(std::chrono::steady_clock::time_point deadline);
  // The steps of ReadSensorInfo; each false sets its InfoStatus code.
  bool QueryText(std::string& field, std::string_view command);
  bool QueryInformation();
  bool ReadCalibration();
  bool ReadPixelMap();

  int ModelIdx;
  const Clock* ClockRef;
  std::array<char, ReplyLineSize> Line{};   // last reply line, NUL-terminated
  std::array<std::string, 16> Tokens;   // tokens of the last tokenised reply
  int TokenCountValue = 0;
  const std::atomic<bool>* StopFlag = nullptr;   // set by the owner; true asks every wait to end
  std::atomic<bool> LineLost{false};             // see PortLost
  std::atomic<int> ActivityValue{0};             // DriverActivity; read by the stopping thread
};

class CSR101 : public CSensorDriver {
 public:
  explicit CSR101(const Clock& clock = RealClock()) : CSensorDriver(SR101, clock) {}
};
class CSR102 : public CSensorDriver {
 public:
  explicit CSR102(const Clock& clock = RealClock()) : CSensorDriver(SR102, clock) {}
};
class CSR103 : public CSensorDriver {
 public:
  explicit CSR103(const Clock& clock = RealClock()) : CSensorDriver(SR103, clock) {}
};
class CSR104 : public CSensorDriver {
 public:
  explicit CSR104(const Clock& clock = RealClock()) : CSensorDriver(SR104, clock) {}
};

}  // namespace spectrel
