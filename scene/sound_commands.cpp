// The sound commands: music on channel 0 (streamed), effects on channel 2, the voice
// of the next page (played by the page display on channel 4), and the waits for an
// effect or a voice to end. Looping music and a looping effect are recorded in the
// game state so that a jump or a loaded game starts them again.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/poll.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/sound/sound_channel.h"
#include "scene/effect_wait.h"
#include "scene/scene_commands.h"
#include "scene/sound_service.h"

namespace ml {

namespace {

constexpr std::uint32_t kBytesPerSecond = 176400;

template <std::size_t N>
void storeName(char (&field)[N], std::string_view name) {
  const size_t n = std::min(name.size(), N - 1);
  // An empty view may carry no pointer at all, which memcpy must not be given.
  if (n > 0) std::memcpy(field, name.data(), n);
  std::memset(field + n, 0, N - n);
}

template <std::size_t N>
std::string_view fieldName(const char (&field)[N]) {
  return {field, strnlen(field, N)};
}

// A start in seconds, an integer expression or a decimal number, as a byte position
// of 44100 Hz 16-bit stereo sound.
std::uint32_t startPosition(ScriptContext& sc, const std::string& argument) {
  if (argument.empty()) return 0;
  double bytes = 0;
  if (argument.find('.') != std::string::npos)
    bytes = std::strtod(argument.c_str(), nullptr) * kBytesPerSecond;
  else
    bytes = static_cast<double>(sc.evaluate(argument)) * kBytesPerSecond;
  if (!(bytes > 0)) return 0;
  return bytes >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(bytes);
}

// "LOOP" or "LOOP_NONE"; anything else is reported and nothing plays.
bool loopKind(ScriptContext& sc, const std::string& kind, bool& loop) {
  if (kind == "LOOP") {
    loop = true;
    return true;
  }
  if (kind == "LOOP_NONE") {
    loop = false;
    return true;
  }
  reportBadParameter(sc, kind);
  return false;
}

// Polls and presents while the channel plays; Ctrl, skip mode and a cancelling click
// end it early.
void waitForChannel(ScriptContext& sc, int channelIndex) {
  Runtime& rt = sc.rt;
  if (sc.fastForward) return;
  SoundChannel* channel = rt.sound().channel(channelIndex);
  if (channel == nullptr) return;
  while (channel->isPlaying() && !rt.story.input.isHeld(InputSkip) && !rt.story.switches.skipMode) {
    if (pollWithMenus(sc, true, true)) return;
    if (clickCheck(sc)) return;
    // Nothing is presented while the window is in the background: do not spin.
    if (!rt.platform.windowActive() && !rt.media.settings.system.noActive) rt.platform.sleep(10);
  }
}

}  // namespace

// bgm name loopKind start; bgm1, bgm2 name; bgm1_ex, bgm2_ex name start;
// bgm_stop, bgm_fo
std::uint8_t cmdBgm(ScriptContext& sc, const CommandRow& row) {
  Runtime& rt = sc.rt;
  sc.skipWord();
  std::string name, kind = row.fixedText != nullptr ? row.fixedText : "", start;
  if (row.a == 3) {
    name = sc.readArgument();
    kind = sc.readArgument();
    start = sc.readArgument();
  } else if (row.a >= 1) {
    name = sc.readArgument();
    if (row.a == 2) start = sc.readArgument();
  }
  sc.markPictureFlag(name);
  GameState& state = *sc.state;
  if (sc.fastForward) {
    storeName(state.bgmName, name);
    return 1;
  }
  SoundChannel* music = rt.sound().channel(SoundService::kMusicChannel);
  const Settings& settings = rt.media.settings;
  if (name.empty()) {
    storeName(state.bgmName, "");
    if (music != nullptr) {
      if (kind == "FADE_OUT")
        music->startFade(settings.volume.bgm, -2);
      else
        music->stop();
    }
    return 1;
  }
  if (name == fieldName(state.bgmName)) return 1;
  storeName(state.bgmName, kind == "LOOP" ? std::string_view(name) : std::string_view());
  const std::string path = soundPath(name);
  if (!sc.fileExists(path, false)) return 1;
  bool loop = false;
  if (!loopKind(sc, kind, loop)) return 1;
  const std::uint32_t position = startPosition(sc, start);
  if (music == nullptr || !music->loadStreaming(path, settings.bgm.allBgm)) return 1;
  music->seek(position);
  music->setVolume(settings.volume.bgm, true);
  if (settings.volume.bgmOn) music->play(loop);
  return 1;
}

// se name loopKind; se1, se2, se3 name; se_stop, se_fo
std::uint8_t cmdSe(ScriptContext& sc, const CommandRow& row) {
  Runtime& rt = sc.rt;
  sc.skipWord();
  std::string name, kind = row.fixedText != nullptr ? row.fixedText : "";
  if (row.a >= 1) name = sc.readArgument();
  if (row.a == 2) kind = sc.readArgument();
  sc.substituteDefine(name);
  GameState& state = *sc.state;
  storeName(state.seLoopName, kind == "LOOP" ? std::string_view(name) : std::string_view());
  if (sc.fastForward) return 1;
  SoundChannel* effect = rt.sound().channel(SoundService::kEffectChannel);
  const Settings& settings = rt.media.settings;
  if (name.empty()) {
    storeName(state.seLoopName, "");
    if (effect != nullptr) {
      if (kind == "FADE_OUT")
        effect->startFade(settings.volume.se, -5);
      else
        effect->stop();
    }
    return 1;
  }
  if (!settings.volume.seOn) return 1;
  const std::string path = soundPath(name);
  if (!sc.fileExists(path, false)) return 1;
  bool loop = false;
  if (!loopKind(sc, kind, loop)) return 1;
  if (effect == nullptr || !effect->loadWhole(path, 0)) return 1;
  effect->setVolume(settings.volume.se, true);
  effect->play(loop);
  if (row.b == 1) waitForChannel(sc, SoundService::kEffectChannel);
  return 1;
}

// se_wait, vo_wait: the row names the channel.
std::uint8_t cmdSoundWait(ScriptContext& sc, const CommandRow& row) {
  sc.skipWord();
  waitForChannel(sc, row.a);
  return 1;
}

// vo, vol, vor, vo2 name: the voice of the next page. Counted voices (all but vo2) also
// give the page its number for read tracking: the ordinal of this command among the
// script's registered voice commands, found by its position.
std::uint8_t cmdVoice(ScriptContext& sc, const CommandRow& row) {
  const std::int32_t position = sc.pos;
  sc.skipWord();
  const std::string name = sc.readArgument();
  GameState& state = *sc.state;
  storeName(state.voiceName, name);
  if (row.a == 1) {
    state.voiceIndex = state.readTrackingOff() != 0
                           ? 0
                           : sc.rt.media.readStatus.ordinalAt(sc.scriptPath, position);
  }
  return 1;
}

}  // namespace ml
