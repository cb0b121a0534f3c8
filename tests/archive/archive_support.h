// Helpers of the archive tests: running programs (/usr/bin/python3, the CLI) on the files written,
// and whole archives converted.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "archive/day_conversion.h"

namespace spectrel::testing {

// Runs a program with the arguments (each quoted); its stdout and stderr into output. The exit
// status.
inline int RunProgram(const std::string& program, const std::vector<std::string>& args, std::string& output) {
  std::string command = "'" + program + "'";
  for (const std::string& a : args) command += " '" + a + "'";
  command += " 2>&1";
  output.clear();
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs /usr/bin/python3 with the arguments.
inline int RunPython(const std::vector<std::string>& args, std::string& output) {
  return RunProgram(PYTHON3, args, output);
}

// The Python modules are importable by /usr/bin/python3.
inline bool PythonHas(const std::string& modules) {
  std::string ignored;
  return RunPython({"-c", "import " + modules}, ignored) == 0;
}

// NetCDF day files into out, as "spectrel-cli export --format netcdf" makes them by default; the
// station's zone when given, else each day file's own offset.
inline archive::DayConversion NetCdfConversion(const std::string& out, const std::string& zone = "") {
  archive::DayConversion conversion;
  conversion.OutFolder = out;
  if (!zone.empty()) conversion.Zone = StationZone::Named(zone);
  conversion.NetCdf.History = "spectrel-cli export --out " + out + " --format netcdf";
  return conversion;
}

// Plans and converts every day file of input on jobs workers; the lines of the days refused or
// failed ("path: why"), "" when every day was converted or up to date.
inline std::string ConvertAll(const std::string& input, const archive::DayConversion& conversion, bool force = true,
                              int jobs = 2) {
  archive::DayPlan plan;
  std::string failed;
  if (!archive::PlanDays(input, conversion.Format, conversion.OutFolder, force, plan, failed)) return failed;
  for (const std::string& line : plan.Refused) failed += line + "\n";
  archive::ConvertDays(plan.Convert, conversion, jobs, [&](std::size_t k, const archive::DayOutcome& outcome) {
    if (!outcome.Ok || outcome.Partial) failed += plan.Convert[k].Path + ": " + outcome.Message + "\n";
  });
  return failed;
}

}  // namespace spectrel::testing
