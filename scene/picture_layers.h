// The picture layers of the story: loading pictures into the background and sprite
// slots, recording in the game state what a saved game must rebuild, and the common
// placement routine every picture command goes through.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ml {

class Runtime;
class ScriptContext;
class Sprite;
struct GameState;
class FontLibrary;

// --- the scene record of the game state ---------------------------------------------
// Picture names are kept without directory or extension, cut to 63 bytes.
void recordName(GameState& state, int sceneSlot, std::string_view name);
void clearRecordedName(GameState& state, int sceneSlot);
std::string recordedName(const GameState& state, int sceneSlot);
// Name, position and levels of a freshly placed picture.
void recordPlacement(GameState& state, int sceneSlot, std::string_view name, int x, int y);

// --- pictures ---------------------------------------------------------------------
// Finds "cg\<name>.bmp", else "cg\<name>.psd", and loads it into the sprite. A missing
// picture becomes a placeholder when MakePlaceholderPictures is on; otherwise it is
// reported as "ファイルが存在しない" (unless quiet) and the sprite is left empty. False
// when the sprite holds no picture afterwards.
bool loadScenePicture(ScriptContext& sc, Sprite& sprite, std::string_view name, bool quiet = false);

// The stand-in for a missing picture: 800x600 grey with the name written on it.
bool makePlaceholderPicture(FontLibrary& fonts, Sprite& sprite, std::string_view name);

// Puts a picture into a layer slot at (x, y) with a transition, recording it in the
// scene slot the layer belongs to. An empty name removes the picture. The cross-fade
// of the background takes sprites 1-3 along. False only when the program is closing.
bool placePicture(ScriptContext& sc, int slot, std::string_view name, std::string_view transition,
                  int x, int y);

// The sprite colour of the game state (HSV shift, then tint) applied to every frame
// of a sprite slot's picture.
void applySpriteColour(ScriptContext& sc, int slot);

// The outgoing half of FADE_IN (fade the old scene to black and remove it) and of
// MOSAIC_IN (mosaic the old background); other transitions need none.
bool preFade(ScriptContext& sc, bool withBackground, std::string_view transition);

// New pictures for sprites 1-3 at once. A sprite without a change is left alone; a
// change with an empty name fades the sprite out.
struct SpriteChange {
  std::string name;
  int x = 0;
};
using SpriteChanges = std::array<std::optional<SpriteChange>, 3>;
bool crossFadeSprites(ScriptContext& sc, const SpriteChanges& changes);

// Rebuilds the five scene layers from a recorded state after a fast-forward: each
// named picture at its recorded x and y 0, sprites 1-3 with the sprite colour. Missing
// pictures are not reported.
void restoreSceneLayers(ScriptContext& sc, const GameState& recorded);

// Rebuilds the five scene layers of a loaded game: each named picture placed at its
// recorded position, then given its recorded fade and alpha levels.
bool rebuildSceneFromState(ScriptContext& sc);

// Background tint: the preset a background name selects, as red, green, blue percent.
void selectBackgroundTint(ScriptContext& sc, std::string_view backgroundName);
void clearSpriteTint(GameState& state);

}  // namespace ml
