#include "engine/guide_voices.h"

#include <cstdio>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/sound/sound_channel.h"

namespace ml {

std::string guideVoiceRowName(const GameContent& content, int row) {
  if (row < 0 || row >= static_cast<int>(content.guideVoices.size())) return {};
  return content.guideVoices[static_cast<std::size_t>(row)].displayName;
}

std::string guideVoicePath(const GameContent& content, int row, int entry) {
  if (row < 0 || row >= static_cast<int>(content.guideVoices.size()) || entry < 1 || entry > kGuideVoiceEntries)
    return {};
  char number[16];
  std::snprintf(number, sizeof number, "_%02d.wav", entry);
  return "wav\\" + content.guideVoices[static_cast<std::size_t>(row)].filePrefix + number;
}

void playGuideVoice(ScriptContext& sc, int entry) {
  Runtime& rt = sc.rt;
  if (!rt.media.settings.voice.guide) return;
  const std::string path = guideVoicePath(rt.media.content, rt.media.settings.voice.guideNo, entry);
  if (path.empty() || !sc.fileExists(path, true)) return;
  SoundChannel* channel = rt.sound().channel(SoundService::kInterfaceChannel);
  if (channel == nullptr || !channel->loadWhole(path)) return;
  channel->setVolume(rt.media.settings.volume.se, true);
  channel->play(false);
}

}  // namespace ml
