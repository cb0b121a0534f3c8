// The sensor's side of the command protocol: one command line in, the bytes to send back out.
// Faults are applied here, so the same answer rules serve paced and unpaced lines.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "instrument.h"
#include "solmet_sim.h"

namespace solmet_sim {

// What the sensor's owner may change while it runs, copied for every command.
struct Conditions {
  Fault FaultKind = Fault::None;
  Light LightKind = Light::Sun;
  std::string Firmware;
  std::function<int(int)> PeakCounts;
  int SecondsOfDay = 12 * 3600;  // local time of day for the sun, seconds after midnight
};

// What to do for one command line.
struct Answer {
  int DelayMs = 0;       // time the instrument is busy before the reply starts (exposure)
  std::string Bytes;     // the reply; empty = say nothing
  bool HangUp = false;   // close the line instead of answering
};

class SensorProtocol {
 public:
  SensorProtocol(const Instrument& instrument, std::string serial, std::uint32_t seed);

  // line is the command without its CR.
  Answer Respond(const std::string& line, const Conditions& now);

  // The value tokens of the "SS" reply, without faults.
  std::vector<std::string> StatusTokens() const;
  std::string Serial() const { return Serial_; }
  std::string Identity() const;
  bool ShutterOpen() const { return ShutterOpen_; }
  const std::vector<std::int16_t>& LastSpectrum() const { return LastSpectrum_; }

 private:
  Answer Measure(const std::vector<std::string>& args, const Conditions& now);
  std::string Block(const void* data, std::size_t size, bool short_) const;

  const Instrument& Instrument_;
  std::string Serial_;
  std::mt19937 Rng_;
  bool ShutterOpen_ = false;                 // "OP" opens, "CL" closes
  std::vector<std::int16_t> LastSpectrum_;   // counts of the last "GM", sent by "RB"
};

// Splits a command at commas.
std::vector<std::string> SplitCommand(const std::string& line);

}  // namespace solmet_sim
