// The save commands: each consumes its word; the saves themselves are the save
// service's.
#include "engine/engine_commands.h"
#include "engine/runtime.h"
#include "engine/script_context.h"

namespace ml {

// flag_update: the system flags go into the system save now.
std::uint8_t cmdFlagUpdate(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.rt.saves().updateSystemSave();
  return 1;
}
// load, save
std::uint8_t cmdLoadSave(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(0); }

}  // namespace ml
