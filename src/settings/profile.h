// Loading and saving AppSettings in the profile (an initialisation file), and where it lives.
#pragma once

#include <string>

#include "settings/app_settings.h"

namespace spectrel {

// Reads every persisted field; a missing file, section or key gives the field's default.
// The folder defaults are settings.AppFolder, which the caller sets first.
void LoadSettings(AppSettings& settings, const std::string& profilePath);
// Writes every persisted field, keeping the profile's other lines; false when it cannot be written.
bool SaveSettings(const AppSettings& settings, const std::string& profilePath);

struct ProfileLocation {
  std::string ProfilePath;   // the initialisation file
  std::string AppFolder;     // default data folder, ends with '/'
};
// Beside the program (PROGRAM.ini, folders default to the program folder) when that folder is
// writable; otherwise $XDG_CONFIG_HOME/spectrel/spectrel.ini with data defaulting to $HOME/Spectrel/.
ProfileLocation LocateProfile(const std::string& programPath);

}  // namespace spectrel
