// The driver of one Solmet sensor: identification, calibration and spectrum acquisition over the
// sensor's command protocol. One driver reads the per-model description; CSR101..CSR104 name it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/clock.h"
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

class CSensorDriver : public CSerial {
 public:
  explicit CSensorDriver(int model, const Clock& clock = RealClock());

  int OpenPort(const std::string& port, int baud);   // 1 or 0 (InfoStatus 1)
  int ClosePort();                                    // 1; InfoStatus 0
  int ReadSensorInfo();                               // 1 with InfoStatus 6, else 0 with 2..5
  int Measure();                                      // 1 with MeasureOk 1, else 0

  // Protocol operations.
  int SendCommand(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int ReadLine(char* buffer, int seconds);            // bytes incl. CR, or -1 on time-out
  int QueryOk(int seconds);                           // 1 when the last token is "OK"
  int ReadBlock(void* buffer, int n, int seconds);    // n, or -1 on time-out

  int Model() const { return ModelIdx; }
  const ModelDescription& Description() const { return Models[ModelIdx]; }
  // Token t of the last tokenised reply (empty when absent).
  std::string Token(int t) const;
  int TokenCount() const { return TokenCountValue; }

  void SetClock(const Clock& clock) { ClockRef = &clock; }

  int ExposureIndex = 0;                // index into ExposureTable kept between measurements
  SensorInfo Info;                      // filled by ReadSensorInfo
  SensorMeasurement Measurement;        // filled by Measure
  std::atomic<int> InfoStatus{0};       // InfoStatusCode; read by the user-interface thread
  int MeasureOk = 0;                    // 1 after a complete Measure
  std::array<std::uint8_t, 256> PixelMap{};   // SR-104: zero byte = dead pixel

 private:
  int ModelIdx;
  const Clock* ClockRef;
  char Line[256]{};                     // last reply line, NUL-terminated
  std::array<std::string, 16> Tokens;   // tokens of the last tokenised reply
  int TokenCountValue = 0;
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
