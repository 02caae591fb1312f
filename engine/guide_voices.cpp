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
      {SJ("葵").c_str(), "gv_aoi"},
      {SJ("凛").c_str(), "gv_rin"},
      {SJ("颯").c_str(), "gv_sou"},
      {SJ("案内 4").c_str(), "gv_04"},
      {SJ("案内 5").c_str(), "gv_05"},
      {SJ("案内 6").c_str(), "gv_06"},
  }};
  return rows;
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
