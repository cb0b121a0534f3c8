// solmet-sim: simulated sensors on pseudo-terminals until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <memory>
#include <pthread.h>
#include <string>
#include <vector>

#include <CLI/Version.hpp>

#include "base/build_info.h"
#include "models.h"
#include "options.h"
#include "solmet_sim.h"

int main(int argc, char** argv) {
  using namespace solmet_sim;
  SimOptions options;
  std::string error;
  if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::fprintf(stderr, "solmet-sim: %s\n%s", error.c_str(), UsageText().c_str());
    return 2;
  }
  if (options.Help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::printf("%s\nCLI11 %s\n", spectrel::VersionLine("solmet-sim").c_str(), CLI11_VERSION);
    return 0;
  }

  // The signals are taken by sigwait below; block them before any worker thread exists so that
  // none of them is interrupted instead.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::vector<std::unique_ptr<SimulatedSensor>> sensors;
  for (const SensorConfig& config : options.Sensors) {
    auto sensor = std::make_unique<SimulatedSensor>(config);
    const char* name = kModels[config.Model].Name;
    if (!sensor->Start()) {
      std::fprintf(stderr, "solmet-sim: cannot open a pseudo-terminal for %s\n", name);
      return 1;
    }
    std::string line = std::string(name) + " " + sensor->DevicePath();
    if (!options.LinkDir.empty()) {
      const std::string link = options.LinkDir + "/" + kModels[config.Model].Tag;
      if (!sensor->LinkAs(link)) {
        std::fprintf(stderr, "solmet-sim: cannot make the link %s\n", link.c_str());
        return 1;
      }
      line += " " + link;
    }
    std::printf("%s\n", line.c_str());
    sensors.push_back(std::move(sensor));
  }
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  sensors.clear();  // stops every worker and removes the links
  return 0;
}
