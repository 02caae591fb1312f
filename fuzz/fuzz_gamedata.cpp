// The game-data reader on arbitrary bytes: whatever it keeps must be usable without a
// further check (flags inside the table, pages and tables within their sizes, names
// within their fields), and every fault it names must have a line in the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/game_content.h"
#include "media/formats/script_scramble.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}
bool flagOk(int f) { return f >= 0 && f < 2048; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // Half the names exist, so that both ways through every check are taken.
  const ml::GameFileCheck exists = [](const std::string& path) { return path.size() % 2 == 0; };
  std::vector<ml::ContentProblem> problems;
  const ml::GameContent c = ml::parseGameContent(text, exists, problems);
  // Lines are counted in the text as read: a scrambled file is unscrambled first.
  std::string plain(text);
  ml::unscrambleScript({reinterpret_cast<std::uint8_t*>(plain.data()), plain.size()});
  std::size_t lines = 1;
  for (char ch : plain) lines += ch == '\n';
  for (const ml::ContentProblem& p : problems) check(p.line >= 1 && static_cast<std::size_t>(p.line) <= lines);
  for (const auto& page : c.extras.gallery) {
    check(page.size() <= ml::ExtrasTables::kEntriesPerPage);
    for (const auto& e : page) {
      check(!e.pictures.empty() && e.pictures.size() <= ml::ExtrasTables::kPicturesPerEntry);
      for (const auto& p : e.pictures) check(flagOk(p.flag) && !p.name.empty() && p.name.size() <= 63);
    }
  }
  for (const auto& page : c.extras.recollection) {
    check(page.size() <= ml::ExtrasTables::kEntriesPerPage);
    for (const auto& e : page) check(flagOk(e.flag) && !e.script.empty() && e.script.size() <= 63);
  }
  check(c.extras.derivedFlags.size() <= ml::ExtrasTables::kDerivedRules);
  for (const auto& r : c.extras.derivedFlags) check(flagOk(r.a) && flagOk(r.b) && flagOk(r.derived));
  for (const auto& row : c.credits) check(row.duration >= 1 && row.frame >= -1 && row.text.size() <= 26 * 4 + 3);
  check(c.guideVoices.size() <= ml::GameContent::kGuideVoiceRows);
  check(c.tints.size() <= ml::GameContent::kTintRows);
  for (const auto& t : c.tints) check(t.preset >= 0 && t.preset <= 2);
  for (const auto& v : c.voices) check(v.prefix.empty() || v.prefix.size() == 3);
  std::uint8_t flags[2048] = {};
  flags[1] = 1;
  ml::applyDerivedFlags(c.extras.derivedFlags, flags);
  return 0;
}
