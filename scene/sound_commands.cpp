// The sound commands. The channels themselves are the sound service's; until it plays
// anything, each command consumes exactly the arguments it takes so that the rest of
// the line is read right, and the voice commands record the next page's voice.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "scene/scene_commands.h"

namespace ml {

// bgm name loopKind start; bgm1, bgm2 name; bgm1_ex, bgm2_ex name start;
// bgm_stop, bgm_fo
std::uint8_t cmdBgm(ScriptContext& sc, const CommandRow& row) {
  static constexpr int kArguments[4] = {0, 1, 2, 3};
  return sc.consumeCommand(kArguments[row.a & 3]);
}
// se name loopKind; se1, se2, se3 name; se_stop, se_fo
std::uint8_t cmdSe(ScriptContext& sc, const CommandRow& row) {
  static constexpr int kArguments[3] = {0, 1, 2};
  return sc.consumeCommand(kArguments[row.a < 0 || row.a > 2 ? 0 : row.a]);
}
// se_wait, vo_wait
std::uint8_t cmdSoundWait(ScriptContext& sc, const CommandRow&) { return sc.consumeCommand(0); }
// vo, vol, vor, vo2 name: the voice of the next page. Counted voices (all but vo2) also
// give the page its number for read tracking: the ordinal of this command among the
// script's registered voice commands, found by its position. Playing it comes later.
std::uint8_t cmdVoice(ScriptContext& sc, const CommandRow& row) {
  const std::int32_t position = sc.pos;
  sc.skipWord();
  const std::string name = sc.readArgument();
  GameState& state = *sc.state;
  const size_t n = std::min(name.size(), sizeof state.voiceName - 1);
  std::memcpy(state.voiceName, name.data(), n);
  std::memset(state.voiceName + n, 0, sizeof state.voiceName - n);
  if (row.a == 1) {
    state.voiceIndex = state.readTrackingOff() != 0
                           ? 0
                           : sc.rt.media.readStatus.ordinalAt(sc.scriptPath, position);
  }
  return 1;
}

}  // namespace ml
