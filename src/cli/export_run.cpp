#include "cli/export_run.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "archive/day_conversion.h"
#include "cli/batch_progress.h"
#include "cli/option_checks.h"
#include "measure/settings_options.h"
#include "settings/profile.h"

namespace spectrel::cli {

namespace {

constexpr const char* Prefix = "spectrel-cli export: ";

// The profile's CSV settings (or the defaults) with the command line's choices on top.
AppSettings ExportSettings(const ExportOptions& options) {
  AppSettings settings;
  if (!options.ProfilePath.empty()) LoadSettings(settings, options.ProfilePath);
  if (options.Pitch) settings.CsvPitch = *options.Pitch;
  if (options.From) settings.CsvFrom = *options.From;
  if (options.To) settings.CsvTo = *options.To;
  if (options.Sensors) settings.CsvSensor = *options.Sensors;
  if (options.Merge) settings.CsvMerge = *options.Merge;
  return settings;
}

// The options that need the profile to be judged; "" when they go together.
std::string Mismatch(const ExportOptions& options, const AppSettings& settings) {
  const bool netcdf = options.Format == "netcdf";
  if (!netcdf && !options.ZoneName.empty())
    return "--tz applies to --format netcdf only; CSV files keep the station's local time";
  if (!netcdf && options.SignificantDigits) return "--significant-digits applies to --format netcdf only";
  if (!netcdf && settings.CsvPitch != WavelengthPitch::OneNm && (options.From || options.To))
    return "--from and --to shape the 1 nm grid, and this export writes the sensors' own pixels; "
           "add --pitch 1nm, or leave them out";
  if (netcdf && (options.Pitch || options.Sensors))
    return "--pitch and --sensors choose CSV columns; a NetCDF day file holds every sensor and the 1 nm grid";
  if (settings.CsvFrom > settings.CsvTo)
    return "the grid runs from " + std::to_string(settings.CsvFrom) + " to " + std::to_string(settings.CsvTo) +
           " nm; give --from below --to";
  return {};
}

archive::DayConversion Conversion(const ExportOptions& options, const AppSettings& s,
                                  const std::optional<StationZone>& zone) {
  archive::DayConversion c;
  c.Format = options.Format == "netcdf" ? archive::ArchiveFormat::NetCdf : archive::ArchiveFormat::Csv;
  c.OutFolder = options.OutFolder;
  c.Zone = zone;
  c.NetCdf.Grid.FromNm = s.CsvFrom;
  c.NetCdf.Grid.ToNm = s.CsvTo;
  c.NetCdf.Grid.Merge = options.Merge.value_or(true);
  c.NetCdf.Grid.IntegFrom = s.IntegFrom;
  c.NetCdf.Grid.IntegTo = s.IntegTo;
  c.NetCdf.History = options.CommandLine.empty() ? "spectrel-cli export" : options.CommandLine;
  c.NetCdf.SignificantDigits = options.SignificantDigits.value_or(0);
  c.Csv = CsvOptionsFrom(s);
  return c;
}

int Refuse(const std::string& why, int code) {
  std::fprintf(stderr, "%s%s\n", Prefix, why.c_str());
  return code;
}

}  // namespace

int RunExport(const ExportOptions& options) {
  std::error_code ec;
  if (!options.ProfilePath.empty() && !std::filesystem::exists(options.ProfilePath, ec))
    return Refuse("no profile " + options.ProfilePath + ": " + std::strerror(ENOENT) +
                      "; name an existing one, or leave --profile out for the defaults", 2);
  const AppSettings settings = ExportSettings(options);
  if (const std::string why = Mismatch(options, settings); !why.empty()) return Refuse(why, 2);
  std::optional<StationZone> zone;
  const std::string zoneName = options.Format == "netcdf" ? StationZoneName(options.ZoneName, options.ProfilePath) : "";
  if (!zoneName.empty() && !(zone = StationZone::Named(zoneName)))
    return Refuse("unknown time zone '" + zoneName + "': not in the system's zone database; give an IANA name such as Asia/Tokyo", 2);

  const archive::DayConversion conversion = Conversion(options, settings, zone);
  archive::DayPlan plan;
  std::string error;
  if (!archive::PlanDays(options.Input, conversion.Format, options.OutFolder, options.Force, plan, error))
    return Refuse(error, 1);
  if (!archive::PrepareOutputFolder(options.OutFolder, error)) return Refuse(error, 1);

  std::uint64_t bytes = 0;
  for (const archive::DaySource& d : plan.Found) bytes += d.Bytes;
  BatchProgress progress(plan.Found.size(), bytes, options.Quiet, ::isatty(STDERR_FILENO) == 1);
  for (std::size_t i = 0; i < plan.Refused.size(); ++i) progress.Failed(Prefix + plan.Refused[i], plan.RefusedBytes[i]);
  for (std::size_t i = 0; i < plan.UpToDate; ++i) progress.UpToDate();

  const auto report = [&](std::size_t k, const archive::DayOutcome& outcome) {
    const archive::DaySource& source = plan.Convert[k];
    std::size_t from = 0;
    while (!outcome.Warnings.empty() && from <= outcome.Warnings.size()) {
      const std::size_t end = std::min(outcome.Warnings.find('\n', from), outcome.Warnings.size());
      progress.Warned(Prefix + source.Path + ": " + outcome.Warnings.substr(from, end - from));
      from = end + 1;
    }
    if (outcome.Ok && outcome.Partial)
      progress.WrittenInPart(outcome.Message, source.Bytes);
    else if (outcome.Ok)
      progress.Written(outcome.Message, source.Bytes);
    else
      progress.Failed(Prefix + source.Path + ": " + outcome.Message, source.Bytes);
  };
  archive::ConvertDays(plan.Convert, conversion, options.Jobs.value_or(0), report);
  progress.Finish();
  return progress.AnyFailed() ? 1 : 0;
}

}  // namespace spectrel::cli
