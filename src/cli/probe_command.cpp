// probe: identify one sensor on one port and take one measurement, for a station check by hand or
// by script.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/option_checks.h"
#include "cli/probe_report.h"
#include "measure/status_texts.h"
#include "sensor/sensor_driver.h"

namespace spectrel::cli {

namespace {

constexpr int SensorBaud = 38400;

struct ProbeOptions {
  int Model = -1;      // ModelIndex from --model
  std::string Port;    // --port: a device path or a port number
  bool Json = false;   // --json: one JSON object instead of text lines
};

ProbeResult Probe(const ProbeOptions& options, std::string& openFailure) {
  ProbeResult result;
  result.Model = options.Model;
  result.Port = options.Port;
  CSensorDriver driver(options.Model);
  const bool opened = driver.OpenPort(options.Port, SensorBaud) != 0;
  if (!opened) openFailure = driver.OpenFailure();
  if (opened && driver.ReadSensorInfo()) {
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

int RunProbe(const ProbeOptions& options) {
  std::string openFailure;
  const ProbeResult result = Probe(options, openFailure);
  const std::string report = options.Json ? ProbeJson(result) : ProbeText(result);
  std::fputs(report.c_str(), stdout);
  std::fflush(stdout);
  if (!openFailure.empty())
    std::fprintf(stderr, "spectrel-cli probe: cannot open %s: %s; spectrel-cli ports lists the ports and who holds them\n",
                 options.Port.c_str(), openFailure.c_str());
  return result.Ok ? 0 : 1;
}

}  // namespace

Command AddProbeCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand("probe", "Identify a sensor and take one measurement (exit code 0).");
  auto options = std::make_shared<ProbeOptions>();
  line->add_option_function<std::string>(
          "--model", [options](const std::string& name) { options->Model = *ParseModelName(name); },
          "the model expected on the port: SR-101 ... SR-104")
      ->required()
      ->type_name("SR-10x")
      ->check(ModelNameCheck());
  line->add_option("--port", options->Port,
                   "device path (/dev/ttyUSB0) or port number (1 = /dev/ttyS0)")
      ->required()
      ->type_name("PORT");
  line->add_flag("--json", options->Json, "print one JSON object");
  return {line, [options] { return RunProbe(*options); }};
}

}  // namespace spectrel::cli
