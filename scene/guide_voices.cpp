#include "scene/guide_voices.h"

#include <array>
#include <cstdio>

#include "engine/runtime.h"
#include "engine/script_context.h"
#include "media/sound/sound_channel.h"
#include "platform/text_encoding.h"
#include "scene/sound_service.h"

namespace ml {
namespace {

// The speakers of the rows; each speaks entries 1-9 as "gv_<prefix>_NN". The last
// rows have no voices in this game.
struct GuideRow {
  const char* prefix;
  const char* nameUtf8;
};
constexpr std::array<GuideRow, kGuideVoiceRows> kRows{{
    {"aoi", "葵"}, {"rin", "凛"}, {"sou", "颯"}, {nullptr, "案内 4"}, {nullptr, "案内 5"}, {nullptr, "案内 6"}}};
constexpr int kVoicedEntries = 9;

}  // namespace

std::string guideVoiceRowName(int row) {
  if (row < 0 || row >= kGuideVoiceRows) return {};
  return utf8ToSjis(kRows[static_cast<std::size_t>(row)].nameUtf8);
}

std::string guideVoiceName(int row, int entry) {
  if (row < 0 || row >= kGuideVoiceRows || entry < 1 || entry > kVoicedEntries) return {};
  const GuideRow& r = kRows[static_cast<std::size_t>(row)];
  if (r.prefix == nullptr) return {};
  char name[32];
  std::snprintf(name, sizeof name, "gv_%s_%02d", r.prefix, entry);
  return name;
}

void playGuideVoice(ScriptContext& sc, int entry) {
  Runtime& rt = sc.rt;
  if (!rt.media.settings.voice.guide) return;
  const std::string name = guideVoiceName(rt.media.settings.voice.guideNo, entry);
  if (name.empty()) return;
  const std::string path = soundPath(name);
  if (!sc.fileExists(path, true)) return;
  SoundChannel* channel = rt.sound().channel(SoundService::kInterfaceChannel);
  if (channel == nullptr || !channel->loadWhole(path)) return;
  channel->setVolume(rt.media.settings.volume.se, true);
  channel->play(false);
}

}  // namespace ml
