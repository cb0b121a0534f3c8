// Command line of solmet-sim, parsed into the sensors to start.
#pragma once

#include <string>
#include <vector>

#include "solmet_sim.h"

namespace solmet_sim {

struct SimOptions {
  std::vector<SensorConfig> Sensors;  // in model order, one per simulated model
  std::string LinkDir;                // where to put DIR/SR101 ... links; empty = none
  bool Help = false;                  // --help was given
  bool Version = false;               // --version was given
};

// Fills options from the arguments after the program name; false with a message in error on a
// bad command line.
bool ParseOptions(const std::vector<std::string>& args, SimOptions& options, std::string& error);

// The --help text.
std::string UsageText();

}  // namespace solmet_sim
