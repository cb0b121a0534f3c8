// AppSettings to and from a profile held in memory; LoadSettings and SaveSettings add the file.
#pragma once

#include <string>

#include "settings/app_settings.h"
#include "settings/profile_file.h"

namespace spectrel {

// Reads every persisted field from profile; missing keys give the defaults, the folders default
// to settings.AppFolder.
void LoadSettingsFrom(AppSettings& settings, const ProfileFile& profile);
// Writes every persisted field into profile, keeping its other lines.
void StoreSettingsTo(const AppSettings& settings, ProfileFile& profile);

// The text a COM value is kept as: a number (blanks and sign allowed) becomes its decimal text,
// empty text becomes "0", anything else (a device path) stays as it is.
std::string NormalisePortText(const std::string& text);

}  // namespace spectrel
