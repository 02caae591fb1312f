// The game data behind the extras: which event pictures the picture gallery offers
// and the flags that mark them seen, the scenes of the recollection gallery, the
// derived recollection flags, and the music room's tracks. The rows are compiled into
// the program (extras_tables.cpp); everything else reads them only through the
// checked form below, so that moving them into a file of the game folder changes
// nothing but where the rows come from.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class Runtime;

struct GalleryPicture {
  std::string name;  // "cg\NAME.bmp", Shift-JIS
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
  static constexpr std::size_t kNameBytes = 63;  // a name field of the game state

  std::array<std::vector<GalleryEntry>, kGalleryPages> gallery;
  std::array<std::vector<RecollectionEntry>, kRecollectionPages> recollection;
  std::vector<DerivedFlagRule> derivedFlags;
  // Music file of track 1-14 ("wav\NAME.wav"); empty: no track there.
  std::array<std::string, kTracks> music;
};

// The rows as they are written down: fixed-size, NUL-ended, possibly wrong.
struct GalleryRow {
  int page;
  const char* names[ExtrasTables::kPicturesPerEntry];  // UTF-8; null or "" ends the list
  int flags[ExtrasTables::kPicturesPerEntry];
};
struct RecollectionRow {
  int page;
  int flag;
  const char* script;  // UTF-8
  int startValue;
};
struct MusicRow {
  int track;           // 1-14
  const char* file;    // UTF-8 name in "wav\"
};
struct ExtrasRows {
  std::vector<GalleryRow> gallery;
  std::vector<RecollectionRow> recollection;
  std::vector<DerivedFlagRule> derivedFlags;
  std::vector<MusicRow> music;
};

// The rows compiled into the program.
const ExtrasRows& compiledExtrasRows();

// Checks every row and keeps the sound ones: flag numbers 0-2047, names within their
// field, a page, track and entry count within the table, the picture, script or music
// file present (asked through `exists` with the game path). Each row left out is
// described in `problems` (Shift-JIS: what, then the row).
ExtrasTables checkExtrasRows(const ExtrasRows& rows, const std::function<bool(const std::string&)>& exists,
                             std::vector<std::string>& problems);

// The derived recollection flags applied to a flag table of 2048 bytes.
void applyDerivedFlags(const std::vector<DerivedFlagRule>& rules, std::uint8_t* flags);

}  // namespace ml
