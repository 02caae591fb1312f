// MIDI music: FluidSynth with a General MIDI soundfont renders a checked MIDI file
// into the mixer's stream slot, driven by the frames the mixer asks for (so a headless
// run on the virtual clock hears the same tune every time). One tune at a time; it
// plays to its end and then falls silent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "media/sound/mixer.h"

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

namespace ml {

class MidiSynth final : public MixStream {
 public:
  // The General MIDI soundfonts looked for, in order: $MIRELUNE_SOUNDFONT, then the
  // Debian places (timgm6mb-soundfont installs /usr/share/sounds/sf2/TimGM6mb.sf2 and
  // the default-GM.sf2 alternative that points at it).
  static std::vector<std::string> defaultSoundFonts();

  explicit MidiSynth(std::vector<std::string> soundFonts = defaultSoundFonts());
  ~MidiSynth() override;
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  // Creates the synthesiser and loads the first soundfont found (once); false with
  // the reason (UTF-8) when there is none.
  bool prepare(std::string* why);
  const std::string& soundFontPath() const { return soundFont_; }

  // Checks the file and hands it to a fresh player, replacing any tune; it starts on
  // the next frames rendered. Call with the device lock held once the synth is a
  // mixer stream. False with the reason (UTF-8) for a damaged file.
  bool start(const std::vector<std::uint8_t>& bytes, std::string* why);
  // Sounds until the tune ended and its last notes died away.
  bool active() const { return active_; }

  void render(std::int16_t* out, std::size_t frames) override;
  void skip(std::size_t frames) override;

 private:
  void renderBlock(std::int16_t* out, std::size_t frames);

  std::vector<std::string> candidates_;
  std::string soundFont_;
  _fluid_hashtable_t* settings_ = nullptr;
  _fluid_synth_t* synth_ = nullptr;
  _fluid_player_t* player_ = nullptr;
  std::vector<std::uint8_t> file_;
  bool active_ = false;
  std::size_t tailFrames_ = 0;  // rendered after the player finished
  std::vector<std::int16_t> scratch_;
};

}  // namespace ml
