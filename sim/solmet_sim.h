// A stand-in for the Solmet sensors: each simulated sensor answers the sensor side of the serial
// protocol on its own pseudo-terminal, with line pacing, plausible spectra and injectable faults.
// It shares no code with the program's drivers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace solmet_sim {

enum class Fault {
  None,
  NoAnswer,          // never answers anything
  WrongModelName,    // "ST" names another model
  CalibShort,        // "CALB" block one byte short
  PixelMapShort,     // SR-104 "PXSB" map one byte short
  GmWithoutOk,       // "GM" reply lacks "OK"
  RbShort,           // "RB" block one byte short
  SsFewValues,       // "SS" carries fewer values than the model's count
  Garbage,           // random bytes before every reply
  HangUp,            // closes the line in the middle of a measurement (after the first "RB")
  FtWithoutOk,       // "FT" (firmware time) reply lacks "OK": an information query fails
};

enum class Light {
  Sun,       // sun-like spectrum with absorption bands, following the time of day
  Bright,    // saturating at every exposure
  Night,     // dark: only dark offset and noise
};

struct SensorConfig {
  int Model = 0;                       // 0..3 for SR-101..SR-104
  Fault FaultKind = Fault::None;
  Light LightKind = Light::Sun;
  std::string Firmware = "1.80";       // "FV" reply
  std::string Serial;                  // "SER" reply; empty = a serial number made from the model
  bool Paced = true;                   // 38400 baud pacing and real exposure time; false for unit tests
  // When set, the largest light count of a spectrum taken with this exposure (ms) is exactly the
  // returned value (the shape of the spectrum is kept); used to steer the automatic exposure.
  // Called on the sensor's own thread.
  std::function<int(int exposureMs)> PeakCounts;
  std::uint32_t Seed = 1;              // noise seed
  int TimeOfDay = -1;                  // local time for the sun, seconds after midnight; -1 = now
  // From SilentFromMs to SilentUntilMs after Start every command goes unanswered, as from a sensor
  // switched off and on again behind a port that stays; an empty span (the default): never.
  int SilentFromMs = 0;
  int SilentUntilMs = 0;
};

class SimulatedSensor {
 public:
  explicit SimulatedSensor(SensorConfig config);
  ~SimulatedSensor();  // stops the worker and closes the pseudo-terminal
  SimulatedSensor(const SimulatedSensor&) = delete;
  SimulatedSensor& operator=(const SimulatedSensor&) = delete;

  // Opens the pseudo-terminal and starts answering on a thread of its own. false on failure.
  bool Start();
  void Stop();
  // Device path of the pseudo-terminal's far end, e.g. /dev/pts/5 (valid after Start).
  std::string DevicePath() const;
  // Makes a symbolic link to the device (e.g. DIR/SR101); false on failure.
  bool LinkAs(const std::string& linkPath);

  // Every command line received so far, without its CR (thread-safe copy).
  std::vector<std::string> Commands() const;
  void ClearCommands();
  // Change the fault or light while running (thread-safe).
  void SetFault(Fault fault);
  void SetLight(Light light);
  void SetFirmware(const std::string& firmware);

  // What the simulated instrument is: its axis coefficients (as sent for "C0".."C5") and its
  // calibration factors, so tests can check the driver's results against the source.
  std::vector<std::string> Coefficients() const;
  std::vector<float> Calibration() const;
  // "PXSB" bytes (one per pixel, 0 = dead pixel); every byte 1 for models without a map.
  std::vector<std::uint8_t> PixelMap() const;
  // "ID", "SER" and the value tokens of "SS" as answered without faults.
  std::string SensorId() const;
  std::string SerialNo() const;
  std::vector<std::string> StatusTokens() const;
  // Counts of the last spectrum taken with the shutter open (true) or closed (false), as sent by
  // "RB"; empty before the first such spectrum (thread-safe copy).
  std::vector<std::int16_t> LastCounts(bool shutterOpen) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> P;
};

}  // namespace solmet_sim
