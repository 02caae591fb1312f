#include "engine/unread_search.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>

#include "engine/runtime.h"
#include "engine/script_source.h"
#include "media/formats/read_status.h"
#include "media/formats/script_scramble.h"
#include "platform/posix/file_handle.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {
namespace {

constexpr std::size_t kTextLinesShown = 3;
// No script of a game comes near this; a larger one is left out of the search.
constexpr std::int64_t kMaxScriptBytes = std::int64_t(64) << 20;


bool readLoose(const GameFolder& folder, const std::string& path, std::vector<std::uint8_t>& bytes) {
  FileHandle file;
  if (!folder.open(path, file)) return false;
  const std::int64_t size = file.size();
  return size > 0 && size <= kMaxScriptBytes && file.readAll(bytes);
}

// The next text lines after the line holding offset: lines whose first character
// (after blanks) is a double-byte one, without their line end.
std::vector<std::string> textLinesAfter(const std::vector<std::uint8_t>& text, std::size_t offset) {
  std::vector<std::string> lines;
  std::size_t i = offset;
  while (i < text.size() && text[i] != '\n') ++i;
  while (i < text.size() && lines.size() < kTextLinesShown) {
    const std::size_t start = ++i;
    while (i < text.size() && text[i] != '\n') ++i;
    std::size_t end = i;
    if (end > start && text[end - 1] == '\r') --end;
    std::size_t first = start;
    while (first < end && isBlank(text[first])) ++first;
    if (first < end && sjis::isLead(text[first]))
      lines.emplace_back(reinterpret_cast<const char*>(text.data()) + start, end - start);
  }
  return lines;
}

}  // namespace

std::vector<std::string> findUnreadIn(Runtime& rt, const std::string& path, std::vector<std::uint8_t> text) {
  unscrambleScript(text);
  const ReadStatusStore& store = rt.media.readStatus;
  const std::size_t n = text.size();
  // Voice commands are counted as the script reader counts them when it loads the
  // script, so the ordinal is right also for scripts not opened in this run.
  int ordinal = 0;
  std::size_t i = 1;
  while (i < n && ordinal < ReadStatusStore::kMaxOrdinals) {
    const std::uint8_t b = text[i];
    if (sjis::isLead(b)) {
      i += 2;
    } else if (b == ';') {
      while (i < n && text[i] != '\n') ++i;
    } else if (b == 'v' && i + 2 < n && text[i + 1] == 'o' && isBlank(text[i + 2]) &&
               (isBlank(text[i - 1]) || text[i - 1] == '\r' || text[i - 1] == '\n')) {
      if (!store.wasRead(path, ordinal)) {
        char where[64];
        std::snprintf(where, sizeof where, " 0x%zX (%zu) ", i, i);
        std::vector<std::string> memo = {SJ("ここが未読です"), path + where + SJ("バイト")};
        for (std::string& line : textLinesAfter(text, i)) memo.push_back(std::move(line));
        return memo;
      }
      ++ordinal;
      i += 3;
    } else {
      ++i;
    }
  }
  return {};
}

std::vector<std::string> findFirstUnread(Runtime& rt) {
  std::vector<std::string> memo;
  std::vector<std::string> loose = rt.media.folder.listFiles("scr", ".scr");
  if (!loose.empty()) {
    for (const std::string& name : loose) {
      const std::string path = "scr\\" + name;
      std::vector<std::uint8_t> bytes;
      if (readLoose(rt.media.folder, path, bytes)) memo = findUnreadIn(rt, path, std::move(bytes));
      if (!memo.empty()) return memo;
    }
  } else {
    DataArchive& archive = rt.media.scriptArchive;
    for (int e = 0; e < archive.entryCount(); ++e) {
      const std::optional<std::string> name = archive.entryName(e);
      if (!name || !sjis::endsWithFolded(*name, ".scr")) continue;
      // Read by name, as the game loads it: an override archive's copy wins.
      const std::string path = "scr\\" + *name;
      ArchivedScript script = readFromScriptArchive(archive, path);
      if (!script.found || script.outOfMemory || script.bytes.empty()) continue;
      memo = findUnreadIn(rt, path, std::move(script.bytes));
      if (!memo.empty()) return memo;
    }
  }
  return {SJ("未読は見つかりませんでした")};
}

}  // namespace ml
