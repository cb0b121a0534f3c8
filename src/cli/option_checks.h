// Checks of option values shared by the subcommands, so that every command line names models the
// same way and says the same thing about a bad one.
#pragma once

#include <CLI/CLI.hpp>

#include <array>
#include <optional>
#include <string>

namespace spectrel::cli {

// One model name, as ParseModelName reads it ("SR-101", "SR101", any letter case).
CLI::Validator ModelNameCheck();

// A comma-separated list of model names ("SR101,SR-103"); empty names no model.
CLI::Validator ModelListCheck();
// The use flag of every model named in a list ModelListCheck accepted.
std::array<bool, 4> ModelFlags(const std::string& list);

// The station's zone for a command: the one named with --tz, else the one the profile records
// (an empty record means the system's zone), else none (each day file's own offset applies).
std::string StationZoneName(const std::string& tzOption, const std::string& profilePath);

}  // namespace spectrel::cli
