// The game's sound: the output device, the five channels, the page voice with its
// per-character switches and stereo position, and the recorded music and looping
// effect started again after a jump or a load.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "engine/services.h"
#include "media/sound/sound_channel.h"
#include "media/sound/sound_device.h"

namespace ml {

class Runtime;

// "wav\NAME.wav"
std::string soundPath(std::string_view name);

class GameSound final : public SoundService, private SoundBoxSink {
 public:
  explicit GameSound(Runtime& rt);
  ~GameSound() override;

  bool openDevice() override;
  void stopChannel(int channel) override;
  void stopAllChannels() override;
  void serviceChannels() override;
  void playPageVoice(ScriptContext& sc, bool fromBacklog, const BacklogEntry* entry, bool forced) override;
  bool voicePlaying() override;
  void restartRecordedSounds(ScriptContext& sc) override;
  SoundChannel* channel(int index) override;
  void applyVolumes() override;
  void setMusicOn(const GameState& state, bool on) override;

  SoundDevice& device() { return device_; }

 private:
  void soundBox(std::string_view captionSjis, std::string_view textSjis) override;

  Runtime& rt_;
  SoundDevice device_;
  std::array<std::unique_ptr<SoundChannel>, 5> channels_;
};

// The stereo position of a voice: the first of scene slots 1-3 whose recorded picture
// name shares the voice name's first three bytes decides by the sign of its x.
int voicePan(const Runtime& rt, std::string_view voiceName);

}  // namespace ml
