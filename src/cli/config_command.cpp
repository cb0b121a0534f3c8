// "config": the settings a measuring command would use, where each came from, and every mistake
// in the profile, before a station relies on it.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/profile_checks.h"

namespace spectrel::cli {

namespace {

struct ConfigOptions {
  std::string ProfilePath;   // --profile INI; empty: where the measuring commands look
  bool Json = false;         // --json: one JSON document
};

std::string ConfigText(const ProfileCheck& check) {
  std::string out = "profile: " + check.Path + (check.Exists ? "\n" : " (not read: every setting is its default)\n");
  std::string section;
  for (const EffectiveSetting& s : check.Effective) {
    if (s.Section != section) out += "[" + (section = s.Section) + "]\n";
    out += s.Key + "=" + s.Value + (s.FromFile ? "\n" : "   (default)\n");
  }
  return out;
}

std::string ConfigJson(const ProfileCheck& check) {
  Json settings = Json::array();
  for (const EffectiveSetting& s : check.Effective)
    settings.push_back({{"section", s.Section}, {"key", s.Key}, {"value", s.Value},
                        {"from", s.FromFile ? "file" : "default"}});
  Json findings = Json::array();
  for (const ProfileFinding& f : check.Findings)
    findings.push_back({{"level", LevelName(f.Level)}, {"where", f.Where},
                        {"text", f.Text}});
  return JsonText({{"profile", check.Path}, {"read", check.Exists}, {"settings", settings},
                   {"findings", findings}, {"exit", check.ExitCode()}});
}

int RunConfig(const ConfigOptions& options) {
  const ProfileCheck check = CheckStationProfile(options.ProfilePath);
  const std::string report = options.Json ? ConfigJson(check) : ConfigText(check);
  std::fwrite(report.data(), 1, report.size(), stdout);
  std::fflush(stdout);
  if (!options.Json)
    for (const ProfileFinding& f : check.Findings)
      std::fprintf(stderr, "spectrel-cli config: %s\n", FindingLine(f).c_str());
  return check.ExitCode();
}

}  // namespace

Command AddConfigCommand(CLI::App& program) {
  CLI::App* line = program.add_subcommand(
      "config", "Check the profile: the settings in effect, where each came from, and every mistake.\n"
                "Exit 0 clean, 1 warnings, 2 errors.");
  auto options = std::make_shared<ConfigOptions>();
  line->add_option("--profile", options->ProfilePath,
                   "settings file (default: where measure and run look for it)")
      ->type_name("INI");
  line->add_flag("--json", options->Json, "print one JSON document (settings and findings)");
  return {line, [options] { return RunConfig(*options); }};
}

}  // namespace spectrel::cli
