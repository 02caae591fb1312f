#include "engine/save_file.h"

#include <cstdio>
#include <cstring>

namespace ml {
namespace {

template <std::size_t N>
void terminate(char (&field)[N]) {
  field[N - 1] = 0;
}

template <std::size_t N>
bool terminated(const char (&field)[N]) {
  return std::memchr(field, 0, N) != nullptr;
}

}  // namespace

std::string saveFileName(int slot) {
  if (slot < 0 || slot > 999) return {};
  char name[16];
  std::snprintf(name, sizeof name, "Save%03d.dat", slot);
  return name;
}

bool saveImageIntact(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != sizeof(GameState)) return false;
  std::uint32_t stored = 0;
  std::memcpy(&stored, bytes.data(), sizeof stored);
  std::uint32_t sum = 0;
  for (std::size_t i = 4; i < bytes.size(); ++i) sum += bytes[i];
  return sum == stored;
}

void terminateTextFields(GameState& s) {
  terminate(s.scriptName);
  for (auto& name : s.pictureNames) terminate(name);
  terminate(s.bgmName);
  terminate(s.seLoopName);
  terminate(s.voiceName);
  terminate(s.windowPicture);
  terminate(s.choiceWindowPicture);
  terminate(s.comment);
  terminate(s.namePlatePicture);
  for (BacklogEntry& e : s.backlog) {
    terminate(e.speakerName);
    terminate(e.text);
    for (auto& name : e.pictureNames) terminate(name);
    terminate(e.scriptName);
    terminate(e.bgmName);
    terminate(e.seName);
    terminate(e.voiceName);
  }
}

SaveImageCheck checkSaveRecord(GameState& s) {
  if (s.computeChecksum() != s.checksum) return SaveImageCheck::Damaged;
  if (s.version < GameState::kVersion) return SaveImageCheck::OldVersion;
  // The checksum only says the bytes are as they were written, not who wrote them: what
  // every writer of the record guarantees is checked before anything is used.
  if (!terminated(s.scriptName) || s.scriptName[0] == 0) return SaveImageCheck::Damaged;
  terminateTextFields(s);
  // A ring whose indexes point outside it is kept as an empty backlog: the rest of the
  // game is still good.
  s.validateBacklogRing();
  return SaveImageCheck::Ok;
}

void repairSystemRecord(GameState& s) {
  terminateTextFields(s);
  if (s.version < GameState::kVersion) s.version = GameState::kVersion;
  if (s.scriptName[0] == 0) std::memcpy(s.scriptName, "open", 5);
  s.validateBacklogRing();
}

}  // namespace ml
