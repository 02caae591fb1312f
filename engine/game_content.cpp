#include "engine/game_content.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "engine/game_state.h"
#include "engine/runtime.h"
#include "engine/script_source.h"
#include "media/formats/script_scramble.h"
#include "platform/posix/file_handle.h"
#include "platform/sjis.h"
#include "platform/text_encoding.h"

namespace ml {

std::string_view builtinGameContentSource();  // generated from the demo's file

namespace {

constexpr int kMaxCreditsRows = 256;
constexpr int kMaxCreditsLines = 4;
constexpr std::size_t kMaxCreditsLineBytes = 26;  // 13 wide characters: the cover's width
constexpr int kMaxCreditsSeconds = 60;
constexpr std::size_t kMaxTextBytes = 255;
constexpr std::size_t kMaxDisplayNameBytes = 31;
constexpr std::size_t kMaxGuidePrefixBytes = 16;
constexpr int kReportedProblems = 5;

// One fault: the program's words and a short English gloss.
struct Fault {
  const char* message;
  const char* gloss;
};
constexpr Fault kMalformed{"書式が不正です", "malformed row"};
constexpr Fault kUnknownSection{"不明な見出しです", "unknown section"};
constexpr Fault kUnknownKey{"不明な項目です", "unknown setting"};
constexpr Fault kNoSection{"見出しの前に行があります", "row before any [section]"};
constexpr Fault kNotNumber{"数値が不正です", "not a number"};
constexpr Fault kValueRange{"値が範囲外です", "value out of range"};
constexpr Fault kPageRange{"ページ番号が範囲外です", "page out of range"};
constexpr Fault kFlagRange{"フラグ番号が範囲外です", "flag number out of range (0-2047)"};
constexpr Fault kTrackRange{"曲番号が範囲外です", "track out of range (1-14)"};
constexpr Fault kTrackTwice{"曲番号が重複しています", "track given twice"};
constexpr Fault kMissingFile{"ファイルが存在しない", "file not found"};
constexpr Fault kLongName{"名前が長すぎます", "name too long"};
constexpr Fault kBadName{"名前が不正です", "bad name"};
constexpr Fault kLongText{"文字が多すぎます", "text too long"};
constexpr Fault kPageFull{"ページの項目が多すぎます", "page already has 20 entries"};
constexpr Fault kTooManyRows{"行が多すぎます", "too many rows in this section"};
constexpr Fault kUnmappable{"変換できない文字があります", "character with no Shift-JIS form"};
constexpr Fault kNotEvent{"イベント絵の名前ではありません", "event picture names begin with E"};
constexpr Fault kUnkeptFlag{"システムセーブに残らないフラグです",
                            "flag not kept in the system save (use 1024-2022): locked again after a restart"};
// The flags the system save keeps from one game to the next.
constexpr int kKeptFlagFirst = 1024;
constexpr int kKeptFlagLast = 2022;

constexpr const Fault* kFaults[] = {&kMalformed, &kUnknownSection, &kUnknownKey, &kNoSection, &kNotNumber,
                                    &kValueRange, &kPageRange, &kFlagRange, &kTrackRange, &kTrackTwice,
                                    &kMissingFile, &kLongName, &kBadName, &kLongText, &kPageFull,
                                    &kTooManyRows, &kUnmappable, &kNotEvent, &kUnkeptFlag};

enum class Section { None, Unknown, Game, Credits, Gallery, Recollection, Derived, Music, Voices, GuideVoices, Tints, Mosaic };

struct SectionName {
  const char* name;
  Section section;
};
constexpr SectionName kSections[] = {
    {"game", Section::Game},       {"credits", Section::Credits},
    {"gallery", Section::Gallery}, {"recollection", Section::Recollection},
    {"derived_flags", Section::Derived}, {"music", Section::Music},
    {"voices", Section::Voices},   {"guide_voices", Section::GuideVoices},
    {"tints", Section::Tints},     {"mosaic", Section::Mosaic},
};

std::string_view trim(std::string_view s) {
  while (!s.empty() && (isBlank(static_cast<std::uint8_t>(s.front())) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (isBlank(static_cast<std::uint8_t>(s.back())) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The next blank-separated field; the rest stays in `s`. Shift-JIS second bytes are
// never blanks, so the split is safe on either encoding.
std::string_view nextField(std::string_view& s) {
  s = trim(s);
  std::size_t end = 0;
  while (end < s.size() && !isBlank(static_cast<std::uint8_t>(s[end]))) ++end;
  std::string_view field = s.substr(0, end);
  s = trim(s.substr(end));
  return field;
}

bool toInt(std::string_view s, int& out) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  const char* end = s.data() + s.size();
  auto [p, ec] = std::from_chars(s.data(), end, out);
  return !s.empty() && ec == std::errc() && p == end;
}

// "\n" is a line break and "\\" a backslash; a two-byte character is passed whole,
// since its second byte may look like a backslash.
std::string unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t k = sjis::charLength(s, i);
    if (k == 1 && s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == '\\')) {
      out += s[i + 1] == 'n' ? '\n' : '\\';
      i += 2;
      continue;
    }
    out.append(s.substr(i, k));
    i += k;
  }
  return out;
}

bool startsWithE(std::string_view name) { return !name.empty() && (name[0] == 'E' || name[0] == 'e'); }

bool isPrefixText(std::string_view s, bool lettersOnly) {
  for (char c : s) {
    const bool letter = c >= 'a' && c <= 'z';
    if (!letter && (lettersOnly || !((c >= '0' && c <= '9') || c == '_'))) return false;
  }
  return true;
}

class Parser {
 public:
  Parser(const GameFileCheck& exists, std::vector<ContentProblem>& problems) : exists_(exists), problems_(problems) {
    c_.version = SJ("ver 2.40");
    c_.title = SJ("Mirelune 体験版");
    c_.homePage = "https://orvanta.example.jp/";
    c_.homePageItem = SJ("Orvanta ホームページ(&P)...");
    c_.manual = "manual.html";
    c_.endingMusic = "wav\\bgm13.wav";
    c_.titleMarkLeft = "_MnMarkL";
    c_.titleMarkRight = "_MnMarkR";
    c_.notices = {"Copyright (C) Orvanta", "All rights reserved."};
  }

