#include "protocol.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sky.h"

namespace solmet_sim {
namespace {

constexpr const char* kOk = "OK\r";
constexpr const char* kError = "ERR\r";
constexpr const char* kFirmwareDate = "2019/04/01";
constexpr const char* kFirmwareClock = "12:00:00";
constexpr const char* kSecondTemperature = "27.50";  // SR-104 second internal temperature, °C
constexpr int kLongestExposureMs = 60000;

std::string Line(const std::vector<std::string>& values) {
  std::string s;
  for (const auto& v : values) s += v + ",";
  return s + kOk;
}

// Parses a whole decimal integer token; false on anything else.
bool ParseInt(const std::string& text, long& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

void AppendLittleEndian(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::vector<std::string> SplitCommand(const std::string& line) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    const auto comma = line.find(',', start);
    parts.push_back(line.substr(start, comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parts;
}

SensorProtocol::SensorProtocol(const Instrument& instrument, std::string serial, std::uint32_t seed)
    : Instrument_(instrument), Serial_(std::move(serial)), Rng_(seed) {
  LastSpectrum_.assign(instrument.Model().Pixels, 0);
  if (Serial_.empty()) {
    // e.g. "SN1010007" for an SR-101
    Serial_ = std::string("SN") + (instrument.Model().Tag + 2) + "0007";
  }
}

std::string SensorProtocol::Identity() const {
  return std::string("SIM") + (Instrument_.Model().Tag + 2);
}

std::vector<std::string> SensorProtocol::StatusTokens() const {
  if (!Instrument_.Model().Infrared) {
    // Peltier cooling, sensor held at 25 °C, 12 V supply, Peltier 0.85 A at 1.20 V.
    return {"-1", "25.00", "12.00", "0.85", "1.20"};
  }
  // Unused, cooling active, fin normal, Peltier cooling; sensor -10 °C, fin 31.5 °C,
  // inside 28 °C, 12 V supply, Peltier 1.50 A at 2.10 V.
  return {"0", "0", "0", "-1", "-10.00", "31.50", "28.00", "12.00", "1.50", "2.10"};
}

std::string SensorProtocol::Block(const void* data, std::size_t size, bool short_) const {
  // A short block stops one byte early and never completes, as when the line drops a byte.
  if (short_) return std::string(static_cast<const char*>(data), size - 1);
  return std::string(static_cast<const char*>(data), size) + kOk;
}

Answer SensorProtocol::Measure(const std::vector<std::string>& args, const Conditions& now) {
  Answer a;
  long ms = 0, mode = 0, repeat = 0;
  if (args.size() != 4 || !ParseInt(args[1], ms) || !ParseInt(args[2], mode) ||
      !ParseInt(args[3], repeat) || ms < 1 || ms > kLongestExposureMs || repeat < 1 ||
      repeat > 100) {
    a.Bytes = kError;
    return a;
  }
  Exposure e;
  e.Ms = static_cast<int>(ms);
  e.ShutterOpen = ShutterOpen_;
  e.LightKind = now.LightKind;
  e.DaylightFraction = Daylight(now.SecondsOfDay);
  e.PeakCounts = now.PeakCounts;
  LastSpectrum_ = Instrument_.Take(e, Rng_);
  a.DelayMs = static_cast<int>(ms * repeat);
  a.Bytes = now.FaultKind == Fault::GmWithoutOk ? kError : kOk;
  return a;
}

Answer SensorProtocol::Respond(const std::string& line, const Conditions& now) {
  Answer a;
  if (now.FaultKind == Fault::NoAnswer) return a;
  const ModelDescription& model = Instrument_.Model();
  const std::vector<std::string> args = SplitCommand(line);
  const std::string& cmd = args[0];
  const bool bare = args.size() == 1;

  if (line.empty()) {
    a.Bytes = kOk;  // wake-up
  } else if (bare && cmd == "ID") {
    a.Bytes = Line({Identity()});
  } else if (bare && cmd == "ST") {
    const int named = now.FaultKind == Fault::WrongModelName
                          ? (ModelIndexOf(model.Name) + 1) % static_cast<int>(kModels.size())
                          : ModelIndexOf(model.Name);
    a.Bytes = Line({kModels[named].Name});
  } else if (bare && cmd == "SER") {
    a.Bytes = Line({Serial_});
  } else if (bare && cmd == "FV") {
    a.Bytes = Line({now.Firmware});
  } else if (bare && cmd == "FT") {
    a.Bytes = now.FaultKind == Fault::FtWithoutOk ? kError : Line({kFirmwareDate, kFirmwareClock});
  } else if (bare && cmd.size() == 2 && cmd[0] == 'C' && cmd[1] >= '0' && cmd[1] <= '5') {
    a.Bytes = Line({Instrument_.Coefficients()[cmd[1] - '0']});
  } else if (bare && cmd == "CALB") {
    std::string block;
    for (float f : Instrument_.Calibration()) {
      std::uint32_t bits;
      std::memcpy(&bits, &f, sizeof bits);
      AppendLittleEndian(block, bits, 4);
    }
    a.Bytes = Block(block.data(), block.size(), now.FaultKind == Fault::CalibShort);
  } else if (bare && cmd == "PXSB" && model.HasPixelMap) {
    const auto& map = Instrument_.PixelMap();
    a.Bytes = Block(map.data(), map.size(), now.FaultKind == Fault::PixelMapShort);
  } else if (bare && (cmd == "OP" || cmd == "CL")) {
    ShutterOpen_ = cmd == "OP";
    a.Bytes = kOk;
  } else if (cmd == "GM") {
    return Measure(args, now);
  } else if (cmd == "RB" && args.size() == 2 && args[1] == "0") {
    if (now.FaultKind == Fault::HangUp) {
      a.HangUp = true;
      return a;
    }
    std::string block;
    for (std::int16_t c : LastSpectrum_) AppendLittleEndian(block, static_cast<std::uint16_t>(c), 2);
    a.Bytes = Block(block.data(), block.size(), now.FaultKind == Fault::RbShort);
  } else if (bare && cmd == "SS") {
    std::vector<std::string> values = StatusTokens();
    if (now.FaultKind == Fault::SsFewValues) values.resize(values.size() - 2);
    a.Bytes = Line(values);
  } else if (bare && cmd == "T2" && model.HasSecondTemp) {
    a.Bytes = Line({kSecondTemperature});
  } else {
    a.Bytes = kError;
  }

  if (now.FaultKind == Fault::Garbage && !a.Bytes.empty()) {
    // A noisy line: a few stray printable bytes (never CR or comma) ahead of the reply.
    std::uniform_int_distribution<int> count(2, 6), byte(0x21, 0x7E);
    std::string junk;
    for (int i = count(Rng_); i > 0; --i) {
      char c = static_cast<char>(byte(Rng_));
      junk += c == ',' ? '#' : c;
    }
    a.Bytes = junk + a.Bytes;
  }
  return a;
}

}  // namespace solmet_sim
