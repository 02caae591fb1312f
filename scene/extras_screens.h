// The three extras screens and what they share. Each answers an exit code: 1 picture
// gallery, 3 recollection gallery, 4 music room, 5 back to the title menu, 0 for any
// other end (the same screen is shown again).
#pragma once

#include "engine/game_content.h"

namespace ml {

class Runtime;
class ScriptContext;

inline constexpr int kToGallery = 1;
inline constexpr int kToRecollection = 3;
inline constexpr int kToMusicRoom = 4;
inline constexpr int kToTitle = 5;

// Slots of the extras.
inline constexpr int kExtrasBackSlot = 130;
inline constexpr int kBtCgSlot = 131;
inline constexpr int kBtKsSlot = 133;
inline constexpr int kBtMuSlot = 134;
inline constexpr int kBtRetSlot = 135;
inline constexpr int kBtStopSlot = 136;
inline constexpr int kSheetSlot = 139;        // the thumbnail sheet while thumbnails are cut
inline constexpr int kPageButtonSlot = 140;   // 140 + page
inline constexpr int kThumbnailSlot = 150;    // 150 + entry; also the music room's tracks
inline constexpr int kArrowSlot = 170;        // up, down, left, right
inline constexpr int kDigitSlot = 177;        // three digits of the percentage
inline constexpr int kCountSlot = 190;        // 190 + entry: "seen/total"

int runPictureGallery(ScriptContext& sc, const ExtrasTables& tables, int& page);
int runRecollectionGallery(ScriptContext& sc, const ExtrasTables& tables, int& page);
int runMusicRoom(ScriptContext& sc, const ExtrasTables& tables);

// What the galleries count, for the screens and their tests.
struct GalleryCount {
  int seen = 0, total = 0;
};
GalleryCount countSeen(const GalleryEntry& entry, const std::uint8_t* flags);
// Percent of seen pictures over all pages (0 when there are none).
int galleryPercent(const ExtrasTables& tables, const std::uint8_t* flags);
// Percent of unlocked scenes over both pages.
int recollectionPercent(const ExtrasTables& tables, const std::uint8_t* flags);
// The digit frames of a percentage as "%3d" places it: -1 for a blank place.
void percentDigits(int percent, int digits[3]);

// The title music again, as the title menu plays it (a fade-out while the game names
// none).
void restoreTitleMusic(Runtime& rt);

}  // namespace ml
