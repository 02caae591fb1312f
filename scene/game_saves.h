// The game's saves: the numbered save files, the quick save, the last-choice save, the
// debug autosave ring and the system save that carries the system flags from one
// play-through to the next. Every file goes through the safe write path into the
// player's folder; a save is believed only after its size, checksum, version and
// fields have passed.
#pragma once

#include <string>

#include "engine/services.h"

namespace ml {

class Runtime;

class GameSaves final : public SaveService {
 public:
  explicit GameSaves(Runtime& rt) : rt_(rt) {}

  bool saveGame(int slot) override;
  bool loadGame(ScriptContext& sc, int slot, bool withRecall) override;
  void readSystemSave() override;
  int quickSave(ScriptContext& sc) override;
  int quickLoad(ScriptContext& sc) override;
  int returnToLastChoice(ScriptContext& sc) override;
  void updateSystemSave() override;
  void debugAutoSave(ScriptContext& sc) override;
  void saveLastChoice(ScriptContext& sc) override;

 private:
  enum class ReadResult { Ok, Missing, Damaged, OldVersion };
  // The file of a slot checked and copied into out (untouched unless Ok).
  ReadResult readSave(int slot, GameState& out);
  // Writes a record through the safe path; false with the reason.
  bool writeRecord(const std::string& name, const GameState& record, std::string& error);

  Runtime& rt_;
  int autoSaveNext_ = 0;  // the ring 57-60 turns from program start
};

}  // namespace ml
