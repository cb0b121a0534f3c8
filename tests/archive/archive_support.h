// Helpers of the archive tests: running programs (/usr/bin/python3, the CLI) on the files written,
// and batch options.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/archive_batch.h"

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

// NetCDF batch options for an input and output folder, quiet, on the given worker count.
inline cli::ArchiveBatchOptions NetCdfBatch(const std::string& input, const std::string& out,
                                            int jobs = 2) {
  cli::ArchiveBatchOptions options;
  options.Input = input;
  options.OutFolder = out;
  options.Quiet = true;
  options.Jobs = jobs;
  options.CommandLine = "spectrel-cli export " + input + " --out " + out + " --format netcdf";
  return options;
}

}  // namespace spectrel::testing
