#include "settings/profile_check.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "base/local_day.h"
#include "base/station_zone.h"
#include "settings/profile.h"
#include "settings/profile_file.h"
#include "settings/settings_io.h"

namespace spectrel {

namespace {


std::string Upper(std::string_view text) {
  std::string out;
  for (char c : text) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Letters and digits only, upper case: "SR-102" and "sr_102" both read "SR102".
std::string Folded(std::string_view text) {
  std::string out;
  for (char c : text)
    if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The known name an unknown one most likely meant, or empty.
std::string Nearest(std::string_view unknown, const std::vector<std::string>& known) {
  const std::string folded = Folded(unknown);
  const std::string upper = Upper(unknown);
  std::string best;
  std::size_t bestDistance = 3;   // more than two edits away is no suggestion
  for (const std::string& name : known) {
    const bool same = Folded(name) == folded;
    // Lengths apart by more than two take more than two edits: a long hand-edited name is not
    // compared letter by letter with every known one.
    if (!same && (upper.size() > name.size() + 2 || name.size() > upper.size() + 2)) continue;
    const std::size_t d = same ? 0 : EditDistance(upper, name);
    if (d < bestDistance) {
      best = name;
      bestDistance = d;
    }
  }
  return best;
}

// A whole number as the profile functions would read it, and nothing when the text holds more
// than blanks, a sign and digits.
std::optional<long long> WholeNumber(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return std::nullopt;
  for (std::size_t k = i; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9') return std::nullopt;
  if (text.size() - i > 12) return std::nullopt;
  return std::stoll(std::string(text));
}

std::optional<double> RealNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno != 0) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ProfileFinding> WindowFinding(const AppSettings& s) {
  const auto error = [](const char* where, std::string text) {
    return ProfileFinding{FindingLevel::Error, where, std::move(text)};
  };
  if (s.Interval < 1 || s.Interval > 0x7fffffff)
    return error("[INT] INT", "the interval must be 1 s or more (it reads as " + std::to_string(s.Interval) + " s)");
  if (s.StartTime >= ClockDaySeconds)
    return error("[INT] START", std::to_string(s.StartTime) + " s is past the end of the day: the window never opens");
  if (s.StartTime > s.EndTime)
    return error("[INT] START", "the window opens after it closes (START " + std::to_string(s.StartTime) + " > END " +
                                    std::to_string(s.EndTime) + "): nothing would ever be measured");
  const std::int64_t first = (s.StartTime + s.Interval - 1) / s.Interval * s.Interval;
  if (first > s.EndTime || first >= ClockDaySeconds)
    return error("[INT] INT", "no multiple of " + std::to_string(s.Interval) + " s after midnight falls between START " +
                                  std::to_string(s.StartTime) + " and END " + std::to_string(s.EndTime) +
                                  ": nothing would ever be measured");
  return std::nullopt;
}

namespace {

class Checker {
 public:
  Checker(ProfileCheck& result, const ProfileCheckHost& host) : Result(result), Host(host) {}

  void Say(FindingLevel level, std::string where, std::string text) {
    Result.Findings.push_back({level, std::move(where), std::move(text)});
  }
  void Warn(const std::string& where, const std::string& text) { Say(FindingLevel::Warning, where, text); }
  void Error(const std::string& where, const std::string& text) { Say(FindingLevel::Error, where, text); }

  // Sections and keys that the program does not read, repeated ones, and lines it cannot read.
  void Lines(const ProfileFile& profile) {
    std::vector<std::string> sections;
    std::map<std::string, std::vector<std::string>> keys;
    for (const ProfileKey& k : ProfileKeys()) {
      if (keys.find(k.Section) == keys.end()) sections.push_back(k.Section);
      keys[k.Section].push_back(k.Key);
    }
    std::map<std::string, int> sectionSeen;             // upper-case name -> its first line
    std::map<std::string, int> keySeen;                 // "SECTION KEY" -> its first line
    bool ignoredSection = false;
    for (const ProfileFile::Line& line : profile.Lines()) {
      const std::string at = "line " + std::to_string(line.Number);
      const std::string section = Upper(line.Section);
      if (line.Type == ProfileFile::Line::Kind::Section) {
        const auto [first, fresh] = sectionSeen.emplace(section, line.Number);
        ignoredSection = !fresh;
        if (!fresh)
          Warn("[" + line.Section + "]", "appears again on " + at + " (first on line " + std::to_string(first->second) +
                                             "): the keys below it are ignored; keep one [" + line.Section + "]");
        else if (keys.find(section) == keys.end())
          Warn("[" + line.Section + "]", "unknown section, its keys are ignored" + Hint(line.Section, sections));
      } else if (line.Type == ProfileFile::Line::Kind::Other) {
        Warn(at, "not a KEY=value line, ignored");
      } else if (line.Type == ProfileFile::Line::Kind::Key && !ignoredSection) {
        const std::string where = "[" + line.Section + "] " + line.Key;
        if (line.Section.empty()) {
          Warn(at, "key " + line.Key + " stands before any [SECTION] and is ignored");
          continue;
        }
        const auto known = keys.find(section);
        if (known == keys.end()) continue;   // said once for its section
        if (std::find(known->second.begin(), known->second.end(), Upper(line.Key)) == known->second.end()) {
          Warn(where, "unknown key, ignored" + Hint(line.Key, known->second));
          continue;
        }
        const auto [first, fresh] = keySeen.emplace(section + " " + Upper(line.Key), line.Number);
        if (!fresh)
          Warn(where, "appears again on " + at + ": the first one (line " + std::to_string(first->second) + ") is used");
      }
    }
  }

  // Each value the file holds that does not read as what it stands for.
  void Values(const ProfileFile& profile) {
    for (const ProfileKey& k : ProfileKeys()) {
      const std::optional<std::string> value = profile.Find(k.Section, k.Key);
      if (!value) continue;
      const std::string where = "[" + std::string(k.Section) + "] " + k.Key;
      switch (k.Kind) {
        case ProfileValueKind::Bool:
          if (const auto n = WholeNumber(*value); !n)
            Error(where, "'" + *value + "' is not 0 or 1 (it reads as 0: off)");
          else if (*n != 0 && *n != 1)
            Warn(where, "'" + *value + "' is not 0 or 1 (it reads as 1: on)");
          break;
        case ProfileValueKind::Int:
        case ProfileValueKind::Mode:
        case ProfileValueKind::Seconds:
        case ProfileValueKind::Colour:
          if (!WholeNumber(*value)) Error(where, "'" + *value + "' is not a whole number");
          break;
        case ProfileValueKind::Wide:
        case ProfileValueKind::Fine:
          if (!RealNumber(*value)) Warn(where, "'" + *value + "' is not a number with a '.' decimal point");
          break;
        case ProfileValueKind::Folder:
          if (!value->empty() && value->back() != '/')
            Warn(where, "'" + *value + "' has no final '/': used as the folder " + *value + "/");
          break;
        case ProfileValueKind::Text:
        case ProfileValueKind::Port:
          break;
      }
    }
  }

  // The settings taken together: sensors, ports, the window, ranges, folders, the site. The
  // settings hold a mode, not the number the file gives for it: an odd number is told from the text.
  void Settings(const AppSettings& s, const ProfileFile& profile) {
    Sensors(s);
    Window(s);
    if (OddMode(profile, "SAVE", "PITCH")) Warn("[SAVE] PITCH", "is neither 0 (raw) nor 1 (1nm); it reads as raw");
    if (s.SaveCsv && s.CsvPitch == WavelengthPitch::OneNm && s.CsvFrom > s.CsvTo)
      Warn("[SAVE] LEFT", "above RIGHT: the 1 nm CSV columns are empty");
    if (s.IntegFrom > s.IntegTo) Warn("[INTEG] LEFT", "above RIGHT: the integral irradiance covers nothing");
    if (s.Graph.GraphLeft >= s.Graph.GraphRight) Warn("[GRAPH] LEFT", "not below RIGHT: the graph has no width");
    for (const auto& [key, colour] : {std::pair{"COLOR0", s.Graph.GraphColor}, std::pair{"COLOR1", s.Graph.FrameColor}})
      if (colour > 0xFFFFFFu) Warn(std::string("[GRAPH] ") + key, "not a colour 0x00BBGGRR (0 to 16777215)");
    if (OddMode(profile, "INT", "MEAS_TYPE")) Warn("[INT] MEAS_TYPE", "is neither 0 (interval) nor 1 (manual)");
    Folder("[DIR] KRF", s.KrfFolder);
    if (s.SaveCsv) Folder("[DIR] CSV", s.CsvFolder);
    for (const auto& [key, text, limit] : {std::tuple{"LAT", s.SiteLat, 90.0}, std::tuple{"LON", s.SiteLon, 180.0}}) {
      const std::optional<double> v = RealNumber(text);
      if (!v || *v < -limit || *v > limit)
        Warn(std::string("[SITE] ") + key, "'" + text + "' is no position in degrees: the archive gets no sun angles");
    }
    if (!s.SiteZone.empty() && !StationZone::Named(s.SiteZone))
      Error("[SITE] ZONE", "'" + s.SiteZone + "' is not a time zone of this system (an IANA name such as Asia/Tokyo)");
  }

 private:
  // The file gives a number other than 0 or 1 for a mode (read as the program reads it).
  static bool OddMode(const ProfileFile& profile, const char* section, const char* key) {
    const std::optional<std::string> value = profile.Find(section, key);
    return value && ParseProfileUInt(*value) > 1;
  }

  static std::string Hint(std::string_view unknown, const std::vector<std::string>& known) {
    const std::string near = Nearest(unknown, known);
    return near.empty() ? std::string() : "; did you mean " + near + "?";
  }

  void Sensors(const AppSettings& s) {
    int used = 0;
    for (int m = 0; m < 4; ++m) {
      if (!s.UseSensor[static_cast<std::size_t>(m)]) continue;
      ++used;
      const std::string model = "SR10" + std::to_string(m + 1);
      const std::string& port = s.ComPort[static_cast<std::size_t>(m)];
      if (port == "0") {
        Error("[COM] " + model, model + " is in use but has no port");
      } else if (Host.CheckPort) {
        const PortProblem problem = Host.CheckPort(port);
        if (!problem.Text.empty()) Say(problem.Fatal ? FindingLevel::Error : FindingLevel::Warning, "[COM] " + model,
                                       port + ": " + problem.Text);
      }
    }
    if (used == 0) Warn("[USE]", "no sensor in use: every measurement stores a point without spectra");
    if (s.UseSensor[0] && s.UseSensor[1]) Warn("[USE]", "SR101 and SR102 both in use; use one short-wavelength sensor");
    if (s.UseSensor[2] && s.UseSensor[3]) Warn("[USE]", "SR103 and SR104 both in use; use one long-wavelength sensor");
  }

  void Window(const AppSettings& s) {
    if (std::optional<ProfileFinding> finding = WindowFinding(s)) Result.Findings.push_back(std::move(*finding));
  }

  void Folder(const std::string& where, const std::string& folder) {
    if (folder.empty()) {
      Warn(where, "empty: the files go into the folder the program is started in");
      return;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    // Without its final separator, so that a file in the folder's place is seen as a file.
    const fs::path path(folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder);
    if (fs::exists(path, ec)) {
      if (!fs::is_directory(path, ec)) Error(where, path.string() + " is a file, not a folder");
      else if (::access(path.c_str(), W_OK | X_OK) != 0)
        Error(where, folder + " cannot be written: " + std::strerror(errno));
      return;
    }
    fs::path parent = path.parent_path();
    while (!parent.empty() && !fs::exists(parent, ec)) parent = parent.parent_path();
    const std::string base = parent.empty() ? "." : parent.string();
    if (!fs::is_directory(base, ec))
      Error(where, folder + " cannot be made: " + base + " is not a folder");
    else if (::access(base.c_str(), W_OK | X_OK) != 0)
      Error(where, folder + " cannot be made: " + base + ": " + std::strerror(errno));
    else
      Say(FindingLevel::Note, where, folder + " does not exist yet; it is made at start");
  }

  ProfileCheck& Result;
  const ProfileCheckHost& Host;
};

}  // namespace

bool ProfileCheck::HasErrors() const {
  return std::any_of(Findings.begin(), Findings.end(), [](const auto& f) { return f.Level == FindingLevel::Error; });
}

bool ProfileCheck::HasWarnings() const {
  return std::any_of(Findings.begin(), Findings.end(), [](const auto& f) { return f.Level == FindingLevel::Warning; });
}

int ProfileCheck::ExitCode() const { return HasErrors() ? 2 : HasWarnings() ? 1 : 0; }

std::vector<ProfileFinding> CheckProfileText(const ProfileFile& profile) {
  ProfileCheck result;
  const ProfileCheckHost none;
  Checker checker(result, none);
  checker.Lines(profile);
  checker.Values(profile);
  return result.Findings;
}

ProfileCheck CheckProfile(const std::string& path, bool named, const std::string& appFolder,
                          const ProfileCheckHost& host) {
  ProfileCheck result;
  result.Path = path;
  Checker checker(result, host);
  ProfileFile profile;
  const SmallFileRead read = ProfileFile::Read(path, profile);
  result.Exists = read.Error == SmallFileError::None;
  if (read.Error == SmallFileError::Missing && named)
    checker.Error(path, "no such profile (leave --profile out to start on the defaults)");
  else if (read.Error != SmallFileError::None && read.Error != SmallFileError::Missing)
    checker.Error(path, "cannot be read: " + read.Text());
  result.Settings.AppFolder = appFolder;
  LoadSettingsFrom(result.Settings, profile);
  for (ProfileFinding& f : CheckProfileText(profile)) result.Findings.push_back(std::move(f));
  checker.Settings(result.Settings, profile);
  const std::vector<std::string> texts = SettingTexts(result.Settings);
  const std::vector<ProfileKey> keys = ProfileKeys();
  for (std::size_t i = 0; i < keys.size(); ++i)
    result.Effective.push_back({keys[i].Section, keys[i].Key, texts[i], profile.Find(keys[i].Section, keys[i].Key).has_value()});
  return result;
}

const char* LevelName(FindingLevel level) {
  return level == FindingLevel::Error ? "error" : level == FindingLevel::Warning ? "warning" : "note";
}

std::string FindingLine(const ProfileFinding& finding) {
  return std::string(LevelName(finding.Level)) + ": " + finding.Where + ": " + finding.Text;
}

}  // namespace spectrel
