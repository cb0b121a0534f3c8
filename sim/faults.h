// Names of the injectable faults and light settings as written on the command line.
#pragma once

#include <optional>
#include <string>

#include "solmet_sim.h"

namespace solmet_sim {

// "none", "no-answer", "wrong-model-name", "calib-short", "pixel-map-short", "gm-without-ok",
// "rb-short", "ss-few-values", "garbage", "hang-up".
std::optional<Fault> FaultFromName(const std::string& name);
std::string FaultName(Fault fault);
// Every fault name, separated by ", ", for the help text.
std::string FaultNames();

// "sun", "bright", "night".
std::optional<Light> LightFromName(const std::string& name);

}  // namespace solmet_sim
