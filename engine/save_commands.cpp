// The save commands: each consumes its word; the saves themselves are the save
// service's.
#include "engine/engine_commands.h"
#include "engine/runtime.h"
#include "engine/script_context.h"

#include <string_view>

namespace ml {

// flag_update: the system flags go into the system save now. A replayed scene's flags
// belong to its copy of the game and are never stored.
std::uint8_t cmdFlagUpdate(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  if (sc.mainGame) sc.rt.saves().updateSystemSave();
  return 1;
}
// load, save (the dispatcher has read the word): the save/load screen; the step goes on
// whether or not a game was loaded.
std::uint8_t cmdLoadSave(ScriptContext& sc, const CommandRow&) {
  const bool loadMode = std::string_view(sc.word) == "load";
  sc.skipWord();
  sc.rt.screens().runSaveScreen(sc, loadMode);
  return 1;
}

}  // namespace ml
