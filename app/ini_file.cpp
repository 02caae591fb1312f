#include "app/ini_file.h"

#include <unistd.h>

#include <climits>

#include "platform/posix/file_handle.h"
#include "platform/posix/safe_file.h"
#include "platform/sjis.h"

namespace ml {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// ASCII case is ignored only in single-byte characters: the second byte of a
// double-byte character may lie in 'A'..'Z' and must match exactly.
bool equalNames(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::uint8_t x = static_cast<std::uint8_t>(a[i]);
    const std::uint8_t y = static_cast<std::uint8_t>(b[i]);
    if (sjis::isLead(x)) {
      if (x != y) return false;
      if (i + 1 < a.size()) {
        ++i;
        if (a[i] != b[i]) return false;
      }
      continue;
    }
    if (sjis::foldAscii(x) != sjis::foldAscii(y)) return false;
  }
  return true;
}

// Position of the first single-byte c (not the second byte of a double-byte
// character), or npos.
std::size_t findSingleByte(std::string_view s, char c) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (sjis::isLead(s[i])) {
      ++i;
      continue;
    }
    if (s[i] == c) return i;
  }
  return std::string_view::npos;
}

std::string_view cutAtLineBreak(std::string_view s) {
  std::size_t end = s.find_first_of(std::string_view("\r\n\0", 3));
  return end == std::string_view::npos ? s : s.substr(0, end);
}

}  // namespace

std::optional<int> IniFile::parseInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (isBlank(text[i]) || text[i] == '\n')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return std::nullopt;
  }
  // "12abc" or "3.5" is no integer: such a value takes the key's default, as a word does.
  while (i < text.size() && (isBlank(text[i]) || text[i] == '\n')) ++i;
  if (i != text.size()) return std::nullopt;
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return std::nullopt;
  return static_cast<int>(value);
}

void IniFile::classify(Line& line, bool first) {
  line.kind = Kind::Other;
  line.name.clear();
  line.valueStart = 0;
  std::string_view t = line.text;
  std::size_t lead = 0;
  // A UTF-8 byte-order mark some editors put first is not part of the first line.
  if (first && t.substr(0, 3) == "\xEF\xBB\xBF") lead = 3;
  while (lead < t.size() && isBlank(t[lead])) ++lead;
  if (lead >= t.size() || t[lead] == ';') return;
  if (t[lead] == '[') {
    std::string_view rest = t.substr(lead + 1);
    std::size_t close = findSingleByte(rest, ']');
    if (close == std::string_view::npos) return;
    line.kind = Kind::Section;
    line.name = std::string(trim(rest.substr(0, close)));
    return;
  }
  std::size_t eq = t.find('=', lead);
  if (eq == std::string_view::npos) return;
  std::string_view name = trim(t.substr(lead, eq - lead));
  if (name.empty()) return;
  line.kind = Kind::Key;
  line.name = std::string(name);
  line.valueStart = eq + 1;
}

void IniFile::parse(std::string_view text) {
  lines_.clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    Line line;
    if (nl == std::string_view::npos) {
      line.text = std::string(text.substr(pos));
      pos = text.size();
    } else {
      std::size_t end = nl;
      if (end > pos && text[end - 1] == '\r') {
        --end;
        line.eol = "\r\n";
      } else {
        line.eol = "\n";
      }
      line.text = std::string(text.substr(pos, end - pos));
      pos = nl + 1;
    }
    classify(line, lines_.empty());
    lines_.push_back(std::move(line));
  }
}

IniFile::LoadResult IniFile::load(const std::string& path, std::string* reason) {
  lines_.clear();
  // A link is not followed (the file is never written through one either); a named pipe
  // in the file's place must not hang the game.
  std::string error;
  bool missing = false;
  FileHandle f = FileHandle::adopt(openFileForReading(path, ReadCheck::NoLink, {}, &error, &missing));
  if (!f.isOpen()) {
    if (missing) return LoadResult::Missing;
    if (reason) *reason = error;
    return LoadResult::Unreadable;
  }
  if (f.size() > static_cast<std::int64_t>(kMaxFileBytes)) {
    if (reason)
      *reason = path + ": is larger (" + std::to_string(f.size()) + " bytes) than a settings file can be (" +
                std::to_string(kMaxFileBytes) + " bytes)";
    return LoadResult::Unreadable;
  }
  // One byte more than its size tells a file that grew meanwhile.
  std::string data(static_cast<std::size_t>(f.size()) + 1, '\0');
  std::size_t got = f.readAt(0, data.data(), data.size());
  if (got > kMaxFileBytes) {
    if (reason) *reason = path + ": is larger than a settings file can be";
    return LoadResult::Unreadable;
  }
  if (got != static_cast<std::size_t>(f.size())) {
    if (reason) *reason = path + ": cannot be read whole";
    return LoadResult::Unreadable;
  }
  data.resize(got);
  parse(data);
  return LoadResult::Loaded;
}

