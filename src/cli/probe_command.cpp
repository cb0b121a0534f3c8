// probe: identify one sensor on one port and take one measurement, for a station check by hand or
// by script.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "measure/status_texts.h"
#include "sensor/probe_report.h"
#include "sensor/sensor_driver.h"

namespace spectrel::cli {

namespace {

constexpr int SensorBaud = 38400;

struct ProbeOptions {
  int Model = -1;      // ModelIndex from --model
  std::string Port;    // --port: a device path or a port number
  bool Json = false;   // --json: one JSON object instead of text lines
  bool Help = false;   // --help
};

const char* const ProbeUsage =
    "usage: spectrel-cli probe --model SR-10x --port PORT [--json]\n"
    "  --model SR-101|SR-102|SR-103|SR-104   the model expected on the port\n"
    "  --port PORT                           device path (/dev/ttyUSB0) or port number (1 = /dev/ttyS0)\n"
    "  --json                                print one JSON object\n"
    "exit code: 0 identified and measured, 1 failed, 2 bad usage\n";

int ModelFromName(const std::string& name) {
  for (int m = 0; m < ModelCount; ++m)
    if (name == Models[static_cast<size_t>(m)].Name || name == Models[static_cast<size_t>(m)].Tag)
      return m;
  return -1;
}

bool ParseProbeOptions(const Args& args, ProbeOptions& options, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string value;
    bool hasValue = false;
    std::string name = a;
    if (const auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      hasValue = true;
    }
    if (name == "--model" || name == "--port") {
      if (!hasValue) {
        if (i + 1 >= args.size()) {
          error = "option " + name + " needs a value";
          return false;
        }
        value = args[++i];
      }
      if (name == "--model") {
        options.Model = ModelFromName(value);
        if (options.Model < 0) {
          error = "unknown model '" + value + "'";
          return false;
        }
      } else {
        options.Port = value;
      }
    } else if (a == "--json") {
      options.Json = true;
    } else if (a == "--help" || a == "-h") {
      options.Help = true;
    } else {
      error = "unknown argument '" + a + "'";
      return false;
    }
  }
  if (options.Help) return true;
  if (options.Model < 0) error = "--model is required";
  else if (options.Port.empty()) error = "--port is required";
  return error.empty();
}

ProbeResult Probe(const ProbeOptions& options) {
  ProbeResult result;
  result.Model = options.Model;
  result.Port = options.Port;
  CSensorDriver driver(options.Model);
  if (driver.OpenPort(options.Port, SensorBaud) && driver.ReadSensorInfo()) {
    result.Ok = driver.Measure() == 1;
    if (result.Ok) result.Measurement = driver.Measurement;
  }
  result.InfoStatus = driver.InfoStatus;
  // From a wrong model name on, every query was answered: show what the sensor said it is.
  if (result.InfoStatus >= InfoWrongName) result.Info = driver.Info;
  if (result.InfoStatus != InfoReady)
    result.StatusText = MeasureText(TextInfoStatusFirst + result.InfoStatus, Language::English);
  else
    result.StatusText = MeasureText(result.Ok ? TextMeasureOk : TextMeasureFailed, Language::English);
  driver.ClosePort();
  return result;
}

}  // namespace

int ProbeCommand(const Args& args) {
  ProbeOptions options;
  std::string error;
  if (!ParseProbeOptions(args, options, error)) {
    std::fprintf(stderr, "spectrel-cli probe: %s\n%s", error.c_str(), ProbeUsage);
    return 2;
  }
  if (options.Help) {
    std::fputs(ProbeUsage, stdout);
    return 0;
  }
  const ProbeResult result = Probe(options);
  const std::string report = options.Json ? ProbeJson(result) : ProbeText(result);
  std::fputs(report.c_str(), stdout);
  return result.Ok ? 0 : 1;
}

}  // namespace spectrel::cli
