#include "engine/guide_voices.h"

#include <cstdio>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/sound/sound_channel.h"
#include "platform/text_encoding.h"

namespace ml {

const std::array<GuideVoiceRow, kGuideVoiceRows>& guideVoiceRows() {
  // The demo's three speakers; the other rows are there for a game's own.
  static const std::array<GuideVoiceRow, kGuideVoiceRows> rows = {{
      {"葵", "gv_aoi"},
      {"凛", "gv_rin"},
      {"颯", "gv_sou"},
      {"案内 4", "gv_04"},
      {"案内 5", "gv_05"},
      {"案内 6", "gv_06"},
  }};
  return rows;
}

std::string guideVoiceRowName(int row) {
  if (row < 0 || row >= kGuideVoiceRows) return {};
  return utf8ToSjis(guideVoiceRows()[std::size_t(row)].displayNameUtf8);
}

std::string guideVoicePath(int row, int entry) {
  if (row < 0 || row >= kGuideVoiceRows || entry < 1 || entry > kGuideVoiceEntries) return {};
  char path[64];
  std::snprintf(path, sizeof path, "wav\\%s_%02d.wav", guideVoiceRows()[std::size_t(row)].filePrefix, entry);
  return path;
}

void playGuideVoice(ScriptContext& sc, int entry) {
  Runtime& rt = sc.rt;
  if (!rt.media.settings.voice.guide) return;
  const std::string path = guideVoicePath(rt.media.settings.voice.guideNo, entry);
  if (path.empty() || !sc.fileExists(path, true)) return;
  SoundChannel* channel = rt.sound().channel(SoundService::kInterfaceChannel);
  if (channel == nullptr || !channel->loadWhole(path)) return;
  channel->setVolume(rt.media.settings.volume.se, true);
  channel->play(false);
}

}  // namespace ml
