// The output device: the mixer, the platform's audio output it feeds, the error boxes,
// and where sound files are found ("wav\..." as loose files or in the sound archive).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "media/sound/mixer.h"
#include "media/sound/sound_errors.h"

namespace ml {

class DataArchive;
class GameFolder;
class Platform;

class SoundDevice {
 public:
  SoundDevice(Platform& platform, const GameFolder& folder, DataArchive& archive);
  ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // Starts the platform's audio output; false when there is none (nothing sounds).
  bool create();
  void destroy();
  bool valid() const { return open_; }

  Mixer& mixer() { return mixer_; }
  SoundErrors& errors() { return errors_; }
  // Holds the mixer still while a channel changes its track.
  class Lock {
   public:
    explicit Lock(SoundDevice& d) : d_(d) { d_.platform_.lockAudio(); }
    ~Lock() { d_.platform_.unlockAudio(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    SoundDevice& d_;
  };

  // The bytes of a sound file: the loose file first, then the sound archive; false,
  // silently, when neither has it.
  bool readFile(std::string_view sjisPath, std::vector<std::uint8_t>& out);

 private:
  Platform& platform_;
  const GameFolder& folder_;
  DataArchive& archive_;
  Mixer mixer_;
  SoundErrors errors_;
  bool open_ = false;
};

}  // namespace ml
