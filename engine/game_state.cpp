#include "engine/game_state.h"

#include <cstring>

namespace ml {

std::int16_t GameState::spritePosition(int which) const {
  std::int16_t v;
  std::memcpy(&v, &flags[2024 + 2 * which], 2);
  return v;
}

void GameState::setSpritePosition(int which, std::int16_t x) {
  std::memcpy(&flags[2024 + 2 * which], &x, 2);
}

void GameState::resetToInitial() {
  std::memset(this, 0, sizeof *this);
  version = kVersion;
  std::memcpy(scriptName, "open", 5);
  flags[2034] = 255;
}

void GameState::resetForNewGame() {
  // Keep checksum, version and the system flags with the engine settings.
  std::uint8_t kept[kFlagCount - kSystemFlagFirst];
  std::memcpy(kept, &flags[kSystemFlagFirst], sizeof kept);
  std::memset(bytes() + offsetof(GameState, scriptName), 0,
              sizeof *this - offsetof(GameState, scriptName));
  std::memcpy(&flags[kSystemFlagFirst], kept, sizeof kept);
}

std::uint32_t GameState::computeChecksum() const {
  std::uint32_t sum = 0;
  const std::uint8_t* p = bytes();
  for (size_t i = 4; i < sizeof *this; ++i) sum += p[i];
  return sum;
}

bool GameState::validateBacklogRing() {
  const bool valid = backlogWriteIndex >= 0 && backlogWriteIndex < kBacklogEntries && backlogCount >= 0 &&
                     backlogCount <= kBacklogEntries;
  if (!valid) {
    backlogWriteIndex = 0;
    backlogCount = 0;
    backlogWrapped = 0;
  }
  // A full ring is the only one that can have wrapped.
  if (backlogCount < kBacklogEntries) backlogWrapped = 0;
  return valid;
}

}  // namespace ml
