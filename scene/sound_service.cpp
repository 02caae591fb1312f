#include "scene/sound_service.h"

#include <cstdio>
#include <cstring>

#include "engine/game_state.h"
#include "engine/runtime.h"
#include "engine/script_context.h"
#include "platform/text_encoding.h"

namespace ml {

namespace {

constexpr int kChannelCount = 5;

std::string_view fieldText(const char* field, std::size_t capacity) {
  return {field, strnlen(field, capacity)};
}

// Ctrl, skip mode, or auto mode with Skip/Voice: pages go by without their voices.
bool voicesSuppressed(const Runtime& rt) {
  return rt.story.input.isHeld(InputSkip) || rt.story.switches.skipMode ||
         (rt.story.switches.autoMode && rt.media.settings.skip.voice);
}

}  // namespace

std::string soundPath(std::string_view name) { return "wav\\" + std::string(name) + ".wav"; }

int voicePan(const Runtime& rt, std::string_view voiceName) {
  if (voiceName.size() < 3) return 0;
  const GameState& state = rt.story.state;
  for (int slot = 1; slot <= 3; ++slot) {
    const std::string_view picture = fieldText(state.pictureNames[slot], sizeof state.pictureNames[slot]);
    if (picture.size() < 3 || std::memcmp(picture.data(), voiceName.data(), 3) != 0) continue;
    const int x = rt.scene.layers[slot].x();
    const int amount = rt.media.settings.volume.pan;
    return x < 0 ? -amount : x == 0 ? 0 : amount;
  }
  return 0;
}

GameSound::GameSound(Runtime& rt)
    : rt_(rt), device_(rt.platform, rt.media.folder, rt.media.soundArchive) {
  device_.errors().setSink(this);
  for (int i = 0; i < kChannelCount; ++i) channels_[static_cast<std::size_t>(i)] = std::make_unique<SoundChannel>(device_, i);
}

GameSound::~GameSound() {
  // The channels let go of their buffers before the device stops pulling.
  for (auto& c : channels_) c.reset();
  device_.destroy();
}

void GameSound::soundBox(std::string_view captionSjis, std::string_view textSjis) {
  rt_.platform.messageBox(captionSjis, textSjis, BoxButtons::Ok, BoxIcon::Error, false);
}

bool GameSound::openDevice() { return device_.create(); }

SoundChannel* GameSound::channel(int index) {
  if (index < 0 || index >= kChannelCount) return nullptr;
  return channels_[static_cast<std::size_t>(index)].get();
}

void GameSound::stopChannel(int index) {
  if (SoundChannel* c = channel(index)) c->stop();
}

void GameSound::stopAllChannels() {
  for (auto& c : channels_) c->stop();
}

void GameSound::serviceChannels() {
  channels_[kMusicChannel]->tick(true);
  channels_[kEffectChannel]->tick(false);
  channels_[kVoiceChannel]->tick(false);
}

bool GameSound::voicePlaying() { return channels_[kVoiceChannel]->isPlaying(); }

void GameSound::playPageVoice(ScriptContext& sc, bool fromBacklog, const BacklogEntry* entry, bool forced) {
  const Settings& settings = rt_.media.settings;
  if (voicesSuppressed(rt_)) return;
  if (settings.volume.voice == 0 || !settings.volume.voOn) return;
  if (fromBacklog && !settings.log.voice && !forced) return;
  std::string_view name;
  if (fromBacklog) {
    if (entry == nullptr) return;
    name = fieldText(entry->voiceName, sizeof entry->voiceName);
  } else {
    name = fieldText(sc.state->voiceName, sizeof sc.state->voiceName);
  }
  if (name.empty()) return;

  int volume = 255;
  const auto& rows = rt_.media.content.voices;
  for (std::size_t n = 0; n < rows.size(); ++n) {
    const std::string_view prefix = rows[n].prefix;
    if (prefix.empty() || name.size() < 3 || name.substr(0, 3) != prefix) continue;
    if (!settings.charaVoice[n]) return;
    volume = settings.charaVolume[n];
    break;
  }
  const int pan = voicePan(rt_, name);
  const std::string path = soundPath(name);
  if (rt_.story.debugMode && !sc.fileExists(path, true)) return;
  SoundChannel& voice = *channels_[kVoiceChannel];
  if (!voice.loadWhole(path, fromBacklog ? 0 : settings.voice.rate)) return;
  voice.setVolume((volume + 1) * settings.volume.voice / 256, true);
  voice.setPan(pan);
  voice.play(false);
}

void GameSound::applyVolumes() {
  const auto& v = rt_.media.settings.volume;
  channels_[kMusicChannel]->setVolume(v.bgmOn ? v.bgm : 0, true);
  channels_[kEffectChannel]->setVolume(v.seOn ? v.se : 0, true);
  channels_[kInterfaceChannel]->setVolume(v.seOn ? v.se : 0, true);
  channels_[kVoiceChannel]->setVolume(v.voOn ? v.voice : 0, true);
}

void GameSound::setMusicOn(const GameState& state, bool on) {
  SoundChannel& music = *channels_[kMusicChannel];
  if (!on) {
    music.stop();
    return;
  }
  music.setVolume(rt_.media.settings.volume.bgm, true);
  music.play(state.bgmName[0] != 0);
}

void GameSound::restartRecordedSounds(ScriptContext& sc) {
  const Settings& settings = rt_.media.settings;
  const GameState& state = *sc.state;
  SoundChannel& music = *channels_[kMusicChannel];
  const std::string_view bgm = fieldText(state.bgmName, sizeof state.bgmName);
  if (!bgm.empty() && music.loadStreaming(soundPath(bgm), settings.bgm.allBgm)) {
    music.setVolume(settings.volume.bgm, true);
    if (settings.volume.bgmOn) music.play(true);
  } else {
    music.stop();
  }
  SoundChannel& effect = *channels_[kEffectChannel];
  const std::string_view se = fieldText(state.seLoopName, sizeof state.seLoopName);
  if (settings.volume.seOn && !se.empty() && effect.loadWhole(soundPath(se), 0)) {
    effect.setVolume(settings.volume.se, true);
    effect.play(true);
  } else {
    effect.stop();
  }
}

}  // namespace ml
