#include "settings/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

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

std::size_t ProfileFile::NoCaseHash::operator()(std::string_view name) const {
  std::size_t h = 14695981039346656037ull;   // FNV-1a over the lower-case bytes
  for (const char c : name) h = (h ^ static_cast<unsigned char>(LowerAscii(c))) * 1099511628211ull;
  return h;
}

ProfileFile ProfileFile::Parse(std::string_view text) {
  ProfileFile profile;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    // CR LF line ends; stray CRs at the end of a line would not survive a save either.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    profile.AddLine(std::string(line));
    if (lf == npos) break;
    text.remove_prefix(lf + 1);
  }
  return profile;
}

SmallFileRead ProfileFile::Read(const std::string& path, ProfileFile& profile) {
  std::string text;
  const SmallFileRead read = ReadSmallFile(path, MaxBytes, text);
  profile = read.Error == SmallFileError::None ? Parse(text) : ProfileFile{};
  return read;
}

ProfileFile ProfileFile::Load(const std::string& path) {
  ProfileFile profile;
  Read(path, profile);
  return profile;
}

std::vector<ProfileFile::Line> ProfileFile::Lines() const {
  std::vector<Line> lines;
  std::string section;
  int number = 0;
  for (const Block& block : Blocks) {
    for (const std::string& text : block.Lines) {
      Line line;
      line.Number = ++number;
      std::string_view key, value;
      if (const auto name = SectionName(text)) {
        section = std::string(*name);
        line.Type = Line::Kind::Section;
      } else if (IsComment(text)) {
        line.Type = Line::Kind::Comment;
      } else if (Trim(text).empty()) {
        line.Type = Line::Kind::Blank;
      } else if (SplitKeyLine(text, key, value)) {
        line.Type = Line::Kind::Key;
        line.Key = std::string(key);
        line.Value = std::string(value);
      }
      line.Section = section;
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

void ProfileFile::AddLine(std::string line) {
  std::string_view key, value;
  if (const auto name = SectionName(line)) {
    SectionAt.emplace(std::string(*name), Blocks.size());
    Blocks.emplace_back();
  } else if (SplitKeyLine(line, key, value)) {
    Blocks.back().Keys.emplace(std::string(key), Blocks.back().Lines.size());
  }
  Blocks.back().Lines.push_back(std::move(line));
}

void ProfileFile::Reindex() {
  ProfileFile fresh;
  for (Block& block : Blocks) {
    for (std::string& line : block.Lines) fresh.AddLine(std::move(line));
  }
  *this = std::move(fresh);
}

const ProfileFile::Block* ProfileFile::FindSection(std::string_view section) const {
  const auto at = SectionAt.find(section);
  return at == SectionAt.end() ? nullptr : &Blocks[at->second];
}

ProfileFile::Block* ProfileFile::FindSection(std::string_view section) {
  return const_cast<Block*>(std::as_const(*this).FindSection(section));
}

std::optional<std::string> ProfileFile::Find(std::string_view section, std::string_view key) const {
  const Block* block = FindSection(section);
  if (block == nullptr) return std::nullopt;
  const auto at = block->Keys.find(key);
  if (at == block->Keys.end()) return std::nullopt;
  std::string_view name, value;
  SplitKeyLine(block->Lines[at->second], name, value);
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
  Block* block = FindSection(section);
  if (block == nullptr) {
    AddLine("[" + std::string(section) + "]");
    AddLine(std::move(line));
    return;
  }
  // A key with blanks, '=' or brackets in it reads back as something else: index anew.
  std::string_view readKey, readValue;
  const bool readsBack = SplitKeyLine(line, readKey, readValue) && EqualsNoCase(readKey, key);
  const auto at = block->Keys.find(key);
  if (at != block->Keys.end()) {
    block->Lines[at->second] = std::move(line);
  } else {
    // After the section's last line that is not blank, so that a blank line before the next
    // section stays where it is.
    std::size_t end = block->Lines.size();
    while (end > 1 && Trim(block->Lines[end - 1]).empty()) --end;
    block->Lines.insert(block->Lines.begin() + static_cast<std::ptrdiff_t>(end), std::move(line));
    block->Keys.emplace(std::string(key), end);
  }
  if (!readsBack) Reindex();
}

std::string ProfileFile::Serialize() const {
  std::string text;
  for (const Block& block : Blocks) {
    for (const std::string& line : block.Lines) {
      text += line;
      text += '\n';
    }
  }
  return text;
}

bool ProfileFile::Save(const std::string& path) const {
  // The same durable whole-file writer as the data files; it keeps the old file's permissions.
  ReplaceFileWriter file;
  return file.Open(ResolveTarget(path)) && file.Write(Serialize()) && file.Commit();
}

}  // namespace spectrel
