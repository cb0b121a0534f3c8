// AppSettings to and from a profile held in memory; LoadSettings and SaveSettings add the file.
#pragma once

#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "settings/profile_file.h"

namespace spectrel {

// How a profile value is read and written.
enum class ProfileValueKind {
  Int,       // int32, "%d"
  Bool,      // on/off held as 0 or 1: any number but 0 reads as on, on writes as 1
  Mode,      // one of two modes held as 0 or 1; another number reads as one of them, written as its 0 or 1
  Seconds,   // int64 read through 32 bits (high half zero), written as its low 32 bits signed
  Colour,    // 0x00BBGGRR read as a 32-bit number, written "%d"
  Text,      // string as it stands
  Folder,    // string defaulting to AppFolder; a missing final separator is added
  Port,      // COM value: a port number or a device path
  Wide,      // double nm on the graph axis, written "%.1f"
  Fine,      // double W/m2/um on the graph axis, written "%f"
};

// One persisted key of the profile.
struct ProfileKey {
  const char* Section;
  const char* Key;
  ProfileValueKind Kind;
};

// Every persisted key, in load and save order.
std::vector<ProfileKey> ProfileKeys();
// Each key's value as the settings hold it (as a save writes it), in ProfileKeys order.
std::vector<std::string> SettingTexts(const AppSettings& settings);

// Reads every persisted field from profile; missing keys give the defaults, the folders default
// to settings.AppFolder.
void LoadSettingsFrom(AppSettings& settings, const ProfileFile& profile);
// Writes every persisted field into profile, keeping its other lines.
void StoreSettingsTo(const AppSettings& settings, ProfileFile& profile);

// The text a COM value is kept as: a number (blanks and sign allowed) becomes its decimal text,
// empty text becomes "0", anything else (a device path) stays as it is.
std::string NormalisePortText(const std::string& text);

}  // namespace spectrel