std::size_t IniFile::findSection(std::string_view section) const {
  section = trim(section);
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section && equalNames(lines_[i].name, section)) return i;
  return std::string::npos;
}

std::size_t IniFile::findKey(std::size_t header, std::string_view key) const {
  key = trim(key);
  for (std::size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i)
    if (lines_[i].kind == Kind::Key && equalNames(lines_[i].name, key)) return i;
  return std::string::npos;
}

std::size_t IniFile::findKey(std::string_view section, std::string_view key) const {
  std::size_t header = findSection(section);
  return header == std::string::npos ? header : findKey(header, key);
}

std::optional<std::string> IniFile::readString(std::string_view section, std::string_view key,
                                               std::size_t maxBytes) const {
  std::size_t i = findKey(section, key);
  if (i == std::string::npos) return std::nullopt;
  // The value ends where the writer would end it: at the first CR, LF or NUL byte,
  // even one that follows a lead byte (the lone lead byte is then dropped below), so
  // that what is read is written back the same.
  std::string_view value = cutAtLineBreak(std::string_view(lines_[i].text).substr(lines_[i].valueStart));
  value = trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(sjis::cutAtBoundary(value, maxBytes));
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t maxBytes) const {
  std::optional<std::string> v = readString(section, key, maxBytes);
  return v ? std::move(*v) : std::string(sjis::cutAtBoundary(defaultValue, maxBytes));
}

int IniFile::readInt(std::string_view section, std::string_view key, int defaultValue) const {
  std::optional<std::string> v = readString(section, key);
  if (!v) return defaultValue;
  return parseInt(*v).value_or(defaultValue);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return readInt(section, key, defaultValue ? 1 : 0) != 0;
}

std::string IniFile::newLineEnding() const {
  for (const Line& l : lines_)
    if (!l.eol.empty()) return l.eol;
  return "\r\n";  // the Windows convention, which every INI reader accepts
}

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
  section = trim(cutAtLineBreak(section));
  key = trim(cutAtLineBreak(key));
  value = cutAtLineBreak(value);
  if (section.empty() || findSingleByte(section, ']') != std::string_view::npos) return false;
  if (key.empty() || key.find('=') != std::string_view::npos || key.front() == ';' ||
      key.front() == '[')
    return false;

  const std::string nl = newLineEnding();
  auto makeLine = [&](std::string text) {
    Line l;
    l.text = std::move(text);
    l.eol = nl;
    classify(l);
    return l;
  };

  std::size_t header = findSection(section);
  if (header == std::string::npos) {
    if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = nl;
    lines_.push_back(makeLine("[" + std::string(section) + "]"));
    lines_.push_back(makeLine(std::string(key) + "=" + std::string(value)));
    return true;
  }

  std::size_t at = findKey(header, key);
  if (at != std::string::npos) {
    // Keep the key's own spelling and the blanks around '='; only the value changes.
    Line& l = lines_[at];
    std::size_t keep = l.valueStart;
    while (keep < l.text.size() && (l.text[keep] == ' ' || l.text[keep] == '\t')) ++keep;
    l.text = l.text.substr(0, keep) + std::string(value);
    classify(l, at == 0);
    return true;
  }

  // After the section's last key, so that blank lines and comments leading into the
  // next section stay where they are.
  std::size_t insertAt = header + 1;
  for (std::size_t i = header + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i)
    if (lines_[i].kind == Kind::Key) insertAt = i + 1;
  if (lines_[insertAt - 1].eol.empty()) lines_[insertAt - 1].eol = nl;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                makeLine(std::string(key) + "=" + std::string(value)));
  return true;
}

bool IniFile::writeInt(std::string_view section, std::string_view key, int value) {
  return writeString(section, key, std::to_string(value));
}

std::string IniFile::text() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.text;
    out += l.eol;
  }
  return out;
}

bool IniFile::save(const std::string& path, std::string* error) const {
  // Never through a link, never in place: see platform/posix/safe_file.h. A file that
  // cannot be opened for writing (made read-only by the player) is not replaced.
  return writeFileSafely(path, text(), error);
}

}  // namespace ml
