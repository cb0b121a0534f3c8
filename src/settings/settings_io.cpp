// The profile layout of AppSettings: one row per persisted field, in load and save order.
#include "settings/settings_io.h"

#include <clocale>
#include <locale.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <type_traits>
#include <variant>
#include <vector>

#include "base/c_locale.h"
#include "settings/profile.h"

namespace spectrel {

namespace {

using Kind = ProfileValueKind;

using FieldRef = std::variant<int*, bool*, std::int64_t*, std::uint32_t*, std::string*, double*, MeasureMode*,
                               WavelengthPitch*, DisplayMode*>;

// The modes as the profile numbers them. A number neither 0 nor 1 reads as the mode the program
// has always taken it for: manual measurement, raw pixels, the normal display.
MeasureMode ModeOf(std::int32_t n, MeasureMode*) { return n == 0 ? MeasureMode::Interval : MeasureMode::Manual; }
WavelengthPitch ModeOf(std::int32_t n, WavelengthPitch*) { return n == 1 ? WavelengthPitch::OneNm : WavelengthPitch::Raw; }
DisplayMode ModeOf(std::int32_t n, DisplayMode*) { return n == 0 ? DisplayMode::Detailed : DisplayMode::Normal; }

std::int32_t NumberOf(MeasureMode mode) { return mode == MeasureMode::Interval ? 0 : 1; }
std::int32_t NumberOf(WavelengthPitch pitch) { return pitch == WavelengthPitch::OneNm ? 1 : 0; }
std::int32_t NumberOf(DisplayMode mode) { return mode == DisplayMode::Detailed ? 0 : 1; }
std::int32_t NumberOf(bool on) { return on ? 1 : 0; }

// The default of every field is its value in a default-constructed AppSettings.
struct Field {
  const char* Section;
  const char* Key;
  Kind Type;
  FieldRef (*Ref)(AppSettings&);   // where the field lives
};

#define SPECTREL_REF(member) [](AppSettings& s) -> FieldRef { return &s.member; }

const Field kFields[] = {
    {"COM", "SR101", Kind::Port, SPECTREL_REF(ComPort[0])},
    {"COM", "SR102", Kind::Port, SPECTREL_REF(ComPort[1])},
    {"COM", "SR103", Kind::Port, SPECTREL_REF(ComPort[2])},
    {"COM", "SR104", Kind::Port, SPECTREL_REF(ComPort[3])},
    {"INT", "MEAS_TYPE", Kind::Mode, SPECTREL_REF(MeasType)},
    {"INT", "START", Kind::Seconds, SPECTREL_REF(StartTime)},
    {"INT", "END", Kind::Seconds, SPECTREL_REF(EndTime)},
    {"INT", "INT", Kind::Seconds, SPECTREL_REF(Interval)},
    {"INT", "AUTO", Kind::Bool, SPECTREL_REF(AutoStart)},
    {"DIR", "KRF", Kind::Folder, SPECTREL_REF(KrfFolder)},
    {"DIR", "CSV", Kind::Folder, SPECTREL_REF(CsvFolder)},
    {"USE", "SR101", Kind::Bool, SPECTREL_REF(UseSensor[0])},
    {"USE", "SR102", Kind::Bool, SPECTREL_REF(UseSensor[1])},
    {"USE", "SR103", Kind::Bool, SPECTREL_REF(UseSensor[2])},
    {"USE", "SR104", Kind::Bool, SPECTREL_REF(UseSensor[3])},
    {"SAVE", "CSV", Kind::Bool, SPECTREL_REF(SaveCsv)},
    {"SAVE", "LEFT", Kind::Int, SPECTREL_REF(CsvFrom)},
    {"SAVE", "RIGHT", Kind::Int, SPECTREL_REF(CsvTo)},
    {"SAVE", "PITCH", Kind::Mode, SPECTREL_REF(CsvPitch)},
    {"SAVE", "SR101", Kind::Bool, SPECTREL_REF(CsvSensor[0])},
    {"SAVE", "SR102", Kind::Bool, SPECTREL_REF(CsvSensor[1])},
    {"SAVE", "SR103", Kind::Bool, SPECTREL_REF(CsvSensor[2])},
    {"SAVE", "SR104", Kind::Bool, SPECTREL_REF(CsvSensor[3])},
    {"SAVE", "MERGE", Kind::Bool, SPECTREL_REF(CsvMerge)},
    {"SITE", "NAME", Kind::Text, SPECTREL_REF(SiteName)},
    {"SITE", "LON", Kind::Text, SPECTREL_REF(SiteLon)},
    {"SITE", "LAT", Kind::Text, SPECTREL_REF(SiteLat)},
    {"SITE", "ALT", Kind::Text, SPECTREL_REF(SiteAlt)},
    {"SITE", "ZONE", Kind::Text, SPECTREL_REF(SiteZone)},
    {"MEAS", "MEMO", Kind::Text, SPECTREL_REF(UserMemo)},
    {"INTEG", "LEFT", Kind::Int, SPECTREL_REF(IntegFrom)},
    {"INTEG", "RIGHT", Kind::Int, SPECTREL_REF(IntegTo)},
    {"GRAPH", "LEFT", Kind::Wide, SPECTREL_REF(Graph.GraphLeft)},
    {"GRAPH", "RIGHT", Kind::Wide, SPECTREL_REF(Graph.GraphRight)},
    {"GRAPH", "TOP", Kind::Fine, SPECTREL_REF(Graph.GraphTop)},
    {"GRAPH", "BOTTOM", Kind::Fine, SPECTREL_REF(Graph.GraphBottom)},
    {"GRAPH", "ASCALE", Kind::Bool, SPECTREL_REF(Graph.AutoScale)},
    {"GRAPH", "GRID", Kind::Bool, SPECTREL_REF(Graph.GridLine)},
    {"GRAPH", "COLOR0", Kind::Colour, SPECTREL_REF(Graph.GraphColor)},
    {"GRAPH", "COLOR1", Kind::Colour, SPECTREL_REF(Graph.FrameColor)},
    {"MODE", "DISP", Kind::Mode, SPECTREL_REF(DispMode)},
};

#undef SPECTREL_REF

// Numbers in the profile use the C locale's '.' whatever the user's locale says.
double TextToDouble(const std::string& text) {
  CLocaleScope c;
  return CAtof(text.c_str());
}

std::string FormatDouble(const char* format, double value) {
  CLocaleScope c;
  const int n = std::snprintf(nullptr, 0, format, value);
  if (n <= 0) return "0";
  std::vector<char> buf(static_cast<std::size_t>(n) + 1);
  std::snprintf(buf.data(), buf.size(), format, value);
  return std::string(buf.data(), static_cast<std::size_t>(n));
}

std::string Decimal(std::int32_t value) { return std::to_string(value); }

// Only a sign and digits count as a port number (the text comes with its blanks trimmed).
bool IsPortNumber(const std::string& text) {
  const std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  return text.size() > digits &&
         std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string FieldText(const Field& f, AppSettings& settings);

// A folder as the operator meant it: "./krfdir" is the folder krfdir, not a name prefix, so it
// gains its separator (the file names are the folder text directly followed by the year).
std::string FolderText(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// Settings as constructed: the defaults. Only ever read.
AppSettings& Defaults() {
  static AppSettings defaults;
  return defaults;
}

// The field's default as the profile would hold it.
std::string DefaultText(const Field& f) { return FieldText(f, Defaults()); }

// The field's default as a number, read through 32 bits like a profile value.
std::uint32_t DefaultNumber(const Field& f) {
  return std::visit(
      [](auto* value) -> std::uint32_t {
        using T = std::remove_pointer_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, double>)
          return 0;
        else if constexpr (std::is_enum_v<T> || std::is_same_v<T, bool>)
          return static_cast<std::uint32_t>(NumberOf(*value));
        else
          return static_cast<std::uint32_t>(*value);
      },
      f.Ref(Defaults()));
}

void LoadField(const Field& f, AppSettings& settings, const ProfileFile& profile) {
  const FieldRef ref = f.Ref(settings);
  const auto fallback = DefaultNumber(f);
  switch (f.Type) {
    case Kind::Int:
      *std::get<int*>(ref) = static_cast<std::int32_t>(profile.GetUInt(f.Section, f.Key, fallback));
      break;
    case Kind::Bool:
      *std::get<bool*>(ref) = profile.GetUInt(f.Section, f.Key, fallback) != 0;
      break;
    case Kind::Mode: {
      const auto number = static_cast<std::int32_t>(profile.GetUInt(f.Section, f.Key, fallback));
      std::visit(
          [number](auto* mode) {
            if constexpr (std::is_enum_v<std::remove_pointer_t<decltype(mode)>>) *mode = ModeOf(number, mode);
          },
          ref);
      break;
    }
    case Kind::Seconds:
      *std::get<std::int64_t*>(ref) = profile.GetUInt(f.Section, f.Key, fallback);
      break;
    case Kind::Colour:
      *std::get<std::uint32_t*>(ref) = profile.GetUInt(f.Section, f.Key, fallback);
      break;
    case Kind::Text:
      *std::get<std::string*>(ref) = profile.GetString(f.Section, f.Key, DefaultText(f));
      break;
    case Kind::Folder:
      *std::get<std::string*>(ref) = FolderText(profile.GetString(f.Section, f.Key, settings.AppFolder));
      break;
    case Kind::Port:
      *std::get<std::string*>(ref) =
          NormalisePortText(profile.GetString(f.Section, f.Key, DefaultText(f)));
      break;
    case Kind::Wide:
    case Kind::Fine:
      *std::get<double*>(ref) = TextToDouble(profile.GetString(f.Section, f.Key, DefaultText(f)));
      break;
  }
}

std::string FieldText(const Field& f, AppSettings& settings) {
  const FieldRef ref = f.Ref(settings);
  switch (f.Type) {
    case Kind::Int:
      return Decimal(*std::get<int*>(ref));
    case Kind::Bool:
      return *std::get<bool*>(ref) ? "1" : "0";
    case Kind::Mode:
      return std::visit(
          [](auto* mode) -> std::string {
            if constexpr (std::is_enum_v<std::remove_pointer_t<decltype(mode)>>)
              return Decimal(NumberOf(*mode));
            else
              return {};
          },
          ref);
    case Kind::Seconds:
      return Decimal(static_cast<std::int32_t>(static_cast<std::uint32_t>(*std::get<std::int64_t*>(ref))));
    case Kind::Colour:
      return Decimal(static_cast<std::int32_t>(*std::get<std::uint32_t*>(ref)));
    case Kind::Text:
    case Kind::Folder:
      return *std::get<std::string*>(ref);
    case Kind::Port:
      return NormalisePortText(*std::get<std::string*>(ref));
    case Kind::Wide:
      return FormatDouble("%.1f", *std::get<double*>(ref));
    case Kind::Fine:
      return FormatDouble("%f", *std::get<double*>(ref));
  }
  return {};
}

}  // namespace

std::string NormalisePortText(const std::string& text) {
  // Judge the value as a save would write it (line breaks as blanks, blanks trimmed), so that a
  // port read back from a saved profile is the port that was saved.
  std::string clean = text;
  for (char& c : clean) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::size_t first = clean.find_first_not_of(" \t");
  if (first == std::string::npos) return "0";
  clean = clean.substr(first, clean.find_last_not_of(" \t") - first + 1);
  if (IsPortNumber(clean)) return Decimal(static_cast<std::int32_t>(ParseProfileUInt(clean)));
  return clean;
}

std::vector<ProfileKey> ProfileKeys() {
  std::vector<ProfileKey> keys;
  for (const Field& f : kFields) keys.push_back({f.Section, f.Key, f.Type});
  return keys;
}

std::vector<std::string> SettingTexts(const AppSettings& settings) {
  AppSettings& fields = const_cast<AppSettings&>(settings);   // read only, as in StoreSettingsTo
  std::vector<std::string> texts;
  for (const Field& f : kFields) texts.push_back(FieldText(f, fields));
  return texts;
}

void LoadSettingsFrom(AppSettings& settings, const ProfileFile& profile) {
  for (const Field& f : kFields) LoadField(f, settings, profile);
}

void StoreSettingsTo(const AppSettings& settings, ProfileFile& profile) {
  // The table hands out writable references; saving only reads through them.
  AppSettings& fields = const_cast<AppSettings&>(settings);
  for (const Field& f : kFields) profile.SetString(f.Section, f.Key, FieldText(f, fields));
}

void LoadSettings(AppSettings& settings, const std::string& profilePath) {
  LoadSettingsFrom(settings, ProfileFile::Load(profilePath));
}

bool SaveSettings(const AppSettings& settings, const std::string& profilePath) {
  ProfileFile profile = ProfileFile::Load(profilePath);
  StoreSettingsTo(settings, profile);
  return profile.Save(profilePath);
}

}  // namespace spectrel
