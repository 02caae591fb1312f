// A Shift-JIS INI text read and edited the way the Windows private-profile functions
// do it: sections and keys are found without regard to ASCII case, a written key
// replaces its value in place or is added at the end of its section (or in a new
// section at the end of the file), and every other line - unknown keys and sections,
// comments, blank lines, line endings - is kept byte for byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class IniFile {
 public:
  // Larger files are not settings files; they are refused rather than parsed.
  static constexpr std::size_t kMaxFileBytes = 1 << 20;
  // Longest text readString hands out (a fixed buffer in the original service).
  static constexpr std::size_t kMaxValueBytes = 1023;

  enum class LoadResult { Loaded, Missing, Unreadable };

  IniFile() = default;
  explicit IniFile(std::string_view text) { parse(text); }

  // A missing file loads as an empty one; an unreadable or oversized one, a link or
  // anything but a regular file too, but the caller learns of it (and must not write
  // over it), with *reason ("PATH: reason").
  LoadResult load(const std::string& path, std::string* reason = nullptr);
  void parse(std::string_view text);

  // The value of section/key, blanks around it removed and one pair of enclosing
  // quotes stripped; nullopt when the key is absent. The value ends at a NUL byte and
  // is cut to maxBytes on a character boundary.
  std::optional<std::string> readString(std::string_view section, std::string_view key,
                                        std::size_t maxBytes = kMaxValueBytes) const;
  std::string readString(std::string_view section, std::string_view key,
                         std::string_view defaultValue,
                         std::size_t maxBytes = kMaxValueBytes) const;
  // A decimal integer; see parseInt. Absent or not an
  // integer: the default.
  int readInt(std::string_view section, std::string_view key, int defaultValue) const;
  // Any non-zero integer is true.
  bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // A value can never span lines: it is cut at the first CR, LF or NUL. Section and
  // key names are cut the same way; an empty name, a key holding '=' or a section
  // holding ']' is refused (false), as it could never be read back.
  bool writeString(std::string_view section, std::string_view key, std::string_view value);
  bool writeInt(std::string_view section, std::string_view key, int value);
  bool writeBool(std::string_view section, std::string_view key, bool value) {
    return writeInt(section, key, value ? 1 : 0);
  }

  // The whole text as it would be saved.
  std::string text() const;
  // Writes through the safe write path (a temporary in the same folder renamed over the
  // target), so a failed write leaves the old file whole. A link or a read-only file is
  // not replaced. False, with *error ("PATH: reason"), on any failure.
  bool save(const std::string& path, std::string* error = nullptr) const;

  // Integer text: optional blanks, an optional sign, at least one decimal digit and
  // optional blanks, nothing else ("12abc", "3.5" and "0x10" are not integers). No
  // digit, other bytes, or a number outside the int range: nullopt.
  static std::optional<int> parseInt(std::string_view text);

 private:
  enum class Kind { Other, Section, Key };
  struct Line {
    std::string text;  // without its line ending
    std::string eol;   // "\r\n", "\n" or "" (last line without one)
    Kind kind = Kind::Other;
    std::string name;  // section or key name, blanks trimmed
    std::size_t valueStart = 0;  // Key: offset of the byte after '='
  };

  static void classify(Line& line, bool first = false);
  // Index of the header line of the first section named so, or npos.
  std::size_t findSection(std::string_view section) const;
  // Index of the first key line named so in the section starting at header, or npos.
  std::size_t findKey(std::size_t header, std::string_view key) const;
  std::size_t findKey(std::string_view section, std::string_view key) const;
  std::string newLineEnding() const;

  std::vector<Line> lines_;
};

}  // namespace ml
