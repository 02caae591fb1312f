// The message window on screen: its board, picture and frame, the name plate with the
// speaker's name, the page text, the key-wait icon and the button bar, and hiding and
// showing all of it. The geometry lives in the game state so that a loaded game
// rebuilds the same window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "media/gfx/layer_slots.h"

namespace ml {

class Runtime;
class ScriptContext;
struct GameState;
struct ScenePart;
class LayerTable;

// Window buttons.
inline constexpr int kButtonLog = 1;
inline constexpr int kButtonLoad = 2;
inline constexpr int kButtonSave = 3;
inline constexpr int kButtonPrevChoice = 4;
inline constexpr int kButtonNextChoice = 5;
inline constexpr int kButtonSkip = 6;
inline constexpr int kButtonAuto = 7;
inline constexpr int kButtonOption = 8;
inline constexpr int kButtonHide = 9;

// Text colours (system colour values 0x00BBGGRR).
inline constexpr std::uint32_t kWhiteText = 0xFFFFFF;
constexpr std::uint32_t greyText(int level) {
  const std::uint32_t v = static_cast<std::uint32_t>(level < 0 ? 0 : level > 255 ? 255 : level);
  return v | v << 8 | v << 16;
}

// Key-wait icon position with Message/RetPosi 1.
inline constexpr int kFixedKeyWaitX = 718;
inline constexpr int kFixedKeyWaitY = 546;

// The ten numbers of the window command, in argument order.
struct WindowGeometry {
  std::int32_t x = 0, y = 0;
  std::int32_t a = 0, b = 0;  // recorded, not used
  std::int32_t textX = 0, textY = 0;
  std::int32_t columns = 0, rows = 0;
  std::int32_t pictureX = 0, pictureY = 0;
};

// Pixel size of page text for the text size code the game state keeps (F2044):
// 1 -> 36, 3 -> 48, 5 -> 60, 8 -> 72, anything else 24.
int pageTextSize(int storedCode);

// --- the window command --------------------------------------------------------------
// Kind 0: records the geometry, makes a new page buffer, loads the frame, the picture
// and its board, and makes the window active. A missing picture is reported; the
// window is then active without a picture.
void defineMessageWindow(ScriptContext& sc, const WindowGeometry& g, std::string_view picture);
// Kind 2: records the plate's geometry and picture ("NULL": none); the speaker name is
// given up so that its buffer follows the new rows.
void defineNamePlate(ScriptContext& sc, const WindowGeometry& g, std::string_view picture);
// After a saved game was loaded: the window picture again, no page text, the text
// size of the loaded game, the window active (or hidden, as the game recorded).
void reloadMessageWindow(ScriptContext& sc);

// --- the speaker name ------------------------------------------------------------------
// msg2: the name for the next page, cut to what the name buffer holds (rows x 20 + 1
// bytes of text, at most 63).
void setSpeakerName(ScriptContext& sc, std::string_view name);
// Draws the name (when one is set) centred on the plate, and the plate's picture,
// frame and board.
void showSpeakerName(ScriptContext& sc, std::uint32_t colour);
// Gives up the name and empties the plate slots.
void closeSpeakerName(ScriptContext& sc);

// --- the page ----------------------------------------------------------------------------
// The page text into its slot: large message font, the size of the stored code, the
// window's columns and rows, at the window position plus the text offset.
void showPageText(ScriptContext& sc, std::uint32_t colour);
// Characters the page text shows when fully revealed.
int pageCharacterCount(ScriptContext& sc);
// Where the key-wait icon goes with RetPosi 0: just after the last character.
void pageTextEnd(ScriptContext& sc, int& x, int& y);

// The key-wait icon: loaded hidden, animated back and forth.
void loadKeyWaitIcon(Runtime& rt);
// Places the icon (after the text, or at the fixed point) and shows it.
void placeKeyWaitIcon(ScriptContext& sc);

// --- the button bar ------------------------------------------------------------------------
void showWindowButtons(ScriptContext& sc);
void removeWindowButtons(LayerTable& layers);
// -1 disabled, 0 normal, 1 under the pointer, 2 selected; the button's frame shows it.
void setButtonState(ScenePart& scene, int button, int state);
int buttonState(const ScenePart& scene, int button);
// Window/Window, Window/Board and Window/Icon off hide their slots.
void applyWindowSettings(Runtime& rt);

// --- hiding ------------------------------------------------------------------------------
// Remembers the visibility of slots 30-79, hides them, makes the window inactive.
void hideWindow(Runtime& rt);
// Gives slots 30-79 their remembered visibility and makes the window active.
void restoreWindow(Runtime& rt);
// window_off / window_on: the same, recorded in the game state.
void windowOff(ScriptContext& sc);
void windowOn(ScriptContext& sc);

// --- fonts -------------------------------------------------------------------------------
// The three message fonts for the current face, style and text size (built when
// missing or when the text size changed behind the font's back).
void ensureMessageFonts(Runtime& rt, const GameState& st);
// moji: stores code - 1 and resizes the large font at once.
void setTextSizeCode(ScriptContext& sc, int code);
// Back to code 1 (24 pixels), as after a return to the title.
void resetTextSize(Runtime& rt);
// A new face or style from the menus: rebuilt fonts handed to the text and name slots.
void applyMessageFontChange(Runtime& rt);

}  // namespace ml
