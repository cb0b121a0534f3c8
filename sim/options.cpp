#include "options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>

#include "faults.h"
#include "models.h"

namespace solmet_sim {
namespace {

// The command line as given, before it is turned into sensor settings.
struct Given {
  std::string Models = "SR101,SR103";   // --models: comma-separated model names
  std::string LinkDir;                  // --link-dir
  std::vector<std::string> Faults;      // --fault MODEL=FAULT, each time given
  std::vector<std::string> Lights;      // --light MODEL=LIGHT
  std::vector<std::string> Firmwares;   // --firmware MODEL=TEXT
  std::vector<std::string> Serials;     // --serial MODEL=TEXT
  std::vector<std::string> Silences;    // --silent MODEL=FROM-TO, seconds after the start
  std::string TimeOfDay;                // --time-of-day HH:MM[:SS]
  bool Unpaced = false;                 // --unpaced
  std::uint32_t Seed = 1;               // --seed
  bool Version = false;                 // --version
};

// "HH:MM" or "HH:MM:SS" to seconds after midnight, or -1.
int ParseTimeOfDay(const std::string& text) {
  int h = 0, m = 0, s = 0;
  char tail = 0;
  const int n = std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &tail);
  if ((n != 2 && n != 3) || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59) return -1;
  return h * 3600 + m * 60 + s;
}

// "FROM-TO" in whole seconds, FROM < TO, into the sensor's span of silence.
bool ParseSilence(const std::string& text, SensorConfig& config) {
  int from = 0, to = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%d%c", &from, &to, &tail) != 2 || from < 0 || to <= from ||
      to > 24 * 3600) {
    return false;
  }
  config.SilentFromMs = from * 1000;
  config.SilentUntilMs = to * 1000;
  return true;
}

void DefineOptions(CLI::App& app, Given& given) {
  app.add_option("--models", given.Models, "models to simulate, comma-separated (SR101 or SR-101 ...)")
      ->type_name("LIST")
      ->capture_default_str();
  app.add_option("--link-dir", given.LinkDir, "make a symbolic link DIR/SR101 ... to each device")
      ->type_name("DIR");
  const auto each = [&](const char* name, std::vector<std::string>& into, const std::string& what) {
    app.add_option(name, into, what)->type_name("MODEL=VALUE")->allow_extra_args(false);
  };
  each("--fault", given.Faults, "inject a fault: " + FaultNames());
  each("--light", given.Lights, "sun (follows the time of day), bright (saturates), night (dark)");
  each("--firmware", given.Firmwares, "reply to \"FV\" (default 1.80)");
  each("--serial", given.Serials, "reply to \"SER\" (default made from the model)");
  each("--silent", given.Silences, "FROM-TO: answer nothing from FROM s to TO s after the start");
  app.add_option("--time-of-day", given.TimeOfDay, "fixed local time for the sun (default: the clock)")
      ->type_name("HH:MM");
  app.add_flag("--unpaced", given.Unpaced, "answer at once instead of at 38400 baud and real exposure time");
  app.add_option("--seed", given.Seed, "noise seed")->capture_default_str();
  app.add_flag("--version", given.Version, "print the version and exit");
}

// Sets one model's value from each "MODEL=VALUE" of an option; set returns why a value is bad.
bool Assign(const std::vector<std::string>& items, const std::string& option,
            std::array<SensorConfig, 4>& configs,
            const std::function<std::string(SensorConfig&, const std::string&)>& set, std::string& error) {
  for (const std::string& item : items) {
    const auto eq = item.find('=');
    const int model = eq == std::string::npos ? -1 : ModelIndexOf(item.substr(0, eq).c_str());
    if (model < 0) {
      error = "option " + option + " needs MODEL=VALUE, got " + item;
      return false;
    }
    error = set(configs[model], item.substr(eq + 1));
    if (!error.empty()) return false;
  }
  return true;
}

