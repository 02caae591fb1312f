// What makes a game folder one particular game beyond its scripts and pictures: its
// window title and notices, the credits of its ending, the tables of its extras, its
// speakers' voices, the light of its backgrounds. It is read from one text file of the
// game ("scr\gamedata.txt", loose or in the script archive; docs/gamedata.md); a game
// without that file gets the demo's content, built in.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class Runtime;

// All names and texts below are Shift-JIS. An empty picture or text means none.
struct CreditsRow {
  int frame = -1;        // frame of the picture to show; -1 lets it animate
  std::string picture;   // shown as sprite 1
  std::string text;      // the credit text, lines broken by '\n'
  int x = 0, y = 0;      // where the text stands
  int duration = 0;      // seconds
};

struct GalleryPicture {
  std::string name;  // "cg\NAME.bmp"
  int flag = 0;      // seen when this story flag is set
};
struct GalleryEntry {
  std::vector<GalleryPicture> pictures;  // 1-5
};
struct RecollectionEntry {
  int flag = 0;        // unlocked when this story flag is set
  std::string script;  // "scr\NAME.scr"
  int startValue = 0;
};
// Flag `derived` is set when flag `a` or flag `b` is set.
struct DerivedFlagRule {
  int a = 0, b = 0, derived = 0;
};

struct ExtrasTables {
  static constexpr int kGalleryPages = 6;
  static constexpr int kRecollectionPages = 2;
  static constexpr int kEntriesPerPage = 20;
  static constexpr int kPicturesPerEntry = 5;
  static constexpr int kTracks = 14;
  static constexpr int kDerivedRules = 7;

  std::array<std::vector<GalleryEntry>, kGalleryPages> gallery;
  std::array<std::vector<RecollectionEntry>, kRecollectionPages> recollection;
  std::vector<DerivedFlagRule> derivedFlags;
  // Music file of track 1-14 ("wav\NAME.wav"); empty: no track there.
  std::array<std::string, kTracks> music;
};

// A speaker: the voice files' three-letter prefix and the name the option dialog shows.
// Its switch and volume are the settings CharaVoice/n and CharaVolume/n of its row.
struct CharacterVoice {
  std::string prefix;
  std::string displayName;
};
// A row of the guide voices: entry m of the row is "wav\<prefix>_<mm>.wav".
struct GuideVoiceRow {
  std::string displayName;
  std::string filePrefix;
};
// A background and the tint preset (0-2) it is lit by.
struct BackgroundTint {
  std::string name;
  int preset = 0;
};

struct GameContent {
  static constexpr int kCharacterVoiceRows = 10;
  static constexpr int kGuideVoiceRows = 6;  // the option screen offers six
  static constexpr int kTintRows = 256;
  static constexpr int kNotices = 2;
  static constexpr std::size_t kNameBytes = 63;  // a name field of the game state

  std::string title;         // the window's title
  std::string version;       // caption of the program's boxes, second line of its About box
  std::vector<std::string> notices;  // the maker's lines in the About box
  std::string homePage;      // address the home-page item opens
  std::string homePageItem;  // that item's menu text
  std::string manual;        // file of the game folder the manual item opens
  std::string titleMusic;    // "wav\NAME.wav" or empty: the title menu plays none
  std::string endingMusic;   // "wav\NAME.wav" or empty
  std::string titleMarkLeft, titleMarkRight;  // pictures beside the hovered title button

  std::vector<CreditsRow> credits;
  ExtrasTables extras;
  std::array<CharacterVoice, kCharacterVoiceRows> voices;
  std::vector<GuideVoiceRow> guideVoices;
  std::vector<BackgroundTint> tints;
  std::vector<std::string> mosaicPictures;  // event pictures whose thumbnails are mosaicked
};

// A row that was left out, and why.
struct ContentProblem {
  int line = 0;
  std::string message;  // Shift-JIS, the program's own words
  std::string gloss;    // the same in short English, for authors' tools
  std::string text;     // the row as written (Shift-JIS)
  std::string detail;   // the field or file at fault, if one
  // Kept all the same, but likely not what the author meant (for the checker only).
  bool warning = false;
};

inline constexpr std::string_view kGameContentPath = "scr\\gamedata.txt";

// Whether the game has a file (a game path such as "cg\ev01.bmp").
using GameFileCheck = std::function<bool(const std::string& path)>;

// Reads a game-data file: UTF-8 (a byte-order mark is allowed), or Shift-JIS when the
// bytes are not UTF-8; scrambled like a script when its first byte is "X". Every row is
// checked before it is kept; a faulty row is left out and described in `problems`.
GameContent parseGameContent(std::string_view bytes, const GameFileCheck& exists,
                             std::vector<ContentProblem>& problems);

// The content of a game without the file: the demo's, with the rows that name files
// this game lacks left out without a word.
GameContent builtinGameContent(const GameFileCheck& exists);
// That content as a game-data file (what the demo ships).
std::string_view builtinGameContentText();

// The game's file as the program finds it (a loose file first, then the script
// archive).
enum class ContentFile { Missing, Read, Unreadable };
ContentFile readGameContentFile(Runtime& rt, std::string& bytes);

// Reads the game's content into rt.media's place for it and reports the file's faulty
// rows (file and line, a few at most, then how many more).
void loadGameContent(Runtime& rt);

// Whether the game has a file, loose or in the archive its kind lives in.
bool gameHasFile(Runtime& rt, std::string_view path);

// The tint preset a background selects, or -1 when the table does not list it (names
// match exactly).
int backgroundTintPreset(const GameContent& content, std::string_view backgroundName);

// The English gloss of a fault this reader names (message in UTF-8); null for others.
const char* gameContentGloss(std::string_view utf8Message);

// The derived recollection flags applied to a flag table of 2048 bytes.
void applyDerivedFlags(const std::vector<DerivedFlagRule>& rules, std::uint8_t* flags);

}  // namespace ml
