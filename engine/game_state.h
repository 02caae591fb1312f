// The record of one play-through. Its byte layout is also the save-file format, so
// every field offset is fixed and checked at compile time. Little-endian host assumed.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ml {

static_assert(std::endian::native == std::endian::little, "save files are little-endian");

// One backlog page with its snapshot of the story state (part of the save file).
struct BacklogEntry {
  std::int32_t voiceNumber;
  char speakerName[32];
  char text[512];
  std::uint8_t varSnapshot[104];   // first 25 bytes copied from the variables
  std::uint8_t flagSnapshot[2048]; // the flag area, engine settings F2023..F2047 included
  char pictureNames[5][32];
  std::int32_t layerX[5];
  std::int32_t layerY[5];
  std::int32_t layerFade[5];
  std::int32_t layerAlpha[5];
  char scriptName[32];
  char bgmName[32];
  char seName[32];
  char voiceName[32];
};

struct GameState {
  static constexpr std::int32_t kVersion = 400;
  static constexpr int kFlagCount = 2048;
  static constexpr int kSystemFlagFirst = 1024;
  static constexpr int kEngineFlagFirst = 2023;
  static constexpr int kBacklogEntries = 256;

  std::uint32_t checksum;
  std::int32_t version;
  char scriptName[64];
  std::int32_t vars[26];
  std::uint8_t flags[kFlagCount];
  char pictureNames[5][64];  // background, then picture slots 1..4
  std::int32_t layerX[5];
  std::int32_t layerY[5];
  std::int32_t layerFade[5];
  std::int32_t layerAlpha[5];
  char bgmName[64];
  char seLoopName[64];
  char voiceName[64];
  std::int32_t voiceIndex;
  char windowPicture[64];
  std::int32_t windowX, windowY;
  std::int32_t windowUnused[2];
  std::int32_t windowPictureOffsetX, windowPictureOffsetY;
  std::int32_t textOffsetX, textOffsetY;
  std::int32_t windowColumns, windowRows;
  char choiceWindowPicture[64];
  std::int32_t choiceParams[12];
  char comment[256];
  std::int32_t backlogWriteIndex;
  std::uint8_t backlogWrapped;
  std::uint8_t backlogWrappedPad[3];
  std::int32_t backlogCount;
  BacklogEntry backlog[kBacklogEntries];
  char namePlatePicture[64];  // "NULL": no plate picture
  std::int32_t namePlateX, namePlateY;
  std::int32_t namePlateUnused[2];
  std::int32_t namePlatePictureOffsetX, namePlatePictureOffsetY;
  std::int32_t namePlateTextOffsetX, namePlateTextOffsetY;
  std::int32_t namePlateColumns, namePlateRows;

  // Engine settings kept in the last 25 flags.
  std::uint8_t& readTrackingOff() { return flags[2023]; }
  std::uint8_t& autoReturnOff() { return flags[2047]; }
  std::int16_t spritePosition(int which) const;  // 0 left, 1 centre, 2 right, 3 left3, 4 right3
  void setSpritePosition(int which, std::int16_t x);
  std::int8_t sceneDarkening() const { return static_cast<std::int8_t>(flags[2034]); }
  std::uint8_t& letterboxTop() { return flags[2035]; }
  std::uint8_t& letterboxBottom() { return flags[2036]; }
  std::int8_t spriteTint(int channel) const { return static_cast<std::int8_t>(flags[2037 + channel]); }
  std::int8_t spriteHsv(int i) const { return static_cast<std::int8_t>(flags[2040 + i]); }
  std::uint8_t& backgroundEffectMode() { return flags[2043]; }
  std::uint8_t backgroundEffectMode() const { return flags[2043]; }
  std::uint8_t& textSizeCode() { return flags[2044]; }
  std::uint8_t& centredChoices() { return flags[2045]; }
  std::uint8_t& windowHidden() { return flags[2046]; }
  std::int32_t& var(char letter) { return vars[letter - 'A']; }

  // The record at program start: all zero, version 400, script "open", F2034 255.
  void resetToInitial();
  // A new game: everything from scriptName on is cleared except F1024..F2047.
  void resetForNewGame();
  // Sum of the bytes from offset 4 to the end, wrapping.
  std::uint32_t computeChecksum() const;
  // A backlog ring read from a save may hold anything: a write index outside 0-255 or
  // a count outside 0-256 makes it an empty backlog. True when it was usable as it was.
  bool validateBacklogRing();
  // The recollection player works on a byte copy of the whole record.
  void copyFrom(const GameState& other) { std::memcpy(this, &other, sizeof *this); }

  // Byte view for saving and loading.
  const std::uint8_t* bytes() const { return reinterpret_cast<const std::uint8_t*>(this); }
  std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(this); }
};

static_assert(sizeof(BacklogEntry) == 3068);
static_assert(offsetof(BacklogEntry, speakerName) == 4);
static_assert(offsetof(BacklogEntry, text) == 36);
static_assert(offsetof(BacklogEntry, varSnapshot) == 548);
static_assert(offsetof(BacklogEntry, flagSnapshot) == 652);
static_assert(offsetof(BacklogEntry, pictureNames) == 2700);
static_assert(offsetof(BacklogEntry, layerX) == 2860);
static_assert(offsetof(BacklogEntry, scriptName) == 2940);

static_assert(sizeof(GameState) == 788816);
static_assert(offsetof(GameState, checksum) == 0);
static_assert(offsetof(GameState, version) == 4);
static_assert(offsetof(GameState, scriptName) == 8);
static_assert(offsetof(GameState, vars) == 72);
static_assert(offsetof(GameState, flags) == 176);
static_assert(offsetof(GameState, flags) + 2023 == 2199);
static_assert(offsetof(GameState, pictureNames) == 2224);
static_assert(offsetof(GameState, layerX) == 2544);
static_assert(offsetof(GameState, layerY) == 2564);
static_assert(offsetof(GameState, layerFade) == 2584);
static_assert(offsetof(GameState, layerAlpha) == 2604);
static_assert(offsetof(GameState, bgmName) == 2624);
static_assert(offsetof(GameState, seLoopName) == 2688);
static_assert(offsetof(GameState, voiceName) == 2752);
static_assert(offsetof(GameState, voiceIndex) == 2816);
static_assert(offsetof(GameState, windowPicture) == 2820);
static_assert(offsetof(GameState, windowX) == 2884);
static_assert(offsetof(GameState, windowUnused) == 2892);
static_assert(offsetof(GameState, windowPictureOffsetX) == 2900);
static_assert(offsetof(GameState, textOffsetX) == 2908);
static_assert(offsetof(GameState, windowColumns) == 2916);
static_assert(offsetof(GameState, choiceWindowPicture) == 2924);
static_assert(offsetof(GameState, choiceParams) == 2988);
static_assert(offsetof(GameState, comment) == 3036);
static_assert(offsetof(GameState, backlogWriteIndex) == 3292);
static_assert(offsetof(GameState, backlogWrapped) == 3296);
static_assert(offsetof(GameState, backlogCount) == 3300);
static_assert(offsetof(GameState, backlog) == 3304);
static_assert(offsetof(GameState, namePlatePicture) == 788712);
static_assert(offsetof(GameState, namePlateX) == 788776);
static_assert(offsetof(GameState, namePlateUnused) == 788784);
static_assert(offsetof(GameState, namePlatePictureOffsetX) == 788792);
static_assert(offsetof(GameState, namePlateTextOffsetX) == 788800);
static_assert(offsetof(GameState, namePlateColumns) == 788808);

}  // namespace ml
