// The generator's parts, one function per family of assets. Each draws or
// synthesises deterministically (fixed seeds) and hands its files to the sink.
#pragma once

#include <map>
#include <string>

#include "tools/assetgen/asset_sink.h"
#include "tools/common/canvas.h"
#include "tools/common/canvas_text.h"

namespace ml::tools {

struct GenContext {
  AssetSink& sink;
  const TextPainter& text;
  // 120x90 thumbnails of the pictures made so far, by file name without extension
  // (the galleries' sheets are cut from them).
  std::map<std::string, RgbaImage> thumbnails;
};

// A 120x90 thumbnail of the picture's centre (4:3, whatever its own shape).
RgbaImage thumbnailOf(const RgbaImage& picture);

// Pictures.
void makeBackgrounds(GenContext& ctx);
void makeEvents(GenContext& ctx);
void makeCharacters(GenContext& ctx);
void makeBlueSky(GenContext& ctx);
void makeWindowParts(GenContext& ctx);
void makeTitleParts(GenContext& ctx);
void makeSaveLoadParts(GenContext& ctx);
void makeOptionParts(GenContext& ctx);
void makeExtrasParts(GenContext& ctx);

// Sounds.
void makeMusic(GenContext& ctx);
void makeEffects(GenContext& ctx);
void makeVoices(GenContext& ctx);
// Beside the archives: the opening movie.
void makeMovie(GenContext& ctx);

// The starter skin of a new game: every picture the engine loads by name, in a plain
// look, with the game's title on the title menu's background.
void makeSkin(GenContext& ctx, const std::string& title);
// A new game's sample background (800x600) and sprite (400x600, two frames: eyes open
// and closed).
RgbaImage drawStarterBackground();
std::vector<RgbaImage> drawStarterCharacter();
// The program's icon at size x size pixels (for the desktop's icon theme).
RgbaImage drawAppIcon(int size);

// With --preview: whole screens composed from the pictures made, to judge the look.
bool writeMockups(const AssetSink& sink);

// Pictures other parts reuse (the galleries show event pictures as thumbnails).
RgbaImage drawEventPicture(int number, int variant);
int eventPictureCount();
RgbaImage drawBackgroundPicture(int number);
// Title of music track 1-14 (bgm01 … bgm14), as the music room shows it.
const char* musicTitle(int track);
// Character 0 Aoi, 1 Rin, 2 Sou; expression 0 normal, 1 smiling, 2 sad, 3 surprised.
RgbaImage drawCharacterPicture(int character, int expression);

}  // namespace ml::tools
