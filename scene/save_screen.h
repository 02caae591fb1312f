// The save/load screen: six pages of ten slots with thumbnails and comments, drawn in
// layer slots 190-259 over the hidden scene.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/rect.h"

namespace ml {

class Runtime;
class ScriptContext;

inline constexpr int kSaveEntriesPerPage = 10;
inline constexpr int kSavePages = 6;

// Layer slots of the screen.
inline constexpr int kSaveBackSlot = 190;
inline constexpr int kSaveHighlightSlot = 191;
inline constexpr int kSaveCommentSlot = 192;
inline constexpr int kSavePageSlot = 193;
inline constexpr int kSaveDateSlot = 200;       // + entry
inline constexpr int kSaveThumbnailSlot = 210;  // + entry
inline constexpr int kSaveReturnSlot = 240;     // the game's own return button
inline constexpr int kSavePrevSlot = 241;
inline constexpr int kSaveNextSlot = 242;
inline constexpr int kSaveBigOnSlot = 243;
inline constexpr int kSaveBigOffSlot = 244;
inline constexpr int kSaveEraseOffSlot = 245;
inline constexpr int kSaveEraseOnSlot = 246;
inline constexpr int kSaveButtonFirstSlot = 240;
inline constexpr int kSaveButtonLastSlot = 254;

// Hover items: entries 0-9, their thumbnails 10-19, buttons 20-34 (slot 240 + item - 20).
inline constexpr int kItemNone = -1;
inline constexpr int kItemThumbnailFirst = 10;
inline constexpr int kItemButtonFirst = 20;
inline constexpr int kItemReturn = 20;
inline constexpr int kItemPrevPage = 21;
inline constexpr int kItemNextPage = 22;
inline constexpr int kItemBigOn = 23;
inline constexpr int kItemBigOff = 24;
inline constexpr int kItemEraseOff = 25;
inline constexpr int kItemEraseOn = 26;

// Save slot number of entry i on page p (1-60).
constexpr int saveSlotNumber(int page, int entry) { return page * kSaveEntriesPerPage + entry + 1; }
// The entry's area (221 x 46) and its thumbnail's (120 x 90).
Rect saveEntryRect(int entry);
Rect saveThumbnailRect(int entry);

// "Save%03ds.bmp" (small), "Save%03db.bmp" (large); the save's own name is saveFileName.
std::string smallThumbnailName(int slot);
std::string largeThumbnailName(int slot);

// Page after turning by delta (-1 or +1), wrapping between 0 and 5.
constexpr int turnSavePage(int page, int delta) {
  return ((page + delta) % kSavePages + kSavePages) % kSavePages;
}
// The entry the arrow keys move to from `hovered` (any item; none or a button starts
// at entry 0): the move is made only when it stays within 0-9.
int moveSaveEntry(int hovered, int delta);

// What the screen knows of one entry of the shown page.
struct SaveEntry {
  bool empty = true;
  std::string comment;  // Shift-JIS, at most 144 bytes
};

struct SaveScreenPage {
  bool loadMode = false;
  int page = 0;
  bool eraseMode = false;
  std::array<SaveEntry, kSaveEntriesPerPage> entries;
  // Buttons of slots 240-254: 0 normal, 1 pointed at, 2 selected (does not react).
  std::array<int, kSaveButtonLastSlot - kSaveButtonFirstSlot + 1> buttonState{};
};

// The visibility of the scene's slots 0-189 while the screen covers them.
using SceneVisibility = std::array<bool, 190>;
SceneVisibility hideSceneSlots(Runtime& rt);
void restoreSceneSlots(Runtime& rt, const SceneVisibility& visible);

// The comment a save proposes: the speaker's name and the page text with every
// single-byte character dropped and the name placeholders replaced, cut to 56 bytes on
// a character boundary (Shift-JIS).
std::string proposedSaveComment(const ScriptContext& sc);

// Draws the page into its slots and fills the entries from the files of the player's
// folder.
void drawSaveLoadPage(Runtime& rt, SaveScreenPage& screen);
// Redraws one entry (date and thumbnail) from its files.
void drawSaveEntry(Runtime& rt, SaveScreenPage& screen, int entry);
// Draws the scene as it was before the screen hid it (without the backlog's slots) and
// writes the slot's large and small thumbnails into the player's folder; the scene is
// hidden again afterwards. False (reported) when one could not be written.
bool makeThumbnails(Runtime& rt, int slot, const SceneVisibility& sceneVisible);

// The hover item under the pointer (kItemNone when nothing): an entry, else its
// thumbnail, else a button that is shown and not selected.
int saveItemAt(Runtime& rt, const SaveScreenPage& screen, int x, int y);

// The screen's loop; true when a game was loaded.
bool runSaveScreen(Runtime& rt, ScriptContext& sc, bool loadMode);


}  // namespace ml