  GameContent run(std::string_view bytes) {
    std::string unscrambled;
    if (!bytes.empty() && static_cast<std::uint8_t>(bytes[0]) == kScrambledScriptMarker) {
      unscrambled.assign(bytes);
      unscrambleScript({reinterpret_cast<std::uint8_t*>(unscrambled.data()), unscrambled.size()});
      bytes = std::string_view(unscrambled).substr(1);
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    utf8_ = isUtf8(bytes);
    int number = 0;
    bool noticesGiven = false;
    for (std::size_t start = 0; start < bytes.size();) {
      std::size_t end = bytes.find('\n', start);
      if (end == std::string_view::npos) end = bytes.size();
      std::string_view raw = trim(bytes.substr(start, end - start));
      start = end + 1;
      ++number;
      if (raw.empty() || raw[0] == '#' || raw[0] == ';') continue;
      line_ = number;
      if (!toSjis(raw)) continue;
      std::string_view row = text_;
      if (row.front() == '[') {
        openSection(row);
        continue;
      }
      switch (section_) {
        case Section::None: fault(kNoSection); break;
        case Section::Unknown: break;  // said once, at its heading
        case Section::Game: gameRow(row, noticesGiven); break;
        case Section::Credits: creditsRow(row); break;
        case Section::Gallery: galleryRow(row); break;
        case Section::Recollection: recollectionRow(row); break;
        case Section::Derived: derivedRow(row); break;
        case Section::Music: musicRow(row); break;
        case Section::Voices: voiceRow(row); break;
        case Section::GuideVoices: guideRow(row); break;
        case Section::Tints: tintRow(row); break;
        case Section::Mosaic: mosaicRow(row); break;
      }
    }
    return std::move(c_);
  }

 private:
  void fault(const Fault& f, std::string detail = {}, bool warning = false) {
    problems_.push_back({line_, utf8ToSjis(f.message), f.gloss, text_, std::move(detail), warning});
  }
  // The galleries show what the system save kept; a flag outside it unlocks nothing
  // once the game is started again.
  void warnUnkept(int flag) {
    if (flag < kKeptFlagFirst || flag > kKeptFlagLast) fault(kUnkeptFlag, "F" + std::to_string(flag), true);
  }

  // The row in Shift-JIS; false (and said) when a character has no Shift-JIS form.
  bool toSjis(std::string_view raw) {
    if (!utf8_) {
      text_.assign(raw);
      return true;
    }
    text_ = utf8ToSjis(raw);
    // The converter marks what it cannot convert with "?".
    if (std::count(text_.begin(), text_.end(), '?') == std::count(raw.begin(), raw.end(), '?')) return true;
    fault(kUnmappable);
    return false;
  }

  void openSection(std::string_view row) {
    if (row.back() != ']') {
      section_ = Section::Unknown;
      fault(kMalformed);
      return;
    }
    const std::string_view name = trim(row.substr(1, row.size() - 2));
    section_ = Section::Unknown;
    for (const SectionName& s : kSections)
      if (name == s.name) section_ = s.section;
    if (section_ == Section::Unknown) fault(kUnknownSection);
  }

  bool number(std::string_view field, int& out, int low, int high, const Fault& range) {
    if (!toInt(field, out)) {
      fault(kNotNumber, std::string(field));
      return false;
    }
    if (out < low || out > high) {
      fault(range, std::string(field));
      return false;
    }
    return true;
  }
  bool flag(std::string_view field, int& out) { return number(field, out, 0, GameState::kFlagCount - 1, kFlagRange); }

  bool nameField(std::string_view name, std::size_t limit = GameContent::kNameBytes) {
    if (name.empty()) {
      fault(kMalformed);
      return false;
    }
    if (name.size() > limit) {
      fault(kLongName, std::string(name));
      return false;
    }
    return true;
  }

  bool present(const std::string& path) {
    if (!exists_ || exists_(path)) return true;
    fault(kMissingFile, path);
    return false;
  }
  // A picture the engine loads by name: a PSD or a bitmap.
  bool picturePresent(const std::string& name) {
    if (!exists_ || exists_("cg\\" + name + ".psd") || exists_("cg\\" + name + ".bmp")) return true;
    fault(kMissingFile, "cg\\" + name + ".psd");
    return false;
  }

  // A music name ("-" for none) as the path the program plays.
  bool musicName(std::string_view value, std::string& path) {
    if (value.empty() || value == "-") {
      path.clear();
      return true;
    }
    if (!nameField(value)) return false;
    std::string p = "wav\\" + std::string(value) + ".wav";
    if (!present(p)) return false;
    path = std::move(p);
    return true;
  }

  void gameRow(std::string_view row, bool& noticesGiven) {
    const std::size_t eq = row.find('=');
    if (eq == std::string_view::npos) return fault(kMalformed);
    const std::string_view key = trim(row.substr(0, eq));
    const std::string_view value = trim(row.substr(eq + 1));
    if (value.size() > kMaxTextBytes) return fault(kLongText);
    std::string* text = key == "title"          ? &c_.title
                        : key == "version"      ? &c_.version
                        : key == "homepage"     ? &c_.homePage
                        : key == "homepage_item" ? &c_.homePageItem
                        : key == "manual"       ? &c_.manual
                                                : nullptr;
    if (text != nullptr) {
      *text = value;
      return;
    }
    if (key == "notice") {
      if (!noticesGiven) c_.notices.clear();
      noticesGiven = true;
      if (static_cast<int>(c_.notices.size()) >= GameContent::kNotices) return fault(kTooManyRows);
      c_.notices.emplace_back(value);
    } else if (key == "title_music" || key == "ending_music") {
      std::string path;
      if (musicName(value, path)) (key == "title_music" ? c_.titleMusic : c_.endingMusic) = path;
    } else if (key == "title_mark_left" || key == "title_mark_right") {
      if (nameField(value) && picturePresent(std::string(value)))
        (key == "title_mark_left" ? c_.titleMarkLeft : c_.titleMarkRight) = value;
    } else {
      fault(kUnknownKey, std::string(key));
    }
  }

  void creditsRow(std::string_view row) {
    if (static_cast<int>(c_.credits.size()) >= kMaxCreditsRows) return fault(kTooManyRows);
    CreditsRow r;
    const std::string_view frame = nextField(row), picture = nextField(row), x = nextField(row),
                           y = nextField(row), seconds = nextField(row);
    if (seconds.empty()) return fault(kMalformed);
    if (!number(frame, r.frame, -1, 255, kValueRange) || !number(x, r.x, 0, 799, kValueRange) ||
        !number(y, r.y, 0, 599, kValueRange) || !number(seconds, r.duration, 1, kMaxCreditsSeconds, kValueRange))
      return;
    if (picture != "-") {
      if (!nameField(picture) || !picturePresent(std::string(picture))) return;
      r.picture = picture;
    }
    if (!row.empty() && row != "-") {
      r.text = unescape(row);
      int lines = 1;
      std::size_t lineStart = 0;
      for (std::size_t i = 0; i <= r.text.size(); ++i) {
        if (i < r.text.size() && r.text[i] != '\n') continue;
        if (i - lineStart > kMaxCreditsLineBytes) return fault(kLongText);
        if (i < r.text.size()) ++lines;
        lineStart = i + 1;
      }
      if (lines > kMaxCreditsLines) return fault(kLongText);
    }
    c_.credits.push_back(std::move(r));
  }

  void galleryRow(std::string_view row) {
    int page = 0;
    if (!number(nextField(row), page, 1, ExtrasTables::kGalleryPages, kPageRange)) return;
    auto& entries = c_.extras.gallery[static_cast<std::size_t>(page - 1)];
    if (static_cast<int>(entries.size()) >= ExtrasTables::kEntriesPerPage) return fault(kPageFull);
    GalleryEntry entry;
    while (!row.empty()) {
      const std::string_view pair = nextField(row);
      const std::size_t colon = pair.rfind(':');
      if (colon == std::string_view::npos) return fault(kMalformed, std::string(pair));
      if (static_cast<int>(entry.pictures.size()) >= ExtrasTables::kPicturesPerEntry) return fault(kTooManyRows);
      GalleryPicture p;
      const std::string_view name = pair.substr(0, colon);
      if (!nameField(name) || !flag(pair.substr(colon + 1), p.flag)) return;
      p.name = name;
      if (!present("cg\\" + p.name + ".bmp")) return;
      entry.pictures.push_back(std::move(p));
    }
    if (entry.pictures.empty()) return fault(kMalformed);
    for (const GalleryPicture& p : entry.pictures) warnUnkept(p.flag);
    entries.push_back(std::move(entry));
  }

  void recollectionRow(std::string_view row) {
    int page = 0;
    RecollectionEntry e;
    const std::string_view pageField = nextField(row), flagField = nextField(row), script = nextField(row),
                           start = nextField(row);
    if (start.empty() || !row.empty()) return fault(kMalformed);
    if (!number(pageField, page, 1, ExtrasTables::kRecollectionPages, kPageRange) || !flag(flagField, e.flag) ||
        !nameField(script))
      return;
    if (!toInt(start, e.startValue)) return fault(kNotNumber, std::string(start));
    e.script = script;
    if (!present("scr\\" + e.script + ".scr")) return;
    auto& entries = c_.extras.recollection[static_cast<std::size_t>(page - 1)];
    if (static_cast<int>(entries.size()) >= ExtrasTables::kEntriesPerPage) return fault(kPageFull);
    warnUnkept(e.flag);
    entries.push_back(std::move(e));
  }

  void derivedRow(std::string_view row) {
    DerivedFlagRule r;
    const std::string_view d = nextField(row), a = nextField(row), b = nextField(row);
    if (b.empty() || !row.empty()) return fault(kMalformed);
    if (!flag(d, r.derived) || !flag(a, r.a) || !flag(b, r.b)) return;
    if (static_cast<int>(c_.extras.derivedFlags.size()) >= ExtrasTables::kDerivedRules) return fault(kTooManyRows);
    c_.extras.derivedFlags.push_back(r);
  }

  void musicRow(std::string_view row) {
    int track = 0;
    const std::string_view t = nextField(row), name = nextField(row);
    if (name.empty() || !row.empty()) return fault(kMalformed);
    if (!number(t, track, 1, ExtrasTables::kTracks, kTrackRange)) return;
    std::string& slot = c_.extras.music[static_cast<std::size_t>(track - 1)];
    if (!slot.empty()) return fault(kTrackTwice, std::string(t));
    std::string path;
    if (name != "-" && musicName(name, path)) slot = path;
  }

  void voiceRow(std::string_view row) {
    const std::string_view prefix = nextField(row);
    if (voices_ >= GameContent::kCharacterVoiceRows) return fault(kTooManyRows);
    if (row.empty()) return fault(kMalformed);
    if (prefix.size() != 3 || !isPrefixText(prefix, true)) return fault(kBadName, std::string(prefix));
    if (row.size() > kMaxDisplayNameBytes) return fault(kLongName, std::string(row));
    c_.voices[static_cast<std::size_t>(voices_++)] = {std::string(prefix), std::string(row)};
  }

  void guideRow(std::string_view row) {
    const std::string_view prefix = nextField(row);
    if (static_cast<int>(c_.guideVoices.size()) >= GameContent::kGuideVoiceRows) return fault(kTooManyRows);
    if (row.empty()) return fault(kMalformed);
    if (prefix.empty() || prefix.size() > kMaxGuidePrefixBytes || !isPrefixText(prefix, false))
      return fault(kBadName, std::string(prefix));
    if (row.size() > kMaxDisplayNameBytes) return fault(kLongName, std::string(row));
    c_.guideVoices.push_back({std::string(row), std::string(prefix)});
  }

  void tintRow(std::string_view row) {
    BackgroundTint t;
    const std::string_view name = nextField(row), preset = nextField(row);
    if (preset.empty() || !row.empty()) return fault(kMalformed);
    if (static_cast<int>(c_.tints.size()) >= GameContent::kTintRows) return fault(kTooManyRows);
    if (!nameField(name) || !number(preset, t.preset, 0, 2, kValueRange) || !picturePresent(std::string(name)))
      return;
    t.name = name;
    c_.tints.push_back(std::move(t));
  }

  void mosaicRow(std::string_view row) {
    const std::string_view name = nextField(row);
    if (!row.empty()) return fault(kMalformed);
    if (!nameField(name)) return;
    if (!startsWithE(name)) return fault(kNotEvent, std::string(name));
    if (!picturePresent(std::string(name))) return;
    c_.mosaicPictures.emplace_back(name);
  }

  const GameFileCheck& exists_;
  std::vector<ContentProblem>& problems_;
  GameContent c_;
  Section section_ = Section::None;
  bool utf8_ = true;
  int line_ = 0;
  int voices_ = 0;
  std::string text_;  // the row being read, Shift-JIS
};

}  // namespace

GameContent parseGameContent(std::string_view bytes, const GameFileCheck& exists,
                             std::vector<ContentProblem>& problems) {
  return Parser(exists, problems).run(bytes);
}

std::string_view builtinGameContentText() { return builtinGameContentSource(); }

GameContent builtinGameContent(const GameFileCheck& exists) {
  std::vector<ContentProblem> ignored;
  return parseGameContent(builtinGameContentSource(), exists, ignored);
}

bool gameHasFile(Runtime& rt, std::string_view path) {
  FileHandle file;
  if (rt.media.folder.open(path, file)) return true;
  DataArchive* archive = nullptr;
  if (sjis::endsWithFolded(path, ".scr") || sjis::endsWithFolded(path, ".txt"))
    archive = &rt.media.scriptArchive;
  else if (sjis::endsWithFolded(path, ".wav"))
    archive = &rt.media.soundArchive;
  else if (sjis::endsWithFolded(path, ".bmp") || sjis::endsWithFolded(path, ".psd"))
    archive = &rt.media.pictureArchive;
  return archive != nullptr && archiveHas(*archive, path);
}

ContentFile readGameContentFile(Runtime& rt, std::string& bytes) {
  // Far more than any table needs: a larger file is taken for a wrong one.
  constexpr std::int64_t kMaxBytes = std::int64_t{1} << 24;
  bytes.clear();
  FileHandle file;
  if (rt.media.folder.open(kGameContentPath, file)) {
    const std::int64_t size = file.size();
    if (size < 0 || size > kMaxBytes) return ContentFile::Unreadable;
    bytes.resize(static_cast<std::size_t>(size));
    const std::size_t got = file.read(bytes.data(), bytes.size());
    return got == bytes.size() ? ContentFile::Read : ContentFile::Unreadable;
  }
  ArchivedScript archived = readFromScriptArchive(rt.media.scriptArchive, kGameContentPath);
  if (!archived.found) return ContentFile::Missing;
  if (archived.outOfMemory || archived.entrySize > kMaxBytes ||
      static_cast<std::int64_t>(archived.bytes.size()) != archived.entrySize)
    return ContentFile::Unreadable;
  bytes.assign(archived.bytes.begin(), archived.bytes.end());
  return ContentFile::Read;
}

void loadGameContent(Runtime& rt) {
  const GameFileCheck exists = [&rt](const std::string& path) { return gameHasFile(rt, path); };
  std::string bytes;
  const ContentFile file = readGameContentFile(rt, bytes);
  if (file != ContentFile::Read) {
    // A file that is there but cannot be read is said; the game still plays.
    if (file == ContentFile::Unreadable) rt.reporter.scriptError(SJ("読み込みできません"), "", kGameContentPath, 0, "");
    rt.media.content = builtinGameContent(exists);
    return;
  }
  std::vector<ContentProblem> problems;
  rt.media.content = parseGameContent(bytes, exists, problems);
  // Warnings are for the author's checker; the player hears of faults only.
  std::erase_if(problems, [](const ContentProblem& p) { return p.warning; });
  const int shown = std::min<int>(static_cast<int>(problems.size()), kReportedProblems);
  for (int i = 0; i < shown; ++i) {
    const ContentProblem& p = problems[static_cast<std::size_t>(i)];
    rt.reporter.scriptError(p.message, p.detail, kGameContentPath, p.line, p.text);
  }
  if (static_cast<int>(problems.size()) > shown) {
    std::string more = SJ("ほかに誤りが ") + std::to_string(problems.size() - static_cast<std::size_t>(shown)) +
                       SJ(" 件あります");
    rt.reporter.scriptError(more, "", kGameContentPath, problems[static_cast<std::size_t>(shown)].line, "");
  }
}

const char* gameContentGloss(std::string_view utf8Message) {
  for (const Fault* f : kFaults)
    if (utf8Message == f->message) return f->gloss;
  return nullptr;
}

int backgroundTintPreset(const GameContent& content, std::string_view backgroundName) {
  for (const BackgroundTint& row : content.tints)
    if (backgroundName == row.name) return row.preset;
  return -1;
}

void applyDerivedFlags(const std::vector<DerivedFlagRule>& rules, std::uint8_t* flags) {
  for (const DerivedFlagRule& r : rules) {
    const auto inRange = [](int f) { return f >= 0 && f < GameState::kFlagCount; };
    if (!inRange(r.a) || !inRange(r.b) || !inRange(r.derived)) continue;
    if (flags[r.a] != 0 || flags[r.b] != 0) flags[r.derived] = 1;
  }
}

}  // namespace ml
