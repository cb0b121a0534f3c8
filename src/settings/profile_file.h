// An initialisation file held as its lines: "[SECTION]" lines, "KEY=value" lines and everything
// else (comments, blank lines, text we do not understand), which is kept where it stands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/file_input.h"

namespace spectrel {

// ASCII case-insensitive comparison, independent of the process locale.
bool EqualsNoCase(std::string_view a, std::string_view b);

class ProfileFile {
 public:
  // Splits text into lines at LF; CRs just before the LF (or at the very end) are dropped.
  static ProfileFile Parse(std::string_view text);
  // Reads the file at path; a missing or unreadable file gives an empty profile, and so does
  // anything that is not a regular file of at most MaxBytes (a named pipe never blocks the read).
  static ProfileFile Load(const std::string& path);
  // The same, saying why a file could not be read.
  static SmallFileRead Read(const std::string& path, ProfileFile& profile);
  static constexpr std::size_t MaxBytes = 1 << 20;   // far beyond any real profile

  // Each line as the reader takes it, for a check of the whole file.
  struct Line {
    enum class Kind { Section, Key, Comment, Blank, Other };
    Kind Type = Kind::Other;
    int Number = 0;            // 1-based line number
    std::string Section;       // the section the line stands in (its own name for a section line)
    std::string Key;           // a key line's trimmed key
    std::string Value;         // a key line's trimmed value
  };
  std::vector<Line> Lines() const;

  // The trimmed text after the first '=' of the first matching key of the first matching
  // section; sections and keys compare without regard to ASCII case.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // The value, or fallback when the key is missing. A present but empty key gives "".
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) const;
  // The value read as a whole number (see ParseProfileUInt); fallback when the key is missing.
  std::uint32_t GetUInt(std::string_view section, std::string_view key,
                        std::uint32_t fallback) const;

  // Replaces the key's line in place, or appends "KEY=value" at the end of its section, or
  // appends the section at the end of the file. Line breaks in value become blanks.
  void SetString(std::string_view section, std::string_view key, std::string_view value);

  // The whole file with LF line ends.
  std::string Serialize() const;
  // Writes the file through a temporary file in the same folder and a rename; false when the
  // file cannot be written, in which case the old file is untouched.
  bool Save(const std::string& path) const;

 private:
  // Names compared without regard to ASCII case, looked up without building a string.
  struct NoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const;
  };
  struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
  };
  using NameIndex = std::unordered_map<std::string, std::size_t, NoCaseHash, NoCaseEqual>;

  // A "[SECTION]" line and the lines up to the next one; the first block holds the lines before
  // any section and has no header.
  struct Block {
    std::vector<std::string> Lines;   // header first, as read
    NameIndex Keys;                   // key -> its first line in Lines
  };

  // Adds line to the last block (a section line opens a new block) and indexes it.
  void AddLine(std::string line);
  // Builds the index again from the lines, after an edit that changed what a line reads as.
  void Reindex();
  // The block of the first matching section, or nothing.
  Block* FindSection(std::string_view section);
  const Block* FindSection(std::string_view section) const;

  std::vector<Block> Blocks{1};                               // the file, block by block
  NameIndex SectionAt;                                        // section name -> its first block
};

// GetProfileInt's reading of a value: leading blanks, an optional sign, then decimal digits up to
// the first other character; no digits gives 0. The number wraps modulo 2^32 like the original.
std::uint32_t ParseProfileUInt(std::string_view text);

}  // namespace spectrel
