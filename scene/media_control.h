// The media control the movie and midi commands talk to: it takes their command
// strings, plays MPEG movies (FFmpeg, pictures presented in the game area, sound
// through the mixer) and MIDI files (FluidSynth into the mixer), both at the music volume, and sets
// the completion notice when a movie played with "notify" has ended.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/services.h"

namespace ml {

class MidiSynth;
class MoviePlayer;
class Runtime;
class SoundDevice;

// Error numbers, as a media control interface numbers them.
enum MciError : std::uint32_t {
  kMciUnrecognizedKeyword = 259,
  kMciUnrecognizedCommand = 261,
  kMciInvalidDeviceName = 263,
  kMciDeviceOpen = 265,
  kMciBadInteger = 270,
  kMciMissingParameter = 273,
  kMciUnsupportedFunction = 274,
  kMciFileNotFound = 275,
  kMciDriver = 278,
  kMciMissingDeviceName = 292,
  kMciInvalidFile = 296,
};

class GameMediaControl final : public MediaControl {
 public:
  // device: the mixer that hears the sound (null: silent, movies follow the clock).
  // soundFonts: where to look for the MIDI soundfont (default: the Debian places).
  GameMediaControl(Runtime& rt, SoundDevice* device);
  GameMediaControl(Runtime& rt, SoundDevice* device, std::vector<std::string> soundFonts);
  ~GameMediaControl() override;

  using MediaControl::send;
  std::uint32_t send(std::string_view command, std::string* returned) override;
  std::string errorText(std::uint32_t code) override;
  void service() override;

  // What is open (tests).
  bool movieOpen() const { return movie_ != nullptr; }
  bool midiOpen() const { return !midiAlias_.empty(); }
  MidiSynth* midi() { return midi_.get(); }

 private:
  std::uint32_t fail(std::uint32_t code, std::string detailUtf8);
  std::uint32_t open(const std::vector<std::string>& words);
  std::uint32_t window(const std::vector<std::string>& words);
  std::uint32_t play(const std::vector<std::string>& words);
  std::uint32_t put(const std::vector<std::string>& words);
  std::uint32_t close(const std::vector<std::string>& words);
  void closeMovie();
  void attachMidi();
  // Movies and MIDI tunes are music: Volume/Bgm while Volume/BgmOn, else silent.
  int musicAttenuation() const;
  // Brings the playing streams to the music volume when the settings changed.
  void followMusicVolume();

  Runtime& rt_;
  SoundDevice* device_;
  std::vector<std::string> soundFonts_;
  std::unique_ptr<MoviePlayer> movie_;
  std::string movieAlias_;
  bool moviePlaying_ = false;
  bool notifyPending_ = false;
  std::uint32_t movieStartMs_ = 0;
  std::unique_ptr<MidiSynth> midi_;
  std::string midiAlias_;
  std::vector<std::uint8_t> midiBytes_;
  bool midiAttached_ = false;
  bool midiNotify_ = false;
  // The volume the streams were last given (hundredths of a decibel).
  int appliedAttenuation_ = 1;
  std::uint32_t lastError_ = 0;
  std::string lastDetail_;  // UTF-8
};

}  // namespace ml
