// A save file is the game state written raw: "Save%03d.dat", exactly one record. The
// checks a file passes before any of its bytes are believed live here, apart from the
// service that reads and writes the files, so that tools and fuzzers reach them too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/game_state.h"

namespace ml {

inline constexpr int kSystemSaveSlot = 0;
inline constexpr int kQuickSaveSlot = 800;
inline constexpr int kLastChoiceSlot = 900;
inline constexpr int kAutoSaveFirstSlot = 57;
inline constexpr int kAutoSaveSlots = 4;

// "Save%03d.dat"; empty for a number no save file can have.
std::string saveFileName(int slot);

enum class SaveImageCheck {
  Ok,
  Damaged,     // wrong checksum, or a field no writer of the record produces
  OldVersion,  // a whole record of a version before 400
};

// Checks a record read whole from a save file and makes every text field end inside
// its field. Damaged: the checksum, an empty or unterminated script name, or backlog
// indexes out of their range.
SaveImageCheck checkSaveRecord(GameState& record);

// Whether the bytes are one whole record with its checksum (the system save is held to
// nothing more).
bool saveImageIntact(std::span<const std::uint8_t> bytes);

// A system save that passed its checksum, made fit to play on: text fields ended, the
// version and the backlog indexes of a record no writer of ours made are set right.
void repairSystemRecord(GameState& record);

// Ends every fixed text field of the record inside its field (the backlog's included);
// a name that filled its field loses its last byte.
void terminateTextFields(GameState& record);

}  // namespace ml
