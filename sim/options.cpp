#include "options.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "faults.h"
#include "models.h"

namespace solmet_sim {
namespace {

// Splits "SR101=value" into a model index and the value.
bool SplitAssignment(const std::string& text, int& model, std::string& value) {
  const auto eq = text.find('=');
  if (eq == std::string::npos) return false;
  model = ModelIndexOf(text.substr(0, eq).c_str());
  value = text.substr(eq + 1);
  return model >= 0;
}

// "HH:MM" or "HH:MM:SS" to seconds after midnight, or -1.
int ParseTimeOfDay(const std::string& text) {
  int h = 0, m = 0, s = 0;
  char tail = 0;
  const int n = std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &tail);
  if ((n != 2 && n != 3) || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return -1;
  return h * 3600 + m * 60 + s;
}

bool ParseSeed(const std::string& text, std::uint32_t& seed) {
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || text[0] == '-' || v > 0xFFFFFFFFul) return false;
  seed = static_cast<std::uint32_t>(v);
  return true;
}

}  // namespace

std::string UsageText() {
  return "Usage: solmet-sim [options]\n"
         "Simulates Solmet SR-101..SR-104 spectroradiometers, each on a pseudo-terminal, until\n"
         "interrupted (SIGINT or SIGTERM). Prints one line per sensor: the model name and the\n"
         "device to open, followed by the link path when --link-dir is given.\n"
         "\n"
         "Options:\n"
         "  --models LIST         models to simulate, comma-separated (default SR101,SR103);\n"
         "                        SR101, SR102, SR103, SR104 (SR-101 ... also accepted)\n"
         "  --link-dir DIR        make a symbolic link DIR/SR101 ... to each device\n"
         "  --fault MODEL=FAULT   inject a fault, one of:\n"
         "                        none, no-answer, wrong-model-name, calib-short,\n"
         "                        pixel-map-short, gm-without-ok, rb-short, ss-few-values,\n"
         "                        garbage, hang-up, ft-without-ok\n"
         "  --light MODEL=LIGHT   sun (follows the time of day), bright (saturates), night (dark)\n"
         "  --firmware MODEL=TEXT reply to \"FV\" (default 1.80)\n"
         "  --serial MODEL=TEXT   reply to \"SER\" (default made from the model)\n"
         "  --time-of-day HH:MM   fixed local time for the sun (default: the clock)\n"
         "  --unpaced             answer at once instead of at 38400 baud and real exposure time\n"
         "  --seed N              noise seed (default 1)\n"
         "  --help                show this text\n";
}

bool ParseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error) {
  std::array<bool, 4> used{true, false, true, false};
  std::array<SensorConfig, 4> configs{};
  for (int m = 0; m < 4; ++m) configs[m].Model = m;
  bool paced = true;
  std::uint32_t seed = 1;
  int timeOfDay = -1;
  options = SimOptions{};

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options.Help = true;
      return true;
    }
    if (arg == "--unpaced") {
      paced = false;
      continue;
    }
    static const std::array<const char*, 8> kValued = {
        "--models", "--link-dir", "--seed", "--time-of-day",
        "--fault", "--light", "--firmware", "--serial"};
    if (std::find(kValued.begin(), kValued.end(), arg) == kValued.end()) {
      error = "unknown option " + arg;
      return false;
    }
    if (i + 1 >= args.size()) {
      error = "option " + arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    int model = -1;
    std::string text;
    if (arg == "--models") {
      used.fill(false);
      std::string::size_type start = 0;
      for (;;) {
        const auto comma = value.find(',', start);
        const std::string name = value.substr(start, comma - start);
        const int m = ModelIndexOf(name.c_str());
        if (m < 0) {
          error = "unknown model " + name;
          return false;
        }
        used[m] = true;
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
    } else if (arg == "--link-dir") {
      options.LinkDir = value;
    } else if (arg == "--seed") {
      if (!ParseSeed(value, seed)) {
        error = "bad seed " + value;
        return false;
      }
    } else if (arg == "--time-of-day") {
      timeOfDay = ParseTimeOfDay(value);
      if (timeOfDay < 0) {
        error = "bad time of day " + value + " (HH:MM or HH:MM:SS)";
        return false;
      }
    } else if (arg == "--fault" || arg == "--light" || arg == "--firmware" || arg == "--serial") {
      if (!SplitAssignment(value, model, text)) {
        error = "option " + arg + " needs MODEL=VALUE, got " + value;
        return false;
      }
      SensorConfig& c = configs[model];
      if (arg == "--fault") {
        const auto fault = FaultFromName(text);
        if (!fault) {
          error = "unknown fault " + text + " (" + FaultNames() + ")";
          return false;
        }
        c.FaultKind = *fault;
      } else if (arg == "--light") {
        const auto light = LightFromName(text);
        if (!light) {
          error = "unknown light " + text + " (sun, bright, night)";
          return false;
        }
        c.LightKind = *light;
      } else if (arg == "--firmware") {
        c.Firmware = text;
      } else {
        c.Serial = text;
      }
    }
  }

  for (int m = 0; m < 4; ++m) {
    SensorConfig& c = configs[m];
    const bool tuned = c.FaultKind != Fault::None || c.LightKind != Light::Sun ||
                       c.Firmware != SensorConfig{}.Firmware || !c.Serial.empty();
    if (!used[m]) {
      if (tuned) {
        error = std::string("settings given for ") + kModels[m].Name + ", which is not simulated";
        return false;
      }
      continue;
    }
    c.Paced = paced;
    c.Seed = seed + static_cast<std::uint32_t>(m);  // different noise on each sensor
    c.TimeOfDay = timeOfDay;
    options.Sensors.push_back(c);
  }
  return true;
}

}  // namespace solmet_sim
