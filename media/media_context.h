// What the media services need from the running game: where errors go, where loose
// files lie, the picture archive, the settings, and the memory budget of pictures.
// The runtime owns one and hands it to surfaces and sprites, which keep a pointer to it.
#pragma once

#include "media/gfx/picture_budget.h"

namespace ml {

class Reporter;
class GameFolder;
class DataArchive;
struct Settings;
struct TextRules;

struct MediaContext {
  Reporter& reporter;
  const GameFolder& folder;
  DataArchive& pictureArchive;
  const Settings& settings;
  // Bracket and line-end sets and the player's names for text sprites; null: defaults.
  const TextRules* textRules = nullptr;
  // Decoded pixels of every surface made through this context, per picture and in
  // total; tests and the fuzzers shrink it.
  PictureBudget pictureBudget{};
};

}  // namespace ml
