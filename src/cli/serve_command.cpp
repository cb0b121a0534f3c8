// spectrel-cli serve: the station's read-only web page, JSON interface and metrics, in a process
// of its own so that nothing it does can disturb the measurement.
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "cli/cli_host.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/service_notify.h"
#include "web/http_server.h"
#include "web/routes.h"
#include "web/station_source.h"

namespace spectrel::cli {

namespace {

struct ServeOptions {
  std::string ProfilePath;                // --profile INI: the data and CSV folders it names
  std::string DataFolder;                 // --data DIR
  std::string NetCdfFolder;               // --netcdf DIR: the archive's folder (default: the data folder)
  std::string Listen = "127.0.0.1:8080";  // --listen ADDR:PORT
  std::string TokenFile;                  // --token-file FILE: the bearer token every request must carry
};

int Refuse(const std::string& why) {
  std::fprintf(stderr, "%sspectrel-cli serve: not started: %s\n", ErrorPrefix().c_str(), why.c_str());
  return 1;
}

std::string Url(const web::ListenAddress& address, int port) {
  const std::string host = address.Ipv6 ? "[" + address.Host + "]" : address.Host;
  return "http://" + host + ":" + std::to_string(port) + "/";
}

int Serve(const ServeOptions& options) {
  InstallStopSignals();   // before the server's threads exist: they inherit the blocked signals
  std::string error;
  const auto address = web::ParseListenAddress(options.Listen, error);
  if (!address) return Refuse("--listen " + options.Listen + ": " + error);
  std::optional<std::string> token;
  if (!options.TokenFile.empty()) {
    token = web::ReadTokenFile(options.TokenFile, error);
    if (!token) return Refuse(error);
  } else if (!address->Loopback) {
    return Refuse("listening on " + address->Host +
                  " lets other hosts in: give --token-file, or listen on 127.0.0.1 or [::1]");
  }
  RunnerOptions runner;
  runner.ProfilePath = options.ProfilePath;
  runner.DataFolder = options.DataFolder;
  AppSettings settings;
  // Only read: serve never writes to the station.
  if (!LoadRunnerSettings(runner, settings).Found && !options.ProfilePath.empty())
    return Refuse("the profile " + options.ProfilePath +
                  " cannot be read, so the data folder is not known; name the station's profile or its data folder (--data)");
  web::StationSource station(settings, web::FoldersOf(settings, options.NetCdfFolder));
  if (!std::filesystem::is_directory(station.Folders().Data))
    std::fprintf(stderr, "%sspectrel-cli serve: the data folder %s does not exist yet: the page shows the station once "
                 "it measures there\n", StreamIsJournal(2) ? "<4>" : "",
                 station.Folders().Data.c_str());
  web::HttpServer server(
      [&station](const web::Request& request) {
        return web::Route(station, request, static_cast<std::int64_t>(std::time(nullptr)));
      },
      web::ServerLimits{}, token);
  if (!server.Start(*address, error)) return Refuse(error);
  std::printf("serving %s from %s%s\n", Url(*address, server.Port()).c_str(), station.Folders().Data.c_str(),
              token ? " (token required)" : "");
  std::fflush(stdout);
  int signal = 0;
  while ((signal = StopSignal()) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  server.Stop();
  std::printf("stopped by signal %d\n", signal);
  return 0;
}

}  // namespace

Command AddServeCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand("serve", "The station's read-only web page, JSON interface (/api/) "
                                                   "and metrics (/metrics) until SIGINT or SIGTERM.");
  auto options = std::make_shared<ServeOptions>();
  line->add_option("--profile", options->ProfilePath,
                   "the station's settings: data and CSV folders, graph settings, integral range")
      ->type_name("INI");
  line->add_option("--data", options->DataFolder,
                   "data folder the station writes (day files, CSV, status.json); overrides the profile's")
      ->type_name("DIR");
  line->add_option("--netcdf", options->NetCdfFolder, "folder of the NetCDF day files (default: the data folder)")
      ->type_name("DIR");
  line->add_option("--listen", options->Listen, "address and port to listen on (default 127.0.0.1:8080)")
      ->type_name("ADDR:PORT");
  line->add_option("--token-file", options->TokenFile,
                   "file holding the token every request must carry; needed for any address but the loopback")
      ->type_name("FILE");
  return {line, [options] { return Serve(*options); }, 2};
}

}  // namespace spectrel::cli