bool AssignAll(const Given& given, std::array<SensorConfig, 4>& configs, std::string& error) {
  return Assign(given.Faults, "--fault", configs, [](SensorConfig& c, const std::string& v) {
           const auto fault = FaultFromName(v);
           if (fault) c.FaultKind = *fault;
           return fault ? std::string() : "unknown fault " + v + " (" + FaultNames() + ")";
         }, error) &&
         Assign(given.Lights, "--light", configs, [](SensorConfig& c, const std::string& v) {
           const auto light = LightFromName(v);
           if (light) c.LightKind = *light;
           return light ? std::string() : "unknown light " + v + " (sun, bright, night)";
         }, error) &&
         Assign(given.Firmwares, "--firmware", configs, [](SensorConfig& c, const std::string& v) {
           c.Firmware = v;
           return std::string();
         }, error) &&
         Assign(given.Serials, "--serial", configs, [](SensorConfig& c, const std::string& v) {
           c.Serial = v;
           return std::string();
         }, error) &&
         Assign(given.Silences, "--silent", configs, [](SensorConfig& c, const std::string& v) {
           return ParseSilence(v, c) ? std::string() : "bad span of silence " + v + " (FROM-TO, seconds)";
         }, error);
}

// The models named in --models; false with the first unknown one.
bool UsedModels(const std::string& list, std::array<bool, 4>& used, std::string& error) {
  for (std::string::size_type start = 0;;) {
    const auto comma = list.find(',', start);
    const std::string name = list.substr(start, comma - start);
    const int m = ModelIndexOf(name.c_str());
    if (m < 0) {
      error = "unknown model " + name;
      return false;
    }
    used[m] = true;
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// The sensors to start, one per model in use with its settings.
bool BuildSensors(const Given& given, SimOptions& options, std::string& error) {
  std::array<bool, 4> used{};
  std::array<SensorConfig, 4> configs{};
  if (!UsedModels(given.Models, used, error) || !AssignAll(given, configs, error)) return false;
  const int timeOfDay = given.TimeOfDay.empty() ? -1 : ParseTimeOfDay(given.TimeOfDay);
  if (!given.TimeOfDay.empty() && timeOfDay < 0) {
    error = "bad time of day " + given.TimeOfDay + " (HH:MM or HH:MM:SS)";
    return false;
  }
  options.LinkDir = given.LinkDir;
  for (int m = 0; m < 4; ++m) {
    SensorConfig& c = configs[m];
    c.Model = m;
    const bool tuned = c.FaultKind != Fault::None || c.LightKind != Light::Sun ||
                       c.Firmware != SensorConfig{}.Firmware || !c.Serial.empty() ||
                       c.SilentUntilMs > 0;
    if (!used[m] && tuned) {
      error = std::string("settings given for ") + kModels[m].Name + ", which is not simulated";
      return false;
    }
    if (!used[m]) continue;
    c.Paced = !given.Unpaced;
    c.Seed = given.Seed + static_cast<std::uint32_t>(m);  // different noise on each sensor
    c.TimeOfDay = timeOfDay;
    options.Sensors.push_back(c);
  }
  return true;
}

const char* const kAbout =
    "Simulates Solmet SR-101..SR-104 spectroradiometers, each on a pseudo-terminal, until\n"
    "interrupted (SIGINT or SIGTERM). Prints one line per sensor: the model name and the\n"
    "device to open, followed by the link path when --link-dir is given.";

}  // namespace

std::string UsageText() {
  CLI::App app(kAbout, "solmet-sim");
  Given given;
  DefineOptions(app, given);
  return app.help();
}

bool ParseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error) {
  options = SimOptions{};
  CLI::App app(kAbout, "solmet-sim");
  Given given;
  DefineOptions(app, given);
  std::vector<const char*> argv{"solmet-sim"};
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp&) {
    options.Help = true;
    return true;
  } catch (const CLI::ParseError& e) {
    error = e.what();
    return false;
  }
  options.Version = given.Version;
  return options.Version || BuildSensors(given, options, error);
}

}  // namespace solmet_sim
