#include "scene/extras_tables.h"

#include <cstdint>
#include <cstring>

#include "engine/game_state.h"
#include "platform/text_encoding.h"

namespace ml {

const ExtrasRows& compiledExtrasRows() {
  // The demo game's extras: its event pictures (flags given by def_cg in open.scr),
  // the memory scene, and the fourteen pieces of its music.
  static const ExtrasRows rows = [] {
    ExtrasRows r;
    // The two pictures of an event share an entry.
    r.gallery.push_back({0, {"ev01a", "ev01b"}, {1030, 1031}});
    r.gallery.push_back({0, {"ev02a", "ev02b"}, {1032, 1033}});
    r.gallery.push_back({0, {"ev03a", "ev03b"}, {1034, 1035}});
    const char* single[] = {"ev04", "ev05", "ev06", "ev07"};
    for (int i = 0; i < 4; ++i) r.gallery.push_back({0, {single[i]}, {1036 + i}});
    r.recollection.push_back({0, 1040, "omoide", 0});
    // The memory counts as seen once the story was read to the end.
    r.derivedFlags.push_back({1100, 1040, 1040});
    static const char* tracks[] = {"bgm01", "bgm02", "bgm03", "bgm04", "bgm05", "bgm06", "bgm07",
                                   "bgm08", "bgm09", "bgm10", "bgm11", "bgm12", "bgm13", "bgm14"};
    for (int t = 0; t < 14; ++t) r.music.push_back({t + 1, tracks[t]});
    return r;
  }();
  return rows;
}

namespace {

bool flagInRange(int flag) { return flag >= 0 && flag < GameState::kFlagCount; }

std::string describe(std::string_view whatUtf8, const std::string& row) {
  std::string out = utf8ToSjis(whatUtf8);
  out += ": ";
  out += row;
  return out;
}

// "what n name", put together piece by piece.
std::string rowName(const char* what, int number, const char* name) {
  std::string out = what;
  out += ' ';
  out += std::to_string(number);
  out += ' ';
  out += name ? name : "-";
  return out;
}

// A name given as UTF-8 text (null counts as empty), in Shift-JIS; false when too long.
bool nameOf(const char* utf8, std::string& sjis) {
  sjis = utf8 ? utf8ToSjis(utf8) : std::string();
  return sjis.size() <= ExtrasTables::kNameBytes;
}

}  // namespace

ExtrasTables checkExtrasRows(const ExtrasRows& rows, const std::function<bool(const std::string&)>& exists,
                             std::vector<std::string>& problems) {
  ExtrasTables t;
  for (const GalleryRow& row : rows.gallery) {
    const std::string where = rowName("gallery page", row.page + 1, row.names[0]);
    if (row.page < 0 || row.page >= ExtrasTables::kGalleryPages) {
      problems.push_back(describe("ページ番号が範囲外です", where));
      continue;
    }
    if (t.gallery[static_cast<std::size_t>(row.page)].size() >= ExtrasTables::kEntriesPerPage) {
      problems.push_back(describe("ページの項目が多すぎます", where));
      continue;
    }
    GalleryEntry entry;
    bool sound = true;
    for (int k = 0; k < ExtrasTables::kPicturesPerEntry && sound; ++k) {
      GalleryPicture p;
      if (!nameOf(row.names[k], p.name)) {
        problems.push_back(describe("名前が長すぎます", where));
        sound = false;
        break;
      }
      if (p.name.empty()) break;  // the first empty name ends the entry
      p.flag = row.flags[k];
      if (!flagInRange(p.flag)) {
        problems.push_back(describe("フラグ番号が範囲外です", where + " F" + std::to_string(p.flag)));
        sound = false;
      } else if (!exists("cg\\" + p.name + ".bmp")) {
        problems.push_back(describe("ファイルが存在しない", "cg\\" + p.name + ".bmp"));
        sound = false;
      }
      entry.pictures.push_back(std::move(p));
    }
    if (!sound || entry.pictures.empty()) {
      if (sound) problems.push_back(describe("絵がありません", where));
      continue;
    }
    t.gallery[static_cast<std::size_t>(row.page)].push_back(std::move(entry));
  }

  for (const RecollectionRow& row : rows.recollection) {
    const std::string where = rowName("scene page", row.page + 1, row.script);
    RecollectionEntry e;
    e.flag = row.flag;
    e.startValue = row.startValue;
    if (row.page < 0 || row.page >= ExtrasTables::kRecollectionPages) {
      problems.push_back(describe("ページ番号が範囲外です", where));
    } else if (t.recollection[static_cast<std::size_t>(row.page)].size() >= ExtrasTables::kEntriesPerPage) {
      problems.push_back(describe("ページの項目が多すぎます", where));
    } else if (!nameOf(row.script, e.script) || e.script.empty()) {
      problems.push_back(describe("名前が不正です", where));
    } else if (!flagInRange(e.flag)) {
      problems.push_back(describe("フラグ番号が範囲外です", where + " F" + std::to_string(e.flag)));
    } else if (!exists("scr\\" + e.script + ".scr")) {
      problems.push_back(describe("ファイルが存在しない", "scr\\" + e.script + ".scr"));
    } else {
      t.recollection[static_cast<std::size_t>(row.page)].push_back(std::move(e));
    }
  }

  for (const DerivedFlagRule& rule : rows.derivedFlags) {
    std::string where = "F";
    where += std::to_string(rule.derived);
    where += " <- F";
    where += std::to_string(rule.a);
    where += " | F";
    where += std::to_string(rule.b);
    if (static_cast<int>(t.derivedFlags.size()) >= ExtrasTables::kDerivedRules)
      problems.push_back(describe("規則が多すぎます", where));
    else if (!flagInRange(rule.a) || !flagInRange(rule.b) || !flagInRange(rule.derived))
      problems.push_back(describe("フラグ番号が範囲外です", where));
    else
      t.derivedFlags.push_back(rule);
  }

  for (const MusicRow& row : rows.music) {
    const std::string where = rowName("track", row.track, row.file);
    std::string name;
    if (row.track < 1 || row.track > ExtrasTables::kTracks) {
      problems.push_back(describe("曲番号が範囲外です", where));
    } else if (!nameOf(row.file, name) || name.empty()) {
      problems.push_back(describe("名前が不正です", where));
    } else if (!exists("wav\\" + name + ".wav")) {
      problems.push_back(describe("ファイルが存在しない", "wav\\" + name + ".wav"));
    } else {
      t.music[static_cast<std::size_t>(row.track - 1)] = "wav\\" + name + ".wav";
    }
  }
  return t;
}

void applyDerivedFlags(const std::vector<DerivedFlagRule>& rules, std::uint8_t* flags) {
  for (const DerivedFlagRule& r : rules) {
    if (!flagInRange(r.a) || !flagInRange(r.b) || !flagInRange(r.derived)) continue;
    if (flags[r.a] != 0 || flags[r.b] != 0) flags[r.derived] = 1;
  }
}

}  // namespace ml
