// Movies, MIDI and the built-in scenes: each command consumes exactly the arguments it
// takes, so that the rest of the line is read right; what they show is still to be
// built (movies and MIDI through the media control).
#include <string>

#include "engine/script_context.h"
#include "scene/scene_commands.h"

namespace ml {
namespace {

constexpr int kLongArgument = 1024;  // prompts, choice texts and date formats

}  // namespace

// movie name
std::uint8_t cmdMovie(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(1); }
// midi name
std::uint8_t cmdMidi(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(1); }
std::uint8_t cmdMenu(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(0); }
// ending word (read, not used)
std::uint8_t cmdEnding(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(1); }
// date_disp, date_disp2 x y format (format up to 1023 bytes)
std::uint8_t cmdDateDisp(ScriptContext& sc, const CommandRow&) {
  sc.skipWord();
  sc.readArgument();
  sc.readArgument();
  sc.readArgument(kLongArgument);
  return 1;
}
std::uint8_t cmdBlueSky(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(0); }

}  // namespace ml
