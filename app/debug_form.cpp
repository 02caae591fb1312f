#include "app/debug_form.h"

#include <cstring>

#include "app/menus.h"
#include "engine/runtime.h"

namespace ml {

namespace {

// A fixed-size name field of the game state, up to its terminator.
template <size_t N>
std::string field(const char (&name)[N]) {
  return std::string(name, strnlen(name, N));
}

}  // namespace

DebugFormData currentLineForm(Runtime& rt) {
  DebugFormData form;
  ScriptContext& s = *rt.story.script;
  form.lineText = std::string(s.currentScriptName()) + " (" + std::to_string(s.currentLineNumber()) + ")";
  const char* message = s.messageText ? s.messageText.get() : "";
  form.memo = Menus::completeLines(std::string_view(message, strnlen(message, ScriptContext::kMessageCapacity)));
  const GameState& g = rt.story.state;
  form.background = field(g.pictureNames[0]);
  for (int i = 0; i < 4; ++i) form.sprites[i] = field(g.pictureNames[i + 1]);
  form.bgm = field(g.bgmName);
  form.se = field(g.seLoopName);
  form.voice = field(g.voiceName);
  form.unreadButton = rt.story.debugMode;
  return form;
}

}  // namespace ml
