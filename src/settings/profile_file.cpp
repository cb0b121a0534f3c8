#include "settings/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/file_output.h"

namespace spectrel {

namespace {

constexpr std::size_t npos = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The name of a "[NAME]" line, or nothing when the line is no section line.
std::optional<std::string_view> SectionName(std::string_view line) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const std::size_t close = t.find(']');
  if (close == npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

bool IsComment(std::string_view line) {
  const std::string_view t = Trim(line);
  return !t.empty() && (t.front() == ';' || t.front() == '#');
}

// Splits "KEY=value" into its trimmed halves; nothing for sections, comments and other lines.
bool SplitKeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
  if (IsComment(line) || SectionName(line)) return false;
  const std::size_t eq = line.find('=');
  if (eq == npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

// A value must stay on its own line, and blanks at either end would not survive a reading.
std::string CleanValue(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return std::string(Trim(out));
}

// The file a write should replace: the target of a symbolic link rather than the link itself.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    if (!ec) return target.string();
  }
  return path;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::uint32_t ParseProfileUInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
  }
  return negative ? 0u - value : value;
}

ProfileFile ProfileFile::Parse(std::string_view text) {
  ProfileFile profile;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    // CR LF line ends; stray CRs at the end of a line would not survive a save either.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    profile.LinesOfFile.emplace_back(line);
    if (lf == npos) break;
    text.remove_prefix(lf + 1);
  }
  return profile;
}

ProfileFile ProfileFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return ProfileFile{};
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(text.str());
}

std::size_t ProfileFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < LinesOfFile.size(); ++i) {
    const auto name = SectionName(LinesOfFile[i]);
    if (name && EqualsNoCase(*name, section)) return i;
  }
  return npos;
}

std::size_t ProfileFile::FindKey(std::size_t sectionLine, std::string_view key) const {
  for (std::size_t i = sectionLine + 1; i < LinesOfFile.size(); ++i) {
    if (SectionName(LinesOfFile[i])) break;
    std::string_view k, v;
    if (SplitKeyLine(LinesOfFile[i], k, v) && EqualsNoCase(k, key)) return i;
  }
  return npos;
}

std::size_t ProfileFile::EndOfSection(std::size_t sectionLine) const {
  std::size_t end = sectionLine + 1;
  for (std::size_t i = sectionLine + 1; i < LinesOfFile.size(); ++i) {
    if (SectionName(LinesOfFile[i])) break;
    if (!Trim(LinesOfFile[i]).empty()) end = i + 1;
  }
  return end;
}

std::optional<std::string> ProfileFile::Find(std::string_view section, std::string_view key) const {
  const std::size_t s = FindSection(section);
  if (s == npos) return std::nullopt;
  const std::size_t k = FindKey(s, key);
  if (k == npos) return std::nullopt;
  std::string_view name, value;
  SplitKeyLine(LinesOfFile[k], name, value);
  return std::string(value);
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view fallback) const {
  auto value = Find(section, key);
  return value ? std::move(*value) : std::string(fallback);
}

std::uint32_t ProfileFile::GetUInt(std::string_view section, std::string_view key,
                                   std::uint32_t fallback) const {
  const auto value = Find(section, key);
  return value ? ParseProfileUInt(*value) : fallback;
}

void ProfileFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
  std::string line = std::string(key) + "=" + CleanValue(value);
  const std::size_t s = FindSection(section);
  if (s == npos) {
    LinesOfFile.push_back("[" + std::string(section) + "]");
    LinesOfFile.push_back(std::move(line));
    return;
  }
  const std::size_t k = FindKey(s, key);
  if (k != npos) {
    LinesOfFile[k] = std::move(line);
    return;
  }
  const auto at = LinesOfFile.begin() + static_cast<std::ptrdiff_t>(EndOfSection(s));
  LinesOfFile.insert(at, std::move(line));
}

std::string ProfileFile::Serialize() const {
  std::string text;
  for (const std::string& line : LinesOfFile) {
    text += line;
    text += '\n';
  }
  return text;
}

bool ProfileFile::Save(const std::string& path) const {
  // The same durable whole-file writer as the data files; it keeps the old file's permissions.
  ReplaceFileWriter file;
  return file.Open(ResolveTarget(path)) && file.Write(Serialize()) && file.Commit();
}

}  // namespace spectrel
